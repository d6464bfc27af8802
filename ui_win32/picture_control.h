#pragma once

#include <windows.h>

#include "ui_win32/dpi.h"
#include "ui_win32/window_font.h"

namespace kestrune {

using BitmapHandle = GdiObject<HBITMAP>;

// One of the executable's pictures (resources/resource_ids.h) in a static control that links
// somewhere: it tells its window of clicks (STN_CLICKED) and can be hinted. The picture is made
// at the window's DPI when the control is first painted (or asked for its image), which keeps its
// decoding out of the way to the first window; it is made again, the old one freed, when the
// window moves to a monitor of another DPI.
class PictureControl {
public:
    // control: an SS_BITMAP static at area (96 DPI) of a window drawn at dpi.
    PictureControl(HWND control, int resourceId, ControlPlace area, UINT dpi);
    ~PictureControl();
    PictureControl(const PictureControl&) = delete;
    PictureControl& operator=(const PictureControl&) = delete;

    HWND Handle() const { return control_; }
    // The window now draws at dpi: the picture shown is made again at that size.
    void ApplyDpi(UINT dpi);

private:
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self);
    // Makes the picture at dpi_ and hands it to the control, unless it has it already.
    void MakePicture();
    // Gives the control a picture (or none) and frees the one it showed.
    void Show(BitmapHandle picture);

    HWND control_;
    int resourceId_;
    ControlPlace area_;
    UINT dpi_;
    BitmapHandle picture_;
};

// The picture as its area (96 DPI) shows it in a window drawn at dpi: scaled by dpi / 96 from the
// area's top-left, the rest of the area the window's face. The picture then fills its control
// exactly, which therefore neither stretches nor centres it.
BitmapHandle LoadPicture(int resourceId, ControlPlace area, UINT dpi);

}  // namespace kestrune
