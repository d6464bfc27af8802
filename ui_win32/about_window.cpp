#include "ui_win32/about_window.h"

#include "ui_logic/application_title.h"
#include "ui_logic/maker_texts.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/resources/resource_ids.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/language_change.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

constexpr SIZE kClientSize{382, 310};
constexpr ControlPlace kMakerArea{32, 8, 321, 185};
constexpr ControlPlace kPartnerLogoArea{32, 200, 89, 33};
// The version and the lines about the maker, in English (shown through Tr).
struct Line {
    int id;
    const char* english;
    POINT topLeft;
};
const Line kLines[] = {
    {TForm2::kLabel5, kApplicationTitle, {240, 200}},
    {TForm2::kLabel2, kMakerNotice, {192, 224}},
    {TForm2::kLabel1, kMakerCredit, {32, 248}},
    {TForm2::kLabel4, kMakerOrigin, {264, 248}},
};
// A fixed frame with the system menu (and its close box) alone.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

TForm2::TForm2(HWND mainWindow) : SecondaryNativeWindow(mainWindow) {
    Create(L"TForm2", L"", kStyle, 0, kClientSize, nullptr, mainWindow);
    if (!Handle()) {
        return;
    }
    hints_.emplace(Handle());

    const HWND Image2 = AddPicture(IDB_MAKER, kMakerArea, kImage2);
    const HWND Image1 = AddPicture(IDB_PARTNER_LOGO, kPartnerLogoArea, kImage1);
    for (HWND link : {Image2, Image1}) {
        SetHandCursor(link);
    }
    for (const Line& line : kLines) {
        AddTextLabel(*this, L"", line.topLeft, line.id);
    }
    // The only control that takes the focus.
    AddControl(L"BUTTON", L"", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, {152, 272, 75, 25},
               kButton1);
    Retranslate();
}

// The texts in the language in use; a line too long for the window wraps within it.
void TForm2::Retranslate() {
    ::SetWindowTextW(Handle(), WideFromUtf8(Tr("About Kestrune")).c_str());
    for (const int link : {kImage2, kImage1}) {
        hints_->Set(::GetDlgItem(Handle(), link), WideFromUtf8(Tr("Visit website")));
    }
    for (const Line& line : kLines) {
        SetTextLabel(*this, ::GetDlgItem(Handle(), line.id), WideFromUtf8(Tr(line.english)),
                     line.topLeft, 8, kClientSize.cx - 8);
    }
    ::SetDlgItemTextW(Handle(), kButton1, WideFromUtf8(Tr("OK")).c_str());
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kLanguageChangedMessage:
            Retranslate();
            return 0;
        case WM_SHOWWINDOW:
            // Shown for the first time: centred on the main window (never left of or above 0).
            if (wParam && !placed_) {
                placed_ = true;
                CentreOnWindow(Handle(), MainWindow());
            }
            break;
        case WM_COMMAND:
            // Buttons and pictures both notify with code 0 (BN_CLICKED, STN_CLICKED).
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                    case kButton1:
                        steps_.Button1Click();
                        return 0;
                    case IDCANCEL:
                        // Escape, from the dialog manager: the close box's way.
                        CloseWindow();
                        return 0;
                    case kImage1:
                        steps_.Image1Click();
                        return 0;
                    case kImage2:
                        steps_.Image2Click();
                        return 0;
                    default:
                        break;
                }
            }
            break;
        default:
            break;
    }
    return SecondaryNativeWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace kestrune
