#pragma once

// Helpers shared by the exporter's tests: byte comparison with a readable first difference,
// files, scratch folders, and the reference the exporter is held to: the headless window typed
// into by hand.

#include "export/TableFile.h"
#include "support/HeadlessWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::cli::testing {

namespace fs = std::filesystem;

// Where two texts part, with a few bytes of each side (CR and LF made visible).
inline std::string firstDifference(std::string_view expected, std::string_view actual) {
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end())
        return "identical";
    const auto at = static_cast<std::size_t>(e - expected.begin());
    const auto line = static_cast<std::size_t>(std::count(expected.begin(), e, '\n')) + 1;
    auto show = [](std::string_view s) {
        std::string out;
        for (char c : s.substr(0, 40))
            out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        return out;
    };
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(at) + " (line " + std::to_string(line) + "): expected \"" +
           show(expected.substr(std::min(at, expected.size()))) + "\" but got \"" +
           show(actual.substr(std::min(at, actual.size()))) + "\"";
}

#define EXPECT_SAME_BYTES(expected, actual) \
    EXPECT_TRUE((expected) == (actual)) << ::ondulix::cli::testing::firstDifference((expected), (actual))

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string goldenFile(std::string_view name) { return readFile(fs::path(ONDULIX_TEST_DATA) / name); }

// A fresh empty folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device entropy;
        path_ = fs::temp_directory_path() / ("ondulix-cli-test-" + std::to_string(entropy()) + "-" +
                                             std::to_string(entropy()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }

    // Names of everything in the folder, to show that no temporary file was left behind.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(path_))
            found.insert(entry.path().filename().string());
        return found;
    }

private:
    fs::path path_;
};

// One edit of the reference window: a text put into one box of one table, either typed key by key
// (each key runs the box's handler, as in the window) or pasted over the whole text in one edit.
struct BoxEdit {
    enum class How { Type, Paste };
    int table;
    ui::TableRow<toolkit::TextBox> ui::FormControls::*row;
    std::string text;
    How how = How::Type;
};

// The file the window writes after the edits, made in the order given.
inline std::string windowFile(const std::vector<BoxEdit>& edits, exporter::ExportStyle style) {
    ui::HeadlessWindow window;
    window.load();
    for (const BoxEdit& edit : edits) {
        auto& box = window.control(edit.row, edit.table);
        if (edit.how == BoxEdit::How::Type)
            ui::HeadlessWindow::typeOver(box, edit.text);
        else
            ui::HeadlessWindow::pasteOver(box, edit.text);
    }
    return window.logic().tableFileText(style);
}

} // namespace ondulix::cli::testing
