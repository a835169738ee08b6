#include "export/AtomicFileStore.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace ondulix::exporter {
namespace {

namespace fs = std::filesystem;

std::string lastErrorText() { return std::error_code(errno, std::generic_category()).message(); }

std::string quoted(const fs::path& path) {
    std::string text = "\"";
    text += path.string();
    text += '"';
    return text;
}

// Owns an open temporary file until it is either committed by the rename or removed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { discard(); }

    // Creates a file that did not exist before ("x": exclusive), so two writers never share one.
    std::optional<std::string> create(const fs::path& folder, const fs::path& target) {
        std::random_device entropy;
        std::string reason;
        for (int attempt = 0; attempt < 16; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
            std::string name = ".";
            name += target.filename().string();
            name += ".tmp-";
            name += suffix;
            path_ = folder / name;
            errno = 0;
            file_ = std::fopen(path_.string().c_str(), "wbx");
            if (file_)
                return std::nullopt;
            reason = lastErrorText();
            if (errno != EEXIST)
                break;
        }
        path_.clear();
        return reason;
    }

    std::optional<std::string> write(std::string_view bytes) {
        errno = 0;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
                             std::fflush(file_) == 0;
        std::string reason = written ? std::string() : lastErrorText();
        errno = 0;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (written && !closed)
            reason = lastErrorText();
        if (written && closed)
            return std::nullopt;
        return reason;
    }

    const fs::path& path() const { return path_; }
    void committed() { path_.clear(); }

private:
    void discard() {
        if (file_)
            std::fclose(file_);
        file_ = nullptr;
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }

    std::FILE* file_ = nullptr;
    fs::path path_;
};

} // namespace

std::optional<std::string> AtomicFileStore::replaceFile(const std::string& path, std::string_view bytes) {
    std::error_code ec;
    fs::path target(path);
    if (target.empty())
        return "no file name given";

    // Through a link, the file it points to is replaced and the link stays a link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }

    const fs::file_status existing = fs::status(target, ec);
    if (fs::is_directory(existing))
        return "it is a folder";
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus))
        return "the folder " + quoted(folder) + " does not exist";
    if (!fs::is_directory(folderStatus))
        return quoted(folder) + " is not a folder";

    // The rename would replace a read-only file without asking; refuse it as an editor would.
    // Opening for appending tests exactly that permission and changes nothing.
    if (fs::exists(existing)) {
        errno = 0;
        std::FILE* probe = std::fopen(target.string().c_str(), "ab");
        if (!probe)
            return lastErrorText();
        std::fclose(probe);
    }

    TemporaryFile temporary;
    if (auto failure = temporary.create(folder, target))
        return failure;
    if (auto failure = temporary.write(bytes))
        return failure;

    // The new file keeps the old one's permissions, as if it had been written in place.
    if (fs::exists(existing))
        fs::permissions(temporary.path(), existing.permissions(), ec);

    fs::rename(temporary.path(), target, ec);
    if (ec)
        return ec.message();
    temporary.committed();
    return std::nullopt;
}

} // namespace ondulix::exporter
