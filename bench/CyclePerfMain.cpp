// The first-frame search held to its limits: each of the benchmark's hardest cases and the median
// of a fixed corpus of random cases with the edges just inside the extremes within 50 ms, and the
// whole run within 256 MB of resident memory. Prints one row per figure ending in "pass" or
// "FAIL", then "N of M rows pass"; exits with 1 when a row fails. Times are the process's
// processor time, which other processes on a busy machine disturb least.
//
//     ondulix_cycle_perf                      the rows (bench/run)
//     ondulix_cycle_perf --worst N [SEED]     N random cases of the corpus's kind, the slowest
//                                             ten with the --check that asks the same
//                                             (bench/cycle-worst)
//     ondulix_cycle_perf --case NAME [N]      one of the benchmark's cases N times (default 1),
//                                             each time printed: for a profiler

#include "PerfReport.h"
#include "PreviewCycleCases.h"
#include "ProcessStats.h"

#include "cycle/PreviewCycleSearch.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace ondulix;
using namespace ondulix::bench;

constexpr double kMostMs = 50.0;
constexpr double kMostMB = 256.0;
constexpr int kRepeats = 3; // of each hard case; the median counts
// A case of the corpus is given this long; one that takes longer counts as this long, which
// leaves its median exact while fewer than half of them do.
constexpr auto kCorpusBudget = std::chrono::seconds(2);

// The processor time of one search, in milliseconds, and whether it settled every first frame.
struct Timed {
    double ms = 0.0;
    bool settled = true;
};

Timed timeSearch(const CyclePreview& p, std::optional<std::chrono::steady_clock::duration> limit) {
    const double start = ProcessStats::CpuSeconds();
    const engine::PreviewCycleReport r = cycle::SearchPreviewCycle(p.input, {limit, {}});
    return {(ProcessStats::CpuSeconds() - start) * 1000.0, !r.unsettled.any()};
}

std::string ms(double value) { return Fixed(value, 1) + " ms"; }

void addHardCaseRows(PerfReport& report) {
    for (const CycleCase& c : HardCycleCases()) {
        const auto p = PreviewOf(c);
        std::vector<double> times;
        for (int k = 0; k < kRepeats; ++k)
            times.push_back(timeSearch(*p, std::nullopt).ms);
        const double median = Median(times);
        report.add({"first frames: " + c.name + " (median of " + std::to_string(kRepeats) + ")", ms(median), "-",
                    "<= " + ms(kMostMs), median <= kMostMs,
                    CountTurns(times, [](double took) { return took <= kMostMs; }, "repeats")});
    }
}

void addCorpusRow(PerfReport& report) {
    std::vector<double> times;
    int unsettled = 0;
    for (const CycleCase& c : EdgeNearExtremeCases(kCorpusSeed, kCorpusSize)) {
        const Timed t = timeSearch(*PreviewOf(c), kCorpusBudget);
        times.push_back(t.ms);
        unsettled += t.settled ? 0 : 1;
    }
    const double median = Median(times);
    report.add({"first frames: median of " + std::to_string(kCorpusSize) + " edge-near-extreme cases (seed " +
                    std::to_string(kCorpusSeed) + ")",
                ms(median) + " (90 %: " + ms(Percentile(times, 90.0)) + ", " + std::to_string(unsettled) +
                    " past " + std::to_string(kCorpusBudget.count()) + " s)",
                "-", "<= " + ms(kMostMs), median <= kMostMs,
                CountTurns(times, [](double took) { return took <= kMostMs; }, "cases")});
}

void addMemoryRow(PerfReport& report) {
    const std::optional<std::int64_t> peak = ProcessStats::PeakResidentKiB();
    const double mb = peak ? static_cast<double>(*peak) / 1024.0 : 0.0;
    report.add({"peak resident memory of all the searches above", peak ? Fixed(mb, 1) + " MB" : "not counted here",
                "-", "<= " + Fixed(kMostMB, 0) + " MB", peak && mb <= kMostMB, std::nullopt});
}

int rows() {
    PerfReport report;
    std::cerr << "measuring the first-frame search on the benchmark's cases...\n";
    addHardCaseRows(report);
    std::cerr << "measuring the first-frame search on the corpus...\n";
    addCorpusRow(report);
    addMemoryRow(report);
    report.print(std::cout);
    return report.passed() == report.size() ? 0 : 1;
}

// Random cases of the corpus's kind, each given 10 s; the slowest ten, slowest first.
int worst(int count, std::uint32_t seed) {
    struct Result {
        double ms;
        bool settled;
        std::string command;
    };
    std::vector<Result> results;
    for (const CycleCase& c : EdgeNearExtremeCases(seed, count)) {
        const auto p = PreviewOf(c);
        const Timed t = timeSearch(*p, std::chrono::seconds(10));
        results.push_back({t.ms, t.settled, CheckCommandOf(c, *p)});
        std::cerr << '\r' << results.size() << " of " << count << std::flush;
    }
    std::cerr << '\n';
    std::vector<double> times;
    for (const Result& r : results)
        times.push_back(r.ms);
    std::cout << count << " cases of seed " << seed << ": median " << ms(Median(times)) << ", 90 % "
              << ms(Percentile(times, 90.0)) << ", "
              << std::count_if(times.begin(), times.end(), [](double t) { return t > kMostMs; }) << " over "
              << ms(kMostMs) << "\n";
    std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.ms > b.ms; });
    for (std::size_t i = 0; i < std::min<std::size_t>(10, results.size()); ++i)
        std::cout << ms(results[i].ms) << (results[i].settled ? "" : " (not settled in 10 s)") << ": "
                  << results[i].command << "\n";
    return 0;
}

// One of the benchmark's cases, searched `repeats` times, each time printed.
int oneCase(const std::string& name, int repeats) {
    for (const CycleCase& c : HardCycleCases()) {
        if (c.name != name)
            continue;
        const auto p = PreviewOf(c);
        for (int k = 0; k < repeats; ++k)
            std::cout << name << ": " << ms(timeSearch(*p, std::nullopt).ms) << "\n";
        return 0;
    }
    std::cerr << "no case named " << name << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--worst" && args.size() >= 2)
        return worst(std::atoi(args[1].c_str()),
                     args.size() >= 3 ? static_cast<std::uint32_t>(std::strtoul(args[2].c_str(), nullptr, 10)) : 1);
    if (!args.empty() && args[0] == "--case" && args.size() >= 2)
        return oneCase(args[1], args.size() >= 3 ? std::atoi(args[2].c_str()) : 1);
    if (!args.empty()) {
        std::cerr << "usage: ondulix_cycle_perf [--worst N [SEED] | --case NAME [N]]\n";
        return 2;
    }
    return rows();
}
