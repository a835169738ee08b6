#pragma once

#include "cli/CommandLine.h"
#include "cli/ValueNotes.h"
#include "export/TableFile.h"

#include <string>
#include <vector>

namespace ondulix::cli {

struct ExportedTables {
    std::string text;              // the file, byte for byte
    std::vector<ValueNote> notes;  // the given texts the window did not take as they stand
};

// Starts the main window's logic without a display, pastes every given text into its box, and
// takes the file that "write file" would write now. The texts go in table by table, each table's
// keys in the fixed order of TableKey (never in the order they were given), one paste per box,
// as a user pastes over a box's whole text; the window's own handlers read, clamp, derive the
// other amplitude form and recompute, so the file is exactly the window's.
ExportedTables ExportThroughWindow(const std::array<TableTexts, engine::kTableCount>& tables,
                                   exporter::ExportStyle style);

} // namespace ondulix::cli
