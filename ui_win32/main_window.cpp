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
#include "i18n/translate.h"
#include "ui_logic/application_title.h"
#include "ui_logic/grown_layout.h"
#include "ui_logic/language_choice.h"
#include "ui_win32/language_change.h"
#include "ui_logic/web_site_addresses.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/elided_text.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/font_dc.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/resources/resource_ids.h"
#include "ui_win32/server_list_window.h"
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
// What a menu bar item needs beside its text (96 DPI).
constexpr int kMenuItemMargins = 12;

// The menu bar's font.
HFONT MenuFont() {
    static const struct SystemMenuFont {
        HFONT font = [] {
            NONCLIENTMETRICSW metrics{};
            metrics.cbSize = sizeof metrics;
            ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
            return ::CreateFontIndirectW(&metrics.lfMenuFont);
        }();
        ~SystemMenuFont() { ::DeleteObject(font); }
    } menuFont;
    return menuFont.font;
}

constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kEdit = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
constexpr DWORD kCheckBox = WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;

// A control of the window as it is made: they are made in tab order, labels first.
struct ControlRow {
    MainWindowId id;
    const wchar_t* className;
    const char* caption;  // in English, shown through Tr
    DWORD style;
    ControlPlace place;
    const char* hint = nullptr;
    bool handCursor = false;
    int pointSize = 8;
};

