// The settings record's two files, the integer conversion and the mods list format.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "launcher/integer_conversion.h"
#include "launcher/mods_list.h"
#include "launcher/settings_store.h"
#include "launcher/stored_text.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
#ifndef _WIN32
using test_support::FileSizeLimit;
using test_support::InChildWithoutPrivileges;
using test_support::ModeOf;
#endif
using test_support::ReadFile;
using test_support::WriteFile;

// ---------------------------------------------------------------------------------------------
// Integer conversion

TEST(IntegerConversion, NumbersItAccepts) {
    const std::pair<std::string, int> cases[] = {
        {"0", 0},
        {"42", 42},
        {"   42", 42},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"xA", 10},
        {"X10", 16},
        {"-$10", -16},
        {" -0x10", -16},
        {"+x7", 7},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {"$00000001", 1},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseInteger(text), value) << "'" << text << "'";
        EXPECT_EQ(ToInteger(text), value) << "'" << text << "'";
    }
}

TEST(IntegerConversion, TextsItRefuses) {
    const std::string refused[] = {
        "",           " ",           "42 ",         "4 2",  "abc",
        "2147483648", "-2147483649", "$",           "0x",   "x",
        "-",          "$123456789",  "0x100000000", "+-1",  "--1",
        "0x-1",       "$+1",         "\t5",         "1.0",  "$g",
        "- 1",        "1e3",         "0b1",         "5\0"s, "99999999999999999999",
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(ParseInteger(text), std::nullopt) << testing::PrintToString(text);
        EXPECT_EQ(IntegerOr(text, -99), -99);
    }
    try {
        ToInteger("27960x");
        FAIL() << "no exception";
    } catch (const ConvertError& error) {
        EXPECT_EQ(error.message(), "'27960x' is not a valid integer value");
    }
}

// ---------------------------------------------------------------------------------------------
// Settings path

TEST(SettingsPath, ExtensionOfTheFileNameBecomesIni) {
#ifdef _WIN32
    EXPECT_EQ(SettingsPathFor("C:\\Games\\Kestrune.exe"), "C:\\Games\\Kestrune.ini");
    EXPECT_EQ(SettingsPathFor("C:\\v2.0\\Kestrune"), "C:\\v2.0\\Kestrune.ini");
    EXPECT_EQ(SettingsPathFor("C:\\Games\\k.tar.gz"), "C:\\Games\\k.tar.ini");
    EXPECT_EQ(SettingsPathFor("D:.kst"), "D:.ini");
    EXPECT_EQ(SettingsPathFor("a.b:c"), "a.b:c.ini");  // the "." must follow the last ":"
    EXPECT_EQ(SettingsPathFor("\\\\server\\share.d\\k"), "\\\\server\\share.d\\k.ini");
    EXPECT_EQ(SettingsPathFor("C:\\x.y/kestrune"), "C:\\x.ini");  // "/" is a plain character
    EXPECT_TRUE(SettingsPath().ends_with("\\test_settings.ini")) << SettingsPath();
#else
    EXPECT_EQ(SettingsPathFor("/usr/bin/kestrune"), "/usr/bin/kestrune.ini");
    EXPECT_EQ(SettingsPathFor("/opt/k/Kestrune.exe"), "/opt/k/Kestrune.ini");
    EXPECT_EQ(SettingsPathFor("/opt/k.tar.gz"), "/opt/k.tar.ini");
    EXPECT_EQ(SettingsPathFor("/opt/v2.0/kestrune"), "/opt/v2.0/kestrune.ini");
    EXPECT_EQ(SettingsPathFor("/opt/kestrune."), "/opt/kestrune.ini");
    EXPECT_EQ(SettingsPathFor("/opt/.kestrune"), "/opt/.ini");
    EXPECT_EQ(SettingsPathFor("kestrune"), "kestrune.ini");
    EXPECT_EQ(SettingsPathFor("a.b"), "a.ini");
    EXPECT_TRUE(SettingsPath().ends_with("/test_settings.ini")) << SettingsPath();
#endif
}

