#include "cli/ExportCommand.h"

#include "cli/CheckReport.h"
#include "cli/CommandLine.h"
#include "cli/GivenTables.h"
#include "cycle/PreviewCycleSearch.h"
#include "engine/Defaults.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "engine/PreviewCheck.h"
#include "engine/SumRange.h"
#include "export/DialectFile.h"
#include "export/TableFile.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include <iomanip>
#include <ostream>
#include <sstream>

namespace ondulix::cli {
namespace {

constexpr std::string_view kHelpHead = R"(Usage: ondulix-export [--sin1 KEY=VALUE,...] ... [--style STYLE] [--tables N,...]
                      [--label PREFIX | --names NAME,...] [--form bytes|words] [--align N]
                      [--split] [--endian little|big] [--load-address ADDR]
                      [-o FILE] [--strict]
                      [--check[=json] [--preview KEY=VALUE,...] [--check-budget SECONDS]]

Writes the four sine tables of Ondulix V1, byte for byte as the window's "write file" writes
them after the same texts are typed into the same boxes; or checks whether the sum the window's
preview draws ever leaves its bounds.

Options:
  --sin1 KEY=VALUE,...  set parameters of table 1; likewise --sin2, --sin3 and --sin4.
                        A table may be given more than once; its keys are merged.
  --style STYLE         c or 1: C array initialisers ("Array, AnsiC-Style"), the default
                        asm or 2: assembler .byte lines ("Bytes, TassC64-Style")
                        or a file that a toolchain takes as it stands, LF line ends:
                        c99 (C99 and C++ with stdint.h), 64tass, acme, ca65, dasm, xa
                        (6502), pasmo, z80asm (Z80), sdas (Z80 and Game Boy, SDCC),
                        m68k (68000, Motorola syntax), gas-arm (ARM), nasm (x86);
                        or bin, the bytes alone. Each table in the narrowest data form
                        that holds it: unsigned or signed bytes, else 16-bit words, in
                        the byte order of the target (big endian for the 68000).
  --tables N,...        with those styles: write only these tables, in this order
  --label PREFIX        with those styles but bin: label the tables PREFIX1 to PREFIX4
                        (default sin1 to sin4)
  --names NAME,...      with those styles but bin: one label for each table written
  --form bytes|words    with those styles: every table in bytes, refused for a table
                        that needs words, or in words, instead of the narrowest form
  --align N             with those styles: start each table at a multiple of N bytes,
                        a power of two up to 256; refused where the toolchain cannot
                        align inside an included file (c99, ca65, sdas, m68k)
  --split               with the assemblers and bin: write a table that needs 16-bit
                        words as two byte tables, PREFIXn_lo (low bytes) then PREFIXn_hi
                        (high bytes)
  --endian little|big   with bin: the byte order of words (default little)
  --load-address ADDR   with bin: begin with ADDR, two bytes low first, as a C64 program
                        file does ($C000, 0xC000 or 49152); --align counts from ADDR, and
                        without it from the first byte
  -o, --output FILE     write FILE as a whole: a regular file is replaced only once the
                        new content is complete, keeping its owner, mode, links and
                        attributes (or, where a new file could not keep them, written in
                        place); a device or a pipe is written into, as by a redirection,
                        and a link is followed. Without -o, or "-o -", to standard output
                        (the styles c and asm with CR LF line ends).
  --strict              refuse, instead of report, a value the window would not take as
                        given (see below); nothing is written then
  --check[=json]        instead of writing the file, report whether the sum of the ticked
                        tables stays within the preview's bounds over every frame the
                        animation will ever reach (plain lines, or one JSON object);
                        with -o the file is written as well
  --preview KEY=VALUE,...  the preview's settings for --check, as in the window:
                        steps (its width, 1 to 16384), top and bottom (its bounds), on
                        (which tables take part, one digit per table) and at (the
                        positions it starts from, one per table, each modulo its Length);
                        default steps=512,top=-512,bottom=512,on=1111,at=0/0/0/0
  --check-budget SECONDS  the time --check may take to find where the extremes and the
                        edges are first reached (default 2, 0 for no limit); the verdict
                        and the sums are exact in any case, and a first frame not found
                        in time is reported as not settled. On a terminal, a check that
                        takes longer than half a second shows its progress.
  -h, --help            show this help and exit
  --version             show the version and exit
  --                    end of the options
Options may also be written --style=asm, --output=FILE, --sin1=KEY=VALUE,...
)";

constexpr std::string_view kHelpKeysHead = R"(
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
and one 256-byte table of signed bytes, named sintab and page-aligned, for 64tass:
  ondulix-export --style 64tass --tables 1 --names sintab --form bytes --align 256 --sin1 length=256,min=-128,max=127

With the dialects, a table that needs 16-bit words is reported on standard error, with bounds
that would make it fit a byte, unless --form chose the width. Every such file but bin begins
with a comment that names each table's parameters and the ondulix-export command that writes
the same file again.

Exit status: 0 written (with --check: the sum stays within the bounds); 1 the file could not
be written; 2 bad command line, or a value refused by --strict; 3 with --check: the sum leaves
the bounds. On 1 and 2 no FILE is created, and an existing FILE is left as it was, except where
a write in place, or into a device or a pipe, broke off part way, which the message names.
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

// A search that runs past the quiet time shows on a terminal how far it has got, on one line that
// each report overwrites and that is erased once the search is done.
class CheckProgress {
public:
    CheckProgress(std::ostream& err, CheckProgressDisplay display, std::optional<double> budget)
        : err_(err), display_(display), budget_(budget) {}

