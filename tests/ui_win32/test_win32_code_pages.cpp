// Kestrune on a Windows set to another language. The test command runs this suite under Wine
// once per locale, C.UTF-8, ru_RU.UTF-8 and pl_PL.UTF-8, which give the ANSI code pages 1252,
// 1251 and 1250; each case holds for the code page it names (0: any). The texts are read from
// the real main window, and the launches recorded by a stand-in named like the real programs.

#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "launcher/settings_location.h"
#include "launcher/settings_store.h"
#include "platform/executable_path.h"
#include "platform/system_error.h"
#include "tests/support/files.h"
#include "tests/support/win32_messages.h"
#include "tests/ui_win32/main_window_test.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/executable_dialog.h"
#include "ui_win32/main_window.h"
#include "ui_win32/wide_text.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::PumpUntil;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

// What a copy of this suite does when started with it: see ACopyInAFolderThePageCannotName.
constexpr const char* kCopyMode = "--keep-settings-beside-this-copy";

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The text of a file, for a message.
std::string Shown(const std::wstring& text) {
    return Utf8(fs::path(text));
}

bool Holds(unsigned codePage) {
    return codePage == 0 || codePage == ::GetACP();
}

class Win32CodePages : public NativeMainWindowTest {
protected:
    void Open(const fs::path& folder) {
        form_ = std::make_unique<TForm1>(Utf8(folder / "kestrune.ini"), Utf8(folder / "mods.kst"));
    }

    // The recording stand-in, put in the folder under the name of a real program.
    static fs::path Install(const fs::path& folder, const wchar_t* name) {
        fs::create_directories(folder);
        const fs::path program = folder / name;
        fs::copy_file(fs::path(ExecutablePath()).parent_path() / "win32_recording_program.exe",
                      program);
        return program;
    }

    // The command line and working folder the stand-in was started with, once its record is
    // whole.
    static std::optional<std::pair<std::wstring, std::wstring>> Record(const fs::path& program) {
        const fs::path record = program.wstring() + L".record";
        std::wstring text;
        const bool whole = PumpUntil([&] {
            if (!fs::exists(record)) {
                return false;
            }
            const std::string bytes = ReadFile(record);
            text.assign(bytes.size() / sizeof(wchar_t), L'\0');
            std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
            return text.find(L'\n') != std::wstring::npos;
        });
        if (!whole) {
            return std::nullopt;
        }
        const size_t newline = text.find(L'\n');
        return std::pair{text.substr(0, newline), text.substr(newline + 1)};
    }
};

// The test command names the code page each run's locale must give; a locale that is missing
// would quietly give 1252 instead.
TEST_F(Win32CodePages, TheLocaleGivesItsCodePage) {
    if (const char* expected = std::getenv("KESTRUNE_EXPECTED_CODE_PAGE")) {
        EXPECT_EQ(::GetACP(), std::strtoul(expected, nullptr, 10));
    }
    EXPECT_EQ(AnsiCodePage(), ::GetACP());
}

TEST_F(Win32CodePages, StoredTextsAreShownAndLaunchedAsThePlayerSeesThem) {
    struct Case {
        unsigned codePage;
        const char* what;
        std::string nick;  // the bytes in the settings file
        std::string mod;   // in the mods list
        std::wstring shown;
        std::wstring modShown;
    };
    // clang-format off
    const Case cases[] = {
        {1251, "a 1251 file", "\xC2\xE0\xF1\xFF", "\xCC\xEE\xE4", L"\u0412\u0430\u0441\u044F", L"\u041C\u043E\u0434"},
        {1250, "a 1250 file", "\xA3\xF3" "d\x9F", "\xB9", L"\u0141\u00F3d\u017A", L"\u0105"},
        {0, "a UTF-8 file from Linux", "\xD0\x92\xD0\xB0\xD1\x81\xD1\x8F", "\xC5\x81\xC3\xB3" "d\xC5\xBA", L"\u0412\u0430\u0441\u044F", L"\u0141\u00F3d\u017A"},
        // Each file is read in its own encoding.
        {1251, "UTF-8 settings, a 1251 mods list", "J\xC3\xB6rg", "\xCC\xEE\xE4", L"J\u00F6rg", L"\u041C\u043E\u0434"},
    };
    // clang-format on
    for (const Case& c : cases) {
        if (!Holds(c.codePage)) {
            continue;
        }
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path voice = Install(folder.path() / "voice", L"TeamSpeak.exe");
        const fs::path game = Install(folder.path() / "game", L"quake3.exe");
        WriteFile(folder.path() / "kestrune.ini",
                  "[Main]\r\nMods=0\r\n[TeamSpeak]\r\nTSExecutable=" + Utf8(voice) +
                      "\r\nTSServer=voice.invalid\r\nTSPort=8767\r\nTSNick=" + c.nick +
                      "\r\nAutojoin=0\r\n[Quake3]\r\nQ3Executable=" + Utf8(game) +
                      "\r\nQ3Server=127.0.0.1\r\nQ3Port=27960\r\nQ3Game=1\r\n");
        WriteFile(folder.path() / "mods.kst", c.mod + "\r\n");
        Open(folder.path());
        EXPECT_EQ(Text(kIdEdTSNick), c.shown) << Shown(Text(kIdEdTSNick));
        EXPECT_EQ(Text(kIdCbMods), c.modShown) << Shown(Text(kIdCbMods));

        Click(kIdBtnLaunchTS);
        EXPECT_EQ(form_->StatusPanelText(1), L"TeamSpeak started");
        const auto voiceRecord = Record(voice);
        ASSERT_TRUE(voiceRecord);
        EXPECT_TRUE(voiceRecord->first.ends_with(L" teamspeak://voice.invalid:8767/nickname=" +
                                                 c.shown + L"?loginname=?password="))
            << Shown(voiceRecord->first);
        Click(kIdBtnLaunchQ3);
        const auto gameRecord = Record(game);
        ASSERT_TRUE(gameRecord);
        EXPECT_TRUE(gameRecord->first.ends_with(L" +set fs_game " + c.modShown))
            << Shown(gameRecord->first);
        form_.reset();
    }
}

