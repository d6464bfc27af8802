#include "ui_win32/message_loop.h"

#include <windows.h>

namespace kestrune {

int RunMessageLoop() {
    MSG message{};
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        DispatchWindowMessage(message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void DispatchWindowMessage(MSG& message) {
    // The keyboard moves between a window's controls (WS_TABSTOP, WS_GROUP).
    const HWND window = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (window && ::IsDialogMessageW(window, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace kestrune
