// The first-frame search on the start-up tables and on the hardest parameter sets we could
// construct or find (PreviewCycleCases.h): cycles of up to 7 * 10^16 frames, the widest preview,
// and bounds just inside the extremes, so that every first crossing is as rare and late as the
// tables allow. bench/run holds them to their limits (ondulix_cycle_perf); here they are measured
// one by one, with the frames they find as counters.
#include "PreviewCycleCases.h"

#include "cycle/PreviewCycleSearch.h"

#include <benchmark/benchmark.h>

namespace {

using namespace ondulix;

void searchCase(benchmark::State& state, const bench::CycleCase& c) {
    const std::unique_ptr<bench::CyclePreview> p = bench::PreviewOf(c);
    engine::PreviewCycleReport r;
    for (auto _ : state) {
        r = cycle::SearchPreviewCycle(p->input);
        benchmark::DoNotOptimize(r);
    }
    state.counters["cycle"] = static_cast<double>(r.cycleFrames);
    state.counters["topFrame"] = r.firstPastTop ? static_cast<double>(r.firstPastTop->frame) : -1.0;
    state.counters["bottomFrame"] = r.firstPastBottom ? static_cast<double>(r.firstPastBottom->frame) : -1.0;
}

const bool kRegistered = [] {
    for (const bench::CycleCase& c : bench::HardCycleCases())
        benchmark::RegisterBenchmark(("BM_PreviewCycle/" + c.name).c_str(), searchCase, c)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