TEST_F(Win32CodePages, TypedTextIsSavedInTheCodePageWhereItFitsAndLaunchedAsTyped) {
    struct Case {
        unsigned codePage;
        const char* what;
        std::string login;  // already in the file
        std::wstring typed;
        std::string saved;
    };
    // clang-format off
    const Case cases[] = {
        {1251, "Cyrillic in a plain-ASCII file", "bob", L"\u0412\u0430\u0441\u044F", "\xC2\xE0\xF1\xFF"},
        {1251, "a character 1251 lacks", "bob", L"J\u00F6rg", "J\xC3\xB6rg"},
        {1250, "Polish in a plain-ASCII file", "bob", L"\u0141\u00F3d\u017A", "\xA3\xF3" "d\x9F"},
        {0, "Cyrillic in a UTF-8 file", "\xC5\x81\xC3\xB3" "d\xC5\xBA", L"\u0412\u0430\u0441\u044F", "\xD0\x92\xD0\xB0\xD1\x81\xD1\x8F"},
    };
    // clang-format on
    for (const Case& c : cases) {
        if (!Holds(c.codePage)) {
            continue;
        }
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path voice = Install(folder.path(), L"TeamSpeak.exe");
        WriteFile(folder.path() / "kestrune.ini",
                  "[TeamSpeak]\r\nTSExecutable=" + Utf8(voice) + "\r\nTSLogin=" + c.login + "\r\n");
        Open(folder.path());
        Type(kIdEdTSNick, c.typed);
        Menu(kIdSave1);
        const std::string file = ReadFile(folder.path() / "kestrune.ini");
        EXPECT_NE(file.find("\r\nTSNick=" + c.saved + "\r\n"), std::string::npos) << file;
        EXPECT_NE(file.find("\r\nTSLogin=" + c.login + "\r\n"), std::string::npos) << file;

        Click(kIdBtnLaunchTS);
        const auto record = Record(voice);
        ASSERT_TRUE(record);
        EXPECT_NE(record->first.find(L"/nickname=" + c.typed + L"?"), std::wstring::npos)
            << Shown(record->first);
        Open(folder.path());
        EXPECT_EQ(Text(kIdEdTSNick), c.typed);
        form_.reset();
    }
}

TEST_F(Win32CodePages, AChosenGamePathIsStoredWhereItFitsAndLaunched) {
    struct Case {
        unsigned codePage;
        std::wstring folder;
        std::string stored;
    };
    // clang-format off
    const Case cases[] = {
        {1251, L"\u0418\u0433\u0440\u044B", "\xC8\xE3\xF0\xFB"},
        // No ANSI code page holds both: UTF-8.
        {0, L"\u0418\u0433\u0440\u044B \u30B2\u30FC\u30E0", "\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0"},
    };
    // clang-format on
    for (const Case& c : cases) {
        if (!Holds(c.codePage)) {
            continue;
        }
        SCOPED_TRACE(Shown(c.folder));
        TempFolder folder;
        const fs::path game = Install(folder.path() / c.folder, L"quake3.exe");
        SetFileDialogAnswer([&](const std::wstring&, const std::wstring&) {
            return std::optional<std::wstring>(game.wstring());
        });
        Open(folder.path());
        Menu(kIdQ3Path);
        Menu(kIdSave1);
        const std::string expected =
            "\r\nQ3Executable=" + Utf8(folder.path()) + "\\" + c.stored + "\\quake3.exe\r\n";
        const std::string file = ReadFile(folder.path() / "kestrune.ini");
        EXPECT_NE(file.find(expected), std::string::npos) << file;

        Open(folder.path());
        Click(kIdBtnLaunchQ3);
        EXPECT_EQ(form_->StatusPanelText(0), L"Q3 Mods started");
        const auto record = Record(game);
        ASSERT_TRUE(record);
        EXPECT_EQ(fs::path(record->second), game.parent_path());
        form_.reset();
    }
}

