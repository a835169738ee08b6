// The performance of the real window, each figure next to a baseline measured in the same run:
// preview rate and processor time against an empty 2 ms timer, keystroke latency against a bare
// loop of sines, start-up and peak memory against a bare window with as many standard widgets, a
// save against writing the same bytes into memory; and the exact sum range behind --check's
// verdict and the preview's tooltip, over a fixed corpus (bench/RangeCorpus.cpp). With an X
// server at hand (bench/run starts Xvfb) the preview is measured on it too, against an empty
// timer in a bare window on the same server. Prints one row per figure ending in "pass" or
// "FAIL", then "N of M rows pass"; exits with 1 when a row fails.
//
//     QT_QPA_PLATFORM=offscreen xvfb-run -a -s "-screen 0 1280x1024x24" ondulix_window_perf
//
// Run as "ondulix_window_perf --probe real|standard|blank" it is the child of the start-up
// measurement, as "--turn-child preview|bare" a child of the measurement on the X server.

#include "FirstPaintProbe.h"
#include "PerfReport.h"
#include "RangeCorpus.h"
#include "ServerPreview.h"
#include "StartUpMeasure.h"
#include "WindowMeasures.h"
#include "ui/qt/VectorState.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstring>
#include <utility>
#include <iostream>
#include <vector>

namespace {

using namespace ondulix::bench;
using namespace std::chrono_literals;

constexpr int kPreviewTurns = 5; // of one second each, for the preview and for the empty timer
constexpr int kServerPreviewTurns = 8; // the same on the X server, where the figures scatter more
constexpr auto kPreviewTurn = 1000ms;
// The preview's processor time over the empty timer's, in % of one core: offscreen, where a
// repaint is a copy in memory, and on an X server, where it also travels to the server.
constexpr double kPreviewCpuOffscreen = 0.5;
constexpr double kPreviewCpuOnServer = 1.0;
// Start-up to first paint over a bare window of as many standard widgets: what a window of plain
// widgets reaches.
constexpr double kStartUpRatio = 1.15;
constexpr double kPeakOverBaselineMB = 10.0;
constexpr double kFramesOfTicks = 0.98; // frames per second over the empty timer's ticks
constexpr int kKeystrokes = 200;
// The clamp's nested run computes the table once; the outer run finds it computed.
constexpr double kClampedPerBareSine = 2.5;
constexpr double kClampedP99Ms = 3.0;
constexpr double kDigitMs = 0.3;
constexpr double kSaveMs = 20.0;
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
                "<= " + Fixed(kStartUpRatio, 2) + " x baseline", s.ok && ratio <= kStartUpRatio,
                CountTurns(ratios, [](double r) { return r <= kStartUpRatio; }, "rounds")});
    const double realPeak = Median(s.real.peakMB);
    const double standardPeak = Median(s.standard.peakMB);
    std::vector<double> peakExcess;
    for (std::size_t i = 0; i < s.real.peakMB.size() && i < s.standard.peakMB.size(); ++i)
        peakExcess.push_back(s.real.peakMB[i] - s.standard.peakMB[i]);
    report.add({"peak resident memory (" + runs + ")", Fixed(realPeak, 1) + " MB",
                Fixed(standardPeak, 1) + " MB (same bare window; blank one: " + Fixed(Median(s.blank.peakMB), 1) +
                    " MB)",
                "<= baseline + 10 MB = " + Fixed(standardPeak + kPeakOverBaselineMB, 1) + " MB",
                s.ok && realPeak <= standardPeak + kPeakOverBaselineMB,
                CountTurns(peakExcess, [](double mb) { return mb <= kPeakOverBaselineMB; }, "rounds")});
    if (!s.ok)
        std::cerr << "start-up: " << s.note << '\n';
}

// Each turn of the preview with the empty timer's turn before it.
std::vector<std::pair<TickFigures, TickFigures>> pairsOf(const std::vector<TickFigures>& empty,
                                                         const std::vector<TickFigures>& preview) {
    std::vector<std::pair<TickFigures, TickFigures>> pairs;
    for (std::size_t i = 0; i < empty.size() && i < preview.size(); ++i)
        pairs.emplace_back(empty[i], preview[i]);
    return pairs;
}

