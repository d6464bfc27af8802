#include "ui_win32/static_controls.h"

#include <string>

#include "ui_win32/font_dc.h"
#include "ui_win32/wide_text.h"

#include <iterator>

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

void SetTextLabel(NativeWindow& window, HWND label, std::wstring_view text, POINT topLeft,
                  int pointSize, int rightEdge) {
    const std::wstring caption(text);
    ::SetWindowTextW(label, caption.c_str());
    const UINT dpi = window.Dpi();
    const SIZE extent = TextExtent(window.Font(pointSize), text);
    ControlPlace place{topLeft.x, topLeft.y, Unscaled(extent.cx, dpi), Unscaled(extent.cy, dpi)};
    LONG_PTR style = ::GetWindowLongPtrW(label, GWL_STYLE) & ~LONG_PTR{SS_TYPEMASK};
    if (rightEdge > 0 && place.left + place.width > rightEdge) {
        place.width = rightEdge - place.left;
        RECT wrapped{0, 0, Scaled(place.width, dpi), 0};
        const FontDC dc(window.Font(pointSize));
        ::DrawTextW(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &wrapped,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        place.height = Unscaled(wrapped.bottom, dpi);
        style |= SS_LEFT;
    } else {
        style |= SS_LEFTNOWORDWRAP;
    }
    ::SetWindowLongPtrW(label, GWL_STYLE, style);
    window.MovePlacedControl(label, place);
}

int CaptionWidth(const NativeWindow& window, HWND control) {
    const std::wstring text = WindowText(control);
    if (text.empty()) {
        return 0;
    }
    int width = 0;
    {
        const FontDC dc(control);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
        width = Unscaled(extent.cx, window.Dpi());
    }
    wchar_t className[16] = {};
    ::GetClassNameW(control, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) != L"Button") {
        return width;
    }
    switch (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return width + kGroupBoxMargins;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return width + kCheckBoxMargins;
        default:
            return width + kButtonMargins;
    }
}

LRESULT BlueLabelColours(HDC dc) {
    ::SetTextColor(dc, RGB(0, 0, 255));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace kestrune
