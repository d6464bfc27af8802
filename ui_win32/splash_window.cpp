#include "ui_win32/splash_window.h"

#include "ui_logic/maker_texts.h"
#include "ui_logic/web_site_addresses.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/resources/resource_ids.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/language_change.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

constexpr SIZE kOuterSize{362, 299};
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kHeadingPoints = 18;
constexpr ControlPlace kMakerArea{16, 40, 321, 185};

}  // namespace

TForm3::TForm3(HWND mainWindow) : SecondaryNativeWindow(mainWindow) {
    Create(L"TForm3", WideFromUtf8(kMakerName).c_str(), kStyle, 0, kOuterSize, nullptr, mainWindow);
    if (!Handle()) {
        return;
    }
    hints_.emplace(Handle());

    Label1 = AddTextLabel(*this, WideFromUtf8(Tr("Kestrune 2.0 by")), {56, 8}, kLabel1, kHeadingPoints);

    Image1 = AddPicture(IDB_MAKER, kMakerArea, kImage1);
    SetHandCursor(Image1);
    hints_->Set(Image1, WideFromUtf8(Tr("Visit website")));

    Label2 = AddTextLabel(*this, WideFromUtf8(kMakerHost), {64, 232}, kLabel2, kHeadingPoints);
    SetHandCursor(Label2);
    hints_->Set(Label2, WideFromUtf8(Tr("Visit website")));

    // The outer size is the layout's, centred on the monitor's work area.
    const SIZE outer{Scaled(kOuterSize.cx, Dpi()), Scaled(kOuterSize.cy, Dpi())};
    const POINT topLeft = CentredTopLeft(WorkAreaOf(Handle()), outer);
    ::SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, outer.cx, outer.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);

    ::ShowWindow(Handle(), SW_SHOW);
    // The interval runs from creation on, whether or not the window was activated.
    Guarded([this] { steps_.FormActivate(); });
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kLanguageChangedMessage:
            SetTextLabel(*this, Label1, WideFromUtf8(Tr("Kestrune 2.0 by")), {56, 8},
                         kHeadingPoints, kOuterSize.cx - 24);
            hints_->Set(Image1, WideFromUtf8(Tr("Visit website")));
            hints_->Set(Label2, WideFromUtf8(Tr("Visit website")));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                steps_.FormActivate();
            }
            break;
        case WM_TIMER:
            if (wParam == kTimer1) {
                steps_.Timer1Timer();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == kImage1) {
                steps_.Image1Click();
                return 0;
            }
            if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == kLabel2) {
                steps_.Label2Click();
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            const auto control = reinterpret_cast<HWND>(lParam);
            if (control == Label1 || control == Label2) {
                return BlueLabelColours(reinterpret_cast<HDC>(wParam));
            }
            break;
        }
        default:
            break;
    }
    return SecondaryNativeWindow::HandleMessage(message, wParam, lParam);
}

bool TForm3::TimerActive() const {
    return timerActive_;
}

void TForm3::StartTimer() {
    timerActive_ = ::SetTimer(Handle(), kTimer1, kShowMilliseconds, nullptr) != 0;
}

void TForm3::StopTimer() {
    ::KillTimer(Handle(), kTimer1);
    timerActive_ = false;
}

}  // namespace kestrune
