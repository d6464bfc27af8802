#pragma once

#include <windows.h>

namespace kestrune {

// The top-left of a window of the given outer size centred on an area (a monitor's work area
// or another window); left and top never go below 0.
POINT CentredTopLeft(const RECT& area, SIZE outer);

// Moves the window, keeping its size, to be centred on another (its owner, say).
void CentreOnWindow(HWND window, HWND other);

// The top-left moved as little as needed for a window of the given outer size to lie within
// the area (pinned to the area's top-left when the window is larger).
POINT KeptWithin(POINT topLeft, SIZE outer, const RECT& area);

// The work area of the monitor the window is on (or nearest to).
RECT WorkAreaOf(HWND window);

// The window's outer size.
SIZE OuterSizeOf(HWND window);

// Shows a window, brings it to the front and activates it, whether or not it was open.
void BringForward(HWND window);

}  // namespace kestrune