// ---------------------------------------------------------------------------------------------
// Mods list format

TEST(ModsListFormat, SplitsAtEveryKindOfLineBreak) {
    EXPECT_EQ(ParseModsList(""), ModsList{});
    EXPECT_EQ(ParseModsList("osp"), ModsList{"osp"});
    EXPECT_EQ(ParseModsList("osp\r\n"), ModsList{"osp"});
    EXPECT_EQ(ParseModsList("\r\n"), ModsList{""});
    EXPECT_EQ(ParseModsList("\n\n"), (ModsList{"", ""}));
    EXPECT_EQ(ParseModsList("osp\r\n\rcpma"), (ModsList{"osp", "", "cpma"}));
    EXPECT_EQ(ParseModsList("osp\n\rcpma\n"), (ModsList{"osp", "", "cpma"}));
    EXPECT_EQ(ParseModsList("a\rb\nc\r\nd"), (ModsList{"a", "b", "c", "d"}));
    EXPECT_EQ(ParseModsList(" osp \t\r\n"), ModsList{" osp \t"});
    EXPECT_EQ(ParseModsList("a\r\nb\0c\r\nd"s), (ModsList{"a", "b"}));
    EXPECT_EQ(ParseModsList("\0a"s), ModsList{});
}

TEST(ModsListFormat, WritesEveryEntryWithCrLf) {
    EXPECT_EQ(FormatModsList({}), "");
    EXPECT_EQ(FormatModsList({"osp", "", "cpma"}), "osp\r\n\r\ncpma\r\n");
    // An entry stays one entry, so the stored index keeps pointing at the right one.
    const ModsList odd = {"a\r\nb", "c\0d"s, "e"};
    EXPECT_EQ(FormatModsList(odd), "a  b\r\nc\r\ne\r\n");
    EXPECT_EQ(ParseModsList(FormatModsList(odd)), (ModsList{"a  b", "c", "e"}));
}

// ---------------------------------------------------------------------------------------------
// Stored texts: UTF-8 or Windows-1252 bytes, shown decoded

