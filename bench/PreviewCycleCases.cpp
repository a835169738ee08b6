#include "PreviewCycleCases.h"

#include "cycle/PreviewCycleSearch.h"
#include "engine/AmplitudeForms.h"
#include "engine/NumberText.h"
#include "engine/PreviewView.h"
#include "engine/TableGenerator.h"

#include <chrono>
#include <algorithm>
#include <random>

namespace ondulix::bench {
namespace {

// Four primes near 16384: pairwise coprime periods, a cycle of 7.2 * 10^16 frames.
constexpr std::array<std::int32_t, engine::kTableCount> kPrimes{16381, 16369, 16363, 16361};

// Offsets keep the crests apart at the start, so that the tables must walk to line them up.
constexpr std::array<std::int32_t, engine::kTableCount> kOffsets{0, 4000, 9000, 13000};

CycleTables sines(const std::array<std::int32_t, engine::kTableCount>& lengths, std::int32_t amplitude,
                  const std::array<std::int32_t, engine::kTableCount>& periods,
                  const std::array<std::int32_t, engine::kTableCount>& speeds) {
    CycleTables t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = {lengths[i], -amplitude, amplitude, kOffsets[i], periods[i], speeds[i]};
    return t;
}

CycleTables primeSines(std::int32_t amplitude, const std::array<std::int32_t, engine::kTableCount>& periods) {
    return sines(kPrimes, amplitude, periods, {1, -3, 5, -7});
}

// The start-up tables with prime lengths, all at speed 1.
CycleTables startUpWithPrimeLengths() {
    CycleTables t = engine::kTableDefaults;
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i].Length = kPrimes[i];
        t[i].Speed = 1;
    }
    return t;
}

CycleCase at(std::string name, CycleTables tables, double xmax, float top, float bottom) {
    return {std::move(name), tables, xmax, {false, top, bottom}};
}

CycleCase inside(std::string name, CycleTables tables, double xmax = 16384.0, float belowTop = 0.5f,
                 float aboveBottom = 0.5f) {
    return {std::move(name), tables, xmax, {true, belowTop, aboveBottom}};
}

