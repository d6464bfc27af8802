#include "ui_win32/main_window.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "launcher/server_probe.h"
#include "launcher/stored_text.h"
#include "net/udp_endpoint.h"
#include "net/win32/lookup_wait_step.h"
#include "platform/exception.h"
#include "ui_logic/application_title.h"
#include "ui_logic/web_site_addresses.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/elided_text.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/font_dc.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/resources/resource_ids.h"
#include "ui_win32/startup_trace.h"
#include "ui_win32/static_controls.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"

namespace kestrune {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr SIZE kClientSize{425, 279};
constexpr ControlPlace kStatusBarPlace{0, 279 - 19, 425, 19};
constexpr int kStatusPanel0Width = 216;
constexpr ControlPlace kMessageLinePlace{16, 240, 393, 13};
constexpr ControlPlace kGroupPlace{16, 96, 81, 65};
constexpr ControlPlace kLaunchQ3Place{16, 200, 75, 25};
constexpr ControlPlace kLaunchTSPlace{176, 200, 75, 25};
constexpr ControlPlace kPartnerLogoPlace{171, 8, 89, 33};
// The mods box is 21 high when closed; its list opens below, this high.
constexpr ControlPlace kModsPlace{16, 64, 89, 21};
constexpr int kModsListHeight = 120;
constexpr UINT_PTR kProbeTimerId = 1;
constexpr UINT_PTR kSecondFamilyTimerId = 2;

constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kEdit = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
constexpr DWORD kCheckBox = WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;

// A control of the window as it is made: they are made in tab order, labels first.
struct ControlRow {
    MainWindowId id;
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
    ControlPlace place;
    const wchar_t* hint = nullptr;
    bool handCursor = false;
    int pointSize = 8;
};

// clang-format off
const ControlRow kLabels[] = {
    {kIdBlMods, WC_STATICW, L"Q3 Mods", kLabel, {16, 48, 43, 13}},
    {kIdLabel2, WC_STATICW, L"Q3/UT Server", kLabel, {112, 48, 68, 13}},
    {kIdLabel8, WC_STATICW, L"Port", kLabel, {208, 48, 41, 13}},
    {kIdLabel6, WC_STATICW, L"Q3/UT password", kLabel, {264, 48, 82, 13}},
    {kIdLabel4, WC_STATICW, L"Teamspeak server", kLabel, {112, 88, 97, 13}},
    {kIdLabel9, WC_STATICW, L"Port", kLabel, {208, 88, 32, 13}},
    {kIdLabel3, WC_STATICW, L"Nick name", kLabel, {264, 88, 73, 13}},
    {kIdLabel5, WC_STATICW, L"Login name", kLabel, {112, 128, 65, 13}},
    {kIdLabel7, WC_STATICW, L"User Password", kLabel, {264, 128, 71, 13}},
    {kIdLabel10, WC_STATICW, nullptr, kLabel | SS_NOTIFY, {280, 16, 125, 16}, L"Visit website", true, 10},
};
const ControlRow kTabOrder[] = {
    {kIdEdQ3Server, WC_EDITW, L"", kEdit, {112, 64, 97, 21}},
    {kIdEdQ3Port, WC_EDITW, L"", kEdit, {208, 64, 49, 21}},
    {kIdEdQ3Password, WC_EDITW, L"", kEdit | ES_PASSWORD, {264, 64, 145, 21}},
    {kIdEdTSServer, WC_EDITW, L"", kEdit, {112, 104, 97, 21}},
    {kIdEdTSPort, WC_EDITW, L"", kEdit, {208, 104, 49, 21}},
    {kIdEdTSNick, WC_EDITW, L"", kEdit, {264, 104, 145, 21}},
    {kIdEdTSLogin, WC_EDITW, L"", kEdit, {112, 144, 145, 21}},
    {kIdEdTSPassword, WC_EDITW, L"", kEdit | ES_PASSWORD, {264, 144, 145, 21}},
    {kIdCbAutosave, WC_BUTTONW, L"AutoSave", kCheckBox, {16, 176, 81, 17}, L"AutoSave", true},
    {kIdCbAutojoin, WC_BUTTONW, L"Auto join Teamspeak", kCheckBox, {120, 176, 121, 17}, L"Auto join Teamspeak", true},
    {kIdCbExit, WC_BUTTONW, L"Exit on launch game", kCheckBox, {256, 176, 153, 17}, L"Exit on launch game", true},
    // The group box lets the pointer through to the window, which gives it its hint and cursor;
    // it leaves its items' area alone.
    {kIdGroup, WC_BUTTONW, L"Game type", BS_GROUPBOX | WS_CLIPSIBLINGS, kGroupPlace},
    {kIdGroupItem0, WC_BUTTONW, L"Quake III", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, {24, 112, 71, 20}, L"Game type", true},
    {kIdGroupItem1, WC_BUTTONW, L"Q3 Mods", BS_AUTORADIOBUTTON, {24, 134, 71, 20}, L"Game type", true},
    {kIdBtnLaunchQ3, WC_BUTTONW, L"Launch game", kButton | WS_DISABLED, kLaunchQ3Place, L"Launch game", true},
    {kIdBtnTest, WC_BUTTONW, L"Test server", kButton, {96, 200, 75, 25}, L"Test server"},
    {kIdBtnLaunchTS, WC_BUTTONW, L"Launch TS2", kButton | WS_DISABLED, kLaunchTSPlace, L"Launch TS2", true},
    {kIdBtnExit, WC_BUTTONW, L"Exit", kButton, {336, 200, 75, 25}, L"Exit", true},
    {kIdCbMods, WC_COMBOBOXW, L"", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
     {kModsPlace.left, kModsPlace.top, kModsPlace.width, kModsPlace.height + kModsListHeight}},
};
// clang-format on

MainWindowId IdOf(MainControl control) {
    switch (control) {
        case MainControl::edQ3Server:
            return kIdEdQ3Server;
        case MainControl::edQ3Port:
            return kIdEdQ3Port;
        case MainControl::edQ3Password:
            return kIdEdQ3Password;
        case MainControl::edTSServer:
            return kIdEdTSServer;
        case MainControl::edTSPort:
            return kIdEdTSPort;
        case MainControl::edTSNick:
            return kIdEdTSNick;
        case MainControl::edTSLogin:
            return kIdEdTSLogin;
        case MainControl::edTSPassword:
            return kIdEdTSPassword;
        case MainControl::cbMods:
            return kIdCbMods;
        case MainControl::cbAutosave:
            return kIdCbAutosave;
        case MainControl::cbAutojoin:
            return kIdCbAutojoin;
        case MainControl::cbExit:
            return kIdCbExit;
        case MainControl::btnLaunchQ3:
            return kIdBtnLaunchQ3;
        case MainControl::btnLaunchTS:
            return kIdBtnLaunchTS;
    }
    return kIdEdQ3Server;
}

}  // namespace

