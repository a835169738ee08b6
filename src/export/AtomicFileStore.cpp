#include "export/AtomicFileStore.h"

#include "engine/MessageText.h"
#include "export/FileTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ondulix::exporter {
namespace {

namespace fs = std::filesystem;

using SpecialTargets = AtomicFileStore::SpecialTargets;

std::error_code lastError() { return {errno, std::generic_category()}; }
std::error_code errorOf(int number) { return {number, std::generic_category()}; }

std::string quoted(const fs::path& path) { return engine::Quoted(path.string()); }

const std::string kNotARegularFile = "it is not a regular file";

// How often a save looks for its target again after other writers replaced it meanwhile: far more
// than writers ever meet on one file.
constexpr int kMostLooks = 1000;

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

// Writes every byte from the start of a regular file; a write may stop short without an error
// (the disk filled up part way), and the next attempt then fails and says why.
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

// Writes every byte where the descriptor stands, as a program writes its standard output: into a
// device, a pipe, or a file a redirection opened (appending, if it was opened so). Counts what
// went out before a failure.
std::error_code writeStream(int fd, std::string_view bytes, std::size_t& done) {
    done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) { // a descriptor left non-blocking
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
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

// A folder that refuses a new file or a rename for these reasons (no right to create files, a
// sticky folder) may still let the user write the file itself.
bool refusesNewFiles(std::error_code error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// Waits until no other writer holds the file, then holds it until the descriptor is closed. The
// lock belongs to the open file, not the process, so two threads of one program exclude each
// other too; where the file system has no such locks, a whole-file flock does the same.
std::error_code lockWhole(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    for (;;) {
#ifdef F_OFD_SETLKW
        if (::fcntl(fd, F_OFD_SETLKW, &whole) == 0)
            return {};
        if (errno != EINVAL && errno != EINTR)
            return lastError();
        if (errno == EINTR)
            continue;
#endif
        if (::flock(fd, LOCK_EX) == 0)
            return {};
        if (errno != EINTR)
            return lastError();
    }
}

// The names of a file's extended attributes (its ACLs among them); none where it has none or the
// file system keeps none.
std::error_code attributeNames(int fd, std::vector<std::string>& names) {
    names.clear();
    std::vector<char> list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::error_code() : lastError();
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) // it grew meanwhile: ask again
            return lastError();
    }
    for (auto name = list.begin(); name != list.end();) {
        const auto end = std::find(name, list.end(), '\0');
        if (end != name)
            names.emplace_back(name, end);
        name = end == list.end() ? end : end + 1;
    }
    return {};
}

// Gives `to` exactly the extended attributes of `from`: the access ACL lives among them
// (system.posix_acl_access), and a default ACL the folder gave the new file is taken off again.
std::error_code copyAttributes(int from, int to) {
    std::vector<std::string> wanted;
    std::vector<std::string> present;
    if (std::error_code error = attributeNames(from, wanted); error)
        return error;
    if (std::error_code error = attributeNames(to, present); error)
        return error;
    for (const std::string& name : present)
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && ::fremovexattr(to, name.c_str()) != 0)
            return lastError();
    std::vector<char> value;
    for (const std::string& name : wanted) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (size < 0)
            return lastError();
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (got < 0)
            return lastError();
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0)
            return lastError();
    }
    return {};
}

// A short name for a temporary file beside `target`: the same for every writer of that target, so
// that one left behind (by a crash in the instant between its link and its rename) is taken over
// by the next save; of a fixed length, so that a target of the longest name still has one.
fs::path linkNameFor(const fs::path& target) {
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (const char c : target.filename().string())
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    char name[32];
    std::snprintf(name, sizeof name, ".ondulix-%016llx", static_cast<unsigned long long>(hash));
    return target.parent_path() / name;
}

std::string folderOf(const fs::path& target) {
    return target.parent_path().empty() ? std::string(".") : target.parent_path().string();
}

// Owns a temporary file in the target's folder until it is committed under the target's name or
// dropped.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!named_.empty())
            ::unlink(named_.c_str());
    }

    // A file without a name where the file system allows, else one of a short random name that
    // did not exist before (O_EXCL), so two writers never share one.
    std::error_code create(const fs::path& target, mode_t mode) {
        const std::string folder = folderOf(target);
#ifdef O_TMPFILE
        fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0 && ::access(descriptorPath().c_str(), F_OK) == 0)
            return {};
        if (fd_ >= 0) { // without /proc it could never be linked
            ::close(fd_);
            fd_ = -1;
        } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return lastError();
        }
