// Runs the built ondulix-export program itself, as a Makefile would: exit status, standard output
// (byte for byte, CR LF included), standard error, and what it leaves in the file system.

#include "CliTestSupport.h"
#include "cli/ExportCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ondulix::cli {
namespace {

using testing::ScratchFolder;
namespace fs = std::filesystem;

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

// Runs the program in `folder` with the given arguments. Its output is caught in a folder of its
// own, so `folder` holds only what the program wrote. `stdoutTo` replaces the capture of
// standard output (for a device that refuses writes).
Finished runExport(const fs::path& folder, const std::vector<std::string>& args, std::string stdoutTo = {}) {
    const ScratchFolder capture;
    if (stdoutTo.empty())
        stdoutTo = (capture / "out").string();
    std::string command = "cd " + shellQuoted(folder.string()) + " && " + shellQuoted(ONDULIX_EXPORT_PROGRAM);
    for (const std::string& arg : args) {
        command += ' ';
        command += shellQuoted(arg);
    }
    command += " >";
    command += shellQuoted(stdoutTo);
    command += " 2>";
    command += shellQuoted((capture / "err").string());

    Finished finished;
    const int raw = std::system(command.c_str());
#ifdef _WIN32
    finished.status = raw;
#else
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    finished.out = testing::readFile(capture / "out");
    finished.err = testing::readFile(capture / "err");
    return finished;
}

TEST(ExportProgram, DefaultTablesOnStandardOutputEqualTheGoldenFiles) {
    const ScratchFolder folder;
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "default-tables-c.txt"},
        {{"--style", "asm"}, "default-tables-asm.txt"},
    };
    for (const auto& [args, golden] : cases) {
        const Finished run = runExport(folder.path(), args);
        EXPECT_EQ(kExitSuccess, run.status) << golden;
        EXPECT_SAME_BYTES(testing::goldenFile(golden), run.out);
        EXPECT_EQ("", run.err);
    }
    EXPECT_TRUE(folder.names().empty());
}

