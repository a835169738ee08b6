// The preview's cycle analysis on the start-up tables (at most 1 ms) and on the hardest parameter
// sets we could construct (at most 50 ms, but for the known slow cases at the end): cycles of
// up to 7 * 10^16 frames, the widest preview, and bounds just inside the extremes, so that every
// first crossing is as rare and late as the tables allow.
#include "cycle/PreviewCycleSearch.h"
#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"
#include "engine/TableGenerator.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

namespace {

using namespace ondulix;

// Tables as the generator computes them, and the analysis input over them.
struct Preview {
    engine::TableSet set;
    engine::PreviewCycleInput input;
};

using Tables = std::array<engine::TableDefaults, engine::kTableCount>;

std::unique_ptr<Preview> previewOf(const Tables& tables, double xmax, float top, float bottom) {
    auto p = std::make_unique<Preview>();
    engine::ApplyDefaults(p->set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        const engine::TableDefaults& d = tables[static_cast<std::size_t>(i)];
        engine::TableParams& t = p->set.tables[static_cast<std::size_t>(i)];
        t = {d.Length, d.Minimum, d.Maximum, 0, 0, d.Offset, d.Periods, d.Speed};
        engine::OriginRangeFromMinMax(t);
        engine::ComputeTable(p->set, i);
        p->input.tables[static_cast<std::size_t>(i)] = {p->set.values.row(i), t.Length, t.Speed, 0, true};
    }
    engine::PreviewView view;
    view.setWidth(static_cast<float>(xmax));
    p->input.columnStep = view.columnStep();
    p->input.lastColumn = xmax;
    p->input.top = top;
    p->input.bottom = bottom;
    return p;
}

// Bounds the given distances inside the smallest and largest sum.
std::unique_ptr<Preview> previewInside(const Tables& tables, double xmax, float belowTop, float aboveBottom) {
    auto p = previewOf(tables, xmax, 0.0f, 0.0f);
    const engine::PreviewCycleReport r = cycle::SearchPreviewCycle(p->input);
    p->input.top = static_cast<float>(r.smallest->sum) + belowTop;
    p->input.bottom = static_cast<float>(r.largest->sum) - aboveBottom;
    return p;
}

// Bounds half a unit inside the extremes: only the extremes pass them.
std::unique_ptr<Preview> rarePreviewOf(const Tables& tables, double xmax) {
    return previewInside(tables, xmax, 0.5f, 0.5f);
}

void run(benchmark::State& state, const Preview& p) {
    engine::PreviewCycleReport r;
    for (auto _ : state) {
        r = cycle::SearchPreviewCycle(p.input);
        benchmark::DoNotOptimize(r);
    }
    state.counters["cycle"] = static_cast<double>(r.cycleFrames);
    state.counters["topFrame"] = r.firstPastTop ? static_cast<double>(r.firstPastTop->frame) : -1.0;
    state.counters["bottomFrame"] = r.firstPastBottom ? static_cast<double>(r.firstPastBottom->frame) : -1.0;
}

void BM_PreviewCycleDefaults(benchmark::State& state) {
    run(state, *previewOf(engine::kTableDefaults, 512.0, -512.0f, 512.0f));
}
BENCHMARK(BM_PreviewCycleDefaults)->Unit(benchmark::kMicrosecond);

// Four primes near 16384: pairwise coprime periods, a cycle of 7.2 * 10^16 frames.
constexpr std::array<std::int32_t, engine::kTableCount> kPrimes{16381, 16369, 16363, 16361};

// Offsets keep the crests apart at the start, so that the tables must walk to line them up.
constexpr std::array<std::int32_t, engine::kTableCount> kOffsets{0, 4000, 9000, 13000};

Tables sines(const std::array<std::int32_t, engine::kTableCount>& lengths, std::int32_t amplitude,
             const std::array<std::int32_t, engine::kTableCount>& periods,
             const std::array<std::int32_t, engine::kTableCount>& speeds) {
    Tables t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = {lengths[i], -amplitude, amplitude, kOffsets[i], periods[i], speeds[i]};
    return t;
}

Tables primeSines(std::int32_t amplitude, const std::array<std::int32_t, engine::kTableCount>& periods) {
    return sines(kPrimes, amplitude, periods, {1, -3, 5, -7});
}

void BM_PreviewCycleWorst(benchmark::State& state, const Tables& tables, double xmax) {
    run(state, *rarePreviewOf(tables, xmax));
}
// The largest amplitude keeps the fewest entries at a crest, which makes the extremes rarest.
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, primes_full_amplitude, primeSines(16384, {1, 1, 1, 1}), 16384.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, primes_full_amplitude_192_columns, primeSines(16384, {1, 1, 1, 1}), 191.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, primes_many_periods, primeSines(16384, {4093, 777, 5000, 16000}), 16384.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, primes_default_amplitudes, primeSines(128, {1, 2, 3, 4}), 16384.0)
    ->Unit(benchmark::kMillisecond);