// Frames per second next to the empty timer's ticks, and the processor time the preview adds.
void addPreviewPair(PerfReport& report, const std::string& where, const std::string& baseline,
                    const TickFigures& empty, const PreviewFigures& preview, double cpuTarget, int turns,
                    const std::vector<std::pair<TickFigures, TickFigures>>& eachTurn) {
    report.add({"preview frames per second" + where + ", " + std::to_string(turns) + " turns of 1 s, default tables",
                Fixed(preview.perSecond, 1) + " /s", Fixed(empty.perSecond, 1) + " /s (" + baseline + ")",
                ">= " + Fixed(kFramesOfTicks, 2) + " x baseline = " + Fixed(kFramesOfTicks * empty.perSecond, 1) + " /s",
                preview.consistent && preview.perSecond >= kFramesOfTicks * empty.perSecond,
                CountTurns(eachTurn, [](const auto& turn) {
                    return turn.second.perSecond >= kFramesOfTicks * turn.first.perSecond;
                })});
    // The target is on what the preview adds to the process: the empty timer's share is the
    // platform's price of waking every 2 ms, which the layout asks for, and alone it varies by
    // a percent between runs on a busy machine. Both figures are printed.
    const double excess = preview.cpuPercent - empty.cpuPercent;
    report.add({"CPU of the running preview over the empty timer's" + where + ", % of one core",
                Fixed(excess, 2) + " % (process total " + Fixed(preview.cpuPercent, 2) + " %)",
                Fixed(empty.cpuPercent, 2) + " % (" + baseline + ")",
                "<= " + Fixed(cpuTarget, 1) + " % over the baseline", excess <= cpuTarget,
                CountTurns(eachTurn, [cpuTarget](const auto& turn) {
                    return turn.second.cpuPercent - turn.first.cpuPercent <= cpuTarget;
                })});
}

void addPreviewRows(PerfReport& report, MeasuredWindow& window) {
    step("the preview and an empty 2 ms timer, in turns");
    const PreviewComparison turns = MeasurePreviewAgainstEmptyTimer(window, kPreviewTurns, kPreviewTurn);
    addPreviewPair(report, " (offscreen)", "empty 2 ms precise timer", turns.emptyTimer, turns.preview,
                   kPreviewCpuOffscreen, kPreviewTurns, pairsOf(turns.emptyTurns, turns.previewTurns));
    if (!turns.preview.consistent)
        std::cerr << "preview: the tables' positions do not match the frames counted\n";
}

void addServerPreviewRows(PerfReport& report) {
    const std::string where = " (X server)";
    const std::string baseline = "empty 2 ms precise timer, bare 599 x 478 window";
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        // Not a pass: the target is unproven. bench/run installs Xvfb and runs under it.
        report.add({"preview on an X server", "not measured: no X display (run bench/run, which starts Xvfb)", "-",
                    "<= " + Fixed(kPreviewCpuOnServer, 1) + " % over " + baseline, false, std::nullopt});
        return;
    }
    step("the preview and an empty 2 ms timer in a bare window on the X server, in turns");
    const ServerPreviewFigures s =
        MeasurePreviewOnServer(QCoreApplication::applicationFilePath(), kServerPreviewTurns, kPreviewTurn);
    if (!s.ok) {
        report.add({"preview on an X server", "not measured: " + s.note, "-", "-", false, std::nullopt});
        return;
    }
    addPreviewPair(report, where, baseline, s.emptyTimer, s.preview, kPreviewCpuOnServer, kServerPreviewTurns,
                   pairsOf(s.emptyTurns, s.previewTurns));
    if (!s.note.empty())
        std::cerr << "preview on the X server: " << s.note << '\n';
}