TEST(StoredText, ShowsUtf8OrElseWindows1252NeverAReplacement) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"", u""},
        {"Klesk", u"Klesk"},
        {"J\xF6rg", u"J\u00F6rg"},
        {"J\xC3\xB6rg", u"J\u00F6rg"},
        {"\xF0\x9F\x8E\xAE", u"\U0001F3AE"},
        // Not UTF-8, so every byte is a Windows-1252 character, the undefined ones included.
        {"\x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xFF",
         u"\u20AC\u0081\u008D\u008F\u0090\u009D\u0178\u00A0\u00FF"},
        {"\xC3", u"\u00C3"},                                // a sequence cut short
        {"\xC0\xAF", u"\u00C0\u00AF"},                      // an overlong form
        {"\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},            // a surrogate
        {"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},  // beyond U+10FFFF
        {"\xC3\xB6\xF6", u"\u00C3\u00B6\u00F6"},            // valid UTF-8 in part only
    };
    for (const auto& [bytes, shown] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(DecodeStoredText(bytes), shown);
        // Unedited, the bytes are stored as they were, whatever the file's encoding.
        EXPECT_EQ(StoredBytesFor(shown, bytes, TextEncoding::Utf8), bytes);
        EXPECT_EQ(StoredBytesFor(shown, bytes, TextEncoding::AnsiCodePage), bytes);
    }
    std::string everyByte;
    for (int byte = 255; byte >= 0; --byte) {
        everyByte.push_back(static_cast<char>(byte));
    }
    const std::u16string shown = DecodeStoredText(everyByte);
    EXPECT_EQ(shown.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(EncodeText(shown, TextEncoding::AnsiCodePage), everyByte);
    EXPECT_EQ(EncodingOf(ModsList{"osp", "J\xC3\xB6rg"}), TextEncoding::Utf8);
    EXPECT_EQ(EncodingOf(ModsList{"osp", "J\xF6rg"}), TextEncoding::AnsiCodePage);
}

TEST(StoredText, EditedTextsAreWrittenInTheFilesEncoding) {
    struct Case {
        std::u16string shown;
        TextEncoding encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {u"J\u00F6rg", TextEncoding::AnsiCodePage, "J\xF6rg"},
        {u"J\u00F6rg", TextEncoding::Utf8, "J\xC3\xB6rg"},
        {u"\u20AC\u0081\u0178", TextEncoding::AnsiCodePage, "\x80\x81\x9F"},
        // A character Windows-1252 lacks: the whole text goes in UTF-8.
        {u"J\u00F6rg \u263A", TextEncoding::AnsiCodePage, "J\xC3\xB6rg \xE2\x98\xBA"},
        // Windows-1252 bytes that would read back as the UTF-8 of another text.
        {u"\u00C3\u00B6", TextEncoding::AnsiCodePage, "\xC3\x83\xC2\xB6"},
        {u"\U0001F3AE", TextEncoding::Utf8, "\xF0\x9F\x8E\xAE"},
        // A lone surrogate cannot be written at all, and is left out.
        {{u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}}, TextEncoding::Utf8, "ab"},
        {{u'a', char16_t{0xD800}, u'b'}, TextEncoding::AnsiCodePage, "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(EncodeText(c.shown, c.encoding), c.bytes);
        // A text that no longer shows the stored bytes is encoded anew.
        EXPECT_EQ(StoredBytesFor(c.shown, "old", c.encoding), c.bytes);
    }
}

// The player's own code page: 1251 for a Russian Windows, 932 for a Japanese one.
TEST(StoredText, NotUtf8IsInTheAnsiCodePageInForce) {
    struct Case {
        unsigned codePage;
        std::string stored;
        std::u16string shown;
        std::u16string typed;
        std::string written;  // for typed, in a file in that code page
    };
    // clang-format off
    const Case cases[] = {
        {1251, "\xC2\xE0\xF1\xFF", u"\u0412\u0430\u0441\u044F", u"\u0411\u043E\u0440\u044F", "\xC1\xEE\xF0\xFF"},
        // A character the page lacks: the whole text goes in UTF-8.
        {1251, "\xC2\xE0\xF1\xFF", u"\u0412\u0430\u0441\u044F", u"J\u00F6rg", "J\xC3\xB6rg"},
        {932, "\x93\xFA\x96{", u"\u65E5\u672C", u"\u672C", "\x96{"},
        // Its bytes for these would read back as the UTF-8 of "\u00F6"; a stray byte shows.
        {932, "\x81", u"\uFFFD", u"\uFF83\uFF76", "\xEF\xBE\x83\xEF\xBD\xB6"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        SetAnsiCodePage(c.codePage);
        EXPECT_EQ(AnsiCodePage(), c.codePage);
        EXPECT_EQ(DecodeStoredText(c.stored), c.shown);
        EXPECT_EQ(StoredBytesFor(c.shown, c.stored, TextEncoding::AnsiCodePage), c.stored);
        EXPECT_EQ(StoredBytesFor(c.typed, c.stored, TextEncoding::AnsiCodePage), c.written);
        EXPECT_EQ(EncodingOf(ModsList{"osp", c.stored}), TextEncoding::AnsiCodePage);
        // The started programs get the text shown on Windows, the stored bytes elsewhere.
#ifdef _WIN32
        EXPECT_EQ(DecodeStoredText(SystemText(c.stored)), c.shown);
        EXPECT_TRUE(IsValidUtf8(SystemText(c.stored)));
#else
        EXPECT_EQ(SystemText(c.stored), c.stored);
#endif
    }
    SetAnsiCodePage(0);
}

// ---------------------------------------------------------------------------------------------
// Loading and saving

// Each test runs in a fresh folder of its own, which is also the current directory, where
// "mods.kst" lives.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temporary_.path().empty());
        folder_ = temporary_.path();
        previous_ = fs::current_path();
        fs::current_path(folder_);
        settingsPath_ = (folder_ / "kestrune.ini").string();
    }
    void TearDown() override { fs::current_path(previous_); }

    LauncherSettings Changed() const {
        LauncherSettings s;
        s.Autosave = false;
        s.ExitOnLaunch = true;
        s.Mods = -1;
        s.TSExecutable = "/opt/ts2/TeamSpeak.exe";
        s.TSServer = "voice.example.invalid";
        s.TSPort = "8767";
        s.TSNick = "Nick Name";
        s.TSLogin = "login";
        s.TSPassword = "p=w;\"x'";
        s.Autojoin = false;
        s.Q3Executable = "0";  // what a cancelled path dialog leaves
        s.Q3Server = "127.0.0.1";
        s.Q3Port = "not a port";
        s.Q3Password = "";
        s.Q3Game = 0;
        return s;
    }

    size_t entryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }

    test_support::TempFolder temporary_;
    fs::path folder_;
    fs::path previous_;
    std::string settingsPath_;
};