TEST(ExportProgram, WritesTheFileTheWindowWrites) {
    const ScratchFolder folder;
    const Finished run = runExport(folder.path(), {"--style", "asm", "--sin1", "length=256,min=0,max=255,offset=0,periods=1,speed=1",
                                                   "--sin2", "length=256,origin=0,range=64", "-o", "tables.s"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(std::set<std::string>{"tables.s"}, folder.names());

    using testing::BoxEdit;
    using H = ui::FormControls;
    constexpr auto Type = BoxEdit::How::Type;
    const std::string expected = testing::windowFile({{1, &H::txtSinRange, "64", Type},
                                                      {1, &H::txtSinLen, "256", Type},
                                                      {0, &H::txtSinMin, "0", Type},
                                                      {0, &H::txtSinMax, "255", Type},
                                                      {0, &H::txtSinLen, "256", Type}},
                                                     exporter::ExportStyle::AssemblerBytes);
    EXPECT_SAME_BYTES(expected, testing::readFile(folder / "tables.s"));
}

TEST(ExportProgram, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    const ScratchFolder folder;
    testing::writeFile(folder / "tables.c", std::string(700000, 'x'));
    const Finished run = runExport(folder.path(), {"--output=tables.c"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_SAME_BYTES(testing::goldenFile("default-tables-c.txt"), testing::readFile(folder / "tables.c"));
    EXPECT_EQ(std::set<std::string>{"tables.c"}, folder.names());
}

TEST(ExportProgram, ChangedValuesAreReportedOnStandardError) {
    const ScratchFolder folder;
    const Finished run = runExport(folder.path(), {"--sin1", "length=20000", "--sin2", "range=-40000"});
    EXPECT_EQ(kExitSuccess, run.status);
    EXPECT_EQ("ondulix-export: sin1 length: \"20000\" is above 16384; using 16384\n"
              "ondulix-export: sin2 range: \"-40000\" is below 1; using 1\n",
              run.err);
    EXPECT_FALSE(run.out.empty());
}

// Status 2 and one line on standard error; the file named by -o is neither created nor changed.
TEST(ExportProgram, BadCommandLinesChangeNoFile) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--colour", "red"}, R"(unknown option "--colour" (see --help))"},
        {{"--sin1", "length:256"}, R"(--sin1: "length:256" is not key=value)"},
        {{"--sin1", "waves=2"},
         R"(--sin1: unknown key "waves"; the keys are length, offset, periods, speed, minimum (min), maximum (max), origin, range)"},
        {{"--sin5", "length=256"}, "--sin5: there is no table 5; the tables are --sin1 to --sin4"},
        {{"--sin0", "length=256"}, "--sin0: there is no table 0; the tables are --sin1 to --sin4"},
        {{"--sin1"}, "--sin1 needs a value: key=value,..."},
        {{"--style"}, "--style needs a value: c (or 1), asm (or 2), c99, 64tass, acme, ca65, dasm, xa, "
         "pasmo, z80asm, sdas, m68k, gas-arm, nasm, bin"},
        {{"--sin2", "min=0,origin=5"},
         "--sin2: the amplitude is given both as minimum/maximum and as origin/range; give one form"},
        {{"--sin2", "length=5", "--sin2", "length=6"}, "--sin2: length is given twice"},
        {{"--", "--help"}, R"(unexpected argument "--help" (see --help))"}, // "--" ends the options
        {{"--strict", "--sin3", "max=99999"},
         R"(sin3 maximum: "99999" is above 16384; --strict refuses to use 16384)"},
    };
    for (const auto& [args, message] : cases) {
        const ScratchFolder folder;
        testing::writeFile(folder / "kept.s", "precious\r\n");
        std::vector<std::string> withOutput = {"-o", "kept.s"};
        withOutput.insert(withOutput.end(), args.begin(), args.end());

        const Finished run = runExport(folder.path(), withOutput);
        EXPECT_EQ(kExitUsage, run.status) << message;
        EXPECT_EQ("ondulix-export: " + message + "\n", run.err);
        EXPECT_EQ("", run.out) << message;
        EXPECT_EQ("precious\r\n", testing::readFile(folder / "kept.s")) << message;
        EXPECT_EQ(std::set<std::string>{"kept.s"}, folder.names()) << message;
    }
}

TEST(ExportProgram, AnUnwritableTargetFailsWithStatusOneAndChangesNothing) {
    const ScratchFolder folder;
    testing::writeFile(folder / "kept.s", "precious\r\n");
    fs::create_directory(folder / "sub");
    const std::pair<std::string, std::string> cases[] = {
        {"missing/tables.s", R"(cannot write "missing/tables.s": the folder "missing" does not exist)"},
        {"sub", R"(cannot write "sub": it is a folder)"},
        {"kept.s/tables.s", R"(cannot write "kept.s/tables.s": "kept.s" is not a folder)"},
    };
    for (const auto& [target, message] : cases) {
        const Finished run = runExport(folder.path(), {"--style", "asm", "-o", target});
        EXPECT_EQ(kExitWriteFailed, run.status) << target;
        EXPECT_EQ("ondulix-export: " + message + "\n", run.err);
        EXPECT_EQ("", run.out);
        EXPECT_EQ("precious\r\n", testing::readFile(folder / "kept.s"));
        EXPECT_EQ((std::set<std::string>{"kept.s", "sub"}), folder.names()) << target;
        EXPECT_TRUE(fs::is_empty(folder / "sub"));
    }
}

#ifndef _WIN32
TEST(ExportProgram, AFullStandardOutputFailsWithStatusOne) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    const ScratchFolder folder;
    const ScratchFolder devices;
    // A device that refuses every byte with "No space left on device", as /dev/full does.
    ASSERT_EQ(::mknod((devices / "full").c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
    const Finished run = runExport(folder.path(), {}, (devices / "full").string());
    EXPECT_EQ(kExitWriteFailed, run.status);
    EXPECT_EQ("ondulix-export: cannot write to standard output\n", run.err);
}
#endif

TEST(ExportProgram, HelpAndVersion) {
    const ScratchFolder folder;
    const Finished help = runExport(folder.path(), {"--help"});
    EXPECT_EQ(kExitSuccess, help.status);
    EXPECT_EQ(HelpText(), help.out);
    const Finished version = runExport(folder.path(), {"--version"});
    EXPECT_EQ(kExitSuccess, version.status);
    EXPECT_EQ("ondulix-export (Ondulix V1)\n", version.out);
    EXPECT_TRUE(folder.names().empty());
}

} // namespace
} // namespace ondulix::cli
