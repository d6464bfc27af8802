#include "platform/win32/system_library.h"

#include <string>

namespace kestrune::win32 {

FARPROC SystemLibraryProcedure(const wchar_t* library, const char* name) {
    // From the system folder only: a DLL of that name beside the program or in the current
    // folder is never loaded.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    // Loaded once: later calls find the module already there and take no new reference.
    HMODULE module = ::GetModuleHandleW(path.c_str());
    if (!module) {
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return module ? ::GetProcAddress(module, name) : nullptr;
}

}  // namespace kestrune::win32
