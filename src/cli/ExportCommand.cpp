#include "cli/ExportCommand.h"

#include "cli/CommandLine.h"
#include "cli/GivenTables.h"
#include "engine/Defaults.h"
#include "engine/MessageText.h"
#include "export/TableFile.h"

#include <iomanip>
#include <ostream>
#include <sstream>

namespace ondulix::cli {
namespace {

constexpr std::string_view kHelpHead = R"(Usage: ondulix-export [--sin1 KEY=VALUE,...] ... [--style STYLE] [-o FILE] [--strict]

Writes the four sine tables of Ondulix V1, byte for byte as the window's "write file" writes
them after the same texts are typed into the same boxes.

Options:
  --sin1 KEY=VALUE,...  set parameters of table 1; likewise --sin2, --sin3 and --sin4.
                        A table may be given more than once; its keys are merged.
  --style STYLE         c or 1: C array initialisers ("Array, AnsiC-Style"), the default
                        asm or 2: assembler .byte lines ("Bytes, TassC64-Style")
  -o, --output FILE     write FILE as a whole: it is replaced only once the new content
                        is complete. Without -o, or with "-o -", the file goes to
                        standard output, CR LF line ends included.
  --strict              refuse, instead of report, a value the window would not take as
                        given (see below); nothing is written then
  -h, --help            show this help and exit
  --version             show the version and exit
Options may also be written --style=asm, --output=FILE, --sin1=KEY=VALUE,...

Keys, the window's column names (any letter case):
)";

constexpr std::string_view kHelpKeysTail = R"(Give one amplitude form per table; the other follows from it as in the window. Keys not given
keep the table's start-up value, and tables not given keep theirs:
)";

constexpr std::string_view kHelpTail = R"(
Values are read as the window reads its boxes: blanks are ignored, "&H10" is 16, "1e3" is
1000, "2.5" rounds to 2 (an exact half goes to the even neighbour), and a value beyond its limit
becomes the limit. A value that is clamped, raised to 1 (length and range), read as no number,
or followed by text the reading ignores ("12abc", "0x10") is reported on standard error, and
the file is written with the value the window would use.

Example:
  ondulix-export --style asm --sin1 length=256,min=0,max=255 --sin2 length=256,origin=0,range=64 -o tables.s

Exit status: 0 written; 1 the file could not be written; 2 bad command line, or a value refused
by --strict. In every case but 0 no FILE is created, and an existing FILE is left as it was.
)";

// The start-up values, from the same table the window starts from.
std::string defaultsTable() {
    std::ostringstream text;
    text << "          length  minimum  maximum  offset  periods  speed\n";
    for (std::size_t i = 0; i < engine::kTableDefaults.size(); ++i) {
        const engine::TableDefaults& d = engine::kTableDefaults[i];
        text << "  --sin" << i + 1 << std::setw(8) << d.Length << std::setw(9) << d.Minimum << std::setw(9)
             << d.Maximum << std::setw(8) << d.Offset << std::setw(9) << d.Periods << std::setw(7) << d.Speed
             << '\n';
    }
    return text.str();
}

std::ostream& report(std::ostream& err) { return err << kProgramName << ": "; }

} // namespace

std::string HelpText() {
    return std::string(kHelpHead) + KeysHelp() + std::string(kHelpKeysTail) + defaultsTable() + std::string(kHelpTail);
}

std::string VersionText() { return std::string(kProgramName) + " (Ondulix V1)\n"; }

int RunExportCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     toolkit::FileStore& store) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.ok()) {
        report(err) << parsed.error << '\n';
        return kExitUsage;
    }
    const ExportRequest& request = parsed.request;
    if (request.action == ExportRequest::Action::Help) {
        out << HelpText() << std::flush;
        return out ? kExitSuccess : kExitWriteFailed;
    }
    if (request.action == ExportRequest::Action::Version) {
        out << VersionText() << std::flush;
        return out ? kExitSuccess : kExitWriteFailed;
    }

    const GivenTables given = TablesFromTexts(request.tables);
    for (const ValueNote& note : given.notes)
        report(err) << DescribeNote(note, request.strict) << '\n';
    if (request.strict && !given.notes.empty())
        return kExitUsage;

    exporter::ValuesOnLine valuesOnLine = 0;
    std::string text;
    exporter::WriteTableFile(text, given.set, request.style, valuesOnLine);

    if (!request.outputPath || *request.outputPath == "-") {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            report(err) << "cannot write to standard output\n";
            return kExitWriteFailed;
        }
        return kExitSuccess;
    }

    if (const auto failure = store.replaceFile(*request.outputPath, text)) {
        report(err) << "cannot write " << engine::Quoted(*request.outputPath) << ": " << *failure << '\n';
        return kExitWriteFailed;
    }
    return kExitSuccess;
}

} // namespace ondulix::cli
