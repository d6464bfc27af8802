// The native splash, About and Add-mod windows, driven with the messages the system sends and
// read back through the system's own calls.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/win32_messages.h"
#include "tests/ui_win32/control_table.h"
#include "ui_logic/web_site_addresses.h"
#include "ui_logic/web_sites.h"
#include "ui_win32/about_window.h"
#include "ui_win32/add_mod_window.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/made_on_first_show.h"
#include "ui_win32/main_window.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/splash_window.h"
#include "ui_win32/wide_text.h"
#include "ui_win32/window_placement.h"

namespace kestrune {
namespace {

using namespace test_support;

// The main window's mods list, of ASCII names; a full list takes no more.
class FakeModsList : public ModsListAccess {
public:
    int ModsCount() const override { return static_cast<int>(names.size()); }
    void AppendMod(std::u16string_view name) override {
        if (names.size() < capacity) {
            names.emplace_back(name.begin(), name.end());
        }
    }
    std::optional<ModsList> ModsListToWrite() const override { return names; }

    ModsList names{"baseq3", "cpma"};
    std::size_t capacity = 100;
};

// A stand-in main window, hidden, at 200, 150 (441 by 318); web sites and the exception
// display are observed instead of opened and shown.
class SecondaryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWebSiteOpener([this](std::string_view url) { opened.emplace_back(url); });
        SetExceptionPresenter([this](const std::wstring& text) { shown.push_back(text); });
    }
    void TearDown() override {
        SetWebSiteOpener({});
        SetExceptionPresenter({});
        ::DestroyWindow(mainWindow);
    }

