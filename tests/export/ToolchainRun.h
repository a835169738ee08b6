#pragma once

// A scratch folder for the toolchain tests: files are written into it, a command runs in it with
// everything it prints caught, and the folder goes with all in it when the run ends.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace ondulix::exporter::testing {

class ToolchainRun {
public:
    ToolchainRun() {
        std::string name = (std::filesystem::temp_directory_path() / "ondulix-toolchain-XXXXXX").string();
        if (::mkdtemp(name.data()))
            folder_ = name;
    }
    ~ToolchainRun() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ToolchainRun(const ToolchainRun&) = delete;
    ToolchainRun& operator=(const ToolchainRun&) = delete;

    const std::filesystem::path& folder() const { return folder_; }

    void write(std::string_view name, std::string_view bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    std::string read(std::string_view name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Runs the shell command in the folder, its standard output and error into the log; whether
    // it exited with status 0.
    bool succeeds(std::string_view command) const {
        if (folder_.empty())
            return false;
        const std::string line = "cd '" + folder_.string() + "' && { " + std::string(command) + "; } > log.txt 2>&1";
        const int status = std::system(line.c_str());
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::string log() const { return read("log.txt"); }

private:
    std::filesystem::path folder_;
};

} // namespace ondulix::exporter::testing
