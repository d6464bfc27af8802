// The native windows in every language: every caption fits its control in the control's own
// font, no two controls overlap, the window holds them; the Language menu's choice is stored and
// shown at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "platform/win32/utf8_text.h"
#include "tests/support/files.h"
#include "tests/ui_win32/main_window_test.h"
#include "ui_logic/language_choice.h"
#include "ui_win32/about_window.h"
#include "ui_win32/add_mod_window.h"
#include "ui_win32/dpi.h"
#include "ui_win32/server_list_window.h"
#include "ui_win32/splash_window.h"
#include "ui_win32/static_controls.h"

namespace kestrune {
namespace {

using test_support::TempFolder;

class NativeLanguagesTest : public NativeMainWindowTest {
protected:
    void TearDown() override {
        NativeMainWindowTest::TearDown();
        SetLanguage(kEnglish);
    }
    void Create() {
        form_ = std::make_unique<TForm1>(folder_ / "kestrune.ini", folder_ / "mods.kst");
    }
    TempFolder folder_;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The checks every window passes in every language.
void ExpectLaidOut(const NativeWindow& window, const std::string& language) {
    std::vector<HWND> controls;
    for (HWND child = ::GetWindow(window.Handle(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::IsWindowVisible(child) || !::IsWindowVisible(window.Handle())) {
            controls.push_back(child);
        }
    }
    RECT client{};
    ::GetClientRect(window.Handle(), &client);
    const std::string where = language + " " + win32::Utf8FromWide(WindowText(window.Handle()));
    ASSERT_FALSE(controls.empty()) << where;
    for (HWND control : controls) {
        const RECT rect = ChildRect(control);
        const std::string name = where + " control " + std::to_string(::GetDlgCtrlID(control)) +
                                 " \"" + win32::Utf8FromWide(WindowText(control)) + "\"";
        const std::wstring kind = ClassOf(control);
        const bool wraps = kind == L"Static" && !WindowText(control).empty() &&
                           (::GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT;
        if (wraps) {
            // A wrapping line is as high as its lines.
            const std::wstring text = WindowText(control);
            RECT lines{0, 0, rect.right - rect.left, 0};
            const HDC dc = ::GetDC(control);
            const HGDIOBJ old = ::SelectObject(
                dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &lines,
                        DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            ::SelectObject(dc, old);
            ::ReleaseDC(control, dc);
            EXPECT_LE(lines.right, rect.right - rect.left) << name;
            EXPECT_LE(lines.bottom, rect.bottom - rect.top) << name;
        } else if (kind != STATUSCLASSNAMEW) {
            EXPECT_LE(Scaled(CaptionWidth(window, control), window.Dpi()), rect.right - rect.left)
                << name;
            if (!WindowText(control).empty()) {
                TEXTMETRICW metrics{};
                const HDC dc = ::GetDC(control);
                const HGDIOBJ old = ::SelectObject(
                    dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
                ::GetTextMetricsW(dc, &metrics);
                ::SelectObject(dc, old);
                ::ReleaseDC(control, dc);
                EXPECT_LE(metrics.tmHeight, rect.bottom - rect.top) << name;
            }
        }
        EXPECT_TRUE(rect.left >= client.left && rect.top >= client.top &&
                    rect.right <= client.right && rect.bottom <= client.bottom)
            << name << " " << rect.left << "," << rect.top << "," << rect.right << ","
            << rect.bottom;
        const bool isGroupBox =
            kind == L"Button" && (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        for (HWND other : controls) {
            if (other <= control || isGroupBox ||
                (ClassOf(other) == L"Button" &&
                 (::GetWindowLongPtrW(other, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)) {
                continue;  // a group box holds its items
            }
            const std::pair<int, int> ids(::GetDlgCtrlID(control), ::GetDlgCtrlID(other));
            if ((ids.first == kIdLabel1 && ids.second == kIdServerInfo) ||
                (ids.first == kIdServerInfo && ids.second == kIdLabel1)) {
                continue;  // the server's details share the message line's row by design
            }
            RECT a = ChildRect(control);
            RECT b = ChildRect(other);
            // The layout's server and port columns share their edge pixel, in every language.
            --a.right;
            --b.right;
            RECT both{};
            EXPECT_FALSE(::IntersectRect(&both, &a, &b))
                << name << " and " << ::GetDlgCtrlID(other) << " " << a.left << "-" << a.right
                << " " << b.left << "-" << b.right;
        }
    }
}

TEST_F(NativeLanguagesTest, EveryWindowHoldsItsTextsInEveryLanguage) {
    std::vector<std::string> languages = {"en"};
    for (const Catalogue& catalogue : Catalogues()) {
        languages.emplace_back(catalogue.code);
    }
    // The server list is never refreshed here; should it be, it asks no master but loopback.
    test_support::WriteFile(folder_ / "kestrune.ini", "[Masters]\r\n1=127.0.0.1:9 68\r\n");
    for (const std::string& language : languages) {
        ASSERT_TRUE(SetLanguage(language));
        Create();
        const TForm2 about(form_->Handle());
        const TForm4 addMod(form_->Handle(), *form_, folder_ / "mods.kst");
        const TForm3 splash(form_->Handle());
        const ServerListWindow serverList(form_->Handle(), folder_ / "kestrune.ini", {}, {});
        ExpectLaidOut(*form_, language);
        ExpectLaidOut(about, language);
        ExpectLaidOut(addMod, language);
        ExpectLaidOut(splash, language);
        ExpectLaidOut(serverList, language);
        if (language == "en") {
            // English keeps the layout to the pixel.
            RECT client{};
            ::GetClientRect(form_->Handle(), &client);
            EXPECT_EQ(client.right, 425);
            EXPECT_EQ(client.bottom, 279);
            const RECT exit = ChildRect(Control(kIdBtnExit));
            EXPECT_EQ(exit.left, 336);
            EXPECT_EQ(exit.right, 411);
            EXPECT_EQ(ChildRect(Control(kIdEdTSPassword)).right, 409);
        }
        form_.reset();
    }
}

TEST_F(NativeLanguagesTest, TheLanguageMenuStoresTheChoiceAndChangesTheTextsAtOnce) {
    test_support::WriteFile(folder_ / "kestrune.ini", "[Quake3]\r\nQ3Server=example.org\r\n");
    Create();
    const std::vector<LanguageEntry> entries = LanguageMenuEntries();
    const auto entry = [&](const std::string& code) {
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [&](const LanguageEntry& e) { return e.code == code; });
        return static_cast<MainWindowId>(kIdLanguage0 + (found - entries.begin()));
    };
    EXPECT_EQ(Text(kIdBtnLaunchQ3), L"Launch game");

    Menu(entry("ru"));
    EXPECT_EQ(test_support::ReadFile(folder_ / "kestrune.ini"),
              "[Quake3]\r\nQ3Server=example.org\r\n[Main]\r\nLanguage=ru\r\n");
    EXPECT_EQ(Text(kIdBtnLaunchQ3), L"Запуск игры");
    EXPECT_EQ(Text(kIdLabel1), L"Программа готова");
    EXPECT_EQ(form_->StatusPanelText(1), L"Готово");
    EXPECT_EQ(WindowText(form_->Handle()), L"Kestrune версия 2.0");

    Menu(entry(""));
    EXPECT_EQ(test_support::ReadFile(folder_ / "kestrune.ini"),
              "[Quake3]\r\nQ3Server=example.org\r\n[Main]\r\nLanguage=\r\n");
    EXPECT_EQ(Text(kIdBtnLaunchQ3), L"Launch game");
    EXPECT_EQ(Text(kIdLabel1), L"Program ready");
    RECT client{};
    ::GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 425);
}

}  // namespace
}  // namespace kestrune
