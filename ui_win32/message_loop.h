#pragma once

namespace kestrune {

// Runs the program's message loop until WM_QUIT and gives its exit code. Tab, the arrows,
// Enter and Escape work in every window as in a dialog.
int RunMessageLoop();

}  // namespace kestrune
