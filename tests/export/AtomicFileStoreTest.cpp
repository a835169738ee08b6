#include "export/AtomicFileStore.h"

#include "support/AsNormalUser.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include <sys/resource.h>
#include <sys/stat.h>

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
    ondulix::testing::giveToNormalUser(at("ro"));
    fs::permissions(at("ro"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto reason =
        ondulix::testing::asNormalUser([&] { return store_.replaceFile(at("ro"), kBytes).value_or("written"); });
    EXPECT_EQ("Permission denied", reason.value_or("could not run as a normal user"));
    EXPECT_EQ("old", contentOf(at("ro")));
    EXPECT_EQ(std::set<std::string>{"ro"}, names());
}

// Lowers the largest file this process may write, as a full disk would stop it, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN); // fail the write instead of ending the process
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(AtomicFileStoreTest, AWriteThatFailsPartWayOrAtTheLastBytesLeavesTheOldFileAsItWas) {
    const std::string old = "the tables saved last time\r\n";
    // 20000 bytes fail on the first write past the limit, 1100 bytes only on their last 76.
    for (const std::size_t size : {std::size_t{20000}, std::size_t{1100}}) {
        put(at("sinus"), old);
        std::optional<std::string> failure;
        {
            const FileSizeLimit limit(1024);
            failure = store_.replaceFile(at("sinus"), std::string(size, '7'));
        }
        EXPECT_EQ("File too large", failure.value_or("(written)")) << size;
        EXPECT_EQ(old, contentOf(at("sinus"))) << size;
        EXPECT_EQ(std::set<std::string>{"sinus"}, names()) << size; // the partial copy is gone
    }
}

// A folder the user may not write to, holding a file the user may write: the window's program
// folder after an install, say, with a file made writable for the user.
class ClosedFolderTest : public AtomicFileStoreTest {
protected:
    ClosedFolderTest() {
        put(at("sinus"), std::string(5000, '#'));
        ondulix::testing::giveToNormalUser(at("sinus"));
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::remove);
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::add);
    }
    ~ClosedFolderTest() override { fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add); }

    static ino_t inode(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_ino;
    }
};

TEST_F(ClosedFolderTest, AWritableFileIsWrittenInPlaceAndANewOneIsRefused) {
    const ino_t before = inode(at("sinus"));
    const auto reasons = ondulix::testing::asNormalUser([&] {
        AtomicFileStore store;
        return store.replaceFile(at("sinus"), kBytes).value_or("written") + "|" +
               store.replaceFile(at("new"), kBytes).value_or("written");
    });
    ASSERT_TRUE(reasons) << "could not run as a normal user";
    EXPECT_EQ("written|Permission denied", *reasons);
    EXPECT_EQ(kBytes, contentOf(at("sinus"))); // the old, longer content is cut off at the new end
    EXPECT_EQ(before, inode(at("sinus")));     // the same file, not a replacement
    EXPECT_EQ(std::set<std::string>{"sinus"}, names());
}

TEST_F(ClosedFolderTest, AWriteInPlaceThatBreaksOffSaysTheFileIsIncomplete) {
    const auto reason = ondulix::testing::asNormalUser([&] {
        const FileSizeLimit limit(8192);
        return AtomicFileStore().replaceFile(at("sinus"), std::string(20000, '7')).value_or("written");
    });
    ASSERT_TRUE(reason) << "could not run as a normal user";
    EXPECT_EQ("File too large while writing it in place; the file is now incomplete", *reason);
    EXPECT_EQ(std::string(8192, '7'), contentOf(at("sinus")));
    EXPECT_EQ(std::set<std::string>{"sinus"}, names());
}

} // namespace
} // namespace ondulix::exporter