// Shared factors: every period 16384 (the frame classes alone decide), round lengths whose
// periods share 2, 3 and 5 pairwise (60000 frame classes) with equal and with different speeds,
// and twice four primes near 8190 (2 frame classes, a cycle of 8.9 * 10^15 frames).
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, powers_of_two,
                  sines({16384, 16384, 16384, 16384}, 16384, {1, 1, 1, 1}, {1, -3, 5, -7}), 16384.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, round_lengths,
                  sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, 1, 1, 1}), 16384.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, round_lengths_speeds,
                  sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, -7, 11, -13}), 16384.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, twice_primes,
                  sines({16382, 16358, 16342, 16334}, 16384, {1, 1, 1, 1}, {1, -3, 5, -7}), 16384.0)
    ->Unit(benchmark::kMillisecond);
// Flat crests of about 230 equal entries per table and root class, with the first extremes just
// before frame R Q_A, where searching group A's combinations one by one checks almost all of them
// in every root class and column (about 12 million).
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, twice_primes_default_amplitudes,
                  sines({16382, 16358, 16342, 16334}, 128, {1, 2, 3, 4}, {1, -3, 5, -7}), 16384.0)
    ->Unit(benchmark::kMillisecond);
// The top edge 11 above the smallest sum: a sum past it is common enough that group A's index
// would grow too large, yet first comes at frame 139,934.
void BM_PreviewCycleTopNearMinimum(benchmark::State& state) {
    run(state, *previewInside(primeSines(128, {1, 2, 3, 4}), 16384.0, 11.0f, 0.5f));
}
BENCHMARK(BM_PreviewCycleTopNearMinimum)->Unit(benchmark::kMillisecond);
// Periods that share a large factor in every pair (16, 9, 25, 7, 11 and 13): the lcm of the
// pairwise gcds is the whole cycle of 3.6 million frames, which the split into two groups brings
// down to 17325 root classes; alternating speeds make the columns shift the groups against each
// other.
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, shared_pairs_alternating_speeds,
                  sines({3600, 1232, 819, 3575}, 128, {1, 2, 3, 4}, {1, -1, 1, -1}), 16384.0)
    ->Unit(benchmark::kMillisecond);
// Two tables of the same prime length move in lockstep: their sum is one table of its own.
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, equal_prime_lengths,
                  sines({16381, 16381, 16369, 16363}, 128, {1, 2, 3, 4}, {1, -3, 5, -7}), 16384.0)
    ->Unit(benchmark::kMillisecond);

// The start-up tables with prime lengths, all at speed 1, and the top edge 20 above the smallest
// sum: first passed at frame 980,100 in the last column. Each column shows what the one before
// showed 128 frames earlier.
Tables startUpWithPrimeLengths() {
    Tables t = engine::kTableDefaults;
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i].Length = kPrimes[i];
        t[i].Speed = 1;
    }
    return t;
}
void BM_PreviewCycleStartUpPrimeLengths(benchmark::State& state) {
    run(state, *previewOf(startUpWithPrimeLengths(), 16384.0, -300.0f, 512.0f));
}
BENCHMARK(BM_PreviewCycleStartUpPrimeLengths)->Unit(benchmark::kMillisecond);

// Pairwise shared factors as large as the lengths allow (16, 27, 37, 23, 43 and 7, 1.1 * 10^8
// frames; about 30 ms): the class extremes fold 498,456 and 801,864 group classes onto 21,672 root
// classes for each of 69 and 37 columns that are not shifts of another, and the largest sum, first
// at frame 385,921, would be searched in 8,942 root classes of columns, each with indexes of its
// own of a combination or two, two to three microseconds apiece to set up. The search's estimate
// counts a microsecond (counting more would send the prime cases to slower splits); the walk ahead
// of it counts 6,000 column sums more per root class of columns (6.5 * 10^7 in all, 507,000
// frames) and finds the largest sum after 5 * 10^7 of them.
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, large_shared_pairs,
                  sines({15984, 15824, 4347, 11137}, 128, {1, 2, 3, 4}, {1, 2, -3, 5}), 16384.0)
    ->Unit(benchmark::kMillisecond);