    HWND mainWindow = ::CreateWindowExW(0, L"Static", L"Main", WS_OVERLAPPEDWINDOW, 200, 150, 441,
                                        318, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> opened;
    std::vector<std::wstring> shown;
};

// Escape pressed on a control, handed on as the message loop does.
void PressEscape(HWND control) {
    MSG message{control, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    DispatchWindowMessage(message);
}

const wchar_t* const link = L"Visit website";
const std::vector<Control> aboutControls = {
    {TForm2::kImage2, L"Static", L"", {32, 8, 321, 185}, link, 0},
    {TForm2::kImage1, L"Static", L"", {32, 200, 89, 33}, link, 0},
    {TForm2::kLabel5, L"Static", L"Kestrune version 2.0", {240, 200, 0, 0}, L"", 8},
    {TForm2::kLabel2, L"Static", L"Copyright \u00a9 2026 Kestrune", {192, 224, 0, 0}, L"", 8},
    {TForm2::kLabel1, L"Static", L"Written by the Kestrune team", {32, 248, 0, 0}, L"", 8},
    {TForm2::kLabel4, L"Static", L"Made in Scotland", {264, 248, 0, 0}, L"", 8},
    {TForm2::kButton1, L"Button", L"OK", {152, 272, 75, 25}, L"", 8},
};
const std::vector<Control> addModControls = {
    {TForm4::kLabel1, L"Static", L"Type mod name", {16, 16, 0, 0}, L"", 8},
    {TForm4::kEdmods, L"Edit", L"", {16, 32, 153, 21}, L"Type here", 8},
    {TForm4::kBtMods, L"Button", L"Add Mod", {16, 64, 75, 25}, L"", 8},
    {TForm4::kButton1, L"Button", L"Exit add mod", {96, 64, 75, 25}, L"", 8},
};

TEST_F(SecondaryWindowTest, WindowsAndTheirControlsAreWhatTheyShouldBe) {
    TForm2 about(mainWindow);
    TForm3 splash(mainWindow);
    FakeModsList mods;
    TForm4 addMod(mainWindow, mods);
    const std::vector<Control> splashControls = {
        {TForm3::kLabel1, L"Static", L"Kestrune 2.0 by", {56, 8, 0, 0}, L"", 18},
        {TForm3::kImage1, L"Static", L"", {16, 40, 321, 185}, link, 0},
        {TForm3::kLabel2, L"Static", L"kestrune.org", {64, 232, 0, 0}, link, 18},
    };
    // The splash is centred on its monitor's work area; Add-mod's place is tested below.
    const RECT work = WorkArea();
    const Place addModPlace = PlaceOf(addMod.Handle());
    ExpectWindow(about.Handle(), L"About Kestrune", {0, 0, 382, 310}, aboutControls,
                 {TForm2::kButton1});
    ExpectWindow(splash.Handle(), L"Kestrune",
                 {(work.left + work.right - 362) / 2, (work.top + work.bottom - 299) / 2, 362, 299},
                 splashControls, {});
    ExpectWindow(addMod.Handle(), L"ADD Mods", {addModPlace[0], addModPlace[1], 198, 144},
                 addModControls, {TForm4::kEdmods, TForm4::kBtMods, TForm4::kButton1});
    // About has a fixed frame with the system menu alone, the others an ordinary one; only the
    // splash is open from its creation.
    const DWORD frame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(StyleOf(about.Handle()) & frame, WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(StyleOf(splash.Handle()) & frame, frame);
    EXPECT_EQ(StyleOf(addMod.Handle()) & frame, frame);
    EXPECT_EQ((std::vector<bool>{Visible(about.Handle()), Visible(splash.Handle()),
                                 Visible(addMod.Handle())}),
              (std::vector<bool>{false, true, false}));
    // OK is the default button: Enter presses it.
    EXPECT_EQ(StyleOf(::GetDlgItem(about.Handle(), TForm2::kButton1)) & BS_TYPEMASK,
              DWORD{BS_DEFPUSHBUTTON});
}

TEST_F(SecondaryWindowTest, LinksShowTheirPicturesAndOpenTheirSites) {
    TForm3 splash(mainWindow);
    TForm2 about(mainWindow);
    const struct {
        HWND window;
        int id;
        std::string_view url;
        LONG pictureWidth;  // the picture's own; 0: a text, blue
    } links[] = {
        {splash.Handle(), TForm3::kImage1, kMakerUrl, 320},
        {splash.Handle(), TForm3::kLabel2, kMakerUrl, 0},
        {about.Handle(), TForm2::kImage1, kPartnerUrl, 88},
        {about.Handle(), TForm2::kImage2, kMakerUrl, 320},
    };
    const HDC dc = ::CreateCompatibleDC(nullptr);
    for (const auto& link : links) {
        SCOPED_TRACE(link.id);
        const HWND control = ::GetDlgItem(link.window, link.id);
        opened.clear();
        ::SendMessageW(link.window, WM_COMMAND, MAKEWPARAM(link.id, STN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(opened, std::vector<std::string>{std::string(link.url)});

        ::SetCursor(nullptr);
        ::SendMessageW(link.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

        // A picture fills its area as drawn, at its own size from the top-left, on the face.
        const auto picture =
            reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP size{};
        ::GetObjectW(picture, sizeof size, &size);
        if (link.pictureWidth > 0) {
            EXPECT_EQ(Place({0, 0, size.bmWidth, size.bmHeight}),
                      Place({0, 0, PlaceOf(control)[2], PlaceOf(control)[3]}));
            const HGDIOBJ previous = ::SelectObject(dc, picture);
            EXPECT_NE(::GetPixel(dc, link.pictureWidth - 1, 0), ::GetSysColor(COLOR_BTNFACE));
            EXPECT_EQ(::GetPixel(dc, link.pictureWidth, 0), ::GetSysColor(COLOR_BTNFACE));
            ::SelectObject(dc, previous);
        }
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SendMessageW(link.window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(::GetTextColor(dc) == RGB(0, 0, 255), link.pictureWidth == 0);
    }
    ::DeleteDC(dc);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SecondaryWindowTest, SplashHidesAfterItsTimeAndBringsTheMainWindowForward) {
    const ULONGLONG start = ::GetTickCount64();
    TForm3 splash(mainWindow);
    // Activated again and closed early, it still keeps its time.
    ::SendMessageW(splash.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    ::SendMessageW(splash.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible(splash.Handle()));
    EXPECT_FALSE(Visible(mainWindow));

    EXPECT_TRUE(
        test_support::PumpUntil([&] { return Visible(mainWindow); }, std::chrono::seconds(20)));
    // The system's timers may fire up to a tick early.
    EXPECT_GE(::GetTickCount64() - start, 1500u - 16u);
    EXPECT_FALSE(Visible(splash.Handle()));
    EXPECT_TRUE(shown.empty());
}

TEST_F(SecondaryWindowTest, AboutCentresOnTheMainWindowOnceAndOkOrEscapeHidesIt) {
    TForm2 about(mainWindow);
    BringForward(about.Handle());
    const SIZE outer = OuterSizeOf(about.Handle());
    EXPECT_EQ(PlaceOf(about.Handle()),
              Place({200 + (441 - outer.cx) / 2, 150 + (318 - outer.cy) / 2, outer.cx, outer.cy}));
    Click(about.Handle(), TForm2::kButton1);
    EXPECT_FALSE(Visible(about.Handle()));
    EXPECT_TRUE(Visible(mainWindow));

    // Shown again: where it was left; the close box hides it, and so does Escape.
    ::SetWindowPos(about.Handle(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    BringForward(about.Handle());
    EXPECT_EQ(PlaceOf(about.Handle()), Place({30, 40, outer.cx, outer.cy}));
    ::SendMessageW(about.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible(about.Handle()));
    BringForward(about.Handle());
    PressEscape(::GetDlgItem(about.Handle(), TForm2::kButton1));
    EXPECT_FALSE(Visible(about.Handle()));

    // Beside a main window near the corner it stays on the screen.
    ::SetWindowPos(mainWindow, nullptr, -100, -40, 200, 100, SWP_NOZORDER);
    TForm2 cornered(mainWindow);
    BringForward(cornered.Handle());
    EXPECT_EQ(PlaceOf(cornered.Handle()), Place({0, 0, outer.cx, outer.cy}));
}

// The program makes About and Add-mod when the main window's menu first shows them: whole the
// first time and the same windows, as whole, the second time. They and the splash belong to the
// main window (no task bar button of their own) and go with it.
TEST_F(SecondaryWindowTest, AboutAndAddModMadeOnFirstShowAreWholeEachTime) {
    test_support::TempFolder folder;
    TForm1 form1(folder / "kestrune.ini", folder / "mods.kst");
    MadeOnFirstShow<TForm2> about([&] { return std::make_unique<TForm2>(form1.Handle()); });
    MadeOnFirstShow<TForm4> addMod(
        [&] { return std::make_unique<TForm4>(form1.Handle(), form1, folder / "mods.kst"); });
    form1.SetSecondaryWindows([&] { return about.Handle(); }, [&] { return addMod.Handle(); });
    const TForm3 splash(form1.Handle());
    EXPECT_EQ(about.Made(), nullptr);
    EXPECT_EQ(addMod.Made(), nullptr);

    const RECT work = WorkArea();
    std::vector<HWND> shownWindows;
    for (const char* showing : {"first showing", "second showing"}) {
        SCOPED_TRACE(showing);
        ::SendMessageW(form1.Handle(), WM_COMMAND, kIdAbout2, 0);
        ::SendMessageW(form1.Handle(), WM_COMMAND, kIdAddMod1, 0);
        ASSERT_NE(about.Made(), nullptr);
        ASSERT_NE(addMod.Made(), nullptr);
        ExpectWindow(about.Handle(), L"About Kestrune", {0, 0, 382, 310}, aboutControls,
                     {TForm2::kButton1});
        ExpectWindow(
            addMod.Handle(), L"ADD Mods",
            {std::min(963L, work.right - 198), std::min(695L, work.bottom - 144), 198, 144},
            addModControls, {TForm4::kEdmods, TForm4::kBtMods, TForm4::kButton1});
        EXPECT_TRUE(Visible(about.Handle()) && Visible(addMod.Handle()));
        shownWindows.insert(shownWindows.end(), {about.Handle(), addMod.Handle()});
        ::SendMessageW(about.Handle(), WM_CLOSE, 0, 0);
        ::SendMessageW(addMod.Handle(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(shownWindows[0], shownWindows[2]);
    EXPECT_EQ(shownWindows[1], shownWindows[3]);

    for (const HWND window : {about.Handle(), splash.Handle(), addMod.Handle()}) {
        EXPECT_EQ(::GetWindow(window, GW_OWNER), form1.Handle());
        EXPECT_EQ(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    }
    ::DestroyWindow(form1.Handle());
    EXPECT_FALSE(::IsWindow(shownWindows[0]) || ::IsWindow(shownWindows[1]) ||
                 ::IsWindow(splash.Handle()));
}

// On a monitor of another DPI the pictures are made again at its size and the old ones freed:
// moving back and forth leaves no GDI object behind.
TEST_F(SecondaryWindowTest, PicturesFollowTheDpiAndLeakNothing) {
    TForm2 about(mainWindow);
    const auto moveTo = [&](UINT dpi) {
        RECT suggested{};
        ::GetWindowRect(about.Handle(), &suggested);
        ::SendMessageW(about.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
    };
    const auto picture = [&](int id) {
        return reinterpret_cast<HBITMAP>(
            ::SendMessageW(::GetDlgItem(about.Handle(), id), STM_GETIMAGE, IMAGE_BITMAP, 0));
    };
    const auto sizeOf = [](HBITMAP bitmap) {
        BITMAP size{};
        ::GetObjectW(bitmap, sizeof size, &size);
        return Place({size.bmWidth, size.bmHeight});
    };
    const HBITMAP makerAt96 = picture(TForm2::kImage2);
    const HBITMAP logoAt96 = picture(TForm2::kImage1);
    EXPECT_EQ(sizeOf(makerAt96), Place({321, 185}));
    EXPECT_EQ(sizeOf(logoAt96), Place({89, 33}));

    moveTo(144);
    EXPECT_EQ(sizeOf(picture(TForm2::kImage2)), Place({482, 278}));
    EXPECT_EQ(sizeOf(picture(TForm2::kImage1)), Place({134, 50}));
    EXPECT_EQ(PlaceOf(::GetDlgItem(about.Handle(), TForm2::kImage1)), Place({48, 300, 134, 50}));
    EXPECT_EQ(::GetObjectType(makerAt96), 0u) << "the old picture is freed";
    EXPECT_EQ(::GetObjectType(logoAt96), 0u);

    // Once a round trip has made the fonts of both DPIs, further moves make nothing that stays.
    moveTo(96);
    const DWORD objects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int move = 0; move < 5; ++move) {
        moveTo(144);
        moveTo(96);
    }
    EXPECT_EQ(sizeOf(picture(TForm2::kImage1)), Place({89, 33}));
    if (objects == 0) {
        GTEST_SKIP() << "this system does not count GDI objects (GetGuiResources)";
    }
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), objects);
}

// With none of the program's windows active, the exception display's box belongs to the main
// window, so that it comes forward with it rather than staying behind other programs' windows.
HWND boxOwner = nullptr;
void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (const HWND window : windows) {
        if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window)) {
            boxOwner = ::GetWindow(window, GW_OWNER);
            ::KillTimer(nullptr, timer);
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
    }
}

TEST_F(SecondaryWindowTest, TheExceptionBoxBelongsToTheMainWindowWhenNoneIsActive) {
    SetExceptionPresenter({});
    SetExceptionBoxOwner(mainWindow);
    ASSERT_EQ(::GetActiveWindow(), nullptr);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CloseTheBox);
    ShowException("Cannot create file mods.kst");
    ::KillTimer(nullptr, timer);
    SetExceptionBoxOwner(nullptr);
    EXPECT_EQ(boxOwner, mainWindow);
}

// The list is written into a fresh folder.
class AddModWindowTest : public SecondaryWindowTest {
protected:
    void SetUp() override {
        SecondaryWindowTest::SetUp();
        BringForward(window.Handle());
    }

    void AddMod(const wchar_t* name) {
        ::SetWindowTextW(::GetDlgItem(window.Handle(), TForm4::kEdmods), name);
        Click(window.Handle(), TForm4::kBtMods);
    }

    test_support::TempFolder folder;
    const std::string listPath = folder / "mods.kst";
    FakeModsList mods;
    TForm4 window{mainWindow, mods, listPath};
};

TEST_F(AddModWindowTest, OpensAtItsPlaceThenWhereItWasLeftWithTheNameToType) {
    // On a screen too small for the place, the window is moved onto it.
    const RECT work = WorkArea();
    EXPECT_EQ(PlaceOf(window.Handle()), Place({std::min(963L, work.right - 198),
                                               std::min(695L, work.bottom - 144), 198, 144}));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(window.Handle(), TForm4::kEdmods));
    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    ::SetWindowPos(window.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    BringForward(window.Handle());
    EXPECT_EQ(PlaceOf(window.Handle()), Place({10, 20, 198, 144}));
}

TEST_F(AddModWindowTest, AddsNamesAndExitWritesTheListAndShowsTheMainWindow) {
    AddMod(L"osp");
    Click(window.Handle(), TForm4::kBtMods);
    EXPECT_EQ(WindowText(::GetDlgItem(window.Handle(), TForm4::kEdmods)), L"osp")
        << "the name typed stays";
    AddMod(L"");
    EXPECT_EQ(mods.names, (ModsList{"baseq3", "cpma", "osp", "osp", ""}));
    EXPECT_FALSE(std::filesystem::exists(listPath)) << "written before Exit add mod";

    Click(window.Handle(), TForm4::kButton1);
    EXPECT_EQ(test_support::ReadFile(listPath), "baseq3\r\ncpma\r\nosp\r\nosp\r\n\r\n");
    EXPECT_FALSE(Visible(window.Handle()));
    EXPECT_TRUE(Visible(mainWindow));
    EXPECT_TRUE(shown.empty());
}

TEST_F(AddModWindowTest, TheCloseBoxAndEscapeWriteNothing) {
    AddMod(L"defrag");
    ::SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible(window.Handle()));
    // Escape, with a name being typed or on either button.
    for (const int control : {TForm4::kEdmods, TForm4::kBtMods, TForm4::kButton1}) {
        BringForward(window.Handle());
        ::SetWindowTextW(::GetDlgItem(window.Handle(), TForm4::kEdmods), L"osp");
        PressEscape(::GetDlgItem(window.Handle(), control));
        EXPECT_FALSE(Visible(window.Handle())) << control;
    }
    EXPECT_FALSE(std::filesystem::exists(listPath));
    EXPECT_EQ(mods.names, (ModsList{"baseq3", "cpma", "defrag"}));
    EXPECT_FALSE(Visible(mainWindow));
}

TEST_F(AddModWindowTest, FailuresGoToTheExceptionDisplayAndTheWindowStays) {
    mods.capacity = 2;
    AddMod(L"osp");
    ASSERT_TRUE(std::filesystem::create_directory(listPath));
    Click(window.Handle(), TForm4::kButton1);
    EXPECT_EQ(shown,
              (std::vector<std::wstring>{L"Unable to insert a line.",
                                         L"Cannot create file " + WideFromUtf8(listPath) + L"."}));
    EXPECT_EQ(mods.names, (ModsList{"baseq3", "cpma"}));
    EXPECT_TRUE(Visible(window.Handle()));
    EXPECT_FALSE(Visible(mainWindow));
}

}  // namespace
}  // namespace kestrune
