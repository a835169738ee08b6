// The performance of the real window, each figure next to a baseline measured in the same run:
// preview rate and processor time against an empty 2 ms timer, keystroke latency against a bare
// loop of sines, start-up and peak memory against a bare window with as many standard widgets, and
// a save against writing the same bytes into memory. Prints one row per figure ending in "pass" or
// "FAIL", then "N of M rows pass"; exits with 1 when a row fails.
//
//     QT_QPA_PLATFORM=offscreen ondulix_window_perf
//
// Run as "ondulix_window_perf --probe real|standard|blank" it is the child of the start-up
// measurement.

#include "FirstPaintProbe.h"
#include "PerfReport.h"
#include "StartUpMeasure.h"
#include "WindowMeasures.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstring>
#include <iostream>
#include <vector>

namespace {

using namespace ondulix::bench;
using namespace std::chrono_literals;

constexpr int kPreviewTurns = 5; // of one second each, for the preview and for the empty timer
constexpr auto kPreviewTurn = 1000ms;
constexpr int kKeystrokes = 200;
constexpr int kStartUpRounds = 15;
constexpr int kSaves = 15;

std::string ms(double value) { return Fixed(value, 3) + " ms"; }

// Progress on standard error, so that a reader knows what the quiet seconds are spent on.
void step(const char* what) { std::cerr << "measuring " << what << "...\n"; }

void addStartUpRows(PerfReport& report, int widgets) {
    step("start-up and peak memory: child processes");
    const StartUpFigures s = MeasureStartUp(QCoreApplication::applicationFilePath(), kStartUpRounds);
    const std::string runs = "median of " + std::to_string(s.real.startUpMs.size());
    const double real = Median(s.real.startUpMs);
    const double standard = Median(s.standard.startUpMs);
    // The children of one round run back to back, so the ratio within a round is what a busy
    // machine disturbs least; the target is on the median of those ratios.
    std::vector<double> ratios;
    for (std::size_t i = 0; i < s.real.startUpMs.size() && i < s.standard.startUpMs.size(); ++i)
        ratios.push_back(s.real.startUpMs[i] / s.standard.startUpMs[i]);
    const double ratio = Median(ratios);
    const std::string count = std::to_string(widgets);
    report.add({"start-up: process start to first paint (" + runs + ")",
                ms(real) + " (" + Fixed(ratio, 2) + " x the baseline, median of the rounds)",
                ms(standard) + " (bare window, " + count + " standard widgets; " + count + " blank ones: " +
                    ms(Median(s.blank.startUpMs)) + ")",
                "<= 1.3 x baseline", s.ok && ratio <= 1.3});
    const double realPeak = Median(s.real.peakMB);
    const double standardPeak = Median(s.standard.peakMB);
    report.add({"peak resident memory (" + runs + ")", Fixed(realPeak, 1) + " MB",
                Fixed(standardPeak, 1) + " MB (same bare window; blank one: " + Fixed(Median(s.blank.peakMB), 1) +
                    " MB)",
                "<= baseline + 10 MB = " + Fixed(standardPeak + 10.0, 1) + " MB",
                s.ok && realPeak <= standardPeak + 10.0});
    if (!s.ok)
        std::cerr << "start-up: " << s.note << '\n';
}

void addPreviewRows(PerfReport& report, MeasuredWindow& window) {
    step("the preview and an empty 2 ms timer, in turns");
    const PreviewComparison turns = MeasurePreviewAgainstEmptyTimer(window, kPreviewTurns, kPreviewTurn);
    const TickFigures& empty = turns.emptyTimer;
    const PreviewFigures& preview = turns.preview;
    report.add({"preview frames per second, 5 turns of 1 s, default tables", Fixed(preview.perSecond, 1) + " /s",
                Fixed(empty.perSecond, 1) + " /s (empty 2 ms precise timer)",
                ">= 0.98 x baseline = " + Fixed(0.98 * empty.perSecond, 1) + " /s",
                preview.consistent && preview.perSecond >= 0.98 * empty.perSecond});
    // The target is on what the preview adds to the process: the empty timer's share is the
    // platform's price of waking every 2 ms, which the layout asks for, and alone it varies by
    // a percent between runs on a busy machine. Both figures are printed.
    const double excess = preview.cpuPercent - empty.cpuPercent;
    report.add({"CPU of the running preview over the empty timer's, % of one core",
                Fixed(excess, 2) + " % (process total " + Fixed(preview.cpuPercent, 2) + " %)",
                Fixed(empty.cpuPercent, 2) + " % (empty 2 ms precise timer)", "<= 4 % over the baseline",
                excess <= 4.0});
    if (!preview.consistent)
        std::cerr << "preview: the tables' positions do not match the frames counted\n";
}

void addKeystrokeRows(PerfReport& report, MeasuredWindow& window) {
    step("keystrokes");
    const KeystrokeFigures clamped = MeasureClampedKeystroke(window, kKeystrokes);
    const std::string samples = std::to_string(clamped.keyMs.size()) + " keys";
    const double median = Median(clamped.keyMs);
    const double bare = Median(clamped.bareSineMs);
    report.add({"clamped keystroke \"20000\" in txtSinLen(0), median of " + samples, ms(median),
                ms(bare) + " (BM_BareSine16385)", "<= 4 x baseline = " + ms(4.0 * bare),
                clamped.asExpected && median <= 4.0 * bare});
    const double p99 = Percentile(clamped.keyMs, 99.0);
    report.add({"clamped keystroke \"20000\" in txtSinLen(0), p99 of " + samples, ms(p99),
                ms(Percentile(clamped.bareSineMs, 99.0)) + " (BM_BareSine16385 p99)", "<= 3 ms",
                clamped.asExpected && p99 <= 3.0});
    if (!clamped.asExpected)
        std::cerr << "clamped keystroke: " << clamped.note << '\n';

    const KeystrokeFigures digit = MeasureDigitKeystroke(window, kKeystrokes);
    report.add({"digit keystroke in txtSinWaves(1), median of " + std::to_string(digit.keyMs.size()) + " keys",
                ms(Median(digit.keyMs)) + " (p99 " + ms(Percentile(digit.keyMs, 99.0)) + ")", "-", "<= 0.3 ms",
                digit.asExpected && Median(digit.keyMs) <= 0.3});
    if (!digit.asExpected)
        std::cerr << "digit keystroke: " << digit.note << '\n';
}

void addSaveRow(PerfReport& report, MeasuredWindow& window) {
    step("saves");
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("sinus")).toStdString();
    const SaveFigures save = MeasureSave(window, path, kSaves);
    const double median = Median(save.saveMs);
    report.add({"save of four tables of Length 16384 (" + std::to_string(save.bytes) + " bytes), median of " +
                    std::to_string(save.saveMs.size()),
                ms(median) + " (max " + ms(Percentile(save.saveMs, 100.0)) + ")",
                ms(Median(save.inMemoryMs)) + " (same bytes into memory)", "<= 20 ms",
                folder.isValid() && save.asExpected && median <= 20.0});
    if (!save.asExpected)
        std::cerr << "save: " << save.note << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--probe") == 0) {
        for (const ProbedWindow which : {ProbedWindow::Real, ProbedWindow::Standard, ProbedWindow::Blank})
            if (std::strcmp(argv[2], ProbeName(which)) == 0)
                return RunFirstPaintProbe(argc, argv, which);
        std::cerr << "--probe takes real, standard or blank\n";
        return 2;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the children inherit it
    QApplication app(argc, argv);

    PerfReport report;
    // The children first, while this process is idle.
    addStartUpRows(report, RealWindowWidgetCount());
    {
        MeasuredWindow window;
        addPreviewRows(report, window);
        addKeystrokeRows(report, window);
        addSaveRow(report, window);
    }
    report.print(std::cout);
    return report.passed() == report.size() ? 0 : 1;
}
