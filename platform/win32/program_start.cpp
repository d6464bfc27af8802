#include "platform/program_start.h"

#include <windows.h>
// needs windows.h first
#include <shellapi.h>

#include <cstdint>

#include "platform/system_error.h"
#include "platform/win32/system_library.h"
#include "platform/win32/utf8_text.h"

namespace kestrune {

bool ProgramFound(std::string_view file, std::string_view directory) {
    const std::wstring wideFile = win32::WideFromUtf8(file);
    if (wideFile.empty()) {
        return false;
    }
    if (directory.empty()) {
        // The shell looks in the current folder, then along the system's search path.
        std::wstring found(MAX_PATH, L'\0');
        return ::SearchPathW(nullptr, wideFile.c_str(), nullptr, static_cast<DWORD>(found.size()),
                             found.data(), nullptr) != 0;
    }
    std::wstring path = win32::WideFromUtf8(directory);
    if (!path.ends_with(L'\\') && !path.ends_with(L'/') && !path.ends_with(L':')) {
        path += L'\\';
    }
    path += wideFile;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory) {
    const std::wstring wideFile = win32::WideFromUtf8(file);
    // The shell would open the working folder itself for an empty name.
    if (wideFile.empty()) {
        return SystemErrorMessage(ERROR_FILE_NOT_FOUND);
    }
    const std::wstring wideParameters = win32::WideFromUtf8(parameters);
    const std::wstring wideDirectory = win32::WideFromUtf8(directory);

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The call returns once the start succeeded or failed, and the failure comes back to us as
    // a text instead of a box the user must close.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = L"open";
    info.lpFile = wideFile.c_str();
    // Given as it is: the started program reads its own command line.
    info.lpParameters = wideParameters.c_str();
    info.lpDirectory = wideDirectory.empty() ? nullptr : wideDirectory.c_str();
    info.nShow = SW_SHOWNORMAL;
    // The shell is loaded for the first start, not with the program.
    static const auto shellExecuteEx =
        win32::SystemFunction<BOOL(WINAPI*)(SHELLEXECUTEINFOW*)>(L"shell32.dll", "ShellExecuteExW");
    if (!shellExecuteEx) {
        return SystemErrorMessage(ERROR_PROC_NOT_FOUND);
    }
    if (shellExecuteEx(&info)) {
        return {};
    }
    DWORD error = ::GetLastError();
    if (error == ERROR_SUCCESS) {
        // Some failures leave only the shell's own code (below 32, mostly the system's numbers).
        const auto code = reinterpret_cast<std::intptr_t>(info.hInstApp);
        error = code > 0 && code <= 32 ? static_cast<DWORD>(code) : ERROR_FILE_NOT_FOUND;
    }
    return SystemErrorMessage(static_cast<int>(error));
}

}  // namespace kestrune
