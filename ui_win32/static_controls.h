#pragma once

#include <windows.h>

#include <string_view>

#include "ui_win32/native_window.h"

namespace kestrune {

// A label at its top-left (96 DPI), as large as its one line of text in the window's font of
// pointSize. It tells its window of clicks (STN_CLICKED) and can be hinted.
HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize = 8);

// Gives such a label a new text and sizes it to it again. A text wider than the room up to
// rightEdge (96 DPI; 0 for no limit) wraps at word breaks within it, the label growing down.
void SetTextLabel(NativeWindow& window, HWND label, std::wstring_view text, POINT topLeft,
                  int pointSize = 8, int rightEdge = 0);

// How wide a control must be for its caption in its own font (96 DPI): a label its text, a
// check box or radio button its box too, a push button its frame, a group box its title's
// margins. 0 for a control without a caption.
int CaptionWidth(const NativeWindow& window, HWND control);
// What each kind needs beside its text.
inline constexpr int kCheckBoxMargins = 18;
inline constexpr int kButtonMargins = 8;
inline constexpr int kGroupBoxMargins = 16;

// The answer to WM_CTLCOLORSTATIC for a label with blue text on the window's face.
LRESULT BlueLabelColours(HDC dc);

}  // namespace kestrune
