#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>

#include "platform/win32/file_security.h"
#include "platform/win32/utf8_text.h"

namespace kestrune {

namespace {

// Closes a file handle on every way out of a function.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { close(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (valid()) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
};

// The callers speak errno (they tell a missing file from the rest); the Windows number is not
// shown to anyone.
int ErrnoFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return EINVAL;
        default:
            return EIO;
    }
}

int LastErrno() {
    return ErrnoFor(::GetLastError());
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The hidden-by-name temporary file beside target: ".name.<process>-<counter>".
std::wstring TemporaryNameFor(const std::wstring& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const size_t separator = target.find_last_of(L"\\/:");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    // Keep the name short enough that the suffix never pushes it past the file system's limit.
    const std::wstring name =
        target.substr(separator == std::wstring::npos ? 0 : separator + 1).substr(0, 200);
    return folder + L"." + name + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(attempt) + L".tmp";
}

ReplaceResult Failed(ReplaceFailure failure, int error) {
    return {failure, error};
}

// Writes bytes over the file itself, for a file that may be written in a folder where no new
// file may be made. The space is claimed first, so that a full disk is found before any byte
// changes; a failure after that leaves the file part-written.
ReplaceResult WriteInPlace(const std::wstring& target, std::string_view bytes) {
    FileHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return Failed(ReplaceFailure::Create, LastErrno());
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        return Failed(ReplaceFailure::Write, LastErrno());
    }
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(bytes.size());
    if (position.QuadPart > size.QuadPart &&
        (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) ||
         !::SetEndOfFile(file.get()))) {
        return Failed(ReplaceFailure::Write, LastErrno());
    }
    const LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) ||
        !WriteAll(file.get(), bytes) || !::SetEndOfFile(file.get()) ||
        !::FlushFileBuffers(file.get())) {
        return Failed(ReplaceFailure::Write, LastErrno());
    }
    return {};
}

}  // namespace

FileContent ReadFileContent(const std::string& path) {
    FileContent content;
    const std::wstring widePath = win32::WideFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        content.error = EISDIR;
        return content;
    }
    // Others may go on reading, writing or replacing the file while we read it.
    FileHandle file(::CreateFileW(widePath.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        content.error = widePath.empty() ? ENOENT : LastErrno();
        return content;
    }
    // A device or a pipe is no file: reading it could wait for ever.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        content.error = EINVAL;
        return content;
    }
    LARGE_INTEGER size{};
    const size_t expected =
        ::GetFileSizeEx(file.get(), &size) && size.QuadPart < INT_MAX ? size.QuadPart : 0;
    // One byte more than the size, so that a file of unchanged size is read in one call and
    // the next one sees its end.
    content.bytes.resize(expected + 1 < 4096 ? 4096 : expected + 1);
    size_t used = 0;
    for (;;) {
        if (used == content.bytes.size()) {
            content.bytes.resize(content.bytes.size() * 2);
        }
        const size_t room = content.bytes.size() - used;
        DWORD got = 0;
        if (!::ReadFile(file.get(), content.bytes.data() + used,
                        room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room), &got, nullptr)) {
            content.error = LastErrno();
            content.bytes.clear();
            return content;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    content.bytes.resize(used);
    return content;
}

ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes,
                                 mode_t /*newFileMode*/) {
    // The full path: the temporary file's name is made from it, and the replace wants it.
    const std::wstring given = win32::WideFromUtf8(path);
    if (given.empty()) {
        return Failed(ReplaceFailure::Create, ENOENT);
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(target.size()),
                                      target.data(), nullptr);
    if (length >= target.size()) {
        target.resize(length);
        length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(target.size()), target.data(),
                                    nullptr);
    }
    if (length == 0 || length >= target.size()) {
        return Failed(ReplaceFailure::Create, LastErrno());
    }
    target.resize(length);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    bool replacing = false;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Failed(ReplaceFailure::Create, EISDIR);
        }
        // Replacing would sidestep the read-only mark: such a file stays as it is.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return Failed(ReplaceFailure::Create, EACCES);
        }
        // A file that another program holds open without letting it be replaced stays as it
        // is; asking before anything is written leaves nothing behind.
        FileHandle probe(::CreateFileW(target.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid()) {
            // No right to remove the old file, which a replace needs: the file may still be
            // one the player may write, in a folder they may not.
            if (::GetLastError() == ERROR_ACCESS_DENIED) {
                return WriteInPlace(target, bytes);
            }
            return Failed(ReplaceFailure::Create, LastErrno());
        }
        replacing = true;
    } else if (const int error = LastErrno(); error != ENOENT) {
        return Failed(ReplaceFailure::Create, error);
    }

    // A new file is the user's alone; a replaced one keeps the access rules it had.
    win32::NewFileSecurity security =
        replacing ? win32::NewFileSecurity::SameAs(target) : win32::NewFileSecurity::Private();
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryNameFor(target, attempt);
        created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security.attributes(),
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (created == INVALID_HANDLE_VALUE) {
        if (replacing && ::GetLastError() == ERROR_ACCESS_DENIED) {
            return WriteInPlace(target, bytes);
        }
        return Failed(ReplaceFailure::Create, LastErrno());
    }
    FileHandle file(created);

    auto giveUp = [&](ReplaceFailure failure) {
        const int error = LastErrno();
        file.close();
        ::DeleteFileW(temporary.c_str());
        return Failed(failure, error);
    };

    // The new content is complete on disk before it takes the old file's place.
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) {
        return giveUp(ReplaceFailure::Write);
    }
    file.close();

    if (replacing) {
        // Keeps the old file's attributes and access rules for the new content.
        if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return {};
        }
        // The old file went away meanwhile: the new one simply takes its name below.
        if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
            return giveUp(ReplaceFailure::Create);
        }
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return giveUp(ReplaceFailure::Create);
    }
    return {};
}

}  // namespace kestrune
