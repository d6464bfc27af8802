#include "platform/user_config_folder.h"

#include <windows.h>
// needs windows.h first
#include <knownfolders.h>
#include <shlobj.h>

#include <atomic>

#include "platform/win32/system_library.h"
#include "platform/win32/utf8_text.h"

namespace kestrune {

bool FolderMayBeWritten(const std::string& folder) {
    // Access rules can say yes or no per user and per kind of access: the sure answer is to make
    // a file there, which goes again as its handle closes.
    static std::atomic<unsigned> counter{0};
    const std::wstring probe = win32::WideFromUtf8(folder.empty() ? "." : folder) +
                               L"\\.kestrune-probe-" + std::to_wstring(::GetCurrentProcessId()) +
                               L"-" + std::to_wstring(counter.fetch_add(1));
    const HANDLE file = ::CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

bool FileMayBeWritten(const std::string& path) {
    const std::wstring widePath = win32::WideFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    // Opening for writing changes nothing and asks the access rules.
    const HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

std::string UserConfigFolder() {
    // The shell and COM are loaded only when the program's own folder is not the place.
    static const auto getKnownFolderPath =
        win32::SystemFunction<HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*)>(
            L"shell32.dll", "SHGetKnownFolderPath");
    static const auto freeTaskMemory =
        win32::SystemFunction<void(WINAPI*)(void*)>(L"ole32.dll", "CoTaskMemFree");
    if (!getKnownFolderPath || !freeTaskMemory) {
        return {};
    }
    PWSTR roaming = nullptr;
    if (FAILED(getKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming))) {
        freeTaskMemory(roaming);
        return {};
    }
    const std::wstring folder = std::wstring(roaming) + L"\\Kestrune";
    freeTaskMemory(roaming);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    return win32::Utf8FromWide(folder);
}

}  // namespace kestrune
