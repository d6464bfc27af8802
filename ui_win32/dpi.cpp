#include "ui_win32/dpi.h"

namespace kestrune {

namespace {

// Windows 10's calls, looked up once: the program also runs on Windows 7.
template <class Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

RECT ScaledRect(const ControlPlace& place, UINT dpi) {
    const int left = Scaled(place.left, dpi);
    const int top = Scaled(place.top, dpi);
    return {left, top, left + Scaled(place.width, dpi), top + Scaled(place.height, dpi)};
}

UINT DpiOf(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return dpi;
        }
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

SIZE OuterSizeFor(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
    static const auto adjustForDpi =
        User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjustForDpi) {
        adjustForDpi(&rect, style, hasMenu, exStyle, dpi);
    } else {
        ::AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace kestrune