TEST_F(Win32CodePages, SystemMessagesAndThePathsTheyQuoteReadAsTheSystemWritesThem) {
    TempFolder folder;
    WriteFile(folder.path() / "kestrune.ini",
              "[TeamSpeak]\r\nTSExecutable=" + Utf8(folder.path() / "TeamSpeak.exe") + "\r\n");
    Open(folder.path());
    Click(kIdBtnLaunchTS);
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer, length);
    ::LocalFree(buffer);
    // The status bar holds the closing line break as blanks.
    std::replace_if(
        message.begin(), message.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    const std::wstring panel = form_->StatusPanelText(1);
    EXPECT_EQ(panel, message) << Shown(panel);
    if (::GetACP() == 1251) {
        // Russian, not its 1251 bytes read as another page's letters.
        EXPECT_NE(panel.find_first_of(L"\u0410\u0439\u043B\u043D"), std::wstring::npos)
            << Shown(panel);
    }
    form_.reset();

    // A message quoting a path the code page cannot hold.
    const fs::path games = folder.path() / L"\u0418\u0433\u0440\u044B \u30B2\u30FC\u30E0";
    fs::create_directories(games / "mods.kst");
    Open(games);
    EXPECT_EQ(shown_, std::vector<std::wstring>{L"Cannot open file " +
                                                (games / "mods.kst").wstring() + L"."});
}

// A copy of Kestrune in a folder whose name the ANSI code page cannot hold (C:\Игры on a
// 1252 system) finds its own path, and reads and writes its settings beside itself. This suite
// plays the copy: it is copied there and started in kCopyMode.
TEST_F(Win32CodePages, ACopyInAFolderThePageCannotNameKeepsItsFilesThere) {
    TempFolder folder;
    const fs::path copyFolder =
        folder.path() / (::GetACP() == 1251 ? L"\u30B2\u30FC\u30E0" : L"\u0418\u0433\u0440\u044B") /
        L"Kestrune";
    fs::create_directories(copyFolder);
    const fs::path copy = copyFolder / L"kestrune.exe";
    fs::copy_file(fs::path(ExecutablePath()), copy);
    WriteFile(copyFolder / "kestrune.ini",
              "[TeamSpeak]\r\nTSNick=\xD0\x92\xD0\xB0\xD1\x81\xD1\x8F\r\n");

    std::wstring commandLine = L"\"" + copy.wstring() + L"\" " + WideFromUtf8(kCopyMode);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, copyFolder.c_str(), &startup, &process));
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u);

    // What the copy found: its own path, its settings file, and the nick in it.
    EXPECT_EQ(ReadFile(copyFolder / "where.txt"),
              Utf8(copy) + "\n" + Utf8(copyFolder / "kestrune.ini") + "\n" +
                  Utf8(copyFolder / "mods.kst") + "\n\xD0\x92\xD0\xB0\xD1\x81\xD1\x8F");
    // What it saved there.
    const std::string saved = ReadFile(copyFolder / "kestrune.ini");
    EXPECT_NE(saved.find("TSLogin=saved\r\n"), std::string::npos) << saved;
    EXPECT_EQ(ReadFile(copyFolder / "mods.kst"), "osp\r\n");
}

// The copy's side: where the settings of this program are, what they hold, and a save there.
int KeepSettingsBesideThisCopy() {
    try {
        const SettingsFiles files = SettingsFilesOfThisProgram();
        LauncherSettings settings;
        ModsList mods;
        LoadSettings(settings, mods, files.settingsPath, files.modsListPath);
        WriteFile("where.txt", ExecutablePath() + "\n" + files.settingsPath + "\n" +
                                   Utf8(fs::absolute(fs::path(files.modsListPath))) + "\n" +
                                   settings.TSNick);
        settings.TSLogin = "saved";
        SaveSettings(settings, {"osp"}, files.settingsPath, files.modsListPath);
        return 0;
    } catch (const std::exception&) {
        return 2;
    }
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == kestrune::kCopyMode) {
        return kestrune::KeepSettingsBesideThisCopy();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