std::vector<CycleCase> hardCases() {
    return {
        at("defaults", engine::kTableDefaults, 512.0, -512.0f, 512.0f),
        // The largest amplitude keeps the fewest entries at a crest, which makes the extremes rarest.
        inside("primes_full_amplitude", primeSines(16384, {1, 1, 1, 1})),
        inside("primes_full_amplitude_192_columns", primeSines(16384, {1, 1, 1, 1}), 191.0),
        inside("primes_many_periods", primeSines(16384, {4093, 777, 5000, 16000})),
        inside("primes_default_amplitudes", primeSines(128, {1, 2, 3, 4})),
        // Shared factors: every period 16384 (the frame classes alone decide), round lengths whose
        // periods share 2, 3 and 5 pairwise (60000 frame classes) with equal and with different
        // speeds, and twice four primes near 8190 (2 frame classes, a cycle of 8.9 * 10^15 frames).
        inside("powers_of_two", sines({16384, 16384, 16384, 16384}, 16384, {1, 1, 1, 1}, {1, -3, 5, -7})),
        inside("round_lengths", sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, 1, 1, 1})),
        inside("round_lengths_speeds", sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, -7, 11, -13})),
        inside("twice_primes", sines({16382, 16358, 16342, 16334}, 16384, {1, 1, 1, 1}, {1, -3, 5, -7})),
        // Flat crests of about 230 equal entries per table and root class, with the first extremes
        // just before frame R Q_A, where searching group A's combinations one by one checks almost
        // all of them in every root class and column (about 12 million).
        inside("twice_primes_default_amplitudes", sines({16382, 16358, 16342, 16334}, 128, {1, 2, 3, 4}, {1, -3, 5, -7})),
        // The top edge 11 above the smallest sum: a sum past it is common enough that group A's
        // index would grow too large, yet first comes at frame 139,934.
        inside("top_near_minimum", primeSines(128, {1, 2, 3, 4}), 16384.0, 11.0f, 0.5f),
        // Periods that share a large factor in every pair (16, 9, 25, 7, 11 and 13): the lcm of the
        // pairwise gcds is the whole cycle of 3.6 million frames, which the split into two groups
        // brings down to 17325 root classes; alternating speeds make the columns shift the groups
        // against each other.
        inside("shared_pairs_alternating_speeds", sines({3600, 1232, 819, 3575}, 128, {1, 2, 3, 4}, {1, -1, 1, -1})),
        // Two tables of the same prime length move in lockstep: their sum is one table of its own.
        inside("equal_prime_lengths", sines({16381, 16381, 16369, 16363}, 128, {1, 2, 3, 4}, {1, -3, 5, -7})),
        // The start-up tables with prime lengths, all at speed 1, and the top edge 20 above the
        // smallest sum: first passed at frame 980,100 in the last column. Each column shows what
        // the one before showed 128 frames earlier.
        at("start_up_prime_lengths", startUpWithPrimeLengths(), 16384.0, -300.0f, 512.0f),
        // Pairwise shared factors as large as the lengths allow (16, 27, 37, 23, 43 and 7, 1.1 *
        // 10^8 frames): the class extremes fold 498,456 and 801,864 group classes onto 21,672 root
        // classes for each of 69 and 37 columns that are not shifts of another, and the largest
        // sum, first at frame 385,921, would be searched in 8,942 root classes of columns, each
        // with indexes of its own of a combination or two; the walk ahead of the search finds it.
        inside("large_shared_pairs", sines({15984, 15824, 4347, 11137}, 128, {1, 2, 3, 4}, {1, 2, -3, 5})),
        // Twice four primes with amplitude 16: crests of about 650 places per table and root class
        // make each of group A's two indexes 425,000 combinations, and the first extremes come only
        // at frame 12 million, 9 % into a round, so each of the 258 root classes of columns
        // searches a seventh of a round through C's 653 entries near the crest.
        inside("twice_primes_amplitude_16", sines({16382, 16358, 16342, 16334}, 16, {1, 2, 3, 4}, {1, -3, 5, -7})),
        // Found by a random search over lengths near 16384 with shared factors (the tables and the
        // edges' distances inside the extremes given). short_rounds: two tables of length 16350
        // form group A, whose rounds are only 8175 frames, and the top edge 11 above the smallest
        // sum is first passed at frame 226,490, in round 27.
        inside("short_rounds",
               {{{16350, -16, 16, 4247, 1, -6},
                 {16382, -128, 128, 15188, 1, -6},
                 {16350, -1024, 1024, 4137, 4, 2},
                 {16302, -32, 32, 9233, 4, -6}}},
               16384.0, 11.0f, 200.0f),
        // wide_group_a: the top edge 11 inside the smallest sum is first passed at frame 777,229,
        // 0.6 % into the first of rounds of 22 million frames, too early to make group A's six
        // indexes of 850,000 combinations worth building; the walk ahead of the search finds it.
        inside("wide_group_a",
               {{{16362, -16, 16, 13583, 2, -4},
                 {16318, -64, 64, 4993, 1, -166},
                 {16350, -32, 32, 11153, 3, -1},
                 {16274, -64, 64, 10149, 3, -1}}},
               16384.0, 11.0f, 200.0f),
        // many_small_indexes: every extreme and edge is first reached within 100,000 frames, which
        // the walk finds; a search would set up 11,610 root classes of columns.
        inside("many_small_indexes",
               {{{12240, -1024, 1024, 3987, 2, 7},
                 {15170, -32, 32, 4387, 2, 3},
                 {11500, -128, 128, 5372, 1, -3},
                 {10989, -8, 8, 10853, 2, 4}}},
               16384.0, 0.5f, 3.0f),
        // many_root_classes: 83,538 root classes, and one group folds 1.9 million group classes for
        // each of 69 columns that are not shifts of another: 133 million class sums for the
        // extremes; its folds (46 MB) are kept for the searches.
        inside("many_root_classes",
               {{{12558, -32, 32, 6286, 1, -1},
                 {12474, -1024, 1024, 900, 1, 2},
                 {10557, -16384, 16384, 2292, 1407, -8},
                 {9724, -16384, 16384, 9175, 2, -5}}},
               16384.0, 1.0f, 0.5f),
    };
}

// A portable draw from lo to hi: the engine of <random> is the same everywhere, its
// distributions are not.
struct Draw {
    std::mt19937 rng;
    std::int32_t operator()(std::int32_t lo, std::int32_t hi) {
        return lo + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(hi - lo + 1));
    }
};

} // namespace

