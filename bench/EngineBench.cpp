// The table computation measured against its floor, a bare loop of the same sines, and the file
// writer on the largest tables the input rules allow.
#include "BareSine.h"
#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"
#include "export/TableFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace ondulix;

engine::TableSet largestTables() {
    engine::TableSet set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        auto& t = set.tables[static_cast<std::size_t>(i)];
        t.Length = engine::kMaxLength;
        t.Periods = 16384;
        t.Offset = 16384;
        engine::OriginRangeFromMinMax(t);
        engine::ComputeTable(set, i);
    }
    return set;
}

void BM_CalcTable16384(benchmark::State& state) {
    engine::TableSet set = largestTables();
    for (auto _ : state) {
        engine::ComputeTable(set, 0);
        benchmark::DoNotOptimize(set.values(0, 16384));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalcTable16384);

// The floor: std::sin on the 16,385 angles of the table above, precomputed. The window benchmark
// times the same loop next to a keystroke.
void BM_BareSine16385(benchmark::State& state) {
    const std::vector<double> angles = bench::LargestTableAngles();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::SumOfSines(angles));
}
BENCHMARK(BM_BareSine16385);

void BM_WriteTables16384(benchmark::State& state) {
    const engine::TableSet set = largestTables();
    const auto style = static_cast<exporter::ExportStyle>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = exporter::WriteTableFile(set, style);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_WriteTables16384)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace


