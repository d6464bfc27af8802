#include "ui_win32/picture_control.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <utility>

#include "ui_win32/startup_trace.h"

namespace kestrune {

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

PictureControl::PictureControl(HWND control, int resourceId, ControlPlace area, UINT dpi)
    : control_(control), resourceId_(resourceId), area_(area), dpi_(dpi) {
    ::SetWindowSubclass(control_, &PictureControl::Procedure, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
}

PictureControl::~PictureControl() {
    if (::IsWindow(control_)) {
        ::RemoveWindowSubclass(control_, &PictureControl::Procedure, kSubclassId);
        Show(nullptr);
    }
}

void PictureControl::ApplyDpi(UINT dpi) {
    if (dpi == dpi_) {
        return;
    }
    dpi_ = dpi;
    if (picture_) {
        Show(LoadPicture(resourceId_, area_, dpi_));
    }
}

void PictureControl::MakePicture() {
    if (!picture_) {
        StartupCheckpoint("painting");
        Show(LoadPicture(resourceId_, area_, dpi_));
        StartupCheckpoint("picture");
    }
}

void PictureControl::Show(BitmapHandle picture) {
    const auto previous = reinterpret_cast<HGDIOBJ>(::SendMessageW(
        control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get())));
    // A static control may keep a copy of a picture with alpha and hand that back: it is freed
    // too, or every change of DPI would leave one behind.
    if (previous && previous != picture_.get()) {
        ::DeleteObject(previous);
    }
    picture_ = std::move(picture);
}

LRESULT CALLBACK PictureControl::Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    if (message == WM_PAINT || message == STM_GETIMAGE) {
        reinterpret_cast<PictureControl*>(self)->MakePicture();
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

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

}  // namespace kestrune