// clang-format off
const ControlRow kLabels[] = {
    {kIdBlMods, WC_STATICW, N_("Q3 Mods"), kLabel, {16, 48, 43, 13}},
    {kIdLabel2, WC_STATICW, N_("Q3/UT Server"), kLabel, {112, 48, 68, 13}},
    {kIdLabel8, WC_STATICW, N_("Port"), kLabel, {208, 48, 41, 13}},
    {kIdLabel6, WC_STATICW, N_("Q3/UT password"), kLabel, {264, 48, 82, 13}},
    {kIdLabel4, WC_STATICW, N_("Teamspeak server"), kLabel, {112, 88, 97, 13}},
    {kIdLabel9, WC_STATICW, N_("Port"), kLabel, {208, 88, 32, 13}},
    {kIdLabel3, WC_STATICW, N_("Nick name"), kLabel, {264, 88, 73, 13}},
    {kIdLabel5, WC_STATICW, N_("Login name"), kLabel, {112, 128, 65, 13}},
    {kIdLabel7, WC_STATICW, N_("User Password"), kLabel, {264, 128, 71, 13}},
    {kIdLabel10, WC_STATICW, nullptr, kLabel | SS_NOTIFY, {280, 16, 125, 16}, N_("Visit website"), true, 10},
};
const ControlRow kTabOrder[] = {
    {kIdEdQ3Server, WC_EDITW, "", kEdit, {112, 64, 97, 21}},
    {kIdEdQ3Port, WC_EDITW, "", kEdit, {208, 64, 49, 21}},
    {kIdEdQ3Password, WC_EDITW, "", kEdit | ES_PASSWORD, {264, 64, 145, 21}},
    {kIdEdTSServer, WC_EDITW, "", kEdit, {112, 104, 97, 21}},
    {kIdEdTSPort, WC_EDITW, "", kEdit, {208, 104, 49, 21}},
    {kIdEdTSNick, WC_EDITW, "", kEdit, {264, 104, 145, 21}},
    {kIdEdTSLogin, WC_EDITW, "", kEdit, {112, 144, 145, 21}},
    {kIdEdTSPassword, WC_EDITW, "", kEdit | ES_PASSWORD, {264, 144, 145, 21}},
    {kIdCbAutosave, WC_BUTTONW, N_("AutoSave"), kCheckBox, {16, 176, 81, 17}, N_("AutoSave"), true},
    {kIdCbAutojoin, WC_BUTTONW, N_("Auto join Teamspeak"), kCheckBox, {120, 176, 121, 17}, N_("Auto join Teamspeak"), true},
    {kIdCbExit, WC_BUTTONW, N_("Exit on launch game"), kCheckBox, {256, 176, 153, 17}, N_("Exit on launch game"), true},
    // The group box lets the pointer through to the window, which gives it its hint and cursor;
    // it leaves its items' area alone.
    {kIdGroup, WC_BUTTONW, N_("Game type"), BS_GROUPBOX | WS_CLIPSIBLINGS, kGroupPlace},
    {kIdGroupItem0, WC_BUTTONW, N_("Quake III"), WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, {24, 112, 71, 20}, N_("Game type"), true},
    {kIdGroupItem1, WC_BUTTONW, N_("Q3 Mods"), BS_AUTORADIOBUTTON, {24, 134, 71, 20}, N_("Game type"), true},
    {kIdBtnLaunchQ3, WC_BUTTONW, N_("Launch game"), kButton | WS_DISABLED, kLaunchQ3Place, N_("Launch game"), true},
    {kIdBtnTest, WC_BUTTONW, N_("Test server"), kButton, {96, 200, 75, 25}, N_("Test server")},
    {kIdBtnLaunchTS, WC_BUTTONW, N_("Launch TS2"), kButton | WS_DISABLED, kLaunchTSPlace, N_("Launch TS2"), true},
    {kIdBtnExit, WC_BUTTONW, N_("Exit"), kButton, {336, 200, 75, 25}, N_("Exit"), true},
    {kIdCbMods, WC_COMBOBOXW, "", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
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
    : steps_(*this, std::move(settingsPath), std::move(modsListPath)),
      languages_(LanguageMenuEntries()) {
    CreateMenuBar();
    SetExceptionBoxOwner(Handle());
    StartupCheckpoint("main_window");
    Open = std::make_unique<ExecutableDialog>(Handle());
    CreateControls();
    CreateStatusBar();
    Retranslate();
    StartupCheckpoint("main_status_bar");
    CreateProbe();
    StartupCheckpoint("main_socket");
    FormCreate();
}

TForm1::~TForm1() {
    // The window goes while everything it shows is still here.
    closed_ = nullptr;
    serverList_.reset();
    SetExceptionBoxOwner(nullptr);
    if (Handle()) {
        ::DestroyWindow(Handle());
    }
}

void TForm1::CreateMenuBar() {
    // The entries' texts are Retranslate's.
    const HMENU files = ::CreatePopupMenu();
    ::AppendMenuW(files, MF_STRING, kIdSave1, L"");
    ::AppendMenuW(files, MF_STRING, kIdExit1, L"");
    const HMENU options = ::CreatePopupMenu();
    for (const int id : {kIdQ3Path, kIdLinkTS21, kIdLaunchGame1, kIdLaunchTS21, kIdTestServer1,
                         kIdAddMod1, kIdFindServer1}) {
        ::AppendMenuW(options, MF_STRING, static_cast<UINT_PTR>(id), L"");
    }
    const HMENU languages = ::CreatePopupMenu();
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        ::AppendMenuW(languages, MF_STRING, kIdLanguage0 + i,
                      WideFromUtf8(languages_[i].name).c_str());
    }
    ::AppendMenuW(options, MF_POPUP, reinterpret_cast<UINT_PTR>(languages), L"");
    const HMENU MainMenu1 = ::CreateMenu();
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(files), L"");
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(options), L"");
    ::AppendMenuW(MainMenu1, MF_STRING, kIdAbout2, L"");
    // The window owns the menu from here on and destroys it with itself.
    Create(kClassName, WideFromUtf8(Tr(kApplicationTitle)).c_str(), kWindowStyle, 0, kClientSize,
           MainMenu1);
    if (!Handle()) {
        ::DestroyMenu(MainMenu1);
        return;
    }
    const ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'F', kIdFindServer1}};
    shortcuts_ = std::make_unique<KeyboardShortcuts>(Handle(), keys);
}

