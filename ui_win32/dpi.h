#pragma once

#include <windows.h>

namespace kestrune {

// The layouts are drawn for 96 DPI; a window on a monitor of another DPI scales them by
// dpi / 96, rounded to the nearest pixel (exact at 96).
inline constexpr UINT kLayoutDpi = 96;

inline int Scaled(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kLayoutDpi));
}

// A control's place in its window's client area at 96 DPI.
struct ControlPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

RECT ScaledRect(const ControlPlace& place, UINT dpi);

// The DPI the window is drawn at (its monitor's, as the manifest asks for per-monitor
// awareness), or the screen's on systems before Windows 10 and for no window.
UINT DpiOf(HWND window);

// The outer size of a window with the given styles, menu and client size, at dpi.
SIZE OuterSizeFor(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

}  // namespace kestrune
