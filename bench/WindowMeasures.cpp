#include "WindowMeasures.h"

#include "BareSine.h"
#include "ProcessStats.h"
#include "engine/NumberText.h"
#include "export/TableFile.h"
#include "ui/MainWindowLogic.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtTimer.h"
#include "ui/qt/VectorState.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <array>

namespace ondulix::bench {
namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QLineEdit& box(MeasuredWindow& window, const char* name) { return *window.form->control<QLineEdit>(name); }

Qt::Key keyOf(char digit) { return static_cast<Qt::Key>(Qt::Key_0 + (digit - '0')); }

// One key press and release, as the platform would deliver them to the focused box. Returns the
// time in milliseconds that the press took to be handled; the box's change handler runs inside.
double typeDigit(QLineEdit& edit, char digit) {
    QKeyEvent press(QEvent::KeyPress, keyOf(digit), Qt::NoModifier, QString(QChar::fromLatin1(digit)));
    QKeyEvent release(QEvent::KeyRelease, keyOf(digit), Qt::NoModifier, QString(QChar::fromLatin1(digit)));
    const Clock::time_point start = Clock::now();
    QCoreApplication::sendEvent(&edit, &press);
    const double elapsed = millisecondsSince(start);
    QCoreApplication::sendEvent(&edit, &release);
    return elapsed;
}

volatile double sineSink = 0.0; // keeps every sine of the baseline

double timeBareSines(const std::vector<double>& angles) {
    // The floor: the sines as they run once the vector state Qt leaves behind is cleared, as the
    // window's handlers clear it before they compute a table.
    ui::qt::ClearUpperVectorState();
    const Clock::time_point start = Clock::now();
    sineSink = SumOfSines(angles);
    return millisecondsSince(start);
}

// Puts a text into a box as a paste over its whole text would, caret at the end, and lets the
// preview and the repaints it asked for run; none of this is timed.
void prepareBox(QLineEdit& edit, const QString& text) {
    edit.setFocus();
    edit.setText(text);
    edit.setCursorPosition(static_cast<int>(text.size()));
    QCoreApplication::processEvents();
}

} // namespace

MeasuredWindow::MeasuredWindow() {
    ui::FormServices services;
    services.saveDialog = &saveDialog;
    services.messageBox = &messageBox;
    services.endProgram = [] {};
    form = std::make_unique<ui::qt::MainWindow>(services);
}

MeasuredWindow::~MeasuredWindow() = default;

void RunEventLoop(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void TurnTotals::run(std::chrono::milliseconds duration, const std::function<std::int64_t()>& count) {
    const std::int64_t before = count();
    const double cpuBefore = ProcessStats::CpuSeconds();
    const Clock::time_point start = Clock::now();
    RunEventLoop(duration);
    add(millisecondsSince(start) / 1000.0, ProcessStats::CpuSeconds() - cpuBefore, count() - before);
}

namespace {

TickFigures figuresOf(double seconds, double cpuSeconds, std::int64_t count) {
    TickFigures figures;
    figures.count = count;
    figures.perSecond = seconds > 0.0 ? static_cast<double>(count) / seconds : 0.0;
    figures.cpuPercent = seconds > 0.0 ? cpuSeconds / seconds * 100.0 : 0.0;
    return figures;
}

} // namespace

void TurnTotals::add(double seconds, double cpuSeconds, std::int64_t count) {
    seconds_ += seconds;
    cpuSeconds_ += cpuSeconds;
    count_ += count;
    turns_.push_back(figuresOf(seconds, cpuSeconds, count));
}

TickFigures TurnTotals::figures() const { return figuresOf(seconds_, cpuSeconds_, count_); }

EmptyTimer::EmptyTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(2);
    QObject::connect(&timer_, &QTimer::timeout, [this] { ++ticks_; });
}

CountedPreview::CountedPreview(MeasuredWindow& window) : window_(window) {
    ui::MainWindowLogic& logic = window_.form->logic();
    // The same tick handler the window installs, with a count of the frames it ran to the end.
    window_.form->timer().setTickHandler([this, &logic] {
        logic.onPreviewTick();
        ++frames_;
    });
}

CountedPreview::~CountedPreview() {
    ui::MainWindowLogic& logic = window_.form->logic();
    window_.form->timer().setTickHandler([&logic] { logic.onPreviewTick(); });
}

void CountedPreview::start() { window_.form->timer().start(); }

void CountedPreview::stop() { window_.form->timer().stop(); }

void CountedPreview::markStart() {
    framesAtMark_ = frames_;
    for (std::size_t t = 0; t < positionsAtMark_.size(); ++t)
        positionsAtMark_[t] = window_.form->logic().tableSet().preview.Position[t];
}

bool CountedPreview::consistent() const {
    // Each frame advances every table by its speed, so the positions tell how many frames ran.
    const std::int64_t ran = frames_ - framesAtMark_;
    bool consistent = ran > 0;
    for (std::size_t t = 0; t < positionsAtMark_.size(); ++t) {
        const engine::TableParams& p = window_.form->logic().tableSet().tables[t];
        const std::int64_t expected = ((positionsAtMark_[t] + ran * p.Speed) % p.Length + p.Length) % p.Length;
        consistent = consistent && expected == window_.form->logic().tableSet().preview.Position[t];
    }
    return consistent;
}

