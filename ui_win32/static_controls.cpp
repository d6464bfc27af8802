#include "ui_win32/static_controls.h"

#include <string>

#include "ui_win32/font_dc.h"

namespace kestrune {

namespace {

// Pixels at dpi back to the layout's 96 DPI, rounded up so that the text still fits.
int Unscaled(int pixels, UINT dpi) {
    return static_cast<int>((static_cast<long long>(pixels) * kLayoutDpi + dpi - 1) / dpi);
}

SIZE TextExtent(HFONT font, std::wstring_view text) {
    SIZE extent{};
    const FontDC dc(font);
    ::GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
    return extent;
}

}  // namespace

HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize) {
    const SIZE extent = TextExtent(window.Font(pointSize), text);
    const UINT dpi = window.Dpi();
    const std::wstring caption(text);
    return window.AddControl(
        L"STATIC", caption.c_str(), SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY,
        {topLeft.x, topLeft.y, Unscaled(extent.cx, dpi), Unscaled(extent.cy, dpi)}, id, pointSize);
}

LRESULT BlueLabelColours(HDC dc) {
    ::SetTextColor(dc, RGB(0, 0, 255));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace kestrune