template <typename Error>
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.message();
    }
    return "(nothing raised)";
}

TEST_F(SettingsStore, FirstStartGivesTheDefaults) {
    LauncherSettings settings = Changed();
    ModsList mods = {"stale"};
    LoadSettings(settings, mods, settingsPath_);
    EXPECT_EQ(settings, LauncherSettings{});
    EXPECT_TRUE(settings.Autosave && settings.Autojoin && !settings.ExitOnLaunch);
    EXPECT_EQ(settings.Mods, 0);
    EXPECT_EQ(settings.Q3Game, 1);
    EXPECT_EQ(mods, ModsList{});  // a missing list is empty, not an error
}

TEST_F(SettingsStore, SaveWritesBothFilesAndLoadReadsThemBack) {
    const LauncherSettings saved = Changed();
    const ModsList mods = {"osp", "", "cpma"};
    SaveSettings(saved, mods, settingsPath_);

    EXPECT_EQ(ReadFile("mods.kst"), "osp\r\n\r\ncpma\r\n");
    EXPECT_EQ(ReadFile(settingsPath_),
              "[Main]\r\n"
              "Autosave=0\r\n"
              "ExitOnLaunch=1\r\n"
              "Mods=-1\r\n"
              "[TeamSpeak]\r\n"
              "TSExecutable=/opt/ts2/TeamSpeak.exe\r\n"
              "TSServer=voice.example.invalid\r\n"
              "TSPort=8767\r\n"
              "TSNick=Nick Name\r\n"
              "TSLogin=login\r\n"
              "TSPassword=p=w;\"x'\r\n"
              "Autojoin=0\r\n"
              "[Quake3]\r\n"
              "Q3Executable=0\r\n"
              "Q3Server=127.0.0.1\r\n"
              "Q3Port=not a port\r\n"
              "Q3Password=\r\n"
              "Q3Game=0\r\n");
#ifndef _WIN32
    EXPECT_EQ(ModeOf(settingsPath_), 0600u);  // it holds passwords
#endif

    LauncherSettings loaded;
    ModsList loadedMods;
    LoadSettings(loaded, loadedMods, settingsPath_);
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(loadedMods, mods);

    // Saving the defaults over it changes the values in place and nothing else.
    SaveSettings(LauncherSettings{}, {}, settingsPath_);
    EXPECT_EQ(ReadFile("mods.kst"), "");
    LoadSettings(loaded, loadedMods, settingsPath_);
    EXPECT_EQ(loaded, LauncherSettings{});
    EXPECT_EQ(loadedMods, ModsList{});
}

