#include "cli/ExportCommand.h"

#include "CliTestSupport.h"
#include "cli/CommandLine.h"
#include "cli/GivenTables.h"
#include "support/MemoryDialogs.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace ondulix::cli {
namespace {

// One run of the command against an in-memory file store.
struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
    toolkit::MemoryFileStore store;

    explicit CommandRun(std::vector<std::string_view> args, std::optional<std::string> storeFailure = std::nullopt,
                        CheckProgressDisplay display = {}) {
        store.failure = std::move(storeFailure);
        std::ostringstream outStream;
        std::ostringstream errStream;
        status = RunExportCommand(args, outStream, errStream, store, display);
        out = outStream.str();
        err = errStream.str();
    }
};

TEST(ExportCommand, DefaultTablesGoToStandardOutputInBothStyles) {
    const std::pair<std::vector<std::string_view>, const char*> cases[] = {
        {{}, "default-tables-c.txt"},
        {{"--style", "c"}, "default-tables-c.txt"},
        {{"--style", "1"}, "default-tables-c.txt"},
        {{"--style", "asm"}, "default-tables-asm.txt"},
        {{"--style", "2"}, "default-tables-asm.txt"},
        {{"--style=asm", "-o", "-"}, "default-tables-asm.txt"},
    };
    for (const auto& [args, golden] : cases) {
        const CommandRun run(args);
        EXPECT_EQ(kExitSuccess, run.status) << golden;
        EXPECT_SAME_BYTES(testing::goldenFile(golden), run.out);
        EXPECT_EQ("", run.err);
        EXPECT_TRUE(run.store.files.empty());
    }
}