void TForm1::CreateControls() {
    const auto add = [this](const ControlRow& row) {
        const HWND control =
            AddControl(row.className, L"", row.style, row.place, row.id, row.pointSize,
                       std::wstring_view(row.className) == WC_EDITW ? WS_EX_CLIENTEDGE : 0);
        if (row.handCursor) {
            SetHandCursor(control);
        }
        return control;
    };
    // The server's details share the message line's row, right of its longest text. Made before
    // the message line, they lie above it, and the line draws around them.
    AddControl(WC_STATICW, L"", SS_RIGHT | SS_NOPREFIX | SS_NOTIFY, kMessageLinePlace,
               kIdServerInfo);
    // The message line keeps its width; longer messages are cut at its right edge.
    AddControl(WC_STATICW, L"", kLabel | SS_LEFTNOWORDWRAP | WS_CLIPSIBLINGS, kMessageLinePlace,
               kIdLabel1);

    for (const ControlRow& row : kLabels) {
        add(row);
    }
    ::SetWindowTextW(Control(kIdLabel10), WideFromUtf8(kMakerHost).c_str());
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

// Every text of the window in the language in use, then the places that the texts need.
void TForm1::Retranslate() {
    ::SetWindowTextW(Handle(), WideFromUtf8(Tr(kApplicationTitle)).c_str());
    const auto caption = [this](const ControlRow& row) {
        if (row.caption && *row.caption) {
            ::SetWindowTextW(Control(row.id), WideFromUtf8(Tr(row.caption)).c_str());
        }
    };
    std::ranges::for_each(kLabels, caption);
    std::ranges::for_each(kTabOrder, caption);
    RetranslateMenu();
    LayOut();
    SetHints();
    steps_.Retranslate();
}

void TForm1::RetranslateMenu() {
    const HMENU bar = ::GetMenu(Handle());
    if (!bar) {
        return;
    }
    const std::pair<int, const char*> entries[] = {
        {kIdSave1, N_("Save")},           {kIdExit1, N_("Exit")},
        {kIdQ3Path, N_("Q3 Path")},       {kIdLinkTS21, N_("TS2 Path")},
        {kIdLaunchGame1, N_("Launch game")}, {kIdLaunchTS21, N_("Launch TS2")},
        {kIdTestServer1, N_("Test server")}, {kIdAddMod1, N_("Add Mod")},
        {kIdFindServer1, N_("Find server...")}, {kIdAbout2, N_("About")},
    };
    for (const auto& [id, english] : entries) {
        // The shortcut's key is shown right of its entry.
        const std::wstring text =
            WideFromUtf8(Tr(english)) + (id == kIdFindServer1 ? L"\tCtrl+F" : L"");
        ::ModifyMenuW(bar, static_cast<UINT>(id), MF_BYCOMMAND | MF_STRING,
                      static_cast<UINT_PTR>(id), text.c_str());
    }
    // The Language menu: its own entry in Options, "System default", the choice in force ticked.
    const HMENU options = ::GetSubMenu(bar, 1);
    const int languageEntry = ::GetMenuItemCount(options) - 1;
    const std::wstring language = WideFromUtf8(Tr("Language"));
    MENUITEMINFOW languageItem{};
    languageItem.cbSize = sizeof languageItem;
    languageItem.fMask = MIIM_STRING;
    languageItem.dwTypeData = const_cast<wchar_t*>(language.c_str());
    ::SetMenuItemInfoW(options, static_cast<UINT>(languageEntry), TRUE, &languageItem);
    const std::wstring systemDefault = WideFromUtf8(Tr("System default"));
    ::ModifyMenuW(bar, kIdLanguage0, MF_BYCOMMAND | MF_STRING, kIdLanguage0,
                  systemDefault.c_str());
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        if (languages_[i].code == steps_.LanguageChoice()) {
            ::CheckMenuRadioItem(bar, kIdLanguage0,
                                 kIdLanguage0 + static_cast<UINT>(languages_.size()) - 1,
                                 kIdLanguage0 + static_cast<UINT>(i), MF_BYCOMMAND);
        }
    }
    const char* const menus[] = {N_("Files"), N_("Options")};
    for (UINT position = 0; position < std::size(menus); ++position) {
        const std::wstring text = WideFromUtf8(Tr(menus[position]));
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING;
        item.dwTypeData = const_cast<wchar_t*>(text.c_str());
        ::SetMenuItemInfoW(bar, position, TRUE, &item);
    }
    ::DrawMenuBar(Handle());
}

