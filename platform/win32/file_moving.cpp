#include "platform/file_moving.h"

#include <windows.h>

#include "platform/win32/utf8_text.h"

namespace kestrune {

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(win32::WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MoveOrCopyFile(const std::string& from, const std::string& to) {
    if (!FileExists(from)) {
        return false;
    }
    const std::wstring source = win32::WideFromUtf8(from);
    const std::wstring target = win32::WideFromUtf8(to);
    // Without MOVEFILE_REPLACE_EXISTING neither call replaces a file that lies at the target.
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return false;
    }
    // A folder the player may not change (one under Program Files): the file is copied. The
    // copy takes the access rules of the user's own folder.
    return ::CopyFileW(source.c_str(), target.c_str(), TRUE) != 0;
}

}  // namespace kestrune