void addKeystrokeRows(PerfReport& report, MeasuredWindow& window) {
    step("keystrokes");
    const KeystrokeFigures clamped = MeasureClampedKeystroke(window, kKeystrokes);
    const std::string samples = std::to_string(clamped.keyMs.size()) + " keys";
    const double median = Median(clamped.keyMs);
    const double bare = Median(clamped.bareSineMs);
    std::vector<double> perBareSine;
    for (std::size_t i = 0; i < clamped.keyMs.size() && i < clamped.bareSineMs.size(); ++i)
        perBareSine.push_back(clamped.keyMs[i] / clamped.bareSineMs[i]);
    report.add({"clamped keystroke \"20000\" in txtSinLen(0), median of " + samples, ms(median),
                ms(bare) + " (BM_BareSine16385)", "<= 2.5 x baseline = " + ms(kClampedPerBareSine * bare),
                clamped.asExpected && median <= kClampedPerBareSine * bare,
                CountTurns(perBareSine, [](double r) { return r <= kClampedPerBareSine; }, "keys")});
    const double p99 = Percentile(clamped.keyMs, 99.0);
    report.add({"clamped keystroke \"20000\" in txtSinLen(0), p99 of " + samples, ms(p99),
                ms(Percentile(clamped.bareSineMs, 99.0)) + " (BM_BareSine16385 p99)", "<= 3 ms",
                clamped.asExpected && p99 <= kClampedP99Ms,
                CountTurns(clamped.keyMs, [](double key) { return key <= kClampedP99Ms; }, "keys")});
    if (!clamped.asExpected)
        std::cerr << "clamped keystroke: " << clamped.note << '\n';

    const KeystrokeFigures digit = MeasureDigitKeystroke(window, kKeystrokes);
    report.add({"digit keystroke in txtSinWaves(1), median of " + std::to_string(digit.keyMs.size()) + " keys",
                ms(Median(digit.keyMs)) + " (p99 " + ms(Percentile(digit.keyMs, 99.0)) + ")", "-", "<= 0.3 ms",
                digit.asExpected && Median(digit.keyMs) <= kDigitMs,
                CountTurns(digit.keyMs, [](double key) { return key <= kDigitMs; }, "keys")});
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
                folder.isValid() && save.asExpected && median <= kSaveMs,
                CountTurns(save.saveMs, [](double took) { return took <= kSaveMs; }, "saves")});
    if (!save.asExpected)
        std::cerr << "save: " << save.note << '\n';
}

// The exact sum range behind the verdict and the tooltip, over a fixed corpus: its slowest case,
// in processor time (median of 5 runs), so that a busy machine does not make it slow.
void addSumRangeRow(PerfReport& report) {
    step("the exact sum range over its corpus");
    // As the window computes it for its tooltip: after clearing the vector state Qt leaves.
    ondulix::ui::qt::ClearUpperVectorState();
    const std::vector<RangeCase>& corpus = RangeCorpus();
    double slowest = 0.0;
    std::string which;
    std::vector<double> each;
    for (const RangeCase& c : corpus) {
        const RangeInput input(c);
        const double ms = RangeMilliseconds(input, 5);
        each.push_back(ms < 0.0 ? 1e9 : ms);
        if (ms < 0.0 || ms > slowest) {
            slowest = ms < 0.0 ? 1e9 : ms;
            which = c.name;
        }
    }
    constexpr double kRangeMs = 10.0;
    report.add({"exact sum range, slowest of " + std::to_string(corpus.size()) + " cases (" + which + ")",
                ms(slowest) + " of processor time", "-", "<= " + Fixed(kRangeMs, 0) + " ms", slowest <= kRangeMs,
                CountTurns(each, [](double took) { return took <= kRangeMs; }, "cases")});
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
    if (argc == 3 && std::strcmp(argv[1], "--turn-child") == 0) {
        for (const TurnChild which : {TurnChild::Preview, TurnChild::BareWindow})
            if (std::strcmp(argv[2], TurnChildName(which)) == 0)
                return RunTurnChild(argc, argv, which);
        std::cerr << "--turn-child takes preview or bare\n";
        return 2;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the children inherit it
    QApplication app(argc, argv);

    PerfReport report;
    // The children first, while this process is idle.
    addStartUpRows(report, RealWindowWidgetCount());
    addServerPreviewRows(report);
    {
        MeasuredWindow window;
        addPreviewRows(report, window);
        addKeystrokeRows(report, window);
        addSaveRow(report, window);
    }
    addSumRangeRow(report);
    report.print(std::cout);
    return report.passed() == report.size() ? 0 : 1;
}
