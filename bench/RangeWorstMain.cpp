// A random search for parameter sets whose sum range takes longest: lengths chosen to share
// factors in every way (round numbers, products of one factor per pair of tables, lengths near
// 16384), any speed, amplitude, offset, width and start positions. Prints the slowest cases as
// lines for RangeCorpus.cpp, whose fixed corpus bench/run holds to its target. Run through
// bench/range-worst.
//
//     ondulix_range_worst [--cases N] [--seed S] [--corpus] [--case NAME [N]]
//
// --corpus times the fixed corpus instead; --case computes one of its cases N times (default 1),
// each time printed, for a profiler.

#include "RangeCorpus.h"

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <random>
#include <string>

namespace {

using namespace ondulix;
using bench::RangeCase;

class Dice {
public:
    explicit Dice(unsigned seed) : random_(seed) {}
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    std::mt19937 random_;
};

// A product of small prime powers up to 16384.
std::int32_t roundLength(Dice& dice) {
    constexpr std::array<int, 6> kPrimes{2, 3, 5, 7, 11, 13};
    std::int32_t length = 1;
    for (int n = dice.pick(1, 12); n > 0; --n) {
        const int p = kPrimes[static_cast<std::size_t>(dice.pick(0, static_cast<int>(kPrimes.size()) - 1))];
        if (length * p <= engine::kMaxLength)
            length *= p;
    }
    return length;
}

// Lengths that share one factor per pair of tables, as large as the lengths allow.
std::array<std::int32_t, engine::kTableCount> pairSharingLengths(Dice& dice) {
    std::array<std::int32_t, 6> factor{}; // pairs 01 02 03 12 13 23
    for (int& f : factor)
        f = dice.pick(2, 40);
    constexpr std::array<std::array<int, 3>, engine::kTableCount> kPairsOf{{{0, 1, 2}, {0, 3, 4}, {1, 3, 5}, {2, 4, 5}}};
    std::array<std::int32_t, engine::kTableCount> lengths{};
    for (std::size_t t = 0; t < lengths.size(); ++t) {
        std::int64_t product = 1;
        for (const int pair : kPairsOf[t])
            product *= factor[static_cast<std::size_t>(pair)];
        lengths[t] = static_cast<std::int32_t>(std::min<std::int64_t>(product, engine::kMaxLength));
    }
    return lengths;
}

RangeCase randomCase(Dice& dice, int number) {
    RangeCase c;
    c.name = "random " + std::to_string(number);
    const int kind = dice.pick(0, 3);
    const auto pairs = pairSharingLengths(dice);
    for (std::size_t t = 0; t < c.tables.size(); ++t) {
        const std::int32_t length = kind == 0   ? dice.pick(1, engine::kMaxLength)
                                    : kind == 1 ? dice.pick(15000, engine::kMaxLength)
                                    : kind == 2 ? roundLength(dice)
                                                : pairs[t];
        const std::int32_t amplitude = 1 << dice.pick(3, 14);
        // Speeds that share factors with the length shorten its period; any speed is allowed.
        const std::int32_t speed = dice.pick(0, 2) == 0 ? dice.pick(-256, 256) : (dice.pick(0, 1) ? 1 : -1) *
                                                                                     dice.pick(1, 7);
        c.tables[t] = {length, -amplitude, amplitude, dice.pick(-length, length), dice.pick(1, 4), speed};
        c.on[t] = dice.pick(0, 5) != 0;
        c.at[t] = dice.pick(0, length - 1);
    }
    c.steps = std::to_string(dice.pick(0, 2) == 0 ? dice.pick(1, engine::kMaxLength) : dice.pick(0, 1) ? 16384 : 191);
    return c;
}

int timeCorpus() {
    double worst = 0.0;
    for (const RangeCase& c : bench::RangeCorpus()) {
        const bench::RangeInput input(c);
        const double ms = bench::RangeMilliseconds(input, 5);
        worst = std::max(worst, ms);
        std::cout << std::fixed << std::setprecision(3) << std::setw(9) << ms << " ms  " << c.name << '\n';
    }
    std::cout << "slowest: " << worst << " ms\n";
    return 0;
}

// One case of the corpus, its range computed `runs` times, each time printed.
int timeCase(const std::string& name, int runs) {
    for (const RangeCase& c : bench::RangeCorpus())
        if (c.name == name) {
            const bench::RangeInput input(c);
            for (int r = 0; r < runs; ++r)
                std::cout << std::fixed << std::setprecision(3) << bench::RangeMilliseconds(input, 1) << " ms\n";
            return 0;
        }
    std::cerr << "no case named " << name << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int cases = 3000;
    unsigned seed = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--corpus") == 0)
            return timeCorpus();
        if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc)
            return timeCase(argv[i + 1], i + 2 < argc ? std::stoi(argv[i + 2]) : 1);
        if (std::strcmp(argv[i], "--cases") == 0 && i + 1 < argc)
            cases = std::stoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else {
            std::cerr << "usage: ondulix_range_worst [--cases N] [--seed S] [--corpus] [--case NAME [N]]\n";
            return 2;
        }
    }
    Dice dice(seed);
    std::vector<std::pair<double, RangeCase>> slowest;
    for (int n = 0; n < cases; ++n) {
        RangeCase c = randomCase(dice, n);
        const bench::RangeInput input(c);
        double ms = bench::RangeMilliseconds(input, 1);
        if (slowest.size() < 5 || ms > slowest.back().first)
            ms = bench::RangeMilliseconds(input, 3); // a busy moment makes no worst case
        slowest.emplace_back(ms, std::move(c));
        std::sort(slowest.begin(), slowest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        if (slowest.size() > 5)
            slowest.pop_back();
        if ((n + 1) % 500 == 0)
            std::cerr << n + 1 << " cases, slowest " << slowest.front().first << " ms\n";
    }
    std::cout << "The slowest of " << cases << " cases (seed " << seed << "):\n";
    for (const auto& [ms, c] : slowest)
        std::cout << std::fixed << std::setprecision(3) << ms << " ms: " << bench::CorpusLine(c) << '\n';
    return 0;
}
