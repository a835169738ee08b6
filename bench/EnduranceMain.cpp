// Endurance of the real window: the preview runs at its full rate for a minute while a random
// edit lands every 10 ms in a random one of the 35 parameter boxes, typed key by key or pasted
// over the whole text. At the end every invariant of the window holds (stored parameters within
// their limits, Range = Maximum - Minimum, every box showing its stored value, finite preview
// extents with a non-zero height), and the resident memory grew by less than 1 MB from second 10
// to the end. Prints one line per check ending in "pass" or "FAIL"; exits with 1 when one fails.
//
//     QT_QPA_PLATFORM=offscreen ondulix_endurance [--seconds 60] [--seed 1]

#include "PerfReport.h"
#include "ProcessStats.h"
#include "RandomText.h"
#include "engine/NumberText.h"
#include "support/MemoryDialogs.h"
#include "ui/MainWindowLogic.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtSurface.h"
#include "ui/qt/QtTimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace ondulix;
using bench::Fixed;

struct Box {
    QLineEdit* edit;
    int table; // the row its handler reads, shows and computes: 0 for the preview boxes
};

// A key as the platform delivers it: its code and its text. Qt's codes for printable ASCII are
// the upper-case characters themselves.
void typeKey(QLineEdit& edit, char c) {
    const auto upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const auto key = static_cast<Qt::Key>(static_cast<unsigned char>(upper));
    const QString text(QChar::fromLatin1(c));
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&edit, &press);
    QCoreApplication::sendEvent(&edit, &release);
}

class EnduranceRun {
public:
    EnduranceRun(int seconds, std::uint32_t seed) : seconds_(seconds), text_(seed) {
        ui::FormServices services;
        services.saveDialog = &saveDialog_;
        services.messageBox = &messageBox_;
        services.endProgram = [] {};
        window_ = std::make_unique<ui::qt::MainWindow>(services);
        for (int i = 0; i < 4; ++i)
            for (const char* column : {"txtSinLen", "txtSinOffs", "txtSinWaves", "txtSinMin", "txtSinMax",
                                       "txtSinOrigin", "txtSinRange", "txtSinSpeed"})
                boxes_.push_back({lineEdit(std::string(column) + "(" + std::to_string(i) + ")"), i});
        for (const char* name : {"txtPrvXmax", "txtPrvYmin", "txtPrvYmax"})
            boxes_.push_back({lineEdit(name), 0});
    }

    int run() {
        ui::MainWindowLogic& logic = window_->logic();
        // The window's own tick handler, with a count of the frames it ran to the end.
        window_->timer().setTickHandler([this, &logic] {
            logic.onPreviewTick();
            ++frames_;
        });
        window_->show();

        QTimer edits;
        edits.setTimerType(Qt::PreciseTimer);
        edits.setInterval(10);
        QObject::connect(&edits, &QTimer::timeout, [this] { edit(); });
        edits.start();

        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(10000, Qt::PreciseTimer, [this] { residentAt10_ = bench::ProcessStats::ResidentKiB(); });
        QTimer::singleShot(seconds_ * 1000, Qt::PreciseTimer, [&edits] {
            edits.stop();
            QTimer::singleShot(100, [] { QApplication::exit(0); }); // the last frames
        });
        QApplication::exec();
        const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;
        const auto residentAtEnd = bench::ProcessStats::ResidentKiB();

        std::cout << "endurance: " << Fixed(elapsed, 1) << " s, " << frames_ << " preview frames ("
                  << Fixed(static_cast<double>(frames_) / elapsed, 1) << " per second), " << edits_ << " edits ("
                  << typed_ << " typed key by key, " << edits_ - typed_ << " pasted)\n";
        int failed = 0;
        int checks = 0;
        const auto check = [&failed, &checks](const std::string& what, bool pass, const std::string& detail = {}) {
            std::cout << what << (detail.empty() ? "" : ": " + detail) << " | " << (pass ? "pass" : "FAIL") << '\n';
            failed += pass ? 0 : 1;
            ++checks;
        };
        check("no crash, preview and edits ran", frames_ > 0 && edits_ > 0);
        check("invariants of the edited row after each of " + std::to_string(edits_) + " edits", firstBreak_.empty(),
              firstBreak_);
        std::string atEnd;
        for (int t = 0; t < 4 && atEnd.empty(); ++t)
            atEnd = rowProblem(t);
        if (atEnd.empty())
            atEnd = previewProblem();
        check("invariants at the end, all four tables and the preview", atEnd.empty(), atEnd);
        if (residentAt10_ && residentAtEnd) {
            const double growthMB = static_cast<double>(*residentAtEnd - *residentAt10_) * 1024.0 / 1e6;
            check("resident memory growth from second 10 to the end < 1 MB",
                  growthMB < 1.0,
                  Fixed(growthMB, 3) + " MB (" + Fixed(static_cast<double>(*residentAt10_) * 1024.0 / 1e6, 1) +
                      " MB -> " + Fixed(static_cast<double>(*residentAtEnd) * 1024.0 / 1e6, 1) + " MB)");
        } else {
            check("resident memory growth from second 10 to the end < 1 MB", false,
                  seconds_ <= 10 ? "the run is not longer than 10 s" : "resident memory cannot be read here");
        }
        std::cout << checks - failed << " of " << checks << " checks pass\n";
        return failed == 0 ? 0 : 1;
    }

private:
    QLineEdit* lineEdit(const std::string& name) const {
        auto* edit = window_->control<QLineEdit>(name);
        if (!edit) {
            std::cerr << "the window has no box " << name << '\n';
            std::exit(2);
        }
        return edit;
    }

