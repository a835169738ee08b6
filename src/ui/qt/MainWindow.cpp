#include "ui/qt/MainWindow.h"

#include "display/PlotColours.h"
#include "export/AtomicFileStore.h"
#include "ui/FormBuilder.h"
#include "ui/MainWindowLogic.h"
#include "ui/qt/LayoutPixels.h"
#include "ui/qt/MainWindowFonts.h"
#include "ui/qt/PngIconEngine.h"
#include "ui/qt/QtButton.h"
#include "ui/qt/QtCheckBox.h"
#include "ui/qt/QtLabel.h"
#include "ui/qt/QtMessageBox.h"
#include "ui/qt/QtSaveDialog.h"
#include "ui/qt/QtSurface.h"
#include "ui/qt/QtTextBox.h"
#include "ui/qt/QtTimer.h"
#include "ui/qt/VectorState.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cassert>

namespace ondulix::ui::qt {
namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor toQColor(toolkit::Colour c) { return QColor(c.red, c.green, c.blue); }

QLabel* makeLabel(const LayoutItem& item, QWidget* parent) {
    auto* label = new QLabel(fromUtf8(item.caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment((item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    // Labels are opaque; without colours of their own they take the platform's button face,
    // which makes the two header bands light.
    const QPalette standard = QApplication::palette();
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, item.back ? toQColor(*item.back) : standard.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, item.fore ? toQColor(*item.fore) : standard.color(QPalette::ButtonText));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    label->setGeometry(toPixels(item.rect));
    return label;
}

QWidget* makeLine(const LayoutItem& item, QWidget* parent) {
    auto* line = new QWidget(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::WindowText));
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setGeometry(toPixels(item.line));
    return line;
}

// Made empty: the window logic's start-up writes every box before the window is first shown,
// and a line edit lays out (shapes) each text it is given at once, so the layout's first text
// would be laid out for nothing in most boxes.
QLineEdit* makeLineEdit(const LayoutItem& item, const QFont& font, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFont(font);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // numbers line up by their last digit
    edit->setGeometry(toPixels(item.rect));
    return edit;
}

QCheckBox* makeCheckBox(const LayoutItem& item, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setChecked(item.checked);
    QPalette palette = box->palette();
    // A button fills its background with the button colour, not the window colour.
    palette.setColor(box->backgroundRole(), toQColor(item.back.value_or(kFormBack)));
    palette.setColor(QPalette::WindowText, toQColor(item.fore.value_or(kFormFore)));
    box->setPalette(palette);
    box->setAutoFillBackground(true);
    box->setGeometry(toPixels(item.rect));
    return box;
}

QtSurface* makeSurface(const LayoutItem& item, QWidget* parent) {
    auto* surface = new QtSurface(item.back.value_or(display::kPlotBack), item.scale, item.sunkenBorder, parent);
    // The plots are pictures only; the preview takes its place in the tab order.
    surface->setFocusPolicy(item.sunkenBorder ? Qt::TabFocus : Qt::NoFocus);
    surface->setGeometry(toPixels(item.rect));
    return surface;
}

QPushButton* makeButton(const LayoutItem& item, QWidget* parent) {
    auto* button = new QPushButton(fromUtf8(item.caption), parent);
    button->setAutoDefault(false);
    button->setGeometry(toPixels(item.rect));
    return button;
}

// The application's default font is the window's own while the controls are made. A line edit
// lays out its empty text in the default font before it takes its own, which loads a font engine
// (a good part of start-up) for a face the window never shows. Only the default changes, and only
// for the while: no widget is told, and later windows such as the message boxes get the
// platform's font as before. (Qt then counts the default as the program's own, so a change of
// the desktop's font while the program runs no longer reaches those later windows.)
class DefaultFontWhileBuilding {
public:
    explicit DefaultFontWhileBuilding(const QFont& font) : saved_(QGuiApplication::font()) {
        QGuiApplication::setFont(font.resolve(saved_));
    }
    ~DefaultFontWhileBuilding() { QGuiApplication::setFont(saved_); }
    DefaultFontWhileBuilding(const DefaultFontWhileBuilding&) = delete;
    DefaultFontWhileBuilding& operator=(const DefaultFontWhileBuilding&) = delete;

private:
    const QFont saved_;
};

} // namespace

// Makes each control as a widget of the window, in the fonts chosen for it, named as the layout
// names it, and with the toolkit backend over the controls the logic touches.
class MainWindow::Factory final : public ControlFactory {
public:
    Factory(MainWindow& window, MainWindowFonts& fonts) : w_(window), fonts_(fonts) {}

    toolkit::TextBox* textBox(const LayoutItem& item) override {
        // owned by its line edit
        return new QtTextBox(*place(item, makeLineEdit(item, fonts_.forControl(item), &w_)));
    }
    toolkit::CheckBox* checkBox(const LayoutItem& item) override {
        QCheckBox* box = place(item, makeCheckBox(item, &w_));
        return w_.checkBoxes_.emplace_back(std::make_unique<QtCheckBox>(*box)).get();
    }
    toolkit::Surface* pictureBox(const LayoutItem& item) override { return place(item, makeSurface(item, &w_)); }
    toolkit::Label* label(const LayoutItem& item) override {
        QLabel* label = place(item, makeLabel(item, &w_));
        if (!item.isBound())
            return nullptr;
        return w_.labels_.emplace_back(std::make_unique<QtLabel>(*label)).get();
    }
    toolkit::Button* button(const LayoutItem& item) override {
        return new QtButton(*place(item, makeButton(item, &w_))); // owned by its button
    }
    void line(const LayoutItem& item) override { place(item, makeLine(item, &w_)); }
    toolkit::Timer* timer(const LayoutItem& item) override {
        w_.timer_ = new QtTimer(item.intervalMs, &w_);
        w_.timer_->setObjectName(fromUtf8(controlName(item)));
        return w_.timer_;
    }
    void commonDialog(const LayoutItem& item) override {
        w_.commonDialog_ = new QtSaveDialog(&w_);
        w_.commonDialog_->setObjectName(fromUtf8(controlName(item)));
    }

private:
    template <class Widget>
    Widget* place(const LayoutItem& item, Widget* widget) {
        widget->setObjectName(fromUtf8(controlName(item)));
        widget->setFont(fonts_.forControl(item));
        if (item.tabIndex >= 0)
            w_.tabStops_.emplace_back(item.tabIndex, widget);
        return widget;
    }

    MainWindow& w_;
    MainWindowFonts& fonts_;
};

MainWindow::MainWindow(FormServices services, QWidget* parent) : QWidget(parent, Qt::Window) {
    setUpWindow();
    createControls();
    logic_ = std::make_unique<MainWindowLogic>(controls_, completeServices(std::move(services)));
    // Start-up runs before the window is first shown, so it opens with every box and plot filled.
    ClearUpperVectorState(); // Qt has built and filled 98 controls by now
    logic_->start();
    setWindowState(Qt::WindowNoState);
}

MainWindow::~MainWindow() {
    if (timer_)
        timer_->stop();
}

void MainWindow::setUpWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(fromUtf8(windowCaption()));
    // A fixed window with a close and a minimise button, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientSizeInPixels());
    setWindowIcon(OndulixIcon());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kFormBack));
    palette.setColor(QPalette::WindowText, toQColor(kFormFore));
    setPalette(palette);
    setAutoFillBackground(true);
}

