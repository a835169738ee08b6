// What ondulix-export -o does to every kind of target a careful Unix user may name: devices,
// pipes, descriptors, links, other users' files, attributes, long names, sticky folders, writers
// that meet and writers that are killed. Each case runs the built program from bash in a scratch
// folder of its own; device nodes and pipes are made there, never taken from /dev.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace ondulix::cli {
namespace {

using testing::ScratchFolder;
namespace fs = std::filesystem;

bool runningAsRoot() { return ::geteuid() == 0; }

struct Ran {
    int status = -1;  // of the `run` part
    std::string err;  // its standard error
    bool checked = false;
    std::string checkLog; // what the check printed
};

// Runs `setup`, then `run`, then `check` with bash in `folder`. $E is the program, $C the file
// it writes with no option given, $AS_NOBODY a prefix that runs a command as the user nobody.
Ran runInFolder(const fs::path& folder, const std::string& setup, const std::string& run,
                const std::string& check) {
    const ScratchFolder capture;
    const std::string script = "cd '" + folder.string() + "' || exit 1\n{\n:\n" + setup + "\n} > '" +
                               (capture / "setup").string() + "' 2>&1\n(\n" + run + "\n) 2> '" +
                               (capture / "err").string() + "'\necho $? > '" + (capture / "status").string() +
                               "'\n(\n" + check + "\n) > '" + (capture / "check").string() + "' 2>&1\n";
    testing::writeFile(capture / "script", script);
    const std::string command = "E='" + std::string(ONDULIX_EXPORT_PROGRAM) + "' C='" +
                                std::string(ONDULIX_TEST_DATA) +
                                "/default-tables-c.txt' AS_NOBODY='setpriv --reuid=65534 --regid=65534 "
                                "--clear-groups' bash '" +
                                (capture / "script").string() + "'";
    Ran ran;
    const int raw = std::system(command.c_str());
    ran.checked = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
    ran.status = std::atoi(testing::readFile(capture / "status").c_str());
    ran.err = testing::readFile(capture / "err");
    ran.checkLog = testing::readFile(capture / "check") + testing::readFile(capture / "setup");
    return ran;
}

struct TargetCase {
    std::string target; // what is named by -o
    bool needsRoot;     // to make a device node, or to act as two users
    std::string setup;
    std::string run;
    int status;
    std::string err; // the whole of standard error
    std::string check;
};

const TargetCase kTargetCases[] = {
    {"a device node", true, "mknod zero c 1 3", "$E -o zero", 0, "", "test -c zero"},
    {"a device that takes nothing", true, "mknod full c 1 7", "$E -o full", 1,
     "ondulix-export: cannot write \"full\": No space left on device\n", "test -c full"},
    // Through links of the scratch folder, so that not even a broken writer could touch /dev.
    {"/dev/stdout and /dev/fd/N, appending as opened", false, "echo first > log; ln -s /dev/stdout so; ln -s /dev/fd/3 fd3",
     "$E -o so > out && $E -o fd3 3>> log", 0, "",
     "test -L so && test -L fd3 && cmp out $C && { echo first; cat $C; } | cmp - log"},
    {"a process substitution", false, "", "$E -o >(gzip > t.gz); wait $!", 0, "", "zcat t.gz | cmp - $C"},
    {"a pipe whose reader comes later", false, "mkfifo p", "$E -o p & sleep 0.2; timeout 10 cat p > got; wait $!", 0, "",
     "test -p p && cmp got $C"},
    {"a socket", false, "python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind(\"sock\")'", "$E -o sock",
     1, "ondulix-export: cannot write \"sock\": it is a socket, which is not written as a file\n", "test -S sock"},
    {"a chain of links", false, "echo old > t; ln -s t l2; ln -s l2 l1", "$E -o l1", 0, "",
     "test -L l1 && test -L l2 && cmp t $C"},
    {"a dangling link", false, "ln -s made.c link", "$E -o link", 0, "", "test -L link && cmp made.c $C"},
    {"a link into a missing folder", false, "ln -s gone/x.c link", "$E -o link", 1,
     "ondulix-export: cannot write \"link\": the folder \"gone\" does not exist\n",
     "test -L link && test ! -e gone && test $(ls -A | wc -l) = 1"},
    {"a loop of links", false, "ln -s b a; ln -s a b", "$E -o a", 1,
     "ondulix-export: cannot write \"a\": Too many levels of symbolic links\n",
     "test -L a && test -L b && test $(ls -A | wc -l) = 2"},
    {"a file with a second hard link", false, "echo old > f; ln f g", "$E -o f", 0, "",
     "test f -ef g && cmp g $C"},
    {"another user's file", true, "echo old > f; chown nobody:nogroup f; chmod 640 f", "$E -o f", 0, "",
     "test $(stat -c %U:%G:%a f) = nobody:nogroup:640 && cmp f $C"},
    {"a file with an ACL and attributes", false,
     "echo old > f; chmod 640 f; setfacl -m u:nobody:rw f && setfattr -n user.note -v kept f && getfacl -p f > acl",
     "$E -o f", 0, "",
     "getfacl -p f | cmp - acl && test $(getfattr --only-values -n user.note f) = kept && "
     "test $(stat -c %a f) = 660 && cmp f $C"},
    {"a name of 255 bytes, new and existing", false, "", "N=$(printf 'n%.0s' {1..251}).asm; $E -o $N && $E -o $N",
     0, "", "cmp n*.asm $C && test $(ls -A | wc -l) = 1"},
    {"a name too long", false, "", "$E -o $(printf 'n%.0s' {1..256})", 1,
     "ondulix-export: cannot write \"" + std::string(60, 'n') + "\u2026\": File name too long\n",
     "test $(ls -A | wc -l) = 0"},
    {"another user's writable file in a sticky folder", true,
     "mkdir -m 1777 tmp; echo old > tmp/f; chown daemon tmp/f; chmod 666 tmp/f", "$AS_NOBODY $E -o tmp/f", 0, "",
     "test $(stat -c %U:%a tmp/f) = daemon:666 && cmp tmp/f $C"},
    {"a folder on the way that cannot be searched", true, "mkdir -m 700 secret", "$AS_NOBODY $E -o secret/x.c", 1,
     "ondulix-export: cannot write \"secret/x.c\": Permission denied\n", "test $(ls -A secret | wc -l) = 0"},
    {"--help onto an output that takes nothing", true, "mknod full c 1 7", "$E --help > full", 1,
     "ondulix-export: cannot write to standard output\n", "test -c full"},
};

TEST(SaveTargets, EachKindOfTargetIsWrittenOrRefusedAsARedirectionWould) {
    for (const TargetCase& c : kTargetCases) {
        if (c.needsRoot && !runningAsRoot()) {
            std::cout << "skipped without root: " << c.target << '\n';
            continue;
        }
        const ScratchFolder folder;
        const Ran ran = runInFolder(folder.path(), c.setup, c.run, c.check);
        EXPECT_EQ(c.status, ran.status) << c.target << ": " << ran.err;
        EXPECT_EQ(c.err, ran.err) << c.target;
        EXPECT_TRUE(ran.checked) << c.target << ": " << ran.checkLog;
    }
}

// Writers that meet on one file, as `make -j` may start them: each waits for the one before, and
// the file ends as one whole output, whether it is replaced (a file of one name) or written in
// place (a file of two names).
TEST(SaveTargets, WritersThatMeetLeaveOneWholeFile) {
    const ScratchFolder folder;
    const Ran ran = runInFolder(folder.path(),
                                "for i in $(seq 1 8); do $E --sin1 length=$((i * 900)) > want$i; done; "
                                "echo old > single; echo old > double; ln double other",
                                "w() { for i in $(seq 1 8); do $E --sin1 length=$((i * 900)) -o $1 & done; wait; }\n"
                                "for round in $(seq 1 6); do w single; w double; done",
                                "for f in single double; do cmp -s $f want1 || cmp -s $f want2 || cmp -s $f want3 || "
                                "cmp -s $f want4 || cmp -s $f want5 || cmp -s $f want6 || cmp -s $f want7 || "
                                "cmp -s $f want8 || { echo $f is no whole output; exit 1; }; done; "
                                "test double -ef other && test $(ls -A | wc -l) = 11");
    EXPECT_EQ(0, ran.status) << ran.err;
    EXPECT_TRUE(ran.checked) << ran.checkLog;
}

// A writer killed at any moment leaves the old file or the new one, and nothing that stays behind:
// the temporary file has no name, and the one name it may hold for an instant before the rename
// is taken over by the next save of the same file.
TEST(SaveTargets, AWriterKilledAtAnyMomentLeavesAWholeFile) {
    const ScratchFolder folder;
    const Ran ran = runInFolder(
        folder.path(), "A='--sin1 length=16384 --sin2 length=16384 --sin3 length=16384 --sin4 length=16384'; "
                       "$E $A > new; echo old > old; cp old t",
        "A='--sin1 length=16384 --sin2 length=16384 --sin3 length=16384 --sin4 length=16384'\n"
        "for i in $(seq 1 40); do $E $A -o t & sleep 0.00$((RANDOM % 9)); k=$(kill -9 $! 2>&1); wait $!\n"
        "  cmp -s t old || cmp -s t new || { echo torn after kill $i >&2; exit 1; }\n"
        "  test $(ls -A | grep -v '^\\.ondulix-' | wc -l) = 3 || { ls -A >&2; exit 1; }; done\n"
        "$E $A -o t",
        "cmp t new && ls -A && test $(ls -A | wc -l) = 3");
    EXPECT_EQ(0, ran.status) << ran.err;
    EXPECT_TRUE(ran.checked) << ran.checkLog;
}

} // namespace
} // namespace ondulix::cli
