// A stand-in for the programs the launcher starts on Windows: it writes the command line it was
// given (GetCommandLineW) and its current folder, as UTF-16, to "<its own path>.record" and
// ends. The record appears whole or not at all.

#include <windows.h>

#include <string>

int wmain() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring folder(32768, L'\0');
    folder.resize(::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));

    const std::wstring record = std::wstring(::GetCommandLineW()) + L"\n" + folder;
    const std::wstring partial = self + L".partial";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                    &written, nullptr);
    ::CloseHandle(file);
    if (!ok ||
        !::MoveFileExW(partial.c_str(), (self + L".record").c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    return 0;
}
