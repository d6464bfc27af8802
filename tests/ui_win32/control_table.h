#pragma once

// Reads a native window back through the system's own calls: its controls' classes, captions,
// hints, fonts and places at 96 DPI, and the order Tab visits them in.

#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui_win32/wide_text.h"

namespace kestrune::test_support {

using Place = std::vector<LONG>;  // left, top, width, height

// A control's place in its window's client area, or a window's on the screen.
inline Place PlaceOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    if (const HWND parent = ::GetParent(window)) {
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The hint the window's tooltip holds for a control.
inline std::wstring HintOf(HWND window, HWND control) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    wchar_t text[128] = {};
    for (HWND tooltip : windows) {
        if (ClassOf(tooltip) == TOOLTIPS_CLASSW && ::GetWindow(tooltip, GW_OWNER) == window) {
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window;
            tool.uId = reinterpret_cast<UINT_PTR>(control);
            tool.lpszText = text;
            ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
        }
    }
    return text;
}

// The controls' ids in the order Tab visits them.
inline std::vector<int> TabOrder(HWND window) {
    std::vector<int> ids;
    const HWND first = ::GetNextDlgTabItem(window, nullptr, FALSE);
    for (HWND step = first; step && ids.size() < 10;) {
        ids.push_back(::GetDlgCtrlID(step));
        if ((step = ::GetNextDlgTabItem(window, step, FALSE)) == first) {
            break;
        }
    }
    return ids;
}

struct Control {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    Place place;  // at 96 DPI; a width of 0: as large as the caption
    const wchar_t* hint;
    int points;  // the font's; 0 for a picture
};

// Every control of the window is as the table has it, and there is no other.
inline void ExpectControls(HWND window, const std::vector<Control>& table) {
    std::vector<HWND> children;
    ::EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children.size(), table.size());
    for (const Control& expected : table) {
        SCOPED_TRACE(expected.id);
        const HWND control = ::GetDlgItem(window, expected.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), expected.className);
        EXPECT_EQ(WindowText(control), expected.caption);
        EXPECT_EQ(HintOf(window, control), expected.hint);
        Place place = expected.place;
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        if (expected.points > 0) {
            LOGFONTW logFont{};
            ASSERT_NE(::GetObjectW(font, sizeof logFont, &logFont), 0);
            EXPECT_STREQ(logFont.lfFaceName, L"MS Sans Serif");
            EXPECT_EQ(logFont.lfHeight, -::MulDiv(expected.points, 96, 72));
        }
        if (place[2] == 0) {
            SIZE text{};
            const HDC dc = ::GetDC(control);
            ::SelectObject(dc, font);
            ::GetTextExtentPoint32W(dc, expected.caption, lstrlenW(expected.caption), &text);
            ::ReleaseDC(control, dc);
            place[2] = text.cx, place[3] = text.cy;
        }
        EXPECT_EQ(PlaceOf(control), place);
        // Inside the client area and clear of every other control.
        RECT client{}, at{}, other{}, overlap{};
        ::GetClientRect(window, &client);
        at = {place[0], place[1], place[0] + place[2], place[1] + place[3]};
        EXPECT_TRUE(::IntersectRect(&overlap, &client, &at) && ::EqualRect(&overlap, &at));
        for (HWND child : children) {
            const Place p = PlaceOf(child);
            other = {p[0], p[1], p[0] + p[2], p[1] + p[3]};
            EXPECT_TRUE(child == control || !::IntersectRect(&overlap, &at, &other))
                << "overlaps " << ::GetDlgCtrlID(child);
        }
    }
}

inline DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
}

// The window's caption, its place (a fixed frame's client area, else its outer place on the
// screen), its controls and the order Tab visits them in.
inline void ExpectWindow(HWND window, const wchar_t* caption, const Place& place,
                         const std::vector<Control>& controls, const std::vector<int>& tabOrder) {
    SCOPED_TRACE(::testing::Message() << "window of " << controls.size() << " controls");
    EXPECT_EQ(WindowText(window), caption);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ((StyleOf(window) & WS_THICKFRAME) ? PlaceOf(window)
                                                : Place({0, 0, client.right, client.bottom}),
              place);
    ExpectControls(window, controls);
    EXPECT_EQ(TabOrder(window), tabOrder);
}

inline void Click(HWND window, int id) {
    ::SendMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0);
}

// The primary monitor's work area, where the windows open.
inline RECT WorkArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

inline bool Visible(HWND window) {
    return ::IsWindowVisible(window) != FALSE;
}

}  // namespace kestrune::test_support