TForm1::TForm1(std::string settingsPath, std::string modsListPath)
    : steps_(*this, std::move(settingsPath), std::move(modsListPath)) {
    CreateMenuBar();
    SetExceptionBoxOwner(Handle());
    StartupCheckpoint("main_window");
    Open = std::make_unique<ExecutableDialog>(Handle());
    CreateControls();
    CreateStatusBar();
    StartupCheckpoint("main_status_bar");
    CreateProbe();
    StartupCheckpoint("main_socket");
    FormCreate();
}

TForm1::~TForm1() {
    // The window goes while everything it shows is still here.
    closed_ = nullptr;
    SetExceptionBoxOwner(nullptr);
    if (Handle()) {
        ::DestroyWindow(Handle());
    }
}

void TForm1::CreateMenuBar() {
    const HMENU files = ::CreatePopupMenu();
    ::AppendMenuW(files, MF_STRING, kIdSave1, L"Save");
    ::AppendMenuW(files, MF_STRING, kIdExit1, L"Exit");
    const HMENU options = ::CreatePopupMenu();
    ::AppendMenuW(options, MF_STRING, kIdQ3Path, L"Q3 Path");
    ::AppendMenuW(options, MF_STRING, kIdLinkTS21, L"TS2 Path");
    ::AppendMenuW(options, MF_STRING, kIdLaunchGame1, L"Launch game");
    ::AppendMenuW(options, MF_STRING, kIdLaunchTS21, L"Launch TS2");
    ::AppendMenuW(options, MF_STRING, kIdTestServer1, L"Test server");
    ::AppendMenuW(options, MF_STRING, kIdAddMod1, L"Add Mod");
    const HMENU MainMenu1 = ::CreateMenu();
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(files), L"Files");
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(options), L"Options");
    ::AppendMenuW(MainMenu1, MF_STRING, kIdAbout2, L"About");
    // The window owns the menu from here on and destroys it with itself.
    Create(kClassName, WideFromUtf8(kApplicationTitle).c_str(), kWindowStyle, 0, kClientSize,
           MainMenu1);
    if (!Handle()) {
        ::DestroyMenu(MainMenu1);
    }
}

