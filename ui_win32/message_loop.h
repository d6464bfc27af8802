#pragma once

#include <windows.h>

namespace kestrune {

// Runs the program's message loop until WM_QUIT and gives its exit code. Tab, the arrows,
// Enter and Escape work in every window as in a dialog.
int RunMessageLoop();

// The loop's step for one message taken from the queue: the keyboard moves between a window's
// controls and presses its buttons, anything else is translated and dispatched. Every wait that
// takes messages itself (the name lookup's) uses it too.
void DispatchWindowMessage(MSG& message);

}  // namespace kestrune
