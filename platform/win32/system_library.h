#pragma once

#include <windows.h>

namespace kestrune::win32 {

// A function of one of Windows' own DLLs, loaded from the system folder the first time it is
// asked for and kept to the program's end; null when the DLL or the function is missing. The
// DLLs that only some actions use (the file dialog, the shell) then cost nothing at start-up.
FARPROC SystemLibraryProcedure(const wchar_t* library, const char* name);

template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(SystemLibraryProcedure(library, name)));
}

}  // namespace kestrune::win32
