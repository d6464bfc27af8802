#include "ui_win32/message_loop.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace kestrune {

namespace {

// The windows with shortcuts, and their tables.
std::vector<std::pair<HWND, HACCEL>>& ShortcutTables() {
    static std::vector<std::pair<HWND, HACCEL>> tables;
    return tables;
}

}  // namespace

KeyboardShortcuts::KeyboardShortcuts(HWND window, std::span<const ACCEL> keys)
    : window_(window),
      table_(::CreateAcceleratorTableW(const_cast<ACCEL*>(keys.data()),
                                       static_cast<int>(keys.size()))) {
    if (table_) {
        ShortcutTables().emplace_back(window_, table_);
    }
}

KeyboardShortcuts::~KeyboardShortcuts() {
    if (table_) {
        std::erase(ShortcutTables(), std::pair{window_, table_});
        ::DestroyAcceleratorTable(table_);
    }
}

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
    for (const auto& [owner, table] : ShortcutTables()) {
        if (owner == window && ::TranslateAcceleratorW(window, table, &message)) {
            return;
        }
    }
    if (window && ::IsDialogMessageW(window, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace kestrune
