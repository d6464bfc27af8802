#include "ui_win32/window_placement.h"

#include <algorithm>

namespace kestrune {

POINT CentredTopLeft(const RECT& area, SIZE outer) {
    const LONG left = area.left + (area.right - area.left - outer.cx) / 2;
    const LONG top = area.top + (area.bottom - area.top - outer.cy) / 2;
    return {std::max<LONG>(left, 0), std::max<LONG>(top, 0)};
}

void CentreOnWindow(HWND window, HWND other) {
    RECT otherRect{};
    ::GetWindowRect(other, &otherRect);
    const POINT topLeft = CentredTopLeft(otherRect, OuterSizeOf(window));
    ::SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT KeptWithin(POINT topLeft, SIZE outer, const RECT& area) {
    const LONG left = std::max(std::min(topLeft.x, area.right - outer.cx), area.left);
    const LONG top = std::max(std::min(topLeft.y, area.bottom - outer.cy), area.top);
    return {left, top};
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

SIZE OuterSizeOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void BringForward(HWND window) {
    if (::IsIconic(window)) {
        ::ShowWindow(window, SW_RESTORE);
    } else {
        ::ShowWindow(window, SW_SHOW);
    }
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
}

}  // namespace kestrune
