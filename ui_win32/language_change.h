#pragma once

#include <windows.h>

namespace kestrune {

// Sent to each of the program's windows when the player picks another language: each shows its
// texts again in it (Qt's LanguageChange, in Win32).
inline constexpr UINT kLanguageChangedMessage = WM_APP + 28;

inline BOOL CALLBACK TellOfLanguageChange(HWND window, LPARAM) {
    ::SendMessageW(window, kLanguageChangedMessage, 0, 0);
    return TRUE;
}

// Tells every top-level window of the calling thread, hidden ones too.
inline void TellWindowsOfLanguageChange() {
    ::EnumThreadWindows(::GetCurrentThreadId(), TellOfLanguageChange, 0);
}

}  // namespace kestrune
