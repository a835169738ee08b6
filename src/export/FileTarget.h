#pragma once

#include <filesystem>
#include <string>
#include <variant>

#include <sys/stat.h>

namespace ondulix::exporter {

// What a path given for a save ends at, its links followed one by one so that a link stays a link
// and a dangling link names the file to create. POSIX.
struct FileTarget {
    enum class Kind {
        Missing,    // nothing there yet: `path` names the file to create
        Existing,   // a regular file, a folder or a node (device, pipe, socket): `path`, `info`
        Descriptor, // one of the process's own open files (/dev/stdout, /dev/fd/3): `descriptor`
    };
    Kind kind = Kind::Missing;
    std::filesystem::path path;
    struct stat info {};
    int descriptor = -1;
};

// The target, or why there is none ("Too many levels of symbolic links", "Permission denied").
std::variant<FileTarget, std::string> FindFileTarget(const std::filesystem::path& path);

} // namespace ondulix::exporter
