#include "ui_win32/add_mod_window.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "ui_logic/grown_layout.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/language_change.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

constexpr SIZE kOuterSize{198, 144};
constexpr POINT kFirstPosition{963, 695};
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr ControlPlace kBtModsPlace{16, 64, 75, 25};
constexpr ControlPlace kButton1Place{96, 64, 75, 25};

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
    Create(L"TForm4", L"", kStyle, 0, kOuterSize, nullptr, mainWindow);
    if (!Handle()) {
        return;
    }
    hints_.emplace(Handle());

    AddTextLabel(*this, L"", {16, 16}, kLabel1);
    // Tab goes from the name to "Add Mod" to "Exit add mod", the order they are made in.
    edmods = AddControl(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, {16, 32, 153, 21},
                        kEdmods, 8, WS_EX_CLIENTEDGE);
    AddControl(L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON, kBtModsPlace, kBtMods);
    AddControl(L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON, kButton1Place, kButton1);
    Retranslate();
}

void TForm4::Retranslate() {
    ::SetWindowTextW(Handle(), WideFromUtf8(Tr("ADD Mods")).c_str());
    SetTextLabel(*this, ::GetDlgItem(Handle(), kLabel1), WideFromUtf8(Tr("Type mod name")), {16, 16});
    hints_->Set(edmods, WideFromUtf8(Tr("Type here")));
    ::SetDlgItemTextW(Handle(), kBtMods, WideFromUtf8(Tr("Add Mod")).c_str());
    ::SetDlgItemTextW(Handle(), kButton1, WideFromUtf8(Tr("Exit add mod")).c_str());
    LayOut();
}

// A caption too wide for its button widens it, the next button moving along; the window widens
// to hold them.
void TForm4::LayOut() {
    const std::vector<LayoutControl> controls = {
        {{16, 16, 0, 13}, CaptionWidth(*this, ::GetDlgItem(Handle(), kLabel1)), 0},
        {{16, 32, 153, 21}, 0, 1},
        {{kBtModsPlace.left, kBtModsPlace.top, kBtModsPlace.width, kBtModsPlace.height},
         CaptionWidth(*this, ::GetDlgItem(Handle(), kBtMods)), 2},
        {{kButton1Place.left, kButton1Place.top, kButton1Place.width, kButton1Place.height},
         CaptionWidth(*this, ::GetDlgItem(Handle(), kButton1)), 2},
    };
    const LayoutRow rows[] = {{}, {}, {}};
    const GrownLayout layout = GrowToTexts(controls, rows);
    for (const auto& [id, index] : {std::pair{static_cast<int>(kBtMods), 2}, std::pair{static_cast<int>(kButton1), 3}}) {
        const LayoutPlace& place = layout.places[static_cast<std::size_t>(index)];
        MovePlacedControl(::GetDlgItem(Handle(), id),
                          {place.left, place.top, place.width, place.height});
    }
    // The window is its layout's size, and as wide as its widest row needs beyond it.
    int rightmost = 0;
    for (const LayoutPlace& place : layout.places) {
        rightmost = std::max(rightmost, place.right());
    }
    const int extra = std::max(0, rightmost - (kButton1Place.left + kButton1Place.width));
    ::SetWindowPos(Handle(), nullptr, 0, 0, Scaled(kOuterSize.cx + extra, Dpi()),
                   Scaled(kOuterSize.cy, Dpi()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kLanguageChangedMessage:
            Retranslate();
            return 0;
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