// The window's layout; a text that needs more room than its place has grows it, and the window
// grows with it (GrowToTexts). Texts that fit leave every place as it is.
void TForm1::LayOut() {
    enum Row { kLinks, kFields, kSwitches, kButtons, kMessages };
    const LayoutRow rows[] = {{}, {408}, {408}, {300}, {408}};
    const auto rowOf = [](int top) {
        return top < 40 ? kLinks : top < 170 ? kFields : top < 195 ? kSwitches : kButtons;
    };
    std::vector<MainWindowId> ids;
    std::vector<LayoutControl> controls;
    const auto add = [&](MainWindowId id, ControlPlace place) {
        ids.push_back(id);
        controls.push_back({{place.left, place.top, place.width, place.height},
                            NeededWidth(Control(id)), rowOf(place.top)});
    };
    for (const ControlRow& row : kLabels) {
        add(row.id, row.place);
    }
    add(kIdImage1, kPartnerLogoPlace);
    for (const ControlRow& row : kTabOrder) {
        // The game type's items follow their box.
        if (row.id != kIdGroupItem0 && row.id != kIdGroupItem1) {
            add(row.id, row.id == kIdCbMods ? kModsPlace : row.place);
        }
    }
    // The box holds its title and its items.
    const auto group = std::find(ids.begin(), ids.end(), kIdGroup) - ids.begin();
    for (const MainWindowId item : {kIdGroupItem0, kIdGroupItem1}) {
        controls[group].needed = std::max(controls[group].needed, NeededWidth(Control(item)) + 10);
    }
    ids.push_back(kIdLabel1);
    controls.push_back({{kMessageLinePlace.left, kMessageLinePlace.top, kMessageLinePlace.width,
                         kMessageLinePlace.height},
                        0,
                        kMessages});
    const GrownLayout layout = GrowToTexts(controls, rows, MenuBarWidth() - kClientSize.cx);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const LayoutPlace& place = layout.places[i];
        ControlPlace moved{place.left, place.top, place.width, place.height};
        if (ids[i] == kIdCbMods) {
            moved.height += kModsListHeight;
        }
        MovePlacedControl(Control(ids[i]), moved);
    }
    const LayoutPlace box = layout.places[group];
    MovePlacedControl(Control(kIdGroupItem0), {box.left + 8, 112, box.width - 10, 20});
    MovePlacedControl(Control(kIdGroupItem1), {box.left + 8, 134, box.width - 10, 20});
    groupPlace_ = {box.left, box.top, box.width, box.height};
    launchQ3Place_ = PlaceOf(Control(kIdBtnLaunchQ3));
    launchTSPlace_ = PlaceOf(Control(kIdBtnLaunchTS));
    const ControlPlace line = PlaceOf(Control(kIdLabel1));
    SetClientWidth(kClientSize.cx + layout.extraWidth);
    // The server's details share the message line's row, right of its longest text.
    const HWND serverInfo = Control(kIdServerInfo);
    int widestMessage = 0;
    {
        const FontDC dc(serverInfo);
        for (const char* message : kMessageLineTexts) {
            widestMessage = std::max(widestMessage, TextWidth(dc.Get(), WideFromUtf8(Tr(message))));
        }
    }
    widestMessage = ::MulDiv(widestMessage, static_cast<int>(kLayoutDpi), static_cast<int>(Dpi()));
    const int messageLineRight = line.left + line.width;
    const int infoLeft = std::min(line.left + widestMessage + 12, messageLineRight - 120);
    MovePlacedControl(serverInfo,
                      {infoLeft, line.top, messageLineRight - infoLeft, line.height});
}

int TForm1::NeededWidth(HWND control) const {
    return control == Control(kIdImage1) ? 0 : CaptionWidth(*this, control);
}

