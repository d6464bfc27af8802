#include "ui_win32/hints.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <string>

namespace kestrune {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kHideAfterMs = 2500;
// Hints of several lines (the server's details) wrap at this width, in pixels at 96 DPI.
constexpr int kWidestHint = 400;

}  // namespace

Hints::Hints(HWND owner)
    : owner_(owner),
      tooltip_(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr)) {
    ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kShowAfterMs, 0));
    ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kHideAfterMs, 0));
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kWidestHint);
}

void Hints::Set(HWND control, std::wstring_view text) {
    TOOLINFOW tool{};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    Replace(tool, text);
}

void Hints::SetForArea(UINT id, const RECT& area, std::wstring_view text) {
    TOOLINFOW tool{};
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = id;
    tool.rect = area;
    Replace(tool, text);
}

void Hints::Replace(TOOLINFOW& tool, std::wstring_view text) {
    tool.cbSize = sizeof tool;
    tool.hwnd = owner_;
    ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (text.empty()) {
        return;
    }
    // The tooltip keeps its own copy of the text.
    std::wstring copy(text);
    tool.lpszText = copy.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace kestrune