void MainWindow::createControls() {
    MainWindowFonts fonts = MainWindowFonts::choose();
    setFont(fonts.dialog);
    Factory factory(*this, fonts);
    {
        const DefaultFontWhileBuilding defaultFont(fonts.dialog);
        controls_ = BuildForm(factory);
    }
    setTabOrder();
    centreOnScreen();
}

void MainWindow::setTabOrder() {
    std::stable_sort(tabStops_.begin(), tabStops_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QWidget* previous = nullptr;
    for (const auto& [position, widget] : tabStops_) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else
            widget->setFocus(); // the first control that takes focus has it when the window opens
        previous = widget;
    }
}

FormServices MainWindow::completeServices(FormServices services) {
    if (!services.saveDialog)
        services.saveDialog = commonDialog_;
    if (!services.messageBox) {
        ownMessageBox_ = std::make_unique<QtMessageBox>(this);
        services.messageBox = ownMessageBox_.get();
    }
    if (!services.fileStore) {
        ownFileStore_ = std::make_unique<exporter::AtomicFileStore>();
        services.fileStore = ownFileStore_.get();
    }
    if (services.programFolder.empty())
        services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    endProgram_ = services.endProgram ? std::move(services.endProgram) : [] { QCoreApplication::exit(0); };
    services.endProgram = [this] { endProgram(); };
    return services;
}

void MainWindow::centreOnScreen() {
    if (const QScreen* screen = this->screen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

QObject* MainWindow::control(std::string_view name) const {
    const QString wanted = fromUtf8(name);
    if (objectName() == wanted)
        return const_cast<MainWindow*>(this);
    return findChild<QObject*>(wanted, Qt::FindDirectChildrenOnly);
}

QtSurface& MainWindow::plot(int table) const {
    assert(table >= 0 && table < engine::kTableCount && "SinusPic takes a table index from 0 to 3");
    return static_cast<QtSurface&>(*controls_.SinusPic[static_cast<std::size_t>(table)]);
}

QtSurface& MainWindow::preview() const { return static_cast<QtSurface&>(*controls_.picPreview); }

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first tick comes after start-up, once the window is on the screen.
    if (!ended_ && !timer_->timer().isActive())
        timer_->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing never asks and is never refused.
    event->accept();
    if (!ended_)
        logic_->onClose();
}

void MainWindow::endProgram() {
    // At once: no further tick or event of this window is handled.
    if (ended_)
        return;
    ended_ = true;
    timer_->stop();
    hide();
    endProgram_();
}

} // namespace ondulix::ui::qt
