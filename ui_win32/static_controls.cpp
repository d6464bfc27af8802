#include "ui_win32/static_controls.h"

#include <string>

namespace kestrune {

namespace {

// Pixels at dpi back to the layout's 96 DPI, rounded up so that the text still fits.
int Unscaled(int pixels, UINT dpi) {
    return static_cast<int>((static_cast<long long>(pixels) * kLayoutDpi + dpi - 1) / dpi);
}

SIZE TextExtent(HWND window, HFONT font, std::wstring_view text) {
    SIZE extent{};
    const HDC dc = ::GetDC(window);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(window, dc);
    return extent;
}

}  // namespace

BitmapHandle LoadPicture(int resourceId, ControlPlace area, UINT dpi) {
    const BitmapHandle picture(
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!picture || !::GetObjectW(picture.get(), sizeof size, &size)) {
        return {};
    }
    const RECT rect = ScaledRect({0, 0, area.width, area.height}, dpi);
    const HDC screen = ::GetDC(nullptr);
    BitmapHandle shown(::CreateCompatibleBitmap(screen, rect.right, rect.bottom));
    const HDC source = ::CreateCompatibleDC(screen);
    const HDC target = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ oldSource = ::SelectObject(source, picture.get());
    const HGDIOBJ oldTarget = ::SelectObject(target, shown.get());
    ::FillRect(target, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetStretchBltMode(target, HALFTONE);
    ::SetBrushOrgEx(target, 0, 0, nullptr);
    ::StretchBlt(target, 0, 0, Scaled(size.bmWidth, dpi), Scaled(size.bmHeight, dpi), source, 0, 0,
                 size.bmWidth, size.bmHeight, SRCCOPY);
    ::SelectObject(source, oldSource);
    ::SelectObject(target, oldTarget);
    ::DeleteDC(source);
    ::DeleteDC(target);
    return shown;
}

HWND AddTextLabel(NativeWindow& window, std::wstring_view text, POINT topLeft, int id,
                  int pointSize) {
    const SIZE extent = TextExtent(window.Handle(), window.Font(pointSize), text);
    const UINT dpi = window.Dpi();
    const std::wstring caption(text);
    return window.AddControl(
        L"STATIC", caption.c_str(), SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY,
        {topLeft.x, topLeft.y, Unscaled(extent.cx, dpi), Unscaled(extent.cy, dpi)}, id, pointSize);
}

HWND AddPicture(NativeWindow& window, HBITMAP picture, ControlPlace area, int id) {
    const HWND control = window.AddControl(L"STATIC", nullptr, SS_BITMAP | SS_NOTIFY, area, id);
    ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    return control;
}

LRESULT BlueLabelColours(HDC dc) {
    ::SetTextColor(dc, RGB(0, 0, 255));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace kestrune
