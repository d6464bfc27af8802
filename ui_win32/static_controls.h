#pragma once

#include <windows.h>

#include <string_view>

#include "ui_win32/native_window.h"
#include "ui_win32/window_font.h"

namespace kestrune {

using BitmapHandle = GdiObject<HBITMAP>;

// One of the executable's pictures (resources/resource_ids.h), with its own colours.
BitmapHandle LoadPicture(int resourceId);

// A label at its top-left (96 DPI), as large as its one line of text in the window's font of
// pointSize. It tells its window of clicks (STN_CLICKED) and can be hinted.
HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize = 8);

// A picture in an area (96 DPI), drawn at its own size from the area's top-left. It tells its
// window of clicks (STN_CLICKED) and can be hinted. The window keeps the picture alive.
HWND AddPicture(NativeWindow& window, HBITMAP picture, ControlPlace area, int id);

// The answer to WM_CTLCOLORSTATIC for a label with blue text on the window's face.
LRESULT BlueLabelColours(HDC dc);

}  // namespace kestrune
