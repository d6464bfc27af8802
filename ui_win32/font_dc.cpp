#include "ui_win32/font_dc.h"

namespace kestrune {

// Without a font of its own a control draws in the system font, the new DC's too.
FontDC::FontDC(HFONT font)
    : dc_(::CreateCompatibleDC(nullptr)), original_(font ? ::SelectObject(dc_, font) : nullptr) {}

FontDC::FontDC(HWND control)
    : FontDC(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0))) {}

FontDC::~FontDC() {
    if (original_) {
        ::SelectObject(dc_, original_);
    }
    ::DeleteDC(dc_);
}

}  // namespace kestrune