PreviewComparison MeasurePreviewAgainstEmptyTimer(MeasuredWindow& window, int turns,
                                                 std::chrono::milliseconds turn) {
    PreviewComparison result;
    {
        CountedPreview preview(window);
        window.form->show();
        RunEventLoop(std::chrono::milliseconds(500)); // the first frames and paints
        preview.stop();
        RunEventLoop(std::chrono::milliseconds(100)); // the last repaint
        preview.markStart();

        // In turns, so that a change in the machine's load during the run hits both alike; only
        // one of the two timers runs at a time.
        EmptyTimer emptyTimer;
        TurnTotals empty;
        TurnTotals previewTurns;
        for (int i = 0; i < turns; ++i) {
            emptyTimer.start();
            empty.run(turn, [&emptyTimer] { return emptyTimer.ticks(); });
            emptyTimer.stop();
            preview.start();
            previewTurns.run(turn, [&preview] { return preview.frames(); });
            preview.stop();
        }
        result.emptyTimer = empty.figures();
        static_cast<TickFigures&>(result.preview) = previewTurns.figures();
        result.emptyTurns = empty.turns();
        result.previewTurns = previewTurns.turns();
        result.preview.consistent = preview.consistent();
    }
    window.form->timer().start();
    return result;
}

KeystrokeFigures MeasureClampedKeystroke(MeasuredWindow& window, int samples) {
    ui::MainWindowLogic& logic = window.form->logic();
    prepareBox(box(window, "txtSinWaves(0)"), QStringLiteral("16384"));
    prepareBox(box(window, "txtSinOffs(0)"), QStringLiteral("16384"));
    QLineEdit& length = box(window, "txtSinLen(0)");
    const std::vector<double> angles = LargestTableAngles();

    KeystrokeFigures figures;
    // Once as a user types it, with the handler runs counted: the fifth key must start the
    // length box's handler twice, the clamp's write nested inside the key's.
    length.setFocus();
    length.selectAll();
    int runs = 0;
    logic.setHandlerTrace([&runs](std::string_view handler, int table, ui::MainWindowLogic::HandlerEvent event) {
        if (handler == "txtSinLen" && table == 0 && event == ui::MainWindowLogic::HandlerEvent::Started)
            ++runs;
    });
    for (const char digit : std::string_view("2000"))
        typeDigit(length, digit);
    runs = 0;
    typeDigit(length, '0');
    logic.setHandlerTrace({});
    figures.asExpected = runs == 2 && length.text() == QStringLiteral("16384");
    if (!figures.asExpected)
        figures.note = "the fifth key ran the length handler " + std::to_string(runs) + " times";

    for (int i = 0; i < samples && figures.asExpected; ++i) {
        prepareBox(length, QStringLiteral("2000"));
        figures.keyMs.push_back(typeDigit(length, '0'));
        figures.bareSineMs.push_back(timeBareSines(angles));
        if (length.text() != QStringLiteral("16384") || logic.tableSet().tables[0].Length != 16384) {
            figures.asExpected = false;
            figures.note = "the clamp did not leave 16384 in txtSinLen(0)";
        }
    }
    return figures;
}

KeystrokeFigures MeasureDigitKeystroke(MeasuredWindow& window, int samples) {
    ui::MainWindowLogic& logic = window.form->logic();
    QLineEdit& periods = box(window, "txtSinWaves(1)");
    const QString start = periods.text();
    const QString typed = start + QLatin1Char('1');
    const std::vector<double> angles = LargestTableAngles();

    KeystrokeFigures figures;
    figures.asExpected = true;
    for (int i = 0; i < samples; ++i) {
        prepareBox(periods, start);
        figures.keyMs.push_back(typeDigit(periods, '1'));
        figures.bareSineMs.push_back(timeBareSines(angles));
        if (periods.text() != typed || engine::IntegerText(logic.tableSet().tables[1].Periods) != typed.toStdString()) {
            figures.asExpected = false;
            figures.note = "txtSinWaves(1) did not take the digit";
            break;
        }
    }
    prepareBox(periods, start);
    return figures;
}

SaveFigures MeasureSave(MeasuredWindow& window, const std::string& path, int samples) {
    ui::MainWindowLogic& logic = window.form->logic();
    for (const char* name : {"txtSinLen(0)", "txtSinLen(1)", "txtSinLen(2)", "txtSinLen(3)"})
        prepareBox(box(window, name), QStringLiteral("16384"));
    window.saveDialog.answer = toolkit::SaveChoice{path, 1};
    const std::string expected = logic.tableFileText(exporter::ExportStyle::CArrays);

    SaveFigures figures;
    figures.bytes = expected.size();
    figures.asExpected = true;
    for (int i = 0; i < samples; ++i) {
        QFile::remove(QString::fromStdString(path));
        Clock::time_point start = Clock::now();
        logic.onWriteFile();
        figures.saveMs.push_back(millisecondsSince(start));

        start = Clock::now();
        const std::string text = exporter::WriteTableFile(logic.tableSet(), exporter::ExportStyle::CArrays);
        figures.inMemoryMs.push_back(millisecondsSince(start));

        QFile written(QString::fromStdString(path));
        const bool same = written.open(QIODevice::ReadOnly) && written.readAll().toStdString() == expected &&
                          text == expected;
        if (!same || !window.messageBox.shown.empty()) {
            figures.asExpected = false;
            figures.note = window.messageBox.shown.empty() ? "the file differs from the window's text"
                                                           : window.messageBox.shown.front().text;
            break;
        }
        QCoreApplication::processEvents();
    }
    window.saveDialog.requests.clear();
    return figures;
}

} // namespace ondulix::bench
