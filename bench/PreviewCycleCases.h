#pragma once

// The parameter sets the first-frame search is measured on: the benchmark's hardest cases, and a
// fixed corpus of random ones with the edges just inside the extremes, which the same generator
// also draws in any number for a search of the worst (bench/cycle-worst).

#include "engine/Defaults.h"
#include "engine/PreviewCycle.h"
#include "engine/PreviewView.h"
#include "engine/TableSet.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondulix::bench {

using CycleTables = std::array<engine::TableDefaults, engine::kTableCount>;

// Where the edges go: at given values, or given distances inside the smallest and largest sum.
struct CycleEdges {
    bool insideExtremes = true;
    float top = 0.5f;    // the top edge, or its distance above the smallest sum
    float bottom = 0.5f; // the bottom edge, or its distance below the largest sum
};

struct CycleCase {
    std::string name;
    CycleTables tables{};
    double xmax = 16384.0;
    CycleEdges edges;
    engine::Participation ticked{true, true, true, true};
};

// Tables as the generator computes them, and the search's input over them.
struct CyclePreview {
    engine::TableSet set;
    engine::PreviewCycleInput input;
};

// The case's tables computed and its edges placed (inside the extremes, which takes the exact
// range first).
std::unique_ptr<CyclePreview> PreviewOf(const CycleCase& c);

// The benchmark's cases: the start-up tables first, then the hardest we could construct or find.
const std::vector<CycleCase>& HardCycleCases();

// Random cases with the edges 0.5 to 4 units inside the extremes: lengths mostly just below 16384,
// else from 8000 with many shared factors, mostly one period, speeds mostly up to 8 either way,
// else up to 256, amplitudes mostly 8 to 128, else up to 16384, four tables taking part half the
// time, else three or two, and 192, 129 or any number of columns. The same seed draws the same cases on every machine.
std::vector<CycleCase> EdgeNearExtremeCases(std::uint32_t seed, int count);

// The seed and size of the fixed corpus.
inline constexpr std::uint32_t kCorpusSeed = 20261209;
inline constexpr int kCorpusSize = 41;

// The ondulix-export arguments that ask --check the same question.
std::string CheckCommandOf(const CycleCase& c, const CyclePreview& p);

} // namespace ondulix::bench
