#pragma once

#include <windows.h>

namespace kestrune {

// A device context for measuring text in a font, made without a window: the same widths as the
// window's own DC, which under Wine costs several server requests each time it is taken.
class FontDC {
public:
    explicit FontDC(HFONT font);
    // The font the control draws with.
    explicit FontDC(HWND control);
    ~FontDC();
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;

    HDC Get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ original_;
};

}  // namespace kestrune
