#pragma once

#include "engine/TableSet.h"
#include "export/TableFile.h"
#include "toolkit/Dialogs.h"

#include <string>
#include <vector>

namespace ondulix::exporter {

// "write file": asks for a file and a style (the C array or the TassC64 style, or a dialect made
// for one toolchain), then writes the four tables to it as a whole. The old file stays intact
// when the write fails, and the failure is returned for the window to show; a cancelled dialog
// touches nothing.
struct SaveOutcome {
    enum class Result { Cancelled, Saved, Failed };
    Result result = Result::Cancelled;
    std::string path;
    std::string reason; // why a failed save failed
};

inline constexpr std::string_view kSaveDialogTitle = "Save Tables as ...";
inline constexpr std::string_view kProposedFileName = "sinus";
inline constexpr std::string_view kCArraysFilter = "Array, AnsiC-Style";
inline constexpr std::string_view kAssemblerBytesFilter = "Bytes, TassC64-Style";
// The dialog's entries 1 and 2 are the C array and TassC64 styles, 3 onwards the dialects in their
// order.
inline constexpr int kFirstDialectEntry = 3;
std::vector<std::string> SaveFilterEntries();

SaveOutcome RunSaveCommand(toolkit::SaveDialog& dialog, toolkit::FileStore& store, const engine::TableSet& set,
                           const std::string& programFolder);

// The message shown when a save failed: names the file (a long path shortened in its middle) and
// the reason.
std::string SaveFailureMessage(const SaveOutcome& outcome);

} // namespace ondulix::exporter
