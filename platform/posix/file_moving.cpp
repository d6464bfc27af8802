#include "platform/file_moving.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/atomic_file.h"

namespace kestrune {

namespace {

// Writes a new file, failing where one exists; removed again when it cannot be completed.
bool WriteNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        return false;
    }
    bool complete = true;
    while (complete && !bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        complete = written > 0;
        if (complete) {
            bytes.remove_prefix(static_cast<size_t>(written));
        }
    }
    complete = complete && ::fsync(fd) == 0;
    complete = ::close(fd) == 0 && complete;
    if (!complete) {
        ::unlink(path.c_str());
    }
    return complete;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MoveOrCopyFile(const std::string& from, const std::string& to) {
    if (!FileExists(from) || ::access(to.c_str(), F_OK) == 0 || errno != ENOENT) {
        return false;
    }
    // Never over a file that came meanwhile.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    // Another file system, a folder this user may not write, or no renameat2 here: a copy.
    const FileContent content = ReadFileContent(from);
    return content.error == 0 && WriteNewFile(to, content.bytes);
}

}  // namespace kestrune
