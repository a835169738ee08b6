#include "RangeCorpus.h"

#include "engine/AmplitudeForms.h"
#include "engine/InputRules.h"
#include "engine/PreviewCheck.h"
#include "engine/TableGenerator.h"

#include <algorithm>
#include <ctime>

namespace ondulix::bench {
namespace {

using Tables = std::array<engine::TableDefaults, engine::kTableCount>;
using Four = std::array<std::int32_t, engine::kTableCount>;

// The first-frame search's benchmark tables (bench/PreviewCycleBench.cpp): sines of one amplitude
// whose crests the offsets keep apart at the start.
Tables sines(const Four& lengths, std::int32_t amplitude, const Four& periods, const Four& speeds) {
    constexpr Four kOffsets{0, 4000, 9000, 13000};
    Tables t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = {lengths[i], -amplitude, amplitude, kOffsets[i], periods[i], speeds[i]};
    return t;
}

constexpr Four kPrimes{16381, 16369, 16363, 16361};
constexpr Four kTwicePrimes{16382, 16358, 16342, 16334};
constexpr Four kPrimeSpeeds{1, -3, 5, -7};

Tables startUpWithPrimeLengths() {
    Tables t = engine::kTableDefaults;
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = {kPrimes[i], t[i].Minimum, t[i].Maximum, t[i].Offset, t[i].Periods, 1};
    return t;
}

std::vector<RangeCase> corpus() {
    const auto with = [](Tables tables, engine::Participation on, std::string steps, std::string top,
                         std::string bottom, Four at = {}) {
        return RangeCase{"", tables, on, std::move(steps), std::move(top), std::move(bottom), at};
    };
    const RangeCase slowA = with({{{16383, -24, 24, -13648, 1, 1},
                                   {16381, -48, 48, 10234, 1, 2},
                                   {16363, -16, 16, 1080, 1, 2},
                                   {16379, -16, 16, -7591, 1, 1}}},
                                 {true, true, true, true}, "191", "-102.5", "1048576");
    const RangeCase slowB = with({{engine::kTableDefaults[0],
                                   {16337, -32, 32, -3489, 1, -1},
                                   {14576, -32, 32, -899, 1, -7},
                                   {16335, -32, 32, 10852, 1, -1}}},
                                 {false, true, true, true}, "16384", "-95.5", "93");
    std::vector<RangeCase> cases;
    const auto add = [&](std::string name, RangeCase c) {
        c.name = std::move(name);
        cases.push_back(std::move(c));
    };
    const engine::Participation all = engine::kStartUpParticipation;
    add("issue: four primes near 16384, steps=191", slowA);
    add("issue: three tables near 16384, steps=16384", slowB);
    RangeCase slowB191 = slowB;
    slowB191.steps = "191";
    add("issue: three tables near 16384, steps=191", slowB191);
    add("start-up tables", with(engine::kTableDefaults, all, "512", "-512", "512"));
    add("primes_full_amplitude", with(sines(kPrimes, 16384, {1, 1, 1, 1}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("primes_full_amplitude_192_columns",
        with(sines(kPrimes, 16384, {1, 1, 1, 1}, kPrimeSpeeds), all, "191", "-512", "512"));
    add("primes_many_periods",
        with(sines(kPrimes, 16384, {4093, 777, 5000, 16000}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("powers_of_two",
        with(sines({16384, 16384, 16384, 16384}, 16384, {1, 1, 1, 1}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("round_lengths",
        with(sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, 1, 1, 1}), all, "16384", "-512", "512"));
    add("round_lengths_speeds", with(sines({12000, 15000, 10000, 16384}, 16384, {1, 1, 1, 1}, {1, -7, 11, -13}),
                                     all, "16384", "-512", "512"));
    add("twice_primes", with(sines(kTwicePrimes, 16384, {1, 1, 1, 1}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("twice_primes_amplitude_16",
        with(sines(kTwicePrimes, 16, {1, 2, 3, 4}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("shared_pairs_alternating_speeds",
        with(sines({3600, 1232, 819, 3575}, 128, {1, 2, 3, 4}, {1, -1, 1, -1}), all, "16384", "-512", "512"));
    add("equal_prime_lengths",
        with(sines({16381, 16381, 16369, 16363}, 128, {1, 2, 3, 4}, kPrimeSpeeds), all, "16384", "-512", "512"));
    add("start-up tables with prime lengths", with(startUpWithPrimeLengths(), all, "16384", "-300", "512"));
    add("large_shared_pairs",
        with(sines({15984, 15824, 4347, 11137}, 128, {1, 2, 3, 4}, {1, 2, -3, 5}), all, "16384", "-512", "512"));
    add("short_rounds", with({{{16350, -16, 16, 4247, 1, -6},
                               {16382, -128, 128, 15188, 1, -6},
                               {16350, -1024, 1024, 4137, 4, 2},
                               {16302, -32, 32, 9233, 4, -6}}},
                             all, "16384", "-512", "512"));
    add("wide_group_a", with({{{16362, -16, 16, 13583, 2, -4},
                               {16318, -64, 64, 4993, 1, -166},
                               {16350, -32, 32, 11153, 3, -1},
                               {16274, -64, 64, 10149, 3, -1}}},
                             all, "16384", "-512", "512"));
    add("many_small_indexes", with({{{12240, -1024, 1024, 3987, 2, 7},
                                     {15170, -32, 32, 4387, 2, 3},
                                     {11500, -128, 128, 5372, 1, -3},
                                     {10989, -8, 8, 10853, 2, 4}}},
                                   all, "16384", "-512", "512"));
    add("many_root_classes", with({{{12558, -32, 32, 6286, 1, -1},
                                    {12474, -1024, 1024, 900, 1, 2},
                                    {10557, -16384, 16384, 2292, 1407, -8},
                                    {9724, -16384, 16384, 9175, 2, -5}}},
                                  all, "16384", "-512", "512"));
    // The slowest that bench/range-worst found (seeds 7 and 11, 20000 cases each).
    add("bench/range-worst --seed 7: case 8485", with({{{10005, -8192, 8192, -355, 2, 1}, {7920, -512, 512, 3587, 1, 7}, {14421, -8, 8, 1185, 3, 252}, {8816, -64, 64, -430, 2, -3}}}, {true, true, true, true}, "191", "-512", "512", {9560, 5637, 2332, 4854}));
    add("bench/range-worst --seed 7: case 7257", with({{{14872, -16, 16, -4990, 1, -3}, {12675, -1024, 1024, 1922, 2, 223}, {7150, -1024, 1024, 6946, 4, 1}, {15015, -32, 32, 291, 4, -7}}}, {true, true, true, true}, "16384", "-512", "512", {5193, 8671, 6998, 14867}));
    add("bench/range-worst --seed 7: case 14406", with({{{11011, -1024, 1024, 9810, 4, 4}, {7436, -16384, 16384, -6811, 2, -1}, {16170, -256, 256, -7664, 3, -7}, {11830, -256, 256, -10230, 1, 4}}}, {true, true, true, true}, "16384", "-512", "512", {7783, 994, 1195, 5950}));
    add("bench/range-worst --seed 11: case 4793", with({{{8281, -16, 16, 5845, 2, 2}, {12250, -32, 32, -11567, 4, 5}, {7098, -512, 512, 6237, 4, 95}, {12675, -2048, 2048, -11479, 3, 2}}}, {true, true, true, true}, "16384", "-512", "512", {3926, 1776, 6176, 10295}));
    add("bench/range-worst --seed 11: case 3888", with({{{7098, -1024, 1024, -127, 3, -5}, {11154, -1024, 1024, -1447, 4, 5}, {10140, -16384, 16384, -6527, 4, -203}, {15015, -2048, 2048, 2677, 1, 179}}}, {true, true, true, true}, "191", "-512", "512", {5761, 7131, 910, 2215}));
    return cases;
}

} // namespace

const std::vector<RangeCase>& RangeCorpus() {
    static const std::vector<RangeCase> cases = corpus();
    return cases;
}

RangeInput::RangeInput(const RangeCase& c) {
    engine::ApplyDefaults(set_);
    for (int i = 0; i < engine::kTableCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const engine::TableDefaults& d = c.tables[at];
        engine::TableParams& t = set_.tables[at];
        t = {d.Length, d.Minimum, d.Maximum, 0, 0, d.Offset, d.Periods, d.Speed};
        engine::OriginRangeFromMinMax(t);
        engine::ComputeTable(set_, i);
        set_.preview.Position[at] = engine::PositionOf(c.at[at], t.Length);
    }
    const engine::PreviewView view = engine::SettledView(engine::ReadPreview(c.steps, c.top, c.bottom).view);
    input_ = engine::CycleInputOf(set_, view, c.on);
}

namespace {

// The processor time of this thread: what the range costs, whatever else the machine runs.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

} // namespace

double RangeMilliseconds(const RangeInput& input, int runs) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const double start = threadMilliseconds();
        const auto range = engine::PreviewSumRange(input.input());
        ms.push_back(threadMilliseconds() - start);
        if (!range && engine::ColumnCount(input.input()) > 0)
            return -1.0; // cannot happen: a preview with a column has a range
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::string CorpusLine(const RangeCase& c) {
    std::string line = "add(\"" + c.name + "\", with({{";
    for (std::size_t i = 0; i < c.tables.size(); ++i) {
        const engine::TableDefaults& t = c.tables[i];
        line += (i ? ", {" : "{") + std::to_string(t.Length) + ", " + std::to_string(t.Minimum) + ", " +
                std::to_string(t.Maximum) + ", " + std::to_string(t.Offset) + ", " + std::to_string(t.Periods) +
                ", " + std::to_string(t.Speed) + "}";
    }
    line += "}}, {";
    for (std::size_t i = 0; i < c.on.size(); ++i)
        line += std::string(i ? ", " : "") + (c.on[i] ? "true" : "false");
    line += "}, \"" + c.steps + "\", \"" + c.top + "\", \"" + c.bottom + "\", {";
    for (std::size_t i = 0; i < c.at.size(); ++i)
        line += (i ? ", " : "") + std::to_string(c.at[i]);
    line += "}));";
    return line;
}

} // namespace ondulix::bench