void TForm1::CreateControls() {
    const auto add = [this](const ControlRow& row) {
        const HWND control =
            AddControl(row.className, row.caption, row.style, row.place, row.id, row.pointSize,
                       std::wstring_view(row.className) == WC_EDITW ? WS_EX_CLIENTEDGE : 0);
        if (std::wstring_view(row.className) == WC_STATICW && row.caption) {
            WidenToCaption(control, row.place);
        }
        if (row.handCursor) {
            SetHandCursor(control);
        }
        return control;
    };
    // The server's details share the message line's row, right of its longest text. Made before
    // the message line, they lie above it, and the line draws around them.
    const HWND serverInfo = AddControl(WC_STATICW, L"", SS_RIGHT | SS_NOPREFIX | SS_NOTIFY,
                                       kMessageLinePlace, kIdServerInfo);
    int widestMessage = 0;
    {
        const FontDC dc(serverInfo);
        for (const std::u16string_view message : kMessageLineTexts) {
            widestMessage = std::max(widestMessage, TextWidth(dc.Get(), Wide(message)));
        }
    }
    widestMessage = ::MulDiv(widestMessage, static_cast<int>(kLayoutDpi), static_cast<int>(Dpi()));
    const int messageLineRight = kMessageLinePlace.left + kMessageLinePlace.width;
    const int infoLeft =
        std::min(kMessageLinePlace.left + widestMessage + 12, messageLineRight - 120);
    MovePlacedControl(serverInfo, {infoLeft, kMessageLinePlace.top, messageLineRight - infoLeft,
                                   kMessageLinePlace.height});
    // The message line keeps its width; longer messages are cut at its right edge.
    AddControl(WC_STATICW, L"", kLabel | SS_LEFTNOWORDWRAP | WS_CLIPSIBLINGS, kMessageLinePlace,
               kIdLabel1);

    for (const ControlRow& row : kLabels) {
        add(row);
    }
    ::SetWindowTextW(Control(kIdLabel10), WideFromUtf8(kMakerHost).c_str());
    WidenToCaption(Control(kIdLabel10), kLabels[std::size(kLabels) - 1].place);
    SetHandCursor(AddPicture(IDB_PARTNER_LOGO, kPartnerLogoPlace, kIdImage1));

    StartupCheckpoint("main_labels_and_logo");
    for (const ControlRow& row : kTabOrder) {
        add(row);
    }
    for (const MainWindowId secret : {kIdEdQ3Password, kIdEdTSPassword}) {
        ::SendMessageW(Control(secret), EM_SETPASSWORDCHAR, L'*', 0);
    }
    ::CheckDlgButton(Handle(), kIdCbAutosave, BST_CHECKED);
    ::CheckDlgButton(Handle(), kIdCbAutojoin, BST_CHECKED);
    ::CheckDlgButton(Handle(), kIdGroupItem1, BST_CHECKED);

    cbMods = std::make_unique<ModsComboBox>(Control(kIdCbMods),
                                            [this] { Guarded([this] { steps_.cbModsChange(); }); });
    cbMods->ShowEntries({""});
    cbMods->SetText(L"Mods");
    StartupCheckpoint("main_fields_and_buttons");
}

// A label too narrow for its caption in the font at hand (a substitute for the window font is
// wider) grows to the right rather than cutting it.
void TForm1::WidenToCaption(HWND label, ControlPlace place) {
    const FontDC dc(label);
    const int needed = ::MulDiv(TextWidth(dc.Get(), WindowText(label)),
                                static_cast<int>(kLayoutDpi), static_cast<int>(Dpi()));
    if (needed > place.width) {
        place.width = needed;
        MovePlacedControl(label, place);
    }
}