    // One edit: select the whole text and type a short text over it key by key, or paste any
    // text over it; then the edited row must hold its invariants.
    void edit() {
        const Box& box = boxes_[text_.below(boxes_.size())];
        if (text_.below(3) == 0) {
            box.edit->selectAll();
            for (const char c : text_.nextTyped(40))
                typeKey(*box.edit, c);
            ++typed_;
        } else {
            box.edit->setText(QString::fromStdString(text_.next()));
        }
        ++edits_;
        if (firstBreak_.empty()) {
            firstBreak_ = rowProblem(box.table);
            if (firstBreak_.empty())
                firstBreak_ = previewProblem();
            if (!firstBreak_.empty())
                firstBreak_ = "edit " + std::to_string(edits_) + ": " + firstBreak_;
        }
    }

    std::string shown(const std::string& column, int table) const {
        return lineEdit(column + "(" + std::to_string(table) + ")")->text().toStdString();
    }

    // The first broken invariant of a table's row, or nothing.
    std::string rowProblem(int t) const {
        const engine::TableParams& p = window_->logic().tableSet().tables[static_cast<std::size_t>(t)];
        const std::string table = " of table " + std::to_string(t);
        const auto within = [&](std::int32_t v, std::int32_t low, std::int32_t high, const char* what) {
            return v < low || v > high ? std::string(what) + table + " is " + std::to_string(v) + ", outside " +
                                             std::to_string(low) + " to " + std::to_string(high)
                                       : std::string();
        };
        for (const std::string& problem :
             {within(p.Length, 1, 16384, "Length"), within(p.Offset, -16384, 16384, "Offset"),
              within(p.Periods, -16384, 16384, "Periods"), within(p.Speed, -256, 256, "Speed"),
              within(p.Minimum, -32768, 16384, "Minimum"), within(p.Maximum, -16384, 32768, "Maximum"),
              within(p.Origin, -16384, 16384, "Origin"),
              within(window_->logic().tableSet().preview.Position[static_cast<std::size_t>(t)], 0, 16383, "Position")})
            if (!problem.empty())
                return problem;
        if (p.Range != p.Maximum - p.Minimum)
            return "Range" + table + " is not Maximum - Minimum";
        const std::pair<const char*, std::int32_t> boxes[] = {
            {"txtSinLen", p.Length},   {"txtSinOffs", p.Offset},     {"txtSinWaves", p.Periods},
            {"txtSinMin", p.Minimum},  {"txtSinMax", p.Maximum},     {"txtSinOrigin", p.Origin},
            {"txtSinRange", p.Range},  {"txtSinSpeed", p.Speed}};
        for (const auto& [column, value] : boxes)
            if (shown(column, t) != engine::IntegerText(value))
                return std::string(column) + "(" + std::to_string(t) + ") shows \"" + shown(column, t).substr(0, 40) +
                       "\", not its value " + engine::IntegerText(value);
        if (window_->logic().isRefreshing())
            return "the window is still refreshing its boxes";
        return {};
    }

    std::string previewProblem() const {
        const toolkit::UserScale s = window_->preview().scale();
        if (!std::isfinite(s.left) || !std::isfinite(s.top) || !std::isfinite(s.width) || !std::isfinite(s.height))
            return "the preview's extents are not finite";
        if (s.height == 0.0f)
            return "the preview has no height";
        const std::pair<const char*, float> boxes[] = {
            {"txtPrvXmax", s.width + s.left}, {"txtPrvYmin", s.top}, {"txtPrvYmax", s.height + s.top}};
        for (const auto& [name, edge] : boxes)
            if (lineEdit(name)->text().toStdString() != engine::FloatText(edge))
                return std::string(name) + " does not show the preview's edge " + engine::FloatText(edge);
        return {};
    }

    int seconds_;
    bench::RandomText text_;
    toolkit::MemorySaveDialog saveDialog_;
    toolkit::MemoryMessageBox messageBox_;
    std::unique_ptr<ui::qt::MainWindow> window_;
    std::vector<Box> boxes_;
    std::int64_t frames_ = 0;
    std::int64_t edits_ = 0;
    std::int64_t typed_ = 0;
    std::string firstBreak_;
    std::optional<std::int64_t> residentAt10_;
};

} // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    std::uint32_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return EnduranceRun(std::max(seconds, 1), seed).run();
}