std::unique_ptr<CyclePreview> PreviewOf(const CycleCase& c) {
    auto p = std::make_unique<CyclePreview>();
    engine::ApplyDefaults(p->set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const engine::TableDefaults& d = c.tables[at];
        engine::TableParams& t = p->set.tables[at];
        t = {d.Length, d.Minimum, d.Maximum, 0, 0, d.Offset, d.Periods, d.Speed};
        engine::OriginRangeFromMinMax(t);
        engine::ComputeTable(p->set, i);
        p->input.tables[at] = {p->set.values.row(i), t.Length, t.Speed, 0, c.ticked[at]};
    }
    engine::PreviewView view;
    view.setWidth(static_cast<float>(c.xmax));
    p->input.columnStep = view.columnStep();
    p->input.lastColumn = c.xmax;
    p->input.top = c.edges.top;
    p->input.bottom = c.edges.bottom;
    if (c.edges.insideExtremes) {
        // The exact range comes before any first frame: a budget of nothing leaves those.
        const engine::PreviewCycleReport range =
            cycle::SearchPreviewCycle(p->input, {std::chrono::steady_clock::duration::zero(), {}});
        p->input.top = static_cast<float>(*range.smallestSum) + c.edges.top;
        p->input.bottom = static_cast<float>(*range.largestSum) - c.edges.bottom;
    }
    return p;
}

const std::vector<CycleCase>& HardCycleCases() {
    static const std::vector<CycleCase> cases = hardCases();
    return cases;
}

std::vector<CycleCase> EdgeNearExtremeCases(std::uint32_t seed, int count) {
    Draw draw{std::mt19937(seed)};
    std::vector<CycleCase> cases;
    for (int n = 0; n < count; ++n) {
        CycleCase c;
        c.name = "seed " + std::to_string(seed) + " case " + std::to_string(n);
        // Four tables half the time, else three or two: each table more makes the cycle longer.
        const std::int32_t tables = draw(0, 1) == 0 ? 4 : draw(2, 3);
        c.ticked = {false, false, false, false};
        while (std::count(c.ticked.begin(), c.ticked.end(), true) < tables)
            c.ticked[static_cast<std::size_t>(draw(0, 3))] = true;
        for (engine::TableDefaults& t : c.tables) {
            // Mostly just below 16384, where cycles are longest; else anywhere from 8000, where
            // shared factors are many.
            t.Length = draw(0, 3) != 0 ? 16384 - draw(0, 63) : draw(8000, 16384);
            // Mostly small amplitudes, whose broad crests put many entries near the extremes.
            const std::int32_t amplitude = 8 << (draw(0, 3) != 0 ? draw(0, 4) : draw(5, 11));
            t.Minimum = -amplitude;
            t.Maximum = amplitude;
            t.Offset = draw(0, t.Length - 1);
            // One period mostly, whose crest is broadest.
            t.Periods = draw(0, 3) != 0 ? 1 : draw(2, 4);
            t.Speed = draw(0, 3) != 0 ? draw(-8, 8) : draw(-256, 256);
        }
        c.xmax = std::array{191.0, 16384.0, static_cast<double>(draw(100, 16384))}[static_cast<std::size_t>(draw(0, 2))];
        c.edges = {true, 0.5f * static_cast<float>(draw(1, 8)), 0.5f * static_cast<float>(draw(1, 8))};
        cases.push_back(std::move(c));
    }
    return cases;
}

std::string CheckCommandOf(const CycleCase& c, const CyclePreview& p) {
    std::string command = "ondulix-export --check";
    for (std::size_t i = 0; i < c.tables.size(); ++i) {
        const engine::TableDefaults& t = c.tables[i];
        command += " --sin" + std::to_string(i + 1) + " length=" + std::to_string(t.Length) +
                   ",min=" + std::to_string(t.Minimum) + ",max=" + std::to_string(t.Maximum) +
                   ",offset=" + std::to_string(t.Offset) + ",periods=" + std::to_string(t.Periods) +
                   ",speed=" + std::to_string(t.Speed);
    }
    std::string on;
    for (const bool ticked : c.ticked)
        on += ticked ? '1' : '0';
    command += " --preview steps=" + engine::DoubleText(c.xmax) + ",top=" + engine::DoubleText(p.input.top) +
               ",bottom=" + engine::DoubleText(p.input.bottom) + ",on=" + on;
    return command;
}

} // namespace ondulix::bench
