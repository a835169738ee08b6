#pragma once

#include "engine/Defaults.h"
#include "engine/PreviewView.h"
#include "engine/SumRange.h"
#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ondulix::bench {

// A preview whose sum range is timed: the four tables' parameters, which take part, the preview's
// boxes and the positions it starts from.
struct RangeCase {
    std::string name;
    std::array<engine::TableDefaults, engine::kTableCount> tables{};
    engine::Participation on = engine::kStartUpParticipation;
    std::string steps = "16384";
    std::string top = "-512";
    std::string bottom = "512";
    std::array<std::int32_t, engine::kTableCount> at{};
};

// The fixed corpus of bench/run's row on the sum range: the slow parameter sets of issue reports,
// the first-frame search's benchmark cases and the slowest that bench/range-worst has found.
const std::vector<RangeCase>& RangeCorpus();

// The case's tables computed and its input for the range, kept together.
class RangeInput {
public:
    explicit RangeInput(const RangeCase& c);
    RangeInput(const RangeInput&) = delete;
    RangeInput& operator=(const RangeInput&) = delete;

    const engine::PreviewCycleInput& input() const { return input_; }

private:
    engine::TableSet set_;
    engine::PreviewCycleInput input_;
};

// The median of `runs` timings of the range, in milliseconds of processor time.
double RangeMilliseconds(const RangeInput& input, int runs);

// The case as a line of the corpus, to paste into RangeCorpus.cpp.
std::string CorpusLine(const RangeCase& c);

} // namespace ondulix::bench
