#include "ToolchainRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

// The C library's names that a c99 label must not take are derived from the system headers by a
// script; the file checked in is what the script writes on this machine.

namespace ondulix::exporter {
namespace {

TEST(CLibraryNames, AreWhatTheScriptDerivesFromTheHeaders) {
    const std::string source = ONDULIX_SOURCE_DIR;
    const testing::ToolchainRun run;
    ASSERT_TRUE(run.succeeds("'" + source + "/scripts/c-library-names' > derived.h")) << run.log();
    std::ifstream checkedIn(source + "/src/export/CLibraryNames.h", std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(checkedIn), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(run.read("derived.h") == expected)
        << "run scripts/c-library-names > src/export/CLibraryNames.h, and look at what changed";
}

} // namespace
} // namespace ondulix::exporter