// The hints show only once the pointer rests on a control, so they are given once the window
// shows: their tooltip is a window of its own, and each hinted control is subclassed for it.
void TForm1::SetHints() {
    hints_ = std::make_unique<Hints>(Handle());
    const auto setHint = [this](const ControlRow& row) {
        if (row.hint) {
            hints_->Set(Control(row.id), row.hint);
        }
    };
    std::ranges::for_each(kLabels, setHint);
    hints_->Set(Control(kIdImage1), L"Visit website");
    std::ranges::for_each(kTabOrder, setHint);
    SetAreaHints();
}

// Hints of the window's own areas, where the pointer reaches the window rather than a control:
// the game type's box, which lets it through, and the launch buttons while disabled (a disabled
// control takes no pointer, so its own hint would not show).
void TForm1::SetAreaHints() {
    if (!hints_) {
        return;
    }
    const struct {
        MainWindowId id;
        ControlPlace place;
        const wchar_t* hint;
    } areas[] = {
        {kIdGroup, kGroupPlace, L"Game type"},
        {kIdBtnLaunchQ3, kLaunchQ3Place, L"Launch game"},
        {kIdBtnLaunchTS, kLaunchTSPlace, L"Launch TS2"},
    };
    for (const auto& area : areas) {
        hints_->SetForArea(area.id, ScaledRect(area.place, Dpi()), area.hint);
    }
}

void TForm1::CreateStatusBar() {
    // Placed like every other control (it would otherwise size itself to its font); it keeps
    // the system's status bar font.
    AddControl(STATUSCLASSNAMEW, L"",
               CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | CCS_NOMOVEY, kStatusBarPlace,
               kIdStatusBar1, 0);
    LayOutForDpi();
}

// What the window's places do not cover: the status bar's panels and the mods box's height.
void TForm1::LayOutForDpi() {
    // Panel 0 runs to 216 pixels, panel 1 to the bar's right edge.
    int rightEdges[2] = {Scaled(kStatusPanel0Width, Dpi()), -1};
    ::SendMessageW(Control(kIdStatusBar1), SB_SETPARTS, 2, reinterpret_cast<LPARAM>(rightEdges));
    ::SendMessageW(cbMods->Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   Scaled(kModsPlace.height, Dpi()) - 6);
}

void TForm1::CreateProbe() {
    // While "Test server" waits for a name lookup, the keyboard works as it does in the loop.
    SetLookupWaitStep(DispatchWindowMessage);
    UDP = std::make_unique<TUDPEndpoint>();
    UDP->SetName("UDP");
    probe_ = std::make_unique<MainWindowProbe<TUDPEndpoint>>(
        *UDP, steps_, [](std::string_view message) { ShowException(message); });
}

void TForm1::FormCreate() {
    // The window shows before the settings are read, centred on its monitor's work area.
    const POINT topLeft = CentredTopLeft(WorkAreaOf(Handle()), OuterSizeOf(Handle()));
    ::SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    StartupCheckpoint("main_centred");
    ::ShowWindow(Handle(), SW_SHOW);
    StartupCheckpoint("main_mapped");
    ::UpdateWindow(Handle());
    ::SetFocus(Control(kIdEdQ3Server));
    StartupCheckpoint("main_painted");
    SetHints();
    StartupCheckpoint("main_hints");
    // Anything FormCreate raises is shown; the window is built and the program goes on.
    Guarded([this] { steps_.FormCreate(); });
    StartupCheckpoint("settings_and_mods_loaded");
}

void TForm1::SetSecondaryWindows(HWND about, HWND addMod) {
    SetSecondaryWindows([about] { return about; }, [addMod] { return addMod; });
}

void TForm1::SetSecondaryWindows(WindowMaker about, WindowMaker addMod) {
    aboutWindow_ = std::move(about);
    addModWindow_ = std::move(addMod);
}

void TForm1::SetOnClosed(std::function<void()> closed) {
    closed_ = std::move(closed);
}

void TForm1::SetProgramRunner(ProgramRunner run) {
    steps_.SetProgramRunner(std::move(run));
}

HWND TForm1::Control(MainWindowId id) const {
    return ::GetDlgItem(Handle(), id);
}