TEST_F(SettingsStore, SaveKeepsEverythingElseInTheFile) {
    WriteFile(settingsPath_,
              "\xEF\xBB\xBF; my launcher\n"
              "[Quake3]\n"
              "  q3server = old   \n"
              "Extra=kept\n"
              "\n"
              "[Other]\n"
              "Key = \"value\"\n");
    ASSERT_EQ(::chmod(settingsPath_.c_str(), 0644), 0);
    LauncherSettings settings;
    settings.Q3Server = "new";
    SaveSettings(settings, {}, settingsPath_);
    EXPECT_EQ(ReadFile(settingsPath_),
              "\xEF\xBB\xBF; my launcher\n"
              "[Quake3]\n"
              "Q3Server=new\n"
              "Extra=kept\n"
              "Q3Executable=\n"
              "Q3Port=\n"
              "Q3Password=\n"
              "Q3Game=1\n"
              "\n"
              "[Other]\n"
              "Key = \"value\"\n"
              "[Main]\n"
              "Autosave=1\n"
              "ExitOnLaunch=0\n"
              "Mods=0\n"
              "[TeamSpeak]\n"
              "TSExecutable=\n"
              "TSServer=\n"
              "TSPort=\n"
              "TSNick=\n"
              "TSLogin=\n"
              "TSPassword=\n"
              "Autojoin=1\n");
#ifndef _WIN32
    EXPECT_EQ(ModeOf(settingsPath_), 0644u);
#endif
}

TEST_F(SettingsStore, ReadingTurnsOddValuesIntoDefaults) {
    WriteFile(settingsPath_,
              "[main]\r\n"
              "Autosave=2\r\n"
              "ExitOnLaunch=yes\r\n"
              "Mods= 0x10 \r\n"
              "[TeamSpeak]\r\n"
              "Autojoin=word\r\n"
              "TSServer='quoted'\r\n"
              "TSExecutable=" +
                  std::string(3000, 'p') +
                  "\r\n"
                  "TSPort=\r\n"
                  "[Quake3]\r\n"
                  "Q3Game=\r\n"
                  "Q3Executable=0\r\n"
                  "Q3Port=" +
                  std::string(2046, ' ') + "12\r\n");
    LauncherSettings settings;
    ModsList mods;
    LoadSettings(settings, mods, settingsPath_);
    EXPECT_TRUE(settings.Autosave);       // any number but 0
    EXPECT_FALSE(settings.ExitOnLaunch);  // a word gives the default
    EXPECT_EQ(settings.Mods, 16);
    EXPECT_TRUE(settings.Autojoin);
    EXPECT_EQ(settings.TSServer, "quoted");
    EXPECT_EQ(settings.TSExecutable, std::string(2047, 'p'));
    EXPECT_EQ(settings.TSPort, "");
    EXPECT_EQ(settings.Q3Game, 1);
    EXPECT_EQ(settings.Q3Executable, "0");
    EXPECT_EQ(settings.Q3Port, "12");  // the blanks go before the value is cut
}

TEST_F(SettingsStore, BadFilesGiveDefaultsAndStayWhole) {
    std::string garbage;
    for (int i = 0; i < 70000; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
    }
    garbage += "\0\n"s;
    // A 1 MB line with no final break, and a number far outside the range of an integer.
    WriteFile(settingsPath_, garbage + "[Main]\nMods=3" + std::string(1 << 20, '9'));

    LauncherSettings settings;
    ModsList mods;
    LoadSettings(settings, mods, settingsPath_);
    EXPECT_EQ(settings, LauncherSettings{});
    settings.Q3Server = "server";
    SaveSettings(settings, mods, settingsPath_);
    EXPECT_TRUE(ReadFile(settingsPath_).starts_with(garbage));
    LauncherSettings again;
    LoadSettings(again, mods, settingsPath_);
    EXPECT_EQ(again, settings);
}

