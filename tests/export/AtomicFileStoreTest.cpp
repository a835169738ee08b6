#include "export/AtomicFileStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace ondulix::exporter {
namespace {

std::string inQuotes(const std::string& text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A scratch folder of its own per test, removed afterwards.
class AtomicFileStoreTest : public ::testing::Test {
protected:
    AtomicFileStoreTest() {
        std::random_device entropy;
        folder_ = fs::temp_directory_path() / ("ondulix-store-test-" + std::to_string(entropy()));
        fs::create_directories(folder_);
    }
    ~AtomicFileStoreTest() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string at(std::string_view name) const { return (folder_ / name).string(); }

    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_))
            found.insert(entry.path().filename().string());
        return found;
    }

    fs::path folder_;
    AtomicFileStore store_;
};

// CR LF, a NUL and high bytes: the store writes bytes, never text.
const std::string kBytes = std::string("\r\n/* table */\r\n\0\xff,-59 \r\n", 22);

TEST_F(AtomicFileStoreTest, WritesANewFileByteForByte) {
    EXPECT_EQ(std::nullopt, store_.replaceFile(at("new.c"), kBytes));
    EXPECT_EQ(kBytes, contentOf(at("new.c")));
    EXPECT_EQ(std::set<std::string>{"new.c"}, names());
}

TEST_F(AtomicFileStoreTest, ReplacesAnExistingFileWhole) {
    put(at("old.s"), std::string(100000, 'x'));
    EXPECT_EQ(std::nullopt, store_.replaceFile(at("old.s"), kBytes));
    EXPECT_EQ(kBytes, contentOf(at("old.s")));
    EXPECT_EQ(std::set<std::string>{"old.s"}, names());
}

TEST_F(AtomicFileStoreTest, WritesAnEmptyFile) {
    put(at("e"), "old");
    EXPECT_EQ(std::nullopt, store_.replaceFile(at("e"), ""));
    EXPECT_EQ("", contentOf(at("e")));
}

TEST_F(AtomicFileStoreTest, KeepsThePermissionsOfTheFileItReplaces) {
    put(at("p"), "old");
    const fs::perms chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(at("p"), chosen);
    EXPECT_EQ(std::nullopt, store_.replaceFile(at("p"), kBytes));
    EXPECT_EQ(chosen, fs::status(at("p")).permissions() & fs::perms::mask);
}

TEST_F(AtomicFileStoreTest, ThroughALinkReplacesTheFileItPointsTo) {
    put(at("target"), "old");
    std::error_code ec;
    fs::create_symlink("target", at("link"), ec);
    if (ec)
        GTEST_SKIP() << "links cannot be made here: " << ec.message();
    EXPECT_EQ(std::nullopt, store_.replaceFile(at("link"), kBytes));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(at("link"))));
    EXPECT_EQ(kBytes, contentOf(at("target")));
    EXPECT_EQ((std::set<std::string>{"link", "target"}), names());
}

TEST_F(AtomicFileStoreTest, FailuresLeaveEverythingAsItWas) {
    put(at("file"), "old");
    fs::create_directory(folder_ / "folder");
    const std::pair<std::string, std::string> cases[] = {
        {at("missing/t.s"), "the folder " + inQuotes(at("missing")) + " does not exist"},
        {at("folder"), "it is a folder"},
        {at("file/t.s"), inQuotes(at("file")) + " is not a folder"},
        {"", "no file name given"},
    };
    for (const auto& [path, reason] : cases) {
        EXPECT_EQ(reason, store_.replaceFile(path, kBytes).value_or("(written)")) << path;
        EXPECT_EQ((std::set<std::string>{"file", "folder"}), names()) << path;
        EXPECT_EQ("old", contentOf(at("file")));
        EXPECT_TRUE(fs::is_empty(folder_ / "folder"));
    }
}

TEST_F(AtomicFileStoreTest, RefusesAReadOnlyFile) {
    put(at("ro"), "old");
    fs::permissions(at("ro"), fs::perms::owner_read);
    if (std::ofstream(at("ro"), std::ios::app))
        GTEST_SKIP() << "this user may write read-only files (running as root)";
    EXPECT_EQ("Permission denied", store_.replaceFile(at("ro"), kBytes).value_or("(written)"));
    EXPECT_EQ("old", contentOf(at("ro")));
    EXPECT_EQ(std::set<std::string>{"ro"}, names());
}

} // namespace
} // namespace ondulix::exporter
