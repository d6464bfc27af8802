#pragma once

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <string_view>

namespace kestrune {

// A window's hints: one tooltip control that shows a control's hint half a second after the
// pointer comes to rest on it and hides it two and a half seconds later.
class Hints {
public:
    // The tooltip belongs to owner and goes with it.
    explicit Hints(HWND owner);

    // Gives control its hint; an empty text takes the hint away. Labels and pictures need
    // SS_NOTIFY to be hinted.
    void Set(HWND control, std::wstring_view text);
    // A hint for an area of the owner's client area (96 DPI units scaled already), for controls
    // that let the pointer through, such as a group box.
    void SetForArea(UINT id, const RECT& area, std::wstring_view text);

    HWND Handle() const { return tooltip_; }

private:
    // Takes the tool's hint away and gives it text, unless text is empty.
    void Replace(TOOLINFOW& tool, std::wstring_view text);

    HWND owner_;
    HWND tooltip_;
};

}  // namespace kestrune
