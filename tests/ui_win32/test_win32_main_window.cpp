// The Windows main window, driven with messages as the player's clicks and keys would send them:
// its controls and places, start-up, saving, launching, the probe and the exception display.
// What the handlers do is tested once in tests/ui_logic; this is what the native view adds.

#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "launcher/server_probe.h"
#include "net/udp_endpoint.h"
#include "platform/executable_path.h"
#include "platform/host_lookup.h"
#include "platform/udp_socket.h"
#include "tests/support/files.h"
#include "tests/support/win32_messages.h"
#include "tests/ui_win32/control_table.h"
#include "tests/ui_win32/main_window_test.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/executable_dialog.h"
#include "ui_win32/main_window.h"
#include "ui_win32/wide_text.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using test_support::PumpUntil;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

const IpAddress kLoopback = IpAddress::V4(0x0100007Fu);  // 127.0.0.1

class Win32MainWindow : public NativeMainWindowTest {
protected:
    TForm1& Open() {
        form_ = std::make_unique<TForm1>(folder_ / "kestrune.ini", folder_ / "mods.kst");
        form_->SetOnClosed([this] { closed_ = true; });
        return *form_;
    }
    bool Enabled(MainWindowId id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
    // Keys typed into the mods box's edit part, as WM_CHAR brings them.
    void TypeIntoMods(const std::wstring& keys) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(Control(kIdCbMods), &info);
        for (const wchar_t key : keys) {
            ::SendMessageW(info.hwndItem, WM_CHAR, key, 1);
        }
    }

    TempFolder folder_;
    bool closed_ = false;
};

