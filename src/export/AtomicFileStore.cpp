#include "export/AtomicFileStore.h"

#include "engine/MessageText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace ondulix::exporter {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() { return {errno, std::generic_category()}; }

std::string quoted(const fs::path& path) { return engine::Quoted(path.string()); }

// An open file descriptor, closed when it goes out of scope unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    // Closing can report a write that failed late (on network file systems, for one).
    std::error_code close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code() : lastError();
    }

private:
    int fd_;
};

// Writes every byte from the start of the file; a write may stop short without an error (the
// disk filled up part way), and the next attempt then fails and says why.
std::error_code writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// Forces the bytes to the disk, so that the rename that follows never puts a file in place whose
// content a crash could still lose.
std::error_code syncToDisk(int fd) { return ::fsync(fd) == 0 ? std::error_code() : lastError(); }

// The rename itself lives in the folder; forcing the folder out makes it last as well. The file is
// already in place when this runs, so a failure here changes nothing the user could act on.
void syncFolder(const fs::path& folder) {
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.get());
}

// Reserves the room for `size` bytes without changing the file, so that a full disk or quota is
// found before the first byte of a file written in place changes. File systems that cannot
// reserve go without.
std::error_code reserveRoom(int fd, std::size_t size) {
#ifdef __linux__
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        return lastError();
#else
    (void)fd;
    (void)size;
#endif
    return {};
}

// A folder that refuses a new file for these reasons may still let the user write a file in it.
bool refusesNewFiles(std::error_code error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// Owns a temporary file beside the target until it is either committed by the rename or removed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }

    // Creates a file that did not exist before (O_EXCL), so two writers never share one.
    std::error_code create(const fs::path& folder, const fs::path& target) {
        std::random_device entropy;
        std::error_code error;
        for (int attempt = 0; attempt < 16; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
            std::string name = ".";
            name += target.filename().string();
            name += ".tmp-";
            name += suffix;
            const fs::path candidate = folder / name;
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                path_ = candidate;
                fd_ = fd;
                return {};
            }
            error = lastError();
            if (error != std::errc::file_exists)
                break;
        }
        return error;
    }

    // Writes the bytes and forces them to the disk; the file is closed afterwards either way.
    std::error_code write(std::string_view bytes) {
        Descriptor file(fd_);
        fd_ = -1;
        std::error_code error = writeAll(file.get(), bytes);
        if (!error)
            error = syncToDisk(file.get());
        const std::error_code closed = file.close();
        return error ? error : closed;
    }

    const fs::path& path() const { return path_; }
    void committed() { path_.clear(); }

private:
    fs::path path_;
    int fd_ = -1;
};

std::optional<std::string> writeInPlace(const fs::path& target, std::string_view bytes) {
    Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.isOpen())
        return lastError().message();
    if (const std::error_code error = reserveRoom(file.get(), bytes.size()))
        return error.message();

    // From here on the old content is being overwritten.
    std::error_code error = writeAll(file.get(), bytes);
    if (!error && ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
        error = lastError();
    if (!error)
        error = syncToDisk(file.get());
    const std::error_code closed = file.close();
    if (!error)
        error = closed;
    if (error)
        return error.message() + " while writing it in place; " + std::string(toolkit::kFileLeftIncomplete);
    return std::nullopt;
}

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
    // Opening for writing tests exactly that permission and changes nothing.
    if (fs::exists(existing)) {
        const Descriptor probe(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)); // a pipe must not block
        if (!probe.isOpen())
            return lastError().message();
    }

    TemporaryFile temporary;
    if (const std::error_code error = temporary.create(folder, target)) {
        if (fs::exists(existing) && refusesNewFiles(error))
            return writeInPlace(target, bytes);
        return error.message();
    }
    if (const std::error_code error = temporary.write(bytes))
        return error.message();

    // The new file keeps the old one's permissions, as if it had been written in place.
    if (fs::exists(existing))
        fs::permissions(temporary.path(), existing.permissions(), ec);

    fs::rename(temporary.path(), target, ec);
    if (ec)
        return ec.message();
    temporary.committed();
    syncFolder(folder);
    return std::nullopt;
}

} // namespace ondulix::exporter
