#include "export/FileTarget.h"

#include <array>
#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace ondulix::exporter {
namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows in one path before it calls it a loop.
constexpr int kMostLinks = 40;

std::string lastErrorMessage() { return std::generic_category().message(errno); }

// "/dev/stdout", "/dev/fd/3", "/proc/self/fd/3": a file this process already has open, which a
// redirection set up and which is written as the descriptor stands (its position, its appending).
std::optional<int> ownDescriptorNumber(const std::string& path) {
    constexpr std::array<std::pair<std::string_view, int>, 3> standard{
        {{"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}}};
    for (const auto& [name, number] : standard)
        if (path == name)
            return number;
    const std::string ownProcess = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string_view folder : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
                                          std::string_view("/proc/thread-self/fd/"), std::string_view(ownProcess)}) {
        if (!path.starts_with(folder))
            continue;
        const std::string_view digits = std::string_view(path).substr(folder.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        return std::stoi(std::string(digits));
    }
    return std::nullopt;
}

} // namespace

std::variant<FileTarget, std::string> FindFileTarget(const fs::path& given) {
    fs::path current = given;
    for (int links = 0; links <= kMostLinks; ++links) {
        FileTarget target;
        if (const auto number = ownDescriptorNumber(current.string()); number && ::fcntl(*number, F_GETFD) != -1) {
            target.kind = FileTarget::Kind::Descriptor;
            target.descriptor = *number;
            return target;
        }
        target.path = current;
        if (::lstat(current.c_str(), &target.info) != 0) {
            // Nothing there, or a folder on the way is missing or a file: the caller looks at the
            // folder and says which.
            if (errno == ENOENT || errno == ENOTDIR)
                return target;
            return lastErrorMessage();
        }
        target.kind = FileTarget::Kind::Existing;
        if (!S_ISLNK(target.info.st_mode))
            return target;
        // A link to a device or a pipe is opened through the link; so is a link only the kernel can
        // follow (one in /proc naming a pipe).
        struct stat followed {};
        if (::stat(current.c_str(), &followed) == 0 && !S_ISREG(followed.st_mode) && !S_ISDIR(followed.st_mode)) {
            target.info = followed;
            return target;
        }
        std::error_code error;
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            return error.message();
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return std::generic_category().message(ELOOP);
}

} // namespace ondulix::exporter
