#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace kestrune {

namespace {

// Closes a descriptor on every way out of a function unless it was released.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now, so that an error of the close itself (a delayed write error) can be seen.
    int closeNow() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The file a path stands for and its state: a symbolic link is replaced by what it points to,
// so that saving through a link updates the linked file instead of cutting the link. Returns
// the errno of a failed look-up (ENOENT: nothing there yet).
int ResolveTarget(const std::string& path, std::string& target, struct stat& st) {
    target = path;
    if (::lstat(path.c_str(), &st) != 0) {
        return errno;
    }
    if (!S_ISLNK(st.st_mode)) {
        return 0;
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (resolved) {
        target = resolved.get();
    }
    // A link to nothing is replaced like a missing file.
    return ::stat(target.c_str(), &st) == 0 ? 0 : errno;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // Keep the name short enough that the suffix never pushes it past the file system's limit.
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return folder + "." + name + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + std::to_string(ticks % 1000000007ULL);
}

// Creates a new temporary file beside target; its name goes to temporary. -1 and errno on failure.
int OpenNamedTemporary(const std::string& target, mode_t mode, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryNameFor(target);
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Gives a complete unnamed file a temporary name beside target.
bool LinkUnnamed(int fd, const std::string& target, std::string& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryNameFor(target);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

ReplaceResult Failed(ReplaceFailure failure, int error) {
    return {failure, error};
}

// Writes bytes over the file itself. The space is claimed first, so that a full disk or a size
// limit is found before any byte changes; a failure after that leaves the file part-written.
ReplaceResult WriteInPlace(const std::string& target, std::string_view bytes) {
    // Non-blocking, so that a pipe put there meanwhile cannot make the save wait.
    FileDescriptor fd(
        ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid()) {
        return Failed(ReplaceFailure::Create, errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return Failed(ReplaceFailure::Create, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return Failed(ReplaceFailure::Create, EINVAL);
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > st.st_size && ::fallocate(fd.get(), 0, 0, size) != 0 && errno != EOPNOTSUPP) {
        return Failed(ReplaceFailure::Write, errno);
    }
    if (!WriteAll(fd.get(), bytes) || ::ftruncate(fd.get(), size) != 0 || ::fsync(fd.get()) != 0) {
        return Failed(ReplaceFailure::Write, errno);
    }
    if (fd.closeNow() != 0) {
        return Failed(ReplaceFailure::Write, errno);
    }
    return {};
}

// No new file could be made beside target. When the folder refuses it for want of permission
// (someone else's folder, a read-only one) but the file is there and ours to write, the file is
// written in place rather than not at all: the one save that cannot be all or nothing.
ReplaceResult NoNewFileBeside(const std::string& target, bool fileMayBeWritten,
                              std::string_view bytes, int error) {
    if (fileMayBeWritten && (error == EACCES || error == EPERM)) {
        return WriteInPlace(target, bytes);
    }
    return Failed(ReplaceFailure::Create, error);
}

}  // namespace

FileContent ReadFileContent(const std::string& path) {
    FileContent content;
    // Non-blocking, so that opening a named pipe returns at once instead of waiting for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        content.error = errno;
        return content;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        content.error = errno;
        return content;
    }
    if (!S_ISREG(st.st_mode)) {
        content.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return content;
    }
    // One byte more than the size, so that a file of unchanged size is read in one call and
    // the next one sees its end.
    size_t capacity = static_cast<size_t>(st.st_size) + 1;
    content.bytes.resize(capacity < 4096 ? 4096 : capacity);
    size_t used = 0;
    for (;;) {
        if (used == content.bytes.size()) {
            content.bytes.resize(content.bytes.size() * 2);
        }
        ssize_t got = ::read(fd.get(), content.bytes.data() + used, content.bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            content.error = errno;
            content.bytes.clear();
            return content;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<size_t>(got);
    }
    content.bytes.resize(used);
    return content;
}

ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes,
                                 mode_t newFileMode) {
    std::string target;
    struct stat old {};
    bool replacing = false;
    if (int error = ResolveTarget(path, target, old); error == 0) {
        if (S_ISDIR(old.st_mode)) {
            return Failed(ReplaceFailure::Create, EISDIR);
        }
        if (!S_ISREG(old.st_mode)) {
            return Failed(ReplaceFailure::Create, EINVAL);
        }
        // Renaming over the file would sidestep its permissions: a file we may not write (a
        // read-only settings file, someone else's list) stays as it is.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return Failed(ReplaceFailure::Create, errno);
        }
        replacing = true;
    } else if (error != ENOENT) {
        return Failed(ReplaceFailure::Create, error);
    }

    // The new content is written into a file without a name, so that a save killed half-way
    // leaves nothing behind; it gets a temporary name only once it is complete, for the rename.
    // File systems without unnamed files get a named temporary file from the start.
    const mode_t creationMode = replacing ? S_IRUSR | S_IWUSR : newFileMode;
    std::string temporary;
    bool named = false;
    // Naming an unnamed file goes through /proc, which a sandbox may lack.
    static const bool canNameUnnamedFiles = ::access("/proc/self/fd", X_OK) == 0;
    int fdNumber = -1;
    if (canNameUnnamedFiles) {
        fdNumber = ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, creationMode);
    } else {
        errno = EOPNOTSUPP;
    }
    if (fdNumber < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return NoNewFileBeside(target, replacing, bytes, errno);
        }
        fdNumber = OpenNamedTemporary(target, creationMode, temporary);
        if (fdNumber < 0) {
            return NoNewFileBeside(target, replacing, bytes, errno);
        }
        named = true;
    }
    FileDescriptor fd(fdNumber);

    auto giveUp = [&](ReplaceFailure failure) {
        int error = errno;
        if (fd.valid()) {
            fd.closeNow();
        }
        if (named) {
            ::unlink(temporary.c_str());
        }
        return Failed(failure, error);
    };

    if (replacing) {
        // Only root can hand a file to someone else; for anyone else this is a no-op or fails
        // harmlessly, and the file is then theirs, as any file they save would be.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
        }
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) {
            return giveUp(ReplaceFailure::Create);
        }
    }
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
        return giveUp(ReplaceFailure::Write);
    }
    if (!named) {
        if (!LinkUnnamed(fd.get(), target, temporary)) {
            return giveUp(ReplaceFailure::Create);
        }
        named = true;
    }
    // Renamed at once, so that a save killed between naming and renaming (the one moment that
    // leaves a file behind) is as short as it can be; the content is complete and flushed.
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return giveUp(ReplaceFailure::Create);
    }
    if (fd.closeNow() != 0) {
        return Failed(ReplaceFailure::Write, errno);
    }

    // Make the rename itself durable; the new content is already complete either way.
    FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) {
        ::fsync(folder.get());
    }
    return {};
}

}  // namespace kestrune