#endif
        std::random_device entropy;
        std::error_code error;
        for (int attempt = 0; attempt < 16; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, ".ondulix-%08x.tmp", static_cast<unsigned>(entropy()));
            const fs::path candidate = fs::path(folder) / name;
            fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd_ >= 0) {
                named_ = candidate;
                return {};
            }
            error = lastError();
            if (error != std::errc::file_exists)
                break;
        }
        return error;
    }

    int get() const { return fd_; }

    // The owner and group of the file it replaces; refused where the user may not give them.
    std::error_code takeOwner(const struct stat& old) {
        struct stat own {};
        if (::fstat(fd_, &own) != 0)
            return lastError();
        if (own.st_uid == old.st_uid && own.st_gid == old.st_gid)
            return {};
        return ::fchown(fd_, old.st_uid, old.st_gid) == 0 ? std::error_code() : lastError();
    }

    // Puts the finished file under the target's name: a new name is linked at once, an existing
    // one replaced by a rename.
    std::error_code commit(const fs::path& target) {
        if (!named_.empty())
            return renameOver(named_, target);
        if (::linkat(AT_FDCWD, descriptorPath().c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return {};
        if (errno != EEXIST)
            return lastError();
        // Writers of one target share the link name; any file found under it is a whole one,
        // so taking it over is safe, and whichever is renamed last stands.
        const fs::path link = linkNameFor(target);
        for (int attempt = 0; attempt < 64; ++attempt) {
            if (::linkat(AT_FDCWD, descriptorPath().c_str(), AT_FDCWD, link.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno != EEXIST)
                    return lastError();
                ::unlink(link.c_str());
                continue;
            }
            if (::rename(link.c_str(), target.c_str()) == 0)
                return {};
            const std::error_code error = lastError();
            if (error != std::errc::no_such_file_or_directory) { // not taken over by another writer
                ::unlink(link.c_str());
                return error;
            }
        }
        return errorOf(EBUSY);
    }

private:
    std::string descriptorPath() const { return "/proc/self/fd/" + std::to_string(fd_); }

    std::error_code renameOver(const fs::path& from, const fs::path& to) {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return lastError();
        named_.clear();
        return {};
    }

    int fd_ = -1;
    fs::path named_; // the temporary name, while there is one
};

// Writes into a file that stays the same file (its owner, links and attributes kept).
std::optional<std::string> writeInPlace(int fd, std::string_view bytes) {
    if (const std::error_code error = reserveRoom(fd, bytes.size()))
        return error.message();

    // From here on the old content is being overwritten.
    std::error_code error = writeAll(fd, bytes);
    if (!error && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = lastError();
    if (!error)
        error = syncToDisk(fd);
    if (error)
        return error.message() + " while writing it in place; " + std::string(toolkit::kFileLeftIncomplete);
    return std::nullopt;
}

// Replaces a regular file that this writer holds locked, by a new file that is the same to
// everyone but its content; where it cannot be, writes it in place.
std::optional<std::string> replaceLocked(const fs::path& target, int file, const struct stat& old,
                                         std::string_view bytes) {
    if (old.st_nlink > 1) // every name of the file sees the new content
        return writeInPlace(file, bytes);
    TemporaryFile temporary;
    if (const std::error_code error = temporary.create(target, S_IRUSR | S_IWUSR))
        return refusesNewFiles(error) ? writeInPlace(file, bytes) : error.message();
    if (temporary.takeOwner(old))
        return writeInPlace(file, bytes);
    if (const std::error_code error = writeAll(temporary.get(), bytes))
        return error.message();
    if (copyAttributes(file, temporary.get()))
        return writeInPlace(file, bytes);
    // Last, as changing the owner takes away set-user-ID and set-group-ID bits.
    if (::fchmod(temporary.get(), old.st_mode & 07777) != 0)
        return lastError().message();
    if (const std::error_code error = syncToDisk(temporary.get()))
        return error.message();
    if (const std::error_code error = temporary.commit(target))
        return refusesNewFiles(error) ? writeInPlace(file, bytes) : error.message();
    syncFolder(folderOf(target));
    return std::nullopt;
}

// What one attempt on an existing regular file came to: written or failed, or the name no longer
// being the file that was opened and locked (another writer replaced it meanwhile): look again.
struct Attempt {
    bool lookAgain = false;
    std::optional<std::string> failure;
};

// An existing regular file: opened and locked, and replaced only when, once the lock is held, the
// name still is that file.
Attempt replaceRegular(const fs::path& target, std::string_view bytes) {
    // Opening for writing tests exactly the permission a write needs, and changes nothing: the
    // rename would otherwise replace a read-only file without asking.
    Descriptor file(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen())
        return errno == ENOENT || errno == ELOOP ? Attempt{true, {}} : Attempt{false, lastError().message()};
    if (const std::error_code error = lockWhole(file.get()))
        return {false, error.message()};
    struct stat held {};
    struct stat named {};
    if (::fstat(file.get(), &held) != 0)
        return {false, lastError().message()};
    if (::lstat(target.c_str(), &named) != 0 || named.st_ino != held.st_ino || named.st_dev != held.st_dev)
        return {true, {}};
    if (!S_ISREG(held.st_mode))
        return {false, kNotARegularFile};
    return {false, replaceLocked(target, file.get(), held, bytes)};
}

// A file that is not there yet, in a folder that must be.
std::optional<std::string> writeNewFile(const fs::path& target, std::string_view bytes) {
    const fs::path folder = folderOf(target);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return errno == ENOENT ? "the folder " + quoted(folder) + " does not exist" : lastError().message();
    if (!S_ISDIR(info.st_mode))
        return quoted(folder) + " is not a folder";

    TemporaryFile temporary;
    std::error_code error = temporary.create(target, 0666);
    if (!error)
        error = writeAll(temporary.get(), bytes);
    if (!error)
        error = syncToDisk(temporary.get());
    if (!error)
        error = temporary.commit(target);
    if (error)
        return error.message();
    syncFolder(folder);
    return std::nullopt;
}

// Into a device, a pipe or an open descriptor, from where it stands; nothing to reserve, truncate
// or rename. A node that keeps nothing (a pipe, a terminal) cannot be forced to a disk.
std::optional<std::string> writeIntoStream(int fd, std::string_view bytes) {
    std::size_t done = 0;
    std::error_code error = writeStream(fd, bytes, done);
    if (!error && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        error = lastError();
    if (!error)
        return std::nullopt;
    if (done == 0)
        return error.message();
    return error.message() + " after " + std::to_string(done) + " of " + std::to_string(bytes.size()) +
           " bytes; " + std::string(toolkit::kFileLeftIncomplete);
}

std::optional<std::string> writeNode(const FileTarget& target, SpecialTargets special, std::string_view bytes) {
    const mode_t type = target.info.st_mode & S_IFMT;
    if (type == S_IFSOCK)
        return "it is a socket, which is not written as a file";
    if (special == SpecialTargets::Refuse) {
        // The window never waits for a reader; it only says why it writes no pipe.
        if (type == S_IFIFO) {
            const Descriptor probe(::open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
            if (!probe.isOpen() && errno == ENXIO)
                return kNotARegularFile + " but a pipe, and no program is reading it";
        }
        return kNotARegularFile;
    }
    // A pipe waits here for its reader, as a shell redirection does.
    const Descriptor node(::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!node.isOpen())
        return lastError().message();
    return writeIntoStream(node.get(), bytes);
}

std::optional<std::string> writeDescriptor(int fd, SpecialTargets special, std::string_view bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return lastError().message();
    if (special == SpecialTargets::Refuse && !S_ISREG(info.st_mode))
        return kNotARegularFile;
    return writeIntoStream(fd, bytes);
}

} // namespace

std::optional<std::string> AtomicFileStore::replaceFile(const std::string& path, std::string_view bytes) {
    if (path.empty())
        return "no file name given";
    // Each new look follows a writer that replaced the file while this one waited for it.
    for (int look = 0; look < kMostLooks; ++look) {
        const auto found = FindFileTarget(path);
        if (const std::string* reason = std::get_if<std::string>(&found))
            return *reason;
        const FileTarget& target = std::get<FileTarget>(found);
        switch (target.kind) {
        case FileTarget::Kind::Descriptor:
            return writeDescriptor(target.descriptor, special_, bytes);
        case FileTarget::Kind::Missing:
            return writeNewFile(target.path, bytes);
        case FileTarget::Kind::Existing:
            break;
        }
        if (S_ISDIR(target.info.st_mode))
            return "it is a folder";
        if (!S_ISREG(target.info.st_mode))
            return writeNode(target, special_, bytes);
        Attempt attempt = replaceRegular(target.path, bytes);
        if (!attempt.lookAgain)
            return std::move(attempt.failure);
    }
    return "other programs kept replacing it while it waited to be written";
}

} // namespace ondulix::exporter
