#include "ui_win32/add_mod_window.h"

#include <utility>

#include "ui_logic/web_sites.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"

namespace kestrune {

namespace {

constexpr SIZE kOuterSize{198, 144};
constexpr POINT kFirstPosition{963, 695};
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The work area of the monitor the first position lies on (or is nearest to).
RECT FirstWorkArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint(kFirstPosition, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

}  // namespace

TForm4::TForm4(HWND mainWindow, ModsListAccess& mods, std::string modsListPath)
    : SecondaryNativeWindow(mainWindow), mods_(mods), steps_(*this, std::move(modsListPath)) {
    Create(L"TForm4", L"ADD Mods", kStyle, 0, kOuterSize, nullptr, mainWindow);
    if (!Handle()) {
        return;
    }
    hints_.emplace(Handle());
    ::SetWindowPos(Handle(), nullptr, 0, 0, Scaled(kOuterSize.cx, Dpi()),
                   Scaled(kOuterSize.cy, Dpi()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    AddTextLabel(*this, L"Type mod name", {16, 16}, kLabel1);
    // Tab goes from the name to "Add Mod" to "Exit add mod", the order they are made in.
    edmods = AddControl(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, {16, 32, 153, 21},
                        kEdmods, 8, WS_EX_CLIENTEDGE);
    hints_->Set(edmods, L"Type here");
    AddControl(L"BUTTON", L"Add Mod", WS_TABSTOP | BS_PUSHBUTTON, {16, 64, 75, 25}, kBtMods);
    AddControl(L"BUTTON", L"Exit add mod", WS_TABSTOP | BS_PUSHBUTTON, {96, 64, 75, 25}, kButton1);
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            // Shown for the first time: at its fixed place, moved onto a screen too small for
            // it.
            if (wParam && !placed_) {
                placed_ = true;
                const POINT topLeft =
                    KeptWithin(kFirstPosition, OuterSizeOf(Handle()), FirstWorkArea());
                ::SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kBtMods) {
                steps_.btModsClick();
                return 0;
            }
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kButton1) {
                steps_.Button1Click();
                return 0;
            }
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
                // Escape, from the dialog manager: the close box's way, writing nothing.
                CloseWindow();
                return 0;
            }
            break;
        default:
            break;
    }
    return SecondaryNativeWindow::HandleMessage(message, wParam, lParam);
}

std::u16string TForm4::NameTyped() const {
    return Utf16(WindowText(edmods));
}

int TForm4::ModsCount() const {
    return mods_.ModsCount();
}

void TForm4::AppendMod(std::u16string_view name) {
    mods_.AppendMod(name);
}

std::optional<ModsList> TForm4::ModsListToWrite() const {
    return mods_.ModsListToWrite();
}

}  // namespace kestrune
