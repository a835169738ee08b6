#pragma once

#include "export/DialectFile.h"
#include "toolkit/Dialogs.h"

#include <chrono>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace ondulix::cli {

// The whole of ondulix-export except the process around it: reads the arguments, writes the file
// to the store or to `out`, and reports on `err`, one line per message, each starting with
// "ondulix-export: ". Nothing is written unless the command line is sound (and, with --strict,
// every value is taken as given).
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLeavesBounds = 3; // --check: the preview's sum leaves its bounds

inline constexpr std::string_view kProgramName = exporter::kExportProgram;

// Where `err` is a terminal, a --check that runs past quietFor shows how far it has got there, on
// one line that it rewrites and erases at the end; a quicker check shows nothing.
struct CheckProgressDisplay {
    bool errIsTerminal = false;
    std::chrono::milliseconds quietFor{500};
};

int RunExportCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     toolkit::FileStore& store, CheckProgressDisplay display = {});

// --check's time for the first frames when --check-budget does not set it, in seconds.
inline constexpr double kDefaultCheckBudget = 2.0;

std::string HelpText();
std::string VersionText();

} // namespace ondulix::cli