// At or over 50 ms. Twice four primes with amplitude 16 (45 to 55 ms): crests of about 650
// places per table and root class make each of group A's two indexes 425,000 combinations, laid
// out by step and into buckets for every extreme, and the first extremes come only at frame 12
// million, 9 % into a round, so each of the 258 root classes of columns searches a seventh of a
// round through C's 653 entries near the crest; the walk ahead of the search adds about 4 ms.
BENCHMARK_CAPTURE(BM_PreviewCycleWorst, twice_primes_amplitude_16,
                  sines({16382, 16358, 16342, 16334}, 16, {1, 2, 3, 4}, {1, -3, 5, -7}), 16384.0)
    ->Unit(benchmark::kMillisecond);

// Cases found by a random search over lengths near 16384 with shared factors, speeds up to 256,
// amplitudes 8 to 16384 and edges near the extremes (the tables and the edges' distances inside
// the extremes given); of 1,500 cases about 20 took over 50 ms, these the longest.
// wide_group_a (about 30 ms): the top edge 11 inside the smallest sum is first passed at frame
// 777,229. The split leaves 6 root classes and rounds of 22 million frames; the broad crests of
// amplitudes 16 to 64 give group A 850,000 combinations within the budget in each of 6 indexes,
// while the hit comes 0.6 % into the first round, too early to make the indexes worth it: the
// search takes about 100 ms, 80 of them laying the indexes out by step. The walk ahead of it, as
// long as its estimate (1.3 * 10^8 column sums), finds the hit after 10^8 column sums, about 20 ms
// where the processor has AVX2 (35 ms without).
// many_small_indexes (about 9 ms): every extreme and edge is first reached within 100,000 frames,
// which the walk finds; a search would set up 11,610 root classes of columns, each with an index
// of group B of its own (300 to 1,300 combinations), about 200 ms.
// many_root_classes (about 45 ms): 83,538 root classes, and one group folds 1.9 million group
// classes for each of 69 columns that are not shifts of another: 133 million class sums for the
// extremes, eight at a time where the processor has AVX2, about 35 ms; its folds (46 MB) are kept
// for the searches, and each of the 129 columns' extremes reads two of them (about 4 ms).
void BM_PreviewCycleFound(benchmark::State& state, const Tables& tables, float belowTop, float aboveBottom) {
    run(state, *previewInside(tables, 16384.0, belowTop, aboveBottom));
}
// short_rounds (from an earlier search): two tables of length 16350 form group A, whose rounds
// are only 8175 frames, and the top edge 11 above the smallest sum is first passed at frame
// 226,490, in round 27: settling the root classes after a few rounds would lay out group B's
// indexes of 600,000 combinations for a few hundred lookups.
BENCHMARK_CAPTURE(BM_PreviewCycleFound, short_rounds,
                  Tables{{{16350, -16, 16, 4247, 1, -6},
                          {16382, -128, 128, 15188, 1, -6},
                          {16350, -1024, 1024, 4137, 4, 2},
                          {16302, -32, 32, 9233, 4, -6}}},
                  11.0f, 200.0f)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleFound, wide_group_a,
                  Tables{{{16362, -16, 16, 13583, 2, -4},
                          {16318, -64, 64, 4993, 1, -166},
                          {16350, -32, 32, 11153, 3, -1},
                          {16274, -64, 64, 10149, 3, -1}}},
                  11.0f, 200.0f)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleFound, many_small_indexes,
                  Tables{{{12240, -1024, 1024, 3987, 2, 7},
                          {15170, -32, 32, 4387, 2, 3},
                          {11500, -128, 128, 5372, 1, -3},
                          {10989, -8, 8, 10853, 2, 4}}},
                  0.5f, 3.0f)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PreviewCycleFound, many_root_classes,
                  Tables{{{12558, -32, 32, 6286, 1, -1},
                          {12474, -1024, 1024, 900, 1, 2},
                          {10557, -16384, 16384, 2292, 1407, -8},
                          {9724, -16384, 16384, 9175, 2, -5}}},
                  1.0f, 0.5f)
    ->Unit(benchmark::kMillisecond);

} // namespace
