#include "FirstPaintProbe.h"

#include "ProcessStats.h"
#include "ui/MainWindowLayout.h"
#include "ui/qt/LayoutPixels.h"
#include "ui/qt/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace ondulix::bench {
namespace {

using ui::ControlKind;
using ui::LayoutItem;

bool isWidget(const LayoutItem& item) {
    return item.kind != ControlKind::Timer && item.kind != ControlKind::CommonDialog;
}

// Every event goes through notify(). A repaint of the window paints the window and then its
// children inside one outer event (the expose or the update request), so the first paint is
// complete when the outermost event during which the window received its first paint event
// returns.
class FirstPaintApplication final : public QApplication {
public:
    FirstPaintApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // Runs once, when the first paint of the window is complete.
    void watch(const QWidget* window, std::function<void()> painted) {
        watched_ = window;
        painted_ = false;
        onFirstPaint_ = std::move(painted);
    }
    std::optional<std::int64_t> firstPaint() const { return firstPaint_; }

    bool notify(QObject* receiver, QEvent* event) override {
        const bool paintsWindow = event->type() == QEvent::Paint && receiver == watched_;
        ++depth_;
        const bool result = QApplication::notify(receiver, event);
        --depth_;
        painted_ = painted_ || paintsWindow;
        if (depth_ == 0 && painted_ && !firstPaint_) {
            firstPaint_ = ProcessStats::MonotonicNanoseconds();
            if (onFirstPaint_)
                onFirstPaint_();
        }
        return result;
    }

private:
    const QWidget* watched_ = nullptr;
    int depth_ = 0;
    bool painted_ = false;
    std::optional<std::int64_t> firstPaint_;
    std::function<void()> onFirstPaint_;
};

// A baseline: a window of the real one's size with one widget at the place of each of the real
// window's controls, and nothing else: no fonts, colours, timer or logic of its own.
std::unique_ptr<QWidget> bareWindow(ProbedWindow which) {
    auto window = std::make_unique<QWidget>(nullptr, Qt::Window);
    window->setFixedSize(ui::qt::clientSizeInPixels());
    for (const LayoutItem& item : ui::kMainWindowLayout) {
        if (!isWidget(item))
            continue;
        const QString caption = QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size()));
        QWidget* widget = nullptr;
        if (which == ProbedWindow::Blank) {
            widget = new QWidget(window.get());
            widget->setAutoFillBackground(true);
        } else {
            // Qt's own widgets of the same kinds with the same texts, in Qt's default font.
            switch (item.kind) {
            case ControlKind::Label: widget = new QLabel(caption, window.get()); break;
            case ControlKind::TextBox: widget = new QLineEdit(caption, window.get()); break;
            case ControlKind::CheckBox: widget = new QCheckBox(window.get()); break;
            case ControlKind::Button: widget = new QPushButton(caption, window.get()); break;
            case ControlKind::PictureBox: widget = new QFrame(window.get()); break;
            default: widget = new QWidget(window.get()); break;
            }
        }
        widget->setGeometry(ui::qt::toPixels(item));
    }
    return window;
}

} // namespace

int RealWindowWidgetCount() {
    return static_cast<int>(std::count_if(ui::kMainWindowLayout.begin(), ui::kMainWindowLayout.end(), isWidget));
}

int RunFirstPaintProbe(int& argc, char** argv, ProbedWindow which) {
    FirstPaintApplication app(argc, argv);
    std::unique_ptr<QWidget> window =
        which == ProbedWindow::Real ? std::make_unique<ui::qt::MainWindow>() : bareWindow(which);
    app.watch(window.get(), [&app] {
        // Half a second of the running window (the real one animates its preview) counts
        // towards the peak memory as well.
        QTimer::singleShot(500, &app, [&app] {
            std::printf("first-paint-ns %lld\n", static_cast<long long>(*app.firstPaint()));
            if (const auto peak = ProcessStats::PeakResidentKiB())
                std::printf("peak-resident-kib %lld\n", static_cast<long long>(*peak));
            std::fflush(stdout);
            QApplication::exit(0);
        });
    });
    window->show();
    QTimer::singleShot(30000, &app, [] { QApplication::exit(1); }); // never painted
    const int status = QApplication::exec();
    if (!app.firstPaint())
        std::fputs("the window was never painted\n", stderr);
    return status;
}

} // namespace ondulix::bench