TEST_F(Win32MainWindow, EveryControlHasItsClassCaptionPlaceAndTabStop) {
    TForm1& form = Open();
    ASSERT_EQ(form.Dpi(), 96u) << "the places below are those at 96 DPI";
    struct Row {
        MainWindowId id;
        const wchar_t* className;
        const wchar_t* caption;
        RECT place;  // left, top, width, height
        const wchar_t* hint;
        int points;  // the window font's; 0: another
    };
    // clang-format off
    const Row rows[] = {
        {kIdBlMods, L"Static", L"Q3 Mods", {16, 48, 43, 13}, L"", 8},
        {kIdCbMods, L"ComboBox", L"Mods", {16, 64, 89, 21}, L"", 8},
        {kIdGroup, L"Button", L"Game type", {16, 96, 81, 65}, L"", 8},
        {kIdGroupItem0, L"Button", L"Quake III", {24, 112, 71, 20}, L"Game type", 8},
        {kIdGroupItem1, L"Button", L"Q3 Mods", {24, 134, 71, 20}, L"Game type", 8},
        {kIdCbAutosave, L"Button", L"AutoSave", {16, 176, 81, 17}, L"AutoSave", 8},
        {kIdCbAutojoin, L"Button", L"Auto join Teamspeak", {120, 176, 121, 17}, L"Auto join Teamspeak", 8},
        {kIdCbExit, L"Button", L"Exit on launch game", {256, 176, 153, 17}, L"Exit on launch game", 8},
        {kIdLabel2, L"Static", L"Q3/UT Server", {112, 48, 68, 13}, L"", 8},
        {kIdEdQ3Server, L"Edit", L"", {112, 64, 97, 21}, L"", 8},
        {kIdLabel8, L"Static", L"Port", {208, 48, 41, 13}, L"", 8},
        {kIdEdQ3Port, L"Edit", L"", {208, 64, 49, 21}, L"", 8},
        {kIdLabel6, L"Static", L"Q3/UT password", {264, 48, 82, 13}, L"", 8},
        {kIdEdQ3Password, L"Edit", L"", {264, 64, 145, 21}, L"", 8},
        {kIdLabel4, L"Static", L"Teamspeak server", {112, 88, 97, 13}, L"", 8},
        {kIdEdTSServer, L"Edit", L"", {112, 104, 97, 21}, L"", 8},
        {kIdLabel9, L"Static", L"Port", {208, 88, 32, 13}, L"", 8},
        {kIdEdTSPort, L"Edit", L"", {208, 104, 49, 21}, L"", 8},
        {kIdLabel3, L"Static", L"Nick name", {264, 88, 73, 13}, L"", 8},
        {kIdEdTSNick, L"Edit", L"", {264, 104, 145, 21}, L"", 8},
        {kIdLabel5, L"Static", L"Login name", {112, 128, 65, 13}, L"", 8},
        {kIdEdTSLogin, L"Edit", L"", {112, 144, 145, 21}, L"", 8},
        {kIdLabel7, L"Static", L"User Password", {264, 128, 71, 13}, L"", 8},
        {kIdEdTSPassword, L"Edit", L"", {264, 144, 145, 21}, L"", 8},
        {kIdBtnLaunchQ3, L"Button", L"Launch game", {16, 200, 75, 25}, L"Launch game", 8},
        {kIdBtnTest, L"Button", L"Test server", {96, 200, 75, 25}, L"Test server", 8},
        {kIdBtnLaunchTS, L"Button", L"Launch TS2", {176, 200, 75, 25}, L"Launch TS2", 8},
        {kIdBtnExit, L"Button", L"Exit", {336, 200, 75, 25}, L"Exit", 8},
        {kIdLabel1, L"Static", L"Program ready", {16, 240, 393, 13}, L"", 8},
        {kIdImage1, L"Static", L"", {171, 8, 89, 33}, L"Visit website", 0},
        {kIdLabel10, L"Static", L"kestrune.org", {280, 16, 125, 16}, L"Visit website", 10},
        {kIdStatusBar1, L"msctls_statusbar32", L"ioquake3.org", {0, 260, 425, 19}, L"", 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        const HWND control = Control(row.id);
        wchar_t className[64] = {};
        ::GetClassNameW(control, className, 64);
        EXPECT_STREQ(className, row.className);
        EXPECT_EQ(WindowText(control), row.caption);
        EXPECT_EQ(test_support::HintOf(form.Handle(), control), row.hint);
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        const bool windowFont = std::wstring_view(font.lfFaceName) == L"MS Sans Serif";
        EXPECT_EQ(windowFont ? font.lfHeight : 0, -::MulDiv(row.points, 96, 72));
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, row.place.left);
        EXPECT_EQ(rect.top, row.place.top);
        EXPECT_EQ(rect.bottom - rect.top, row.place.bottom);
        // A label grows to its caption when the font at hand is wider than the window font.
        const bool label = row.className == std::wstring_view(L"Static") && row.id != kIdLabel1;
        EXPECT_TRUE(label ? rect.right - rect.left >= row.place.right
                          : rect.right - rect.left == row.place.right)
            << rect.right - rect.left;
    }

    // Tab and the arrows go through the controls with WS_TABSTOP in the order they were made;
    // the game type's stop is its selected item.
    std::vector<int> tabOrder;
    for (HWND child = ::GetWindow(form.Handle(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) {
            tabOrder.push_back(::GetDlgCtrlID(child));
        }
    }
    EXPECT_EQ(tabOrder, (std::vector<int>{kIdEdQ3Server, kIdEdQ3Port, kIdEdQ3Password,
                                          kIdEdTSServer, kIdEdTSPort, kIdEdTSNick, kIdEdTSLogin,
                                          kIdEdTSPassword, kIdCbAutosave, kIdCbAutojoin, kIdCbExit,
                                          kIdGroupItem1, kIdBtnLaunchQ3, kIdBtnTest, kIdBtnLaunchTS,
                                          kIdBtnExit, kIdCbMods}));

    // A fixed border, a minimise box but no maximise box, the client area below the menu.
    const LONG style = ::GetWindowLongW(form.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU),
              WS_MINIMIZEBOX | WS_SYSMENU);
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 425);
    EXPECT_EQ(client.bottom, 279);
    EXPECT_EQ(WindowText(form.Handle()), L"Kestrune version 2.0");
    EXPECT_EQ(::SendMessageW(Control(kIdEdQ3Password), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(::SendMessageW(Control(kIdEdTSPassword), EM_GETPASSWORDCHAR, 0, 0), L'*');
    int parts[3] = {};
    EXPECT_EQ(
        ::SendMessageW(Control(kIdStatusBar1), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts)), 2);
    EXPECT_EQ(parts[0], 216);
    const HMENU menu = ::GetMenu(form.Handle());
    std::wstring entries;
    for (const HMENU popup : {::GetSubMenu(menu, 0), ::GetSubMenu(menu, 1)}) {
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            wchar_t caption[32] = {};
            ::GetMenuStringW(popup, static_cast<UINT>(i), caption, 32, MF_BYPOSITION);
            entries += std::wstring(caption) + L"|";
        }
    }
    EXPECT_EQ(entries,
              L"Save|Exit|Q3 Path|TS2 Path|Launch game|Launch TS2|Test server|Add Mod|"
              L"Find server...\tCtrl+F|Language|");
}