TEST(ExportCommand, OutputFileGoesToTheStoreAndNothingToStandardOutput) {
    const CommandRun run({"--style", "asm", "--sin1", "length=256,min=0,max=255", "-o", "tables.s"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("", run.err);
    ASSERT_EQ(1u, run.store.files.count("tables.s"));
    using testing::BoxEdit;
    using H = ui::FormControls;
    EXPECT_SAME_BYTES(testing::windowFile({{0, &H::txtSinLen, "256", BoxEdit::How::Type},
                                           {0, &H::txtSinMin, "0", BoxEdit::How::Type},
                                           {0, &H::txtSinMax, "255", BoxEdit::How::Type}},
                                          exporter::ExportStyle::AssemblerBytes),
                      run.store.files.at("tables.s"));
}

TEST(ExportCommand, TheOrderOfTheArgumentsDoesNotMatter) {
    const CommandRun first({"--sin1", "min=0,max=255,length=100", "--sin2", "range=64", "--style", "asm", "--sin1",
                     "periods=3", "-o", "a"});
    const CommandRun second({"-o", "a", "--sin1", "periods=3,length=100", "--style", "asm", "--sin2", "range=64", "--sin1",
                      "max=255,min=0"});
    ASSERT_EQ(kExitSuccess, first.status);
    ASSERT_EQ(kExitSuccess, second.status);
    EXPECT_SAME_BYTES(first.store.files.at("a"), second.store.files.at("a"));
}

TEST(ExportCommand, ChangedValuesAreReportedAndTheFileIsWrittenWithThem) {
    const CommandRun run({"--sin1", "length=20000,offset=abc", "-o", "t.c"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("ondulix-export: sin1 length: \"20000\" is above 16384; using 16384\n"
              "ondulix-export: sin1 offset: \"abc\" is not a number; using 0\n",
              run.err);
    const CommandRun same({"--sin1", "length=16384,offset=0", "-o", "t.c"});
    EXPECT_EQ("", same.err);
    EXPECT_SAME_BYTES(same.store.files.at("t.c"), run.store.files.at("t.c"));
}

TEST(ExportCommand, StrictRefusesChangedValuesAndWritesNothing) {
    const CommandRun run({"--strict", "--sin2", "range=-40000", "--sin3", "length=12abc", "-o", "t.c"});
    EXPECT_EQ(kExitUsage, run.status);
    EXPECT_EQ("ondulix-export: sin2 range: \"-40000\" is below 1; --strict refuses to use 1\n"
              "ondulix-export: sin3 length: \"12abc\" has \"abc\" after the number; --strict refuses to use 12\n",
              run.err);
    EXPECT_TRUE(run.store.files.empty());
    EXPECT_EQ("", run.out);

    const CommandRun toStandardOutput({"--strict", "--sin1", "min=99999"});
    EXPECT_EQ(kExitUsage, toStandardOutput.status);
    EXPECT_EQ("", toStandardOutput.out);

    // Values taken as given, rounding included, pass.
    const CommandRun clean({"--strict", "--sin1", "length=256,periods=2.5,offset=&H10", "-o", "t.c"});
    EXPECT_EQ(kExitSuccess, clean.status);
    EXPECT_EQ("", clean.err);
    EXPECT_EQ(1u, clean.store.files.size());
}

// Every bad command line: status 2, one line naming the fault, nothing written anywhere.
TEST(ExportCommand, BadCommandLinesWriteNothing) {
    const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
        {{"--bogus"}, R"(unknown option "--bogus" (see --help))"},
        {{"-x"}, R"(unknown option "-x" (see --help))"},
        {{"--sin"}, R"(unknown option "--sin" (see --help))"},
        {{"--sinx=length=5"}, R"(unknown option "--sinx" (see --help))"},
        {{"tables.s"}, R"(unexpected argument "tables.s" (see --help))"},
        {{"--sin1", "length=5", "extra"}, R"(unexpected argument "extra" (see --help))"},
        {{"--sin5", "length=5"}, "--sin5: there is no table 5; the tables are --sin1 to --sin4"},
        {{"--sin0", "length=5"}, "--sin0: there is no table 0; the tables are --sin1 to --sin4"},
        {{"--sin12=length=5"}, "--sin12: there is no table 12; the tables are --sin1 to --sin4"},
        {{"--sin1"}, "--sin1 needs a value: key=value,..."},
        {{"--sin1", "--style", "asm"}, "--sin1 needs a value: key=value,..."},
        {{"--sin1="}, "--sin1 needs a value: key=value,..."},
        {{"--style"}, "--style needs a value: c (or 1), asm (or 2), c99, 64tass, acme, ca65, dasm, xa, "
         "pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin"},
        {{"--style="}, "--style needs a value: c (or 1), asm (or 2), c99, 64tass, acme, ca65, dasm, xa, "
         "pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin"},
        {{"-o"}, "-o needs a value: a file name"},
        {{"--output", "--strict"}, "--output needs a value: a file name"},
        {{"--style", "pascal"}, "--style: unknown style \"pascal\"; use c (or 1), asm (or 2), c99, 64tass, acme, ca65, dasm, xa, "
         "pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin"},
        {{"--style", "3"}, "--style: unknown style \"3\"; use c (or 1), asm (or 2), c99, 64tass, acme, ca65, dasm, xa, "
         "pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin"},
        {{"--style", "c", "--style", "c"}, "--style is given twice"},
        {{"--style", "acme", "--label", "tab-le"},
         R"(--label: the label prefix "tab-le" holds other characters than ASCII letters, digits and _)"},
        {{"--style", "asm", "--label", "t"},
         "--label needs a --style of c99, 64tass, acme, ca65, dasm, xa, pasmo, z80asm, sdas, m68k, gas-arm, nasm; "
         "the styles c and asm name their tables SinTab1 to SinTab4"},
        {{"--tables", "2"},
         "--tables needs a --style of c99, 64tass, acme, ca65, dasm, xa, pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin; "
         "the styles c and asm write the four tables"},
        {{"--load-address", "$C000"}, "--load-address needs a --style of bin; the styles c and asm are text"},
        {{"--style", "acme", "--tables", "1,5"}, R"(--tables: "5" is not a table number 1 to 4)"},
        {{"--style", "acme", "--tables", "3,1,3"}, "--tables: table 3 is given twice"},
        {{"--style", "acme", "--tables", "1", "--tables=2"}, "--tables is given twice"},
        {{"--style", "acme", "--tables", "1,3", "--names", "a"},
         "--names: 1 names for 2 tables written; give one name per table, in the order of --tables"},
        {{"--style", "acme", "--names", "a,,b"}, R"(--names: empty name in "a,,b")"},
        {{"--style", "acme", "--names", "a,b,c,d", "--label", "t"},
         "--names and --label both name the tables; give one of them"},
        {{"--style", "nasm", "--label", "xmm"},
         "--label: the label prefix \"xmm\" makes the label xmm1, which nasm refuses as a register"},
        {{"--style", "acme", "--form", "longs"}, R"(--form: "longs" is neither bytes nor words)"},
        {{"--style", "acme", "--align", "0x100"}, R"(--align: "0x100" is not a power of two from 1 to 256)"},
        {{"--style", "acme", "--align", "48"}, "--align: 48 is not a power of two from 1 to 256"},
        {{"--style", "ca65", "--align", "256"},
         "--align: ca65 cannot align inside an included file: .align aligns within the segment, and only the "
         "linker configuration aligns the segment"},
        {{"--style", "bin", "--endian", "middle"}, R"(--endian: "middle" is neither little nor big)"},
        {{"--style", "nasm", "--endian", "big"}, "--endian is for --style bin; nasm writes words as its target stores them"},
        {{"--style", "bin", "--load-address", "$10000"},
         R"(--load-address: "$10000" is not an address from 0 to $FFFF ($C000, 0xC000 or 49152))"},
        {{"--style", "bin", "--load-address", "C000"},
         R"(--load-address: "C000" is not an address from 0 to $FFFF ($C000, 0xC000 or 49152))"},
        // Refused once the tables are computed: the hint the notes give, as the reason.
        {{"--style", "acme", "--form", "bytes"},
         "--form bytes: sin1 needs 16-bit signed words: its entries run from -128 to 128; min=-128,max=127 would "
         "make it fit signed bytes"},
        {{"--style", "bin", "--load-address", "0xFC00"},
         "--load-address: the tables would end at $105FF, past the last address $FFFF"},
        {{"--style", "c99", "--split"}, "--split is for the assembler styles; c99 writes 16-bit tables whole"},
        {{"-o", "a", "--output", "b"}, "--output is given twice"},
        {{"--strict=yes"}, "--strict takes no value"},
        {{"--sin1", "length256"}, R"(--sin1: "length256" is not key=value)"},
        {{"--sin2", "=256"}, R"(--sin2: "=256" is not key=value)"},
        {{"--sin1", "length=5,,min=0"}, R"(--sin1: empty entry in "length=5,,min=0")"},
        {{"--sin1", "length=5,"}, R"(--sin1: empty entry in "length=5,")"},
        {{"--sin3", "lenght=5"},
         R"(--sin3: unknown key "lenght"; the keys are length, offset, periods, speed, minimum (min), maximum (max), origin, range)"},
        {{"--sin1", "length="}, "--sin1: length has no value"},
        {{"--sin1", "min= "}, "--sin1: minimum has no value"},
        {{"--sin1", "length=5,length=6"}, "--sin1: length is given twice"},
        {{"--sin1", "min=5", "--sin1", "minimum=6"}, "--sin1: minimum is given twice"},
        {{"--sin4", "min=0,range=64"},
         "--sin4: the amplitude is given both as minimum/maximum and as origin/range; give one form"},
        {{"--sin4", "origin=0", "--sin4", "max=5"},
         "--sin4: the amplitude is given both as minimum/maximum and as origin/range; give one form"},
        // Only the first fault is reported.
        {{"--sin9", "x", "--bogus"}, "--sin9: there is no table 9; the tables are --sin1 to --sin4"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::vector<std::string_view>> tries = {args};
        // Again with an output file, unless the fault is in the output option itself.
        if (message.find("-o") == std::string_view::npos && message.find("--output") == std::string_view::npos) {
            tries.push_back(args);
            tries.back().insert(tries.back().begin(), {"-o", "kept.s"});
        }
        for (const auto& tried : tries) {
            const CommandRun run(tried);
            EXPECT_EQ(kExitUsage, run.status) << message;
            EXPECT_EQ("ondulix-export: " + std::string(message) + "\n", run.err);
            EXPECT_EQ("", run.out) << message;
            EXPECT_TRUE(run.store.files.empty()) << message;
        }
    }
}

TEST(ExportCommand, AFailedWriteIsReportedWithItsReason) {
    const CommandRun run({"-o", "out/t.s"}, "the folder \"out\" does not exist");
    EXPECT_EQ(kExitWriteFailed, run.status);
    EXPECT_EQ("ondulix-export: cannot write \"out/t.s\": the folder \"out\" does not exist\n", run.err);
    EXPECT_EQ("", run.out);
}

TEST(ExportCommand, AFailingStandardOutputIsAFailedWrite) {
    std::ostream broken(nullptr); // every write fails
    std::ostringstream err;
    toolkit::MemoryFileStore store;
    const std::vector<std::string_view> none;
    EXPECT_EQ(kExitWriteFailed, RunExportCommand(none, broken, err, store));
    EXPECT_EQ("ondulix-export: cannot write to standard output\n", err.str());
}

TEST(ExportCommand, HelpExplainsEveryOptionWithAnExample) {
    for (const std::string_view flag : {"--help", "-h"}) {
        const CommandRun run({flag, "--bogus"});
        EXPECT_EQ(kExitSuccess, run.status);
        EXPECT_EQ("", run.err);
        EXPECT_EQ(HelpText(), run.out);
    }
    const std::string help = HelpText();
    for (const char* expected :
         {"--sin1 KEY=VALUE", "--sin4", "--style STYLE", "asm or 2", "c or 1", "-o, --output FILE", "--strict",
          "--help", "--version", "length", "offset", "periods", "speed", "minimum, min", "maximum, max", "origin",
          "range", "Example:\n  ondulix-export --style asm", "Exit status", "--tables N,...", "--names NAME,...",
          "--form bytes|words", "--align N", "--split", "--endian little|big", "--load-address ADDR", "pasmo",
          "z80asm", "sdas", "m68k", "gas-arm", "nasm", "bin", "--tables 1 --names sintab --form bytes --align 256"})
        EXPECT_NE(std::string::npos, help.find(expected)) << expected;
    // The start-up values, from the window's own defaults.
    EXPECT_NE(std::string::npos, help.find("  --sin2     512      -96       96      64        2     -3\n"));
}

TEST(ExportCommand, VersionNamesOndulixV1) {
    const CommandRun run({"--version"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("ondulix-export (Ondulix V1)\n", run.out);
}

// A dialect file names the command that writes it again: run that command, get the same bytes.
// The cases take every amplitude form the bounds cannot carry (an odd Range typed with the other
// neighbour of its midpoint as Origin, bounds beyond +-16384 derived from the centre form, a
// Minimum above the Maximum), a label and the split form.
TEST(ExportCommand, ADialectFileIsWrittenAgainByTheCommandInItsHeader) {
    const std::vector<std::string_view> cases[] = {
        {"--style", "64tass"},
        {"--style", "ca65", "--split", "--label", "wave_", "--sin1", "origin=3,range=5,length=100", "--sin2",
         "origin=16384,range=32768", "--sin3", "min=100,max=50,periods=-3", "--sin4", "length=1,speed=0"},
        {"--style=c99", "--sin2", "origin=1,range=3", "--sin3", "length=16384,periods=16384,offset=-16384"},
        {"--style", "nasm", "--tables", "4,2", "--names", "xsin,ysin", "--form", "words", "--align", "16", "--sin2",
         "origin=1,range=3"},
        {"--style", "m68k", "--tables=3", "--form=bytes", "--label=wave", "--sin3", "length=7"},
        {"--style=gas-arm", "--split", "--align=4", "--sin1", "length=5"},
    };
    for (const auto& args : cases) {
        const CommandRun first(args);
        ASSERT_EQ(kExitSuccess, first.status) << first.err;
        // The fourth line: the comment marker, two blanks, the command.
        std::istringstream lines(first.out);
        std::string line;
        for (int i = 0; i < 4; ++i)
            std::getline(lines, line);
        const std::size_t start = line.find("ondulix-export ");
        ASSERT_NE(std::string::npos, start) << line;
        std::istringstream words(line.substr(start + std::string_view("ondulix-export ").size()));
        const std::vector<std::string> command{std::istream_iterator<std::string>(words),
                                               std::istream_iterator<std::string>()};
        const CommandRun again(std::vector<std::string_view>(command.begin(), command.end()));
        ASSERT_EQ(kExitSuccess, again.status) << again.err;
        EXPECT_SAME_BYTES(first.out, again.out);
    }
}

TEST(ExportCommand, SixteenBitTablesAreReportedWithBoundsThatFitAByte) {
    const CommandRun run({"--style", "acme", "--sin3", "min=0,max=300", "-o", "t.a"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("ondulix-export: sin1 needs 16-bit signed words: its entries run from -128 to 128; min=-128,max=127 "
              "would make it fit signed bytes\n"
              "ondulix-export: sin3 needs 16-bit unsigned words: its entries run from 0 to 300; min=0,max=255 "
              "would make it fit unsigned bytes\n",
              run.err);
    EXPECT_EQ(1u, run.store.files.count("t.a"));

    // Only the tables written are noted, and none when --form chose the width.
    const CommandRun some({"--style", "acme", "--tables", "3,2", "--sin3", "min=0,max=300"});
    EXPECT_EQ("ondulix-export: sin3 needs 16-bit unsigned words: its entries run from 0 to 300; min=0,max=255 "
              "would make it fit unsigned bytes\n",
              some.err);
    const CommandRun chosen({"--style", "acme", "--form", "words", "--sin3", "min=0,max=300"});
    EXPECT_EQ("", chosen.err);
    EXPECT_EQ(kExitSuccess, chosen.status);
}

TEST(ExportCommand, CheckReportsWhetherThePreviewLeavesItsBoundsAndWritesOnlyWithOutput) {
    const CommandRun inside({"--check"});
    EXPECT_EQ(kExitSuccess, inside.status);
    EXPECT_EQ("The sum stays within -512 to 512 in every frame.\n"
              "It runs from -316 to 310.\n"
              "Smallest sum -316, first in frame 70 at column 332.\n"
              "Largest sum 310, first in frame 29 at column 104.\n"
              "Past the top edge (-512): never.\n"
              "Past the bottom edge (512): never.\n"
              "Over the whole cycle of 512 frames; columns 0 to 512 in steps of 4; tables taking part: 1, 2, 3, 4.\n",
              inside.out);
    EXPECT_TRUE(inside.store.files.empty());

    // The preview's settings read as its boxes read them, with notes: "1e39" is clamped.
    const CommandRun leaves({"--check=json", "--preview", "top=-200,bottom=1e39,on=1100", "-o", "t.c"});
    EXPECT_EQ(kExitLeavesBounds, leaves.status);
    EXPECT_EQ("ondulix-export: preview bottom: \"1e39\" is above 1048576; using 1048576\n", leaves.err);
    EXPECT_EQ(R"({"inside":false,"top":-200,"bottom":1048576,"tables":[1,2],"at":[0,0,0,0],"columnStep":4,)"
              R"("lastColumn":512,"cycleFrames":512,"cycleFramesText":"512","smallest":{"sum":-224,"frame":0,)"
              R"("column":380},"largest":{"sum":224,"frame":30,"column":92},"pastTop":{"sum":-202,"frame":0,)"
              R"("column":360},"pastBottom":null,"settled":true})"
              "\n",
              leaves.out);
    EXPECT_EQ(1u, leaves.store.files.count("t.c"));
}

// Sin1 of Length 8 from -100 to 100 at step 4: from position 0 the columns 0 and 1 show entries
// 0, 1, 4 and 5 (at most 71 from 0), from position 1 entries 1, 2, 5 and 6 (100 and -100). The
// positions are read as box values ("9" is 1 modulo 8, "x" reads 0 with a note).
TEST(ExportCommand, CheckAnswersForTheCycleFromTheGivenPositions) {
    const std::vector<std::string_view> sin1{"--sin1", "length=8,speed=4,min=-100,max=100"};
    const auto run = [&](std::string_view preview) {
        std::vector<std::string_view> args{"--check=json", "--preview", preview};
        args.insert(args.end(), sin1.begin(), sin1.end());
        return CommandRun(args);
    };
    const CommandRun zero = run("steps=1,top=-80,bottom=80,on=1000");
    EXPECT_EQ(kExitSuccess, zero.status) << zero.out;
    EXPECT_NE(std::string::npos, zero.out.find(R"("at":[0,0,0,0])")) << zero.out;
    const CommandRun one = run("steps=1,top=-80,bottom=80,on=1000,at=9/2.5/-1/x");
    EXPECT_EQ(kExitLeavesBounds, one.status) << one.out;
    EXPECT_EQ("ondulix-export: preview at sin4: \"x\" is not a number; using 0\n", one.err);
    EXPECT_NE(std::string::npos, one.out.find(R"("inside":false,"top":-80,"bottom":80,"tables":[1],"at":[1,2,511,0])"))
        << one.out;
    EXPECT_NE(std::string::npos, one.out.find(R"("smallest":{"sum":-100,"frame":1,"column":1})")) << one.out;

    const CommandRun text({"--check", "--preview", "steps=1,top=-80,bottom=80,on=1000,at=1/0/0/0", "--sin1",
                           "length=8,speed=4,min=-100,max=100"});
    EXPECT_NE(std::string::npos, text.out.find("It runs from -100 to 100.\n")) << text.out;
    EXPECT_NE(std::string::npos, text.out.find("Over the whole cycle of 512 frames from positions 1/0/0/0; columns 0 "
                                               "to 1 in steps of 1;"))
        << text.out;
    for (const char* bad : {"at=1/2/3", "at=1/2/3/4/5", "at=1//3/4"})
        EXPECT_EQ(kExitUsage, run(std::string("steps=1,") + bad).status) << bad;
}

// A sum equal to a bound as its box shows it passes no edge: a top of -10.1 makes the bottom edge
// 511.99997 in single precision, shown as 512. A top at or below the default bottom moves it, and
// says so. The last column is the last one drawn, and the cycle also comes as text.
TEST(ExportCommand, CheckEdges) {
    const CommandRun equal({"--check", "--preview", "top=-10.1,bottom=512,on=1000", "--sin1", "min=0,max=512"});
    EXPECT_EQ(kExitSuccess, equal.status) << equal.out;
    EXPECT_NE(std::string::npos, equal.out.find("Past the bottom edge (512): never.")) << equal.out;

    const CommandRun moved({"--check", "--preview", "top=600"});
    EXPECT_EQ("ondulix-export: preview bottom: the default \"512\" is not below the top; using 601\n", moved.err);
    EXPECT_EQ(kExitUsage, CommandRun({"--check", "--strict", "--preview", "top=600"}).status);

    const CommandRun wide({"--check=json", "--preview", "steps=300.5", "--sin1", "length=16381", "--sin2",
                           "length=16369", "--sin3", "length=16363", "--sin4", "length=16361,speed=3"});
    EXPECT_NE(std::string::npos, wide.out.find(R"("columnStep":2,"lastColumn":300,)")) << wide.out;
    EXPECT_NE(std::string::npos, wide.out.find(R"("cycleFrames":71785269314180327,)"
                                               R"("cycleFramesText":"71785269314180327")"))
        << wide.out;
}

// Three lengths near 16384 and edges half a unit to three units inside the extremes: a cycle of
// 1.2 * 10^14 frames whose sums first pass the edges beyond frame 10^8, which takes the search
// seconds.
const std::vector<std::string_view> kSlowCheck{
    "--preview", "steps=16384,top=-95.5,bottom=93,on=0111",
    "--sin2",    "length=16337,offset=-3489,speed=-1,min=-32,max=32",
    "--sin3",    "length=14576,offset=-899,speed=-7,min=-32,max=32",
    "--sin4",    "length=16335,offset=10852,speed=-1,min=-32,max=32"};

std::vector<std::string_view> slowCheck(std::vector<std::string_view> options) {
    options.insert(options.end(), kSlowCheck.begin(), kSlowCheck.end());
    return options;
}

TEST(ExportCommand, CheckBeyondItsBudgetGivesTheExactVerdictAndSaysWhichFirstFramesItLeft) {
    const CommandRun text(slowCheck({"--check", "--check-budget", "0.001"}));
    EXPECT_EQ(kExitLeavesBounds, text.status);
    EXPECT_EQ("", text.err); // not a terminal: no progress
    EXPECT_EQ("The sum leaves -95.5 to 93: it passes both edges.\n"
              "It runs from -96 to 96.\n"
              "Smallest sum -96; its first frame was not settled within the time budget of 0.001 s.\n"
              "Largest sum 96; its first frame was not settled within the time budget of 0.001 s.\n"
              "Past the top edge (-95.5): yes; its first frame was not settled within the time budget of 0.001 s.\n"
              "Past the bottom edge (93): yes; its first frame was not settled within the time budget of 0.001 s.\n"
              "Over the whole cycle of 124474326704640 frames; columns 0 to 16384 in steps of 128; tables "
              "taking part: 2, 3, 4.\n"
              "The verdict and the sums are exact; the search for first frames stopped at its time budget "
              "(--check-budget SECONDS, 0 for no limit).\n",
              text.out);

    const CommandRun json(slowCheck({"--check=json", "--check-budget=0.001"}));
    EXPECT_EQ(kExitLeavesBounds, json.status);
    const std::string reason = R"("frame":null,"column":null,"reason":"not settled within the time budget of 0.001 s"})";
    EXPECT_NE(std::string::npos, json.out.find(R"("smallest":{"sum":-96,)" + reason)) << json.out;
    EXPECT_NE(std::string::npos, json.out.find(R"("largest":{"sum":96,)" + reason)) << json.out;
    EXPECT_NE(std::string::npos, json.out.find(R"("pastTop":{"sum":null,)" + reason)) << json.out;
    EXPECT_NE(std::string::npos, json.out.find(R"("pastBottom":{"sum":null,)" + reason + R"(,"settled":false})"))
        << json.out;
}

// On a terminal, past the quiet time, one line of progress that each report rewrites and that is
// erased before the answer. No quiet time here: how long the search takes depends on the machine.
TEST(ExportCommand, CheckShowsItsProgressOnATerminal) {
    const CommandRun run(slowCheck({"--check", "--check-budget", "0.7"}), std::nullopt,
                         {.errIsTerminal = true, .quietFor = std::chrono::milliseconds(0)});
    EXPECT_EQ(kExitLeavesBounds, run.status);
    EXPECT_TRUE(run.err.starts_with("\r\033[Kondulix-export: --check: searching for the first frames, "))
        << run.err;
    EXPECT_NE(std::string::npos, run.err.find(" s of 0.7 s")) << run.err;
    EXPECT_TRUE(run.err.ends_with("\r\033[K")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find('\n')) << run.err;
    EXPECT_TRUE(run.out.starts_with("The sum leaves -95.5 to 93")) << run.out;

    // A check quicker than the usual half second shows none.
    EXPECT_EQ("", CommandRun({"--check"}, std::nullopt, {.errIsTerminal = true}).err);
}

} // namespace
} // namespace ondulix::cli