TEST_F(SettingsStore, LineBreaksInValuesCannotAddKeys) {
    LauncherSettings settings;
    settings.Q3Server = "good";
    settings.TSPassword = "pw\r\n[Quake3]\r\nQ3Server=evil\nQ3Game=0\r";
    SaveSettings(settings, {"osp\r\ncpma"}, settingsPath_);

    LauncherSettings loaded;
    ModsList mods;
    LoadSettings(loaded, mods, settingsPath_);
    EXPECT_EQ(loaded.Q3Server, "good");
    EXPECT_EQ(loaded.Q3Game, 1);
    EXPECT_EQ(loaded.TSPassword, "pw  [Quake3]  Q3Server=evil Q3Game=0");
    EXPECT_EQ(mods, ModsList{"osp  cpma"});
}

TEST_F(SettingsStore, HugeValuesAreWrittenWholeAndReadCut) {
    LauncherSettings settings;
    settings.Q3Executable = std::string(100000, 'e');
    settings.Q3Server = std::string(100000, 's');
    settings.Q3Password = std::string(100000, 'w');
    SaveSettings(settings, {std::string(100000, 'm')}, settingsPath_);
    EXPECT_GT(ReadFile(settingsPath_).size(), 300000u);

    LauncherSettings loaded;
    ModsList mods;
    LoadSettings(loaded, mods, settingsPath_);
    EXPECT_EQ(loaded.Q3Executable, std::string(2047, 'e'));
    EXPECT_EQ(loaded.Q3Server, std::string(2047, 's'));
    EXPECT_EQ(loaded.Q3Password, std::string(2047, 'w'));
    EXPECT_EQ(mods, ModsList{std::string(100000, 'm')});
}

TEST_F(SettingsStore, UnreadableModsListStillLoadsTheSettings) {
    LauncherSettings stored = Changed();
    stored.TSNick = "J\xF6rg";  // written on Windows
    SaveSettings(stored, {"osp"}, settingsPath_);
    fs::remove("mods.kst");
    fs::create_directory("mods.kst");

    LauncherSettings settings;
    ModsList mods = {"kept"};
    TextEncoding encoding = TextEncoding::Utf8;
    EXPECT_EQ(
        MessageOf<FileOpenError>([&] { LoadSettings(settings, mods, settingsPath_, encoding); }),
        "Cannot open file mods.kst");
    EXPECT_EQ(settings, stored);
    EXPECT_EQ(mods, ModsList{"kept"});
    EXPECT_EQ(encoding, TextEncoding::AnsiCodePage);
}

TEST_F(SettingsStore, FailedModsListSaveKeepsBothFiles) {
    SaveSettings(Changed(), {"osp", "cpma"}, settingsPath_);
    const std::string settingsBefore = ReadFile(settingsPath_);

    // No file can be created where a folder stands.
    fs::rename("mods.kst", "mods.bak");
    fs::create_directory("mods.kst");
    EXPECT_EQ(MessageOf<FileCreateError>([&] { SaveSettings({}, {"new"}, settingsPath_); }),
              "Cannot create file mods.kst");
    EXPECT_EQ(MessageOf<FileCreateError>([&] { SaveModsList({"new"}); }),
              "Cannot create file mods.kst");
    EXPECT_EQ(ReadFile(settingsPath_), settingsBefore);
    fs::remove("mods.kst");
    fs::rename("mods.bak", "mods.kst");

#ifndef _WIN32
    // A write that cannot complete (a full disk, a size limit).
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(MessageOf<StreamWriteError>(
                      [&] { SaveSettings({}, {std::string(10000, 'm')}, settingsPath_); }),
                  "Stream write error");
    }
    EXPECT_EQ(ReadFile("mods.kst"), "osp\r\ncpma\r\n");
    EXPECT_EQ(ReadFile(settingsPath_), settingsBefore);
    EXPECT_EQ(entryCount(), 2u);  // no temporary file left behind
#endif
}

