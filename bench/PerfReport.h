#pragma once

#include <iosfwd>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace ondulix::bench {

// The table that the benchmark prints: one row per figure with its baseline, measured in the same
// run, and its target; every row ends in "pass" or "FAIL", and a last line counts the passes.
struct PerfRow {
    std::string figure;   // what was measured
    std::string measured; // the figure, with its unit
    std::string baseline; // the baseline measured in the same run, or "-"
    std::string target;   // the target, with the threshold it came to in this run
    bool pass = false;
    // How many of the row's turns (rounds, samples) met the target on their own, so that a row
    // that passes by luck shows it; none where the row has no turns.
    struct Turns {
        int passed = 0;
        int of = 0;
        std::string unit = "turns";
    };
    std::optional<Turns> turns;
};

// How many of `sample` meet `target`, as a row's turns.
template <class Sample, class Target>
PerfRow::Turns CountTurns(const Sample& sample, Target&& target, std::string unit = "turns") {
    int passed = 0;
    for (const auto& value : sample)
        passed += target(value) ? 1 : 0;
    return {passed, static_cast<int>(std::size(sample)), std::move(unit)};
}

class PerfReport {
public:
    void add(PerfRow row) { rows_.push_back(std::move(row)); }
    void print(std::ostream& out) const;
    int passed() const;
    int size() const { return static_cast<int>(rows_.size()); }

private:
    std::vector<PerfRow> rows_;
};

// The median and the p-th percentile (nearest rank) of a sample; 0 for an empty one.
double Median(std::vector<double> sample);
double Percentile(std::vector<double> sample, double p);

// A number with a fixed count of decimals: Fixed(0.12345, 3) is "0.123".
std::string Fixed(double value, int decimals);

} // namespace ondulix::bench