    cycle::SearchBudget budget() {
        cycle::SearchBudget b;
        if (budget_)
            b.limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(*budget_));
        if (display_.errIsTerminal)
            b.progress = [this](std::chrono::steady_clock::duration spent, int settled) { show(spent, settled); };
        return b;
    }

    void erase() {
        if (shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    void show(std::chrono::steady_clock::duration spent, int settled) {
        if (spent < display_.quietFor)
            return;
        const double seconds = std::chrono::duration<double>(spent).count();
        std::ostringstream line;
        line << std::fixed << std::setprecision(1) << seconds << " s";
        if (budget_)
            line << " of " << engine::DoubleText(*budget_) << " s";
        report(err_ << "\r\033[K") << "--check: searching for the first frames, " << settled << " of 4 settled, "
                                     << line.str() << std::flush;
        shown_ = true;
    }

    std::ostream& err_;
    CheckProgressDisplay display_;
    std::optional<double> budget_;
    bool shown_ = false;
};

// The preview's settings for --check, read as the window's boxes read them and taken as they then
// show them; a setting not given keeps the window's start-up value.
engine::PreviewReading readPreview(const PreviewTexts& texts) {
    const engine::PreviewView startUp;
    engine::PreviewReading reading =
        engine::ReadPreview(texts.steps.value_or(engine::FloatText(startUp.Xmax())),
                            texts.top.value_or(engine::FloatText(startUp.Ymin())),
                            texts.bottom.value_or(engine::FloatText(startUp.Ymax())));
    reading.view = engine::SettledView(reading.view);
    return reading;
}

// The positions the preview starts from: 0 where none are given.
std::array<std::int32_t, engine::kTableCount> positionsOf(const PreviewTexts& texts, const engine::TableSet& set) {
    std::array<std::int32_t, engine::kTableCount> positions{};
    if (texts.at)
        for (std::size_t t = 0; t < positions.size(); ++t)
            positions[t] = engine::PositionOf(engine::ReadNumber((*texts.at)[t]), set.tables[t].Length);
    return positions;
}

// The file the request asks for: the C array or TassC64 style, or a dialect, which may refuse the
// tables (a table of --form bytes that needs words).
exporter::DialectFile fileOf(const ExportRequest& request, const engine::TableSet& set) {
    if (request.dialect)
        return exporter::WriteDialectFile(set, *request.dialect, request.dialectOptions);
    exporter::DialectFile file;
    file.text = exporter::WriteTableFile(set, request.style);
    return file;
}

// For each table of a dialect file that a byte does not hold, unless --form chose the width:
// "sin1 needs 16-bit signed words: ...; min=-128,max=127 would make it fit signed bytes".
std::vector<std::string> wideTableNotes(const ExportRequest& request, const engine::TableSet& set) {
    std::vector<std::string> notes;
    if (!request.dialect || request.dialectOptions.form)
        return notes;
    for (const int table : request.dialectOptions.tables)
        if (std::string note = exporter::NeedsWordsNote(set, table); !note.empty())
            notes.push_back(std::move(note));
    return notes;
}

} // namespace

std::string HelpText() {
    return std::string(kHelpHead) + "Styles: " + StyleNames() + "\n" + std::string(kHelpKeysHead) + KeysHelp() +
           std::string(kHelpKeysTail) + defaultsTable() + std::string(kHelpTail);
}

std::string VersionText() { return std::string(kProgramName) + " (Ondulix V1)\n"; }

int RunExportCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     toolkit::FileStore& store, CheckProgressDisplay display) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.ok()) {
        report(err) << parsed.error << '\n';
        return kExitUsage;
    }
    const ExportRequest& request = parsed.request;
    if (request.action != ExportRequest::Action::Export) {
        out << (request.action == ExportRequest::Action::Help ? HelpText() : VersionText()) << std::flush;
        if (!out) {
            report(err) << "cannot write to standard output\n";
            return kExitWriteFailed;
        }
        return kExitSuccess;
    }

    GivenTables given = TablesFromTexts(request.tables);
    std::vector<ValueNote> notes = given.notes;
    std::optional<engine::PreviewReading> preview;
    if (request.check) {
        preview = readPreview(request.preview);
        given.set.preview.Position = positionsOf(request.preview, given.set);
        for (const auto& more : {PreviewNotes(request.preview, *preview),
                                 PositionNotes(request.preview, given.set.preview.Position)})
            notes.insert(notes.end(), more.begin(), more.end());
    }
    for (const ValueNote& note : notes)
        report(err) << DescribeNote(note, request.strict) << '\n';
    if (request.strict && !notes.empty())
        return kExitUsage;

    // A file that cannot be written is refused before --check reports anything.
    const bool writesFile = !request.check || request.outputPath;
    const exporter::DialectFile file = writesFile ? fileOf(request, given.set) : exporter::DialectFile{};
    if (!file.ok()) {
        report(err) << file.problem << '\n';
        return kExitUsage;
    }
    for (const std::string& note : wideTableNotes(request, given.set))
        report(err) << note << '\n';

    int status = kExitSuccess;
    if (request.check) {
        const engine::Participation ticked = request.preview.on.value_or(engine::kStartUpParticipation);
        const double seconds = request.checkBudget.value_or(kDefaultCheckBudget);
        const std::optional<double> budget = seconds > 0.0 ? std::optional(seconds) : std::nullopt;
        // The verdict and the sums come at a bounded cost; the first frames from the search.
        const std::optional<engine::SumRange> range =
            engine::PreviewSumRange(engine::CycleInputOf(given.set, preview->view, ticked));
        CheckProgress progress(err, display, budget);
        const engine::PreviewCycleReport answer =
            cycle::CheckPreview(given.set, preview->view, ticked, progress.budget());
        progress.erase();
        const CheckFindings findings{ticked, given.set.preview.Position, range, answer, budget};
        out << (*request.check == ExportRequest::CheckReport::Json ? CheckJson(findings, preview->view)
                                                                    : CheckText(findings, preview->view))
            << std::flush;
        if (!out) {
            report(err) << "cannot write to standard output\n";
            return kExitWriteFailed;
        }
        status = StaysWithinBounds(findings, preview->view) ? kExitSuccess : kExitLeavesBounds;
        if (!request.outputPath)
            return status;
    }

    const std::string& text = file.text;
    if (!request.outputPath || *request.outputPath == "-") {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            report(err) << "cannot write to standard output\n";
            return kExitWriteFailed;
        }
        return status;
    }

    if (const auto failure = store.replaceFile(*request.outputPath, text)) {
        report(err) << "cannot write " << engine::Quoted(*request.outputPath) << ": " << *failure << '\n';
        return kExitWriteFailed;
    }
    return status;
}

} // namespace ondulix::cli