int TForm1::MenuBarWidth() const {
    const HMENU bar = ::GetMenu(Handle());
    int width = 0;
    const FontDC dc(MenuFont());
    for (int position = 0; position < ::GetMenuItemCount(bar); ++position) {
        wchar_t text[64] = {};
        ::GetMenuStringW(bar, static_cast<UINT>(position), text, static_cast<int>(std::size(text)),
                         MF_BYPOSITION);
        width += TextWidth(dc.Get(), text) + kMenuItemMargins;
    }
    return ::MulDiv(width, static_cast<int>(kLayoutDpi), static_cast<int>(Dpi()));
}

// The client area's width (96 DPI) changes; its height stays the layout's, however many lines
// the menu bar takes.
void TForm1::SetClientWidth(int width) {
    MovePlacedControl(Control(kIdStatusBar1),
                      {kStatusBarPlace.left, kStatusBarPlace.top, width, kStatusBarPlace.height});
    for (int pass = 0; pass < 2; ++pass) {
        RECT outer{};
        RECT client{};
        ::GetWindowRect(Handle(), &outer);
        ::GetClientRect(Handle(), &client);
        const int outerWidth = (outer.right - outer.left) - client.right + Scaled(width, Dpi());
        const int outerHeight =
            (outer.bottom - outer.top) - client.bottom + Scaled(kClientSize.cy, Dpi());
        ::SetWindowPos(Handle(), nullptr, 0, 0, outerWidth, outerHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}


// The hints show only once the pointer rests on a control, so they are given once the window
// shows: their tooltip is a window of its own, and each hinted control is subclassed for it.
void TForm1::SetHints() {
    if (!hintsShown_) {
        return;
    }
    if (!hints_) {
        hints_ = std::make_unique<Hints>(Handle());
    }
    const auto setHint = [this](const ControlRow& row) {
        if (row.hint) {
            hints_->Set(Control(row.id), WideFromUtf8(Tr(row.hint)));
        }
    };
    std::ranges::for_each(kLabels, setHint);
    hints_->Set(Control(kIdImage1), WideFromUtf8(Tr("Visit website")));
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
        const char* hint;
    } areas[] = {
        {kIdGroup, groupPlace_, N_("Game type")},
        {kIdBtnLaunchQ3, launchQ3Place_, N_("Launch game")},
        {kIdBtnLaunchTS, launchTSPlace_, N_("Launch TS2")},
    };
    for (const auto& area : areas) {
        hints_->SetForArea(area.id, ScaledRect(area.place, Dpi()), WideFromUtf8(Tr(area.hint)));
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
    hintsShown_ = true;
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
        case kLanguageChangedMessage:
            Retranslate();
            return 0;
        case WM_CTLCOLORSTATIC:
            return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR: {
            // The game type's box lets the pointer through to the window.
            POINT pointer{};
            ::GetCursorPos(&pointer);
            ::ScreenToClient(Handle(), &pointer);
            const RECT group = ScaledRect(groupPlace_, Dpi());
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
        case kIdFindServer1:
            steps_.FindServer1Click();
            break;
        case kIdAbout2:
            steps_.About2Click();
            break;
        default:
            if (id >= kIdLanguage0 && id < kIdLanguage0 + static_cast<int>(languages_.size())) {
                steps_.LanguageClick(languages_[id - kIdLanguage0].code);
            }
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

void TForm1::ShowServerListWindow() {
    if (!serverList_) {
        serverList_ = std::make_unique<ServerListWindow>(
            Handle(), steps_.SettingsPath(),
            [this](const ServerRow& row) {
                steps_.ServerChosen({row.address.Host(), row.address.port, row.game,
                                     row.needsPassword});
            },
            [this] {
                return GameTypeIndex() == 1 ? win32::Utf8FromWide(cbMods->Text()) : std::string();
            });
    }
    serverList_->Open();
}

void TForm1::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

void TForm1::CloseWindow() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm1::RetranslateWindows() {
    TellWindowsOfLanguageChange();
}

}  // namespace kestrune