// Windows: test_win32_platform.cpp.
#ifndef _WIN32
TEST_F(SettingsStore, FailedSettingsSaveKeepsTheOldFile) {
    SaveSettings(Changed(), {}, settingsPath_);
    const std::string before = ReadFile(settingsPath_);
    const std::string message = "Unable to write to " + settingsPath_;

    LauncherSettings bigger;
    bigger.TSPassword = std::string(10000, 'x');
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(MessageOf<ProfileWriteError>([&] { SaveSettings(bigger, {}, settingsPath_); }),
                  message);
    }
    EXPECT_EQ(ReadFile(settingsPath_), before);
    EXPECT_EQ(entryCount(), 2u);

    // A settings path that is a folder is neither read nor replaced.
    const std::string folderPath = (folder_ / "folder.ini").string();
    fs::create_directory(folderPath);
    EXPECT_EQ(MessageOf<ProfileWriteError>([&] { SaveSettings(bigger, {}, folderPath); }),
              "Unable to write to " + folderPath);
    EXPECT_TRUE(fs::is_directory(folderPath));

    // Permissions, checked without root's privileges: the list may be written, the settings not.
    constexpr fs::perms kEveryone = fs::perms::all;
    constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(folder_, kEveryone);
    fs::remove(folder_ / "mods.kst");

    ASSERT_EQ(::chmod(settingsPath_.c_str(), 0), 0);
    EXPECT_EQ(InChildWithoutPrivileges([&] {
                  return MessageOf<ProfileWriteError>(
                             [&] { SaveSettings(bigger, {}, settingsPath_); }) == message;
              }),
              0)
        << "a settings file we may not read is not replaced";
    ASSERT_EQ(::chmod(settingsPath_.c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(settingsPath_), before);

    // A settings file that is not there yet cannot be made in a read-only folder.
    const fs::path readOnly = folder_ / "read-only";
    fs::create_directory(readOnly);
    const std::string lockedPath = (readOnly / "kestrune.ini").string();
    fs::permissions(readOnly, kReadOnly);
    EXPECT_EQ(InChildWithoutPrivileges([&] {
                  return MessageOf<ProfileWriteError>([&] {
                             SaveSettings(bigger, {}, lockedPath);
                         }) == "Unable to write to " + lockedPath;
              }),
              0)
        << "a settings file in a read-only folder";
    EXPECT_FALSE(fs::exists(lockedPath));
    fs::permissions(readOnly, kEveryone);
}

// A folder the player may not write in (an administrator's choice, a read-only current folder)
// holding files the player may write: no new file can be made beside them, so both are written
// in place rather than not at all. A list that is not there yet still cannot be made.
TEST_F(SettingsStore, WritableFilesInAFolderWeMayNotWriteAreSavedInPlace) {
    SaveSettings(Changed(), {"osp"}, settingsPath_);
    fs::permissions(settingsPath_, fs::perms::all);
    fs::permissions(kModsListFileName, fs::perms::all);
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    LauncherSettings edited = Changed();
    edited.Q3Server = "127.0.0.2";
    EXPECT_EQ(InChildWithoutPrivileges([&] {
                  return MessageOf<Exception>([&] {
                             SaveSettings(edited, {"osp", "cpma"}, settingsPath_);
                         }) == "(nothing raised)";
              }),
              0);
    LauncherSettings loaded;
    ModsList mods;
    LoadSettings(loaded, mods, settingsPath_);
    EXPECT_EQ(loaded, edited);
    EXPECT_EQ(mods, (ModsList{"osp", "cpma"}));
    EXPECT_EQ(entryCount(), 2u);

    fs::remove(kModsListFileName);
    EXPECT_EQ(InChildWithoutPrivileges([&] {
                  return MessageOf<FileCreateError>([&] {
                             SaveSettings(edited, {"osp"}, settingsPath_);
                         }) == "Cannot create file mods.kst";
              }),
              0);
}
#endif  // !_WIN32

}  // namespace
}  // namespace kestrune
