#include "PerfReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace ondulix::bench {
namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::string resultOf(const PerfRow& row) {
    std::string result = row.pass ? "pass" : "FAIL";
    if (row.turns)
        result += " (" + std::to_string(row.turns->passed) + "/" + std::to_string(row.turns->of) + " " +
                  row.turns->unit + ")";
    return result;
}

} // namespace

void PerfReport::print(std::ostream& out) const {
    std::size_t figure = 6, measured = 8, baseline = 8, target = 6;
    for (const PerfRow& row : rows_) {
        figure = std::max(figure, row.figure.size());
        measured = std::max(measured, row.measured.size());
        baseline = std::max(baseline, row.baseline.size());
        target = std::max(target, row.target.size());
    }
    out << padded("figure", figure) << " | " << padded("measured", measured) << " | " << padded("baseline", baseline)
        << " | " << padded("target", target) << " | result\n";
    for (const PerfRow& row : rows_)
        out << padded(row.figure, figure) << " | " << padded(row.measured, measured) << " | "
            << padded(row.baseline, baseline) << " | " << padded(row.target, target) << " | "
            << resultOf(row) << '\n';
    out << passed() << " of " << size() << " rows pass\n";
}

int PerfReport::passed() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const PerfRow& r) { return r.pass; }));
}

double Median(std::vector<double> sample) { return Percentile(std::move(sample), 50.0); }

double Percentile(std::vector<double> sample, double p) {
    if (sample.empty())
        return 0.0;
    std::sort(sample.begin(), sample.end());
    // Nearest rank: the smallest value with at least p % of the sample at or below it.
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(sample.size())));
    return sample[std::clamp<std::size_t>(rank, 1, sample.size()) - 1];
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace ondulix::bench
