#pragma once

#include <windows.h>

#include <string_view>

#include "ui_win32/native_window.h"
#include "ui_win32/window_font.h"

namespace kestrune {

using BitmapHandle = GdiObject<HBITMAP>;

// One of the executable's pictures (resources/resource_ids.h) as its area (96 DPI) shows it in
// a window drawn at dpi: scaled by dpi / 96 from the area's top-left, the rest of the area the
// window's face. The picture then fills its control exactly, which therefore neither stretches
// nor centres it.
BitmapHandle LoadPicture(int resourceId, ControlPlace area, UINT dpi);

// A label at its top-left (96 DPI), as large as its one line of text in the window's font of
// pointSize. It tells its window of clicks (STN_CLICKED) and can be hinted.
HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize = 8);

// A picture (LoadPicture) in its area (96 DPI). It tells its window of clicks (STN_CLICKED) and
// can be hinted. The window keeps the picture alive.
HWND AddPicture(NativeWindow& window, HBITMAP picture, ControlPlace area, int id);

// The answer to WM_CTLCOLORSTATIC for a label with blue text on the window's face.
LRESULT BlueLabelColours(HDC dc);

}  // namespace kestrune