TEST_F(Win32MainWindow, StartsWithDefaultsOrWithTheStoredWindows1252Settings) {
    Open();
    EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
    // Centred on the work area of its monitor: as far from its left as from its right edge,
    // and from its top as from its bottom (give or take the odd pixel).
    RECT outer{};
    ::GetWindowRect(form_->Handle(), &outer);
    const RECT work = test_support::WorkArea();
    EXPECT_LE(std::abs((outer.left - work.left) - (work.right - outer.right)), 1);
    EXPECT_LE(std::abs((outer.top - work.top) - (work.bottom - outer.bottom)), 1);
    EXPECT_EQ(::GetFocus(), Control(kIdEdQ3Server));
    EXPECT_EQ(Text(kIdCbMods), L"Mods");
    EXPECT_EQ(form_->StatusPanelText(0), L"ioquake3.org");
    EXPECT_EQ(form_->StatusPanelText(1), L"Ready");
    EXPECT_FALSE(Enabled(kIdBtnLaunchQ3));
    EXPECT_EQ(::IsDlgButtonChecked(form_->Handle(), kIdGroupItem1), BST_CHECKED);
    EXPECT_TRUE(shown_.empty());

    WriteFile(folder_ / "kestrune.ini",
              "[Main]\r\nMods=1\r\n[Quake3]\r\nQ3Server=caf\xE9\r\nQ3Password=p\xE4ss\r\n"
              "Q3Game=0\r\nQ3Executable=C:\\Games\\quake3.exe\r\n");
    WriteFile(folder_ / "mods.kst",
              "cpma\r\nd\xE9"
              "frag\r\n");
    Open();
    EXPECT_EQ(Text(kIdEdQ3Server), L"caf\u00e9");
    EXPECT_EQ(Text(kIdEdQ3Password), L"p\u00e4ss");
    EXPECT_EQ(Text(kIdCbMods),
              L"d\u00e9"
              L"frag");
    EXPECT_EQ(::IsDlgButtonChecked(form_->Handle(), kIdGroupItem0), BST_CHECKED);
    EXPECT_FALSE(Enabled(kIdCbMods));
    EXPECT_TRUE(Enabled(kIdBtnLaunchQ3));
    EXPECT_FALSE(Enabled(kIdBtnLaunchTS));
    // Unedited texts go back as they were read.
    Menu(kIdSave1);
    EXPECT_NE(ReadFile(folder_ / "kestrune.ini").find("Q3Server=caf\xE9\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(folder_ / "mods.kst"),
              "cpma\r\nd\xE9"
              "frag\r\n");
}

TEST_F(Win32MainWindow, ClosingSavesWithAutoSaveAndAFailedSaveKeepsTheWindowOpen) {
    Open();
    Type(kIdEdTSNick, L"b\u00f6b");
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(closed_);
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    // A new file is in the ANSI code page, which the started programs read.
    EXPECT_NE(ReadFile(folder_ / "kestrune.ini")
                  .find("TSNick=b\xF6"
                        "b\r\n"),
              std::string::npos);

    // With AutoSave off nothing is written; where nothing can be written the window stays.
    closed_ = false;
    Open();
    Click(kIdCbAutosave);
    Type(kIdEdTSNick, L"eve");
    Click(kIdBtnExit);
    EXPECT_TRUE(closed_);
    EXPECT_EQ(ReadFile(folder_ / "kestrune.ini").find("eve"), std::string::npos);

    closed_ = false;
    form_ = std::make_unique<TForm1>(folder_ / "kestrune.ini", folder_ / "missing/mods.kst");
    form_->SetOnClosed([this] { closed_ = true; });
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(closed_);
    EXPECT_TRUE(::IsWindowVisible(form_->Handle()));
    EXPECT_EQ(shown_.size(), 1u);
}

TEST_F(Win32MainWindow, TheGamePathFromTheDialogStartsTheGameWithTheTypedFields) {
    const fs::path game = folder_.path() / "quake3.exe";
    fs::copy_file(fs::path(ExecutablePath()).parent_path() / "win32_recording_program.exe", game);
    std::vector<std::wstring> asked;
    std::optional<std::wstring> answer;
    SetFileDialogAnswer([&](const std::wstring& filter, const std::wstring& previous) {
        asked.push_back(filter + L"|" + previous);
        return answer;
    });
    Open();
    Menu(kIdQ3Path);
    EXPECT_EQ(Text(kIdLabel1), L"The specified path was not found.");
    EXPECT_FALSE(Enabled(kIdBtnLaunchQ3));
    answer = game.wstring();
    Menu(kIdQ3Path);
    EXPECT_TRUE(Enabled(kIdBtnLaunchQ3));
    Menu(kIdLinkTS21);
    EXPECT_EQ(asked, (std::vector<std::wstring>{
                         std::wstring(L"quake3.exe\0quake3.exe\0|", 23),
                         std::wstring(L"quake3.exe\0quake3.exe\0|", 23),
                         L"Teamspeak.exe\0Teamspeak.exe\0"
                         L"TeamSpeak 2 (TeamSpeak TeamSpeak.exe)\0TeamSpeak;TeamSpeak.exe\0"
                         L"Mumble (mumble mumble.exe)\0mumble;mumble.exe\0"
                         L"TeamSpeak 3 (ts3client*)\0ts3client*\0"
                         L"All files (*)\0*\0|"s +
                             game.wstring()}));

    Click(kIdCbAutojoin);
    Type(kIdEdQ3Server, L"127.0.0.1");
    Type(kIdEdQ3Port, L"27960");
    Type(kIdEdQ3Password, L"s\u00e9cret");
    Click(kIdBtnLaunchQ3);
    EXPECT_EQ(form_->StatusPanelText(0), L"Q3 Mods started");
    const fs::path record = game.wstring() + L".record";
    // The stand-in renames its record into place once it is whole; it cannot be read while the
    // rename still holds it.
    std::string bytes;
    ASSERT_TRUE(PumpUntil([&] { return !(bytes = ReadFile(record)).empty(); }));
    std::wstring commandLine(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(commandLine.data(), bytes.data(), commandLine.size() * sizeof(wchar_t));
    commandLine = commandLine.substr(0, commandLine.find(L'\n'));
    EXPECT_TRUE(
        commandLine.ends_with(L" +connect 127.0.0.1:27960 +password s\u00e9cret +set fs_game Mods"))
        << fs::path(commandLine).string();
}

TEST_F(Win32MainWindow, TheModsBoxCompletesTypedNamesAndTheGameTypeSwitchesIt) {
    WriteFile(folder_ / "mods.kst", "cpma\r\ndefrag\r\nDefault\r\n");
    Open();
    ::SetWindowTextW(Control(kIdCbMods), L"");
    struct Step {
        std::wstring keys;
        std::wstring text;
        int selected;
        DWORD highlight;  // MAKELONG(start, end)
    };
    for (const Step& step :
         {Step{L"D", L"Defrag", 1, MAKELONG(1, 6)}, Step{L"EFA", L"DEFAult", 2, MAKELONG(4, 7)},
          Step{L"\b", L"DEFA", -1, MAKELONG(4, 4)}, Step{L"x", L"DEFAx", -1, MAKELONG(5, 5)}}) {
        SCOPED_TRACE(step.text);
        TypeIntoMods(step.keys);
        EXPECT_EQ(Text(kIdCbMods), step.text);
        EXPECT_EQ(::SendMessageW(Control(kIdCbMods), CB_GETCURSEL, 0, 0), step.selected);
        EXPECT_EQ(::SendMessageW(Control(kIdCbMods), CB_GETEDITSEL, 0, 0), step.highlight);
        EXPECT_EQ(form_->StatusPanelText(1), step.text);
    }
    // A pick from the list.
    ::SendMessageW(Control(kIdCbMods), CB_SETCURSEL, 0, 0);
    ::SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(kIdCbMods, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Control(kIdCbMods)));
    EXPECT_EQ(form_->StatusPanelText(1), L"cpma");

    Click(kIdGroupItem0);
    EXPECT_FALSE(Enabled(kIdCbMods));
    Click(kIdGroupItem1);
    EXPECT_TRUE(Enabled(kIdCbMods));
}

TEST_F(Win32MainWindow, TheProbeReportsAnAnswerOrItsTimeOutAndErrorsGoToTheDisplay) {
    int error = 0;
    UdpSocket server = UdpSocket::Make(error);
    ASSERT_EQ(server.Bind(kLoopback, 0), 0);
    Open();
    Type(kIdEdQ3Server, L"127.0.0.1");
    Type(kIdEdQ3Port, std::to_wstring(server.LocalPort()));
    Click(kIdBtnTest);
    EXPECT_EQ(Text(kIdLabel1), L"Waiting for server");
    std::vector<char> query(64);
    UdpReceiveResult received;
    ASSERT_TRUE(PumpUntil([&] { return (received = server.ReceiveFrom(query)).count >= 0; }));
    EXPECT_EQ(std::string(query.data(), static_cast<std::size_t>(received.count)),
              std::string(kStatusQuery, kStatusQueryLength));
    const std::string answer =
        "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\Loopback arena\\mapname\\"
        "q3dm17_the_longest_yard_remade_for_a_row_far_too_narrow_for_it\n";
    ASSERT_EQ(server.SendTo(answer, kLoopback, received.fromPort), 0);
    ASSERT_TRUE(PumpUntil([&] { return Text(kIdLabel1) == L"Server is online"; }));
    // A long map name is cut first, so the players and the round trip still show.
    const std::wstring details = Text(kIdServerInfo);
    EXPECT_TRUE(details.starts_with(L"q3dm17_") && details.ends_with(L" ms") &&
                details.find(L"\u2026 \u00b7 0 players") != std::wstring::npos)
        << fs::path(details).string();
    EXPECT_NE(test_support::HintOf(form_->Handle(), Control(kIdServerInfo)).find(L"Loopback arena"),
              std::wstring::npos);

    // Nobody answers the second query.
    Click(kIdBtnTest);
    EXPECT_EQ(Text(kIdServerInfo), L"");
    ASSERT_TRUE(PumpUntil([&] { return Text(kIdLabel1) == L"Server time out"; }));

    Type(kIdEdQ3Port, L"27q");
    Click(kIdBtnTest);
    EXPECT_EQ(shown_, (std::vector<std::wstring>{L"'27q' is not a valid integer value."}));
    EXPECT_EQ(Text(kIdLabel1), L"Server time out");
}

TEST_F(Win32MainWindow, TheMenuShowsTheOtherWindowsAndThePicturesOpenTheSites) {
    std::vector<std::string> opened;
    SetWebSiteOpener([&](std::string_view url) { opened.emplace_back(url); });
    Open();
    const HWND about = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, form_->Handle(),
                                         nullptr, nullptr, nullptr);
    const HWND addMod = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10,
                                          form_->Handle(), nullptr, nullptr, nullptr);
    form_->SetSecondaryWindows(about, addMod);
    Menu(kIdAbout2);
    EXPECT_TRUE(::IsWindowVisible(about));
    EXPECT_FALSE(::IsWindowVisible(addMod));
    Menu(kIdAddMod1);
    EXPECT_TRUE(::IsWindowVisible(addMod));
    for (const MainWindowId link : {kIdImage1, kIdLabel10}) {
        ::SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(link, STN_CLICKED),
                       reinterpret_cast<LPARAM>(Control(link)));
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"https://ioquake3.org/", "https://kestrune.org/"}));
    Menu(kIdTestServer1);
    EXPECT_EQ(Text(kIdLabel1), L"Program ready");
}

