#pragma once

#include "cli/CommandLine.h"
#include "cli/ValueNotes.h"
#include "engine/TableSet.h"

#include <array>
#include <vector>

namespace ondulix::cli {

struct GivenTables {
    engine::TableSet set;         // the start-up tables with the given texts applied, computed
    std::vector<ValueNote> notes; // the given texts the window would not take as they stand
};

// The tables the window would hold after the given texts were typed into their boxes, each
// replacing a box's whole text: every text read, clamped and stored by the input rules, the
// amplitude's other form derived from the one given, and all four tables computed. Keys not
// given keep the table's start-up value.
GivenTables TablesFromTexts(const std::array<TableTexts, engine::kTableCount>& tables);

} // namespace ondulix::cli