std::wstring TForm1::StatusPanelText(int panel) const {
    const HWND bar = Control(kIdStatusBar1);
    const auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, panel, 0));
    std::wstring text(length + 1u, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

// --- Messages -----------------------------------------------------------------------------

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kProbeTimerId) {
                steps_.TimerTimer();
                return 0;
            }
            if (wParam == kSecondFamilyTimerId) {
                steps_.SecondFamilyTimerTimer();
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR: {
            // The game type's box lets the pointer through to the window.
            POINT pointer{};
            ::GetCursorPos(&pointer);
            ::ScreenToClient(Handle(), &pointer);
            const RECT group = ScaledRect(kGroupPlace, Dpi());
            if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT &&
                ::PtInRect(&group, pointer)) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_DPICHANGED: {
            const LRESULT result = NativeWindow::HandleMessage(message, wParam, lParam);
            LayOutForDpi();
            SetAreaHints();
            return result;
        }
        case WM_CLOSE:
            // A failed save keeps the window open.
            if (!probe_ || probe_->FormCloseAllows()) {
                ::DestroyWindow(Handle());
            }
            return 0;
        case WM_DESTROY:
            if (closed_) {
                closed_();
            }
            return 0;
        default:
            break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

void TForm1::Command(int id, WORD code) {
    switch (id) {
        case kIdBtnLaunchQ3:
        case kIdLaunchGame1:
            steps_.btnLaunchQ3Click();
            break;
        case kIdBtnTest:
            steps_.btnTestClick();
            break;
        case kIdEdQ3Server:
            if (code == EN_KILLFOCUS) {
                steps_.edQ3ServerExit();
            }
            break;
        case kIdEdTSServer:
            if (code == EN_KILLFOCUS) {
                steps_.edTSServerExit();
            }
            break;
        case kIdBtnLaunchTS:
        case kIdLaunchTS21:
            steps_.btnLaunchTSClick();
            break;
        case kIdBtnExit:
        case kIdExit1:
            steps_.btnExitClick();
            break;
        case kIdGroupItem0:
        case kIdGroupItem1:
            if (code == BN_CLICKED) {
                ClickGameType();
            }
            break;
        case kIdImage1:
            if (code == STN_CLICKED) {
                steps_.Image1Click();
            }
            break;
        case kIdLabel10:
            if (code == STN_CLICKED) {
                steps_.Label10Click();
            }
            break;
        case kIdCbMods:
            if (cbMods) {
                cbMods->HandleNotification(code);
            }
            break;
        case kIdSave1:
            steps_.Save1Click();
            break;
        case kIdQ3Path:
            steps_.Q3PathClick();
            break;
        case kIdLinkTS21:
            steps_.LinkTS21Click();
            break;
        case kIdAddMod1:
            steps_.AddMod1Click();
            break;
        case kIdAbout2:
            steps_.About2Click();
            break;
        default:
            // "Test server" in the menu does nothing; the button is the working path.
            break;
    }
}

void TForm1::ClickGameType() {
    // Clicking the item that is already selected runs nothing.
    const int clicked = GameTypeIndex();
    if (clicked == gameType_) {
        return;
    }
    gameType_ = clicked;
    steps_.GroupClick();
}

LRESULT TForm1::ColourStatic(HDC dc, HWND control) {
    if (control == Control(kIdLabel1) || control == Control(kIdLabel10)) {
        return BlueLabelColours(dc);
    }
    return NativeWindow::HandleMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(control));
}

// --- ModsListAccess -----------------------------------------------------------------------

int TForm1::ModsCount() const {
    return cbMods->Count();
}

void TForm1::AppendMod(std::u16string_view name) {
    cbMods->Append(name);
}

std::optional<ModsList> TForm1::ModsListToWrite() const {
    return cbMods->ToWrite();
}

// --- MainWindowView -----------------------------------------------------------------------

std::u16string TForm1::Text(MainControl control) const {
    if (control == MainControl::cbMods) {
        return Utf16(cbMods->Text());
    }
    return Utf16(WindowText(Control(IdOf(control))));
}

void TForm1::SetText(MainControl control, std::u16string_view text) {
    if (control == MainControl::cbMods) {
        cbMods->SetText(Wide(text));
        return;
    }
    ::SetWindowTextW(Control(IdOf(control)), Wide(text).c_str());
}

