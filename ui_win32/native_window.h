#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui_win32/dpi.h"
#include "ui_win32/picture_control.h"
#include "ui_win32/window_font.h"

namespace kestrune {

// A top-level window of the program and its controls, laid out from places at 96 DPI and
// scaled to its monitor's DPI, again whenever it moves to a monitor of another DPI. Each
// window derives from it and handles its messages in HandleMessage; whatever a handler raises
// is shown by the exception display and goes no further. As in a dialog, an activated window
// gives the focus back to the control that had it, or to its first tab stop.
class NativeWindow {
public:
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;
    virtual ~NativeWindow();

    HWND Handle() const { return window_; }
    UINT Dpi() const { return dpi_; }

    // A child control at its place (96 DPI), in the window font of pointSize, with the given
    // control id (its WM_COMMAND and WM_NOTIFY identify it). A pointSize of 0 leaves the control
    // the font it chooses itself (a status bar's is the system's).
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, ControlPlace place,
                    int id, int pointSize = 8, DWORD exStyle = 0);
    // One of the executable's pictures in its area (96 DPI), made when first painted and again
    // whenever the window's DPI changes (picture_control.h).
    HWND AddPicture(int resourceId, ControlPlace area, int id);
    // The pointer over the control is the hand.
    void SetHandCursor(HWND control);
    // The window font of pointSize at the window's DPI.
    HFONT Font(int pointSize = 8) const;
    // Moves a control to another place (96 DPI), kept through DPI changes.
    void MovePlacedControl(HWND control, ControlPlace place);
    // Where a control was last placed (96 DPI); its own rectangle when it was never placed.
    ControlPlace PlaceOf(HWND control) const;

protected:
    NativeWindow() = default;

    // Makes the window, hidden, with the client size at 96 DPI (scaled to the DPI of the
    // monitor it opens on) and the class's icon and background. A window with an owner has no
    // task bar button of its own, stays above its owner, and minimises and closes with it.
    // Raises when no window can be made (the menu is then destroyed).
    void Create(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                SIZE client, HMENU menu = nullptr, HWND owner = nullptr);
    // The window's messages; the default handling is DefWindowProcW's.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct PlacedControl {
        HWND control;
        ControlPlace place;
        int pointSize;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The window moved to a monitor of another DPI: its fonts and controls follow.
    void ApplyDpi(UINT dpi);

    HWND window_ = nullptr;
    UINT dpi_ = kLayoutDpi;
    std::vector<PlacedControl> controls_;
    std::vector<std::unique_ptr<PictureControl>> pictures_;
    std::vector<HWND> handCursorControls_;
    HWND focus_ = nullptr;  // the control that had the focus when the window was last left
};

}  // namespace kestrune
