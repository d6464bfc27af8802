#include "ui_win32/native_window.h"

#include <algorithm>

#include "platform/exception.h"
#include "platform/system_error.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/resources/resource_ids.h"

namespace kestrune {

namespace {

// Registers a window class of the program once: its icon, the dialog colour, the arrow.
void RegisterClassOnce(const wchar_t* className, WNDPROC procedure) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, className, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_KESTRUNE));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
}

}  // namespace

NativeWindow::~NativeWindow() {
    if (window_) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

void NativeWindow::Create(const wchar_t* className, const wchar_t* caption, DWORD style,
                          DWORD exStyle, SIZE client, HMENU menu, HWND owner) {
    RegisterClassOnce(className, &NativeWindow::Procedure);
    // Tab and the arrows move between the controls (IsDialogMessageW in the message loop).
    exStyle |= WS_EX_CONTROLPARENT;
    // Made at its size for the screen's DPI, which is its monitor's on most systems: no second
    // sizing then.
    dpi_ = DpiOf(nullptr);
    SIZE outer = OuterSizeFor({Scaled(client.cx, dpi_), Scaled(client.cy, dpi_)}, style, exStyle,
                              menu != nullptr, dpi_);
    window_ = ::CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.cx, outer.cy, owner, menu, ::GetModuleHandleW(nullptr), this);
    if (!window_) {
        const DWORD error = ::GetLastError();
        if (menu) {
            ::DestroyMenu(menu);
        }
        throw Exception("Cannot create the window: " + SystemErrorMessage(static_cast<int>(error)));
    }
    if (const UINT dpi = DpiOf(window_); dpi != dpi_) {
        dpi_ = dpi;
        outer = OuterSizeFor({Scaled(client.cx, dpi_), Scaled(client.cy, dpi_)}, style, exStyle,
                             menu != nullptr, dpi_);
        ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND NativeWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style,
                              ControlPlace place, int id, int pointSize, DWORD exStyle) {
    const RECT rect = ScaledRect(place, dpi_);
    const HWND control = ::CreateWindowExW(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control) {
        if (pointSize > 0) {
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(pointSize)), FALSE);
        }
        controls_.push_back({control, place, pointSize});
    }
    return control;
}

HWND NativeWindow::AddPicture(int resourceId, ControlPlace area, int id) {
    const HWND control = AddControl(L"STATIC", nullptr, SS_BITMAP | SS_NOTIFY, area, id);
    if (control) {
        pictures_.push_back(std::make_unique<PictureControl>(control, resourceId, area, dpi_));
    }
    return control;
}

void NativeWindow::SetHandCursor(HWND control) {
    handCursorControls_.push_back(control);
}

HFONT NativeWindow::Font(int pointSize) const {
    return WindowFont(pointSize, dpi_);
}

void NativeWindow::MovePlacedControl(HWND control, ControlPlace place) {
    const auto placed =
        std::find_if(controls_.begin(), controls_.end(),
                     [control](const auto& entry) { return entry.control == control; });
    if (placed != controls_.end()) {
        placed->place = place;
    }
    const RECT rect = ScaledRect(place, dpi_);
    ::MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 TRUE);
}

ControlPlace NativeWindow::PlaceOf(HWND control) const {
    const auto placed =
        std::find_if(controls_.begin(), controls_.end(),
                     [control](const auto& entry) { return entry.control == control; });
    return placed != controls_.end() ? placed->place : ControlPlace{};
}

void NativeWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    for (const PlacedControl& placed : controls_) {
        const RECT rect = ScaledRect(placed.place, dpi_);
        ::SetWindowPos(placed.control, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (placed.pointSize > 0) {
            ::SendMessageW(placed.control, WM_SETFONT,
                           reinterpret_cast<WPARAM>(Font(placed.pointSize)), TRUE);
        }
    }
    for (const auto& picture : pictures_) {
        picture->ApplyDpi(dpi_);
    }
}

LRESULT NativeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR: {
            const auto control = reinterpret_cast<HWND>(wParam);
            if (LOWORD(lParam) == HTCLIENT &&
                std::find(handCursorControls_.begin(), handCursorControls_.end(), control) !=
                    handCursorControls_.end()) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_ACTIVATE: {
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = ::GetFocus();
                if (focus && ::IsChild(window_, focus)) {
                    focus_ = focus;
                }
                break;
            }
            if (HIWORD(wParam) != 0) {  // activated while minimised
                break;
            }
            // The control that had the focus gets it back, whatever it is (the mods box's edit
            // part has no tab stop of its own); else the first tab stop.
            if (focus_ && ::IsChild(window_, focus_)) {
                ::SetFocus(focus_);
                return 0;
            }
            const HWND first = ::GetNextDlgTabItem(window_, nullptr, FALSE);
            if (first && (::GetWindowLongW(first, GWL_STYLE) & WS_TABSTOP) != 0) {
                ::SetFocus(first);
                return 0;
            }
            break;
        }
        case WM_DPICHANGED: {
            ApplyDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK NativeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<NativeWindow*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<NativeWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing a handler raises crosses into the system's code; the handler stopped where it
    // raised, and the message counts as handled (a close whose save failed keeps the window).
    LRESULT result = 0;
    Guarded([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

}  // namespace kestrune