bool TForm1::Checked(MainControl control) const {
    return ::IsDlgButtonChecked(Handle(), IdOf(control)) == BST_CHECKED;
}

void TForm1::SetChecked(MainControl control, bool checked) {
    ::CheckDlgButton(Handle(), IdOf(control), checked ? BST_CHECKED : BST_UNCHECKED);
}

void TForm1::SetEnabled(MainControl control, bool enabled) {
    ::EnableWindow(Control(IdOf(control)), enabled ? TRUE : FALSE);
}

int TForm1::GameTypeIndex() const {
    if (::IsDlgButtonChecked(Handle(), kIdGroupItem0) == BST_CHECKED) {
        return 0;
    }
    return ::IsDlgButtonChecked(Handle(), kIdGroupItem1) == BST_CHECKED ? 1 : -1;
}

void TForm1::SetGameTypeIndex(int index) {
    if (index == GameTypeIndex()) {
        return;
    }
    ::CheckDlgButton(Handle(), kIdGroupItem0, index == 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Handle(), kIdGroupItem1, index == 1 ? BST_CHECKED : BST_UNCHECKED);
    gameType_ = GameTypeIndex();
    // A selection set from code runs GroupClick too; clearing it does not.
    if (gameType_ >= 0) {
        steps_.GroupClick();
    }
}

int TForm1::ModsIndex() const {
    return cbMods->Index();
}

void TForm1::SetModsIndex(int index) {
    cbMods->Select(index);
}

void TForm1::ShowModsList(const ModsList& mods) {
    cbMods->ShowEntries(mods);
}

void TForm1::MarkModsListUnread() {
    cbMods->MarkUnread();
}

std::string TForm1::StoredModName() const {
    return cbMods->StoredName();
}

void TForm1::SetMessage(std::u16string_view text) {
    ::SetWindowTextW(Control(kIdLabel1), Wide(text).c_str());
}

void TForm1::SetStatusPanel(int panel, std::u16string_view text) {
    ::SendMessageW(Control(kIdStatusBar1), SB_SETTEXTW, static_cast<WPARAM>(panel),
                   reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

void TForm1::ShowServerInfo(const ServerDetailsLine& line, const std::string& hint) {
    const HWND label = Control(kIdServerInfo);
    RECT area{};
    ::GetClientRect(label, &area);
    const int room = area.right - area.left;
    std::wstring text = WideFromUtf8(line.Text());
    {
        const FontDC dc(label);
        if (TextWidth(dc.Get(), text) > room && !line.map.empty()) {
            const std::wstring figures =
                WideFromUtf8(std::string(ServerDetailsLine::kSeparator) + line.figures);
            text = ElidedRight(dc.Get(), WideFromUtf8(line.map),
                               std::max(room - TextWidth(dc.Get(), figures), 0)) +
                   figures;
        }
        text = ElidedRight(dc.Get(), text, room);
    }
    ::SetWindowTextW(label, text.c_str());
    hints_->Set(label, WideFromUtf8(hint));
}

bool TForm1::ProbeTimerActive() const {
    return timerActive_;
}

void TForm1::StartProbeTimer() {
    timerActive_ = ::SetTimer(Handle(), kProbeTimerId, kProbeTimeoutMs, nullptr) != 0;
}

void TForm1::StopProbeTimer() {
    ::KillTimer(Handle(), kProbeTimerId);
    timerActive_ = false;
}

void TForm1::StartSecondFamilyTimer() {
    ::SetTimer(Handle(), kSecondFamilyTimerId, kSecondFamilyDelayMs, nullptr);
}

void TForm1::StopSecondFamilyTimer() {
    ::KillTimer(Handle(), kSecondFamilyTimerId);
}

bool TForm1::SendStatusQuery(const std::string& host, std::int32_t port) {
    return probe_->SendStatusQuery(host, port);
}

// The dialog lists the Windows executable only.
std::string TForm1::BrowseForExecutable(std::span<const FileFilter> filters) {
    return Open->BrowseForExecutable(filters);
}

void TForm1::ShowAboutWindow() {
    if (aboutWindow_) {
        BringForward(aboutWindow_());
    }
}

void TForm1::ShowAddModWindow() {
    if (addModWindow_) {
        BringForward(addModWindow_());
    }
}

void TForm1::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

void TForm1::CloseWindow() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

}  // namespace kestrune