// The launch buttons take no pointer while disabled; the window's own areas under them carry
// their hints, so the hints still show.
TEST_F(Win32MainWindow, TheDisabledLaunchButtonsStillShowTheirHints) {
    TForm1& form = Open();
    HWND tooltip = nullptr;
    for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (test_support::ClassOf(window) == TOOLTIPS_CLASSW &&
            ::GetWindow(window, GW_OWNER) == form.Handle()) {
            tooltip = window;
        }
    }
    ASSERT_NE(tooltip, nullptr);
    for (const auto& [id, hint] :
         {std::pair{kIdBtnLaunchQ3, L"Launch game"}, std::pair{kIdBtnLaunchTS, L"Launch TS2"}}) {
        SCOPED_TRACE(hint);
        ASSERT_FALSE(Enabled(id));
        RECT button{};
        ::GetWindowRect(Control(id), &button);
        POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        EXPECT_EQ(::WindowFromPoint(centre), form.Handle()) << "the pointer reaches the window";
        ::ScreenToClient(form.Handle(), &centre);
        wchar_t text[64] = {};
        TTHITTESTINFOW hit{};
        hit.hwnd = form.Handle();
        hit.pt = centre;
        hit.ti.cbSize = sizeof hit.ti;
        hit.ti.lpszText = text;
        ASSERT_TRUE(::SendMessageW(tooltip, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit)));
        EXPECT_STREQ(text, hint);
    }
}

// While "Test server" waits for a name lookup, the keyboard moves between the controls as it
// does in the message loop.
TEST_F(Win32MainWindow, TabWorksWhileANameLookupIsAwaited) {
    Open();
    ::SetFocus(Control(kIdEdQ3Server));
    TUDPEndpoint endpoint;
    endpoint.SetHostLookup([](const std::string&) {
        std::this_thread::sleep_for(300ms);
        return HostLookupResult{0, {kLoopback}};
    });
    endpoint.SetRemoteHost("slow.test");
    ::PostMessageW(Control(kIdEdQ3Server), WM_KEYDOWN, VK_TAB, 1);
    endpoint.SendBuffer(std::string("x"), 1);
    EXPECT_EQ(::GetFocus(), Control(kIdEdQ3Port));
}

}  // namespace
}  // namespace kestrune
