#pragma once

#include <windows.h>

#include <span>

namespace kestrune {

// Runs the program's message loop until WM_QUIT and gives its exit code. Tab, the arrows,
// Enter and Escape work in every window as in a dialog.
int RunMessageLoop();

// The loop's step for one message taken from the queue: the keyboard moves between a window's
// controls and presses its buttons, anything else is translated and dispatched. Every wait that
// takes messages itself (the name lookup's) uses it too.
void DispatchWindowMessage(MSG& message);

// A window's keyboard shortcuts: while this lives, each key reaches the window as the
// WM_COMMAND of its id, whichever of the window's controls has the focus.
class KeyboardShortcuts {
public:
    KeyboardShortcuts(HWND window, std::span<const ACCEL> keys);
    ~KeyboardShortcuts();
    KeyboardShortcuts(const KeyboardShortcuts&) = delete;
    KeyboardShortcuts& operator=(const KeyboardShortcuts&) = delete;

private:
    HWND window_;
    HACCEL table_;
};

}  // namespace kestrune
