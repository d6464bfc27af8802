#pragma once

#include <windows.h>

#include <string_view>

#include "ui_win32/native_window.h"

namespace kestrune {

// A label at its top-left (96 DPI), as large as its one line of text in the window's font of
// pointSize. It tells its window of clicks (STN_CLICKED) and can be hinted.
HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize = 8);

// The answer to WM_CTLCOLORSTATIC for a label with blue text on the window's face.
LRESULT BlueLabelColours(HDC dc);

}  // namespace kestrune
