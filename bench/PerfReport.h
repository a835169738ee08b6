#pragma once

#include <iosfwd>
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
};

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
