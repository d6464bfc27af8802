// What the Windows interfaces make of the platform layer: ANSI bytes in files and paths, the
// system's error texts, the atomic replace, the executable's path and the settings beside it.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "launcher/settings_store.h"
#include "platform/atomic_file.h"
#include "platform/executable_path.h"
#include "platform/system_error.h"
#include "platform/user_config_folder.h"
#include "platform/win32/ansi_text.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

bool AnsiIsWindows1252() {
    return ::GetACP() == 1252;
}

TEST(Win32AnsiText, BytesOfTheCodePageAndUtf16) {
    if (!AnsiIsWindows1252()) {
        GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
    }
    EXPECT_EQ(win32::WideFromAnsi("caf\xE9 \x80 \x9F"), L"caf\u00E9 \u20AC \u0178");
    EXPECT_EQ(win32::AnsiFromWide(L"caf\u00E9 \u20AC \u0178"), "caf\xE9 \x80 \x9F");
    EXPECT_EQ(win32::WideFromAnsi("ab\0cd"s), L"ab");  // a NUL ends the text
    EXPECT_EQ(win32::WideFromAnsi(""), L"");
    EXPECT_EQ(win32::AnsiFromWide(L"\u4E2D"), "?");  // not in the code page
}

TEST(Win32AnsiText, FileNamesAndContentKeepTheirBytes) {
    if (!AnsiIsWindows1252()) {
        GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
    }
    TempFolder folder;
    const std::string ansiFolder = win32::AnsiFromWide(folder.path().wstring());
    const std::string path = ansiFolder + "\\J\xE9r\xF4me.ini";
    const std::string bytes = "[Main]\r\nNick=J\xE9r\xF4me\x80\r\n\xFF\x00\x01"s;
    ASSERT_TRUE(ReplaceFileContent(path, bytes, 0600));
    // The wide interfaces see the name decoded, the file holds the bytes as given.
    const fs::path wide = folder.path() / L"J\u00E9r\u00F4me.ini";
    ASSERT_TRUE(fs::exists(wide));
    EXPECT_EQ(ReadFile(wide), bytes);
    const FileContent read = ReadFileContent(path);
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(read.bytes, bytes);

    LauncherSettings settings;
    settings.TSNick = "J\xE9r\xF4me";
    settings.Q3Executable = ansiFolder + "\\Jeux \xE0 moi\\quake3.exe";
    SaveSettings(settings, {}, path);
    LauncherSettings loaded;
    ModsList mods;
    LoadSettings(loaded, mods, path);
    EXPECT_EQ(loaded, settings);
    EXPECT_NE(ReadFile(wide).find("TSNick=J\xE9r\xF4me\r\n"), std::string::npos);
}

TEST(Win32SystemErrorMessage, TheSystemsTextsWithTheirLineBreak) {
    // The ANSI interface is asked for comparison: the same text, in the same bytes.
    auto ansiText = [](DWORD error) {
        char* buffer = nullptr;
        const DWORD length =
            ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
        std::string text(buffer != nullptr ? buffer : "", length);
        ::LocalFree(buffer);
        return text;
    };
    const DWORD errors[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                            ERROR_BAD_EXE_FORMAT, WSAEWOULDBLOCK,       WSAEADDRINUSE,
                            WSAHOST_NOT_FOUND};
    for (const DWORD error : errors) {
        const std::string message = SystemErrorMessage(static_cast<int>(error));
        const std::string expected = ansiText(error);
        // Wine has no texts for some Winsock errors; Windows has them all.
        if (expected.empty() && error >= WSABASEERR) {
            EXPECT_EQ(message, "Unknown error " + std::to_string(error));
            continue;
        }
        EXPECT_EQ(message, expected) << error;
        EXPECT_TRUE(message.size() > 2 && message.ends_with("\r\n")) << error << ": " << message;
    }
    EXPECT_EQ(SystemErrorMessage(0x2FFFFFFF), "Unknown error 805306367");
}

TEST(Win32ReplaceFileContent, CreatesReplacesAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string path = folder / "kestrune.ini";
    ASSERT_TRUE(ReplaceFileContent(path, "first", 0600));  // no old file: moved into place
    EXPECT_EQ(ReadFile(path), "first");
    ASSERT_TRUE(ReplaceFileContent(path, "second\r\n", 0600));  // replaced
    EXPECT_EQ(ReadFile(path), "second\r\n");
    ASSERT_TRUE(ReplaceFileContent(path, "", 0600));
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(folder.entryCount(), 1u);

    EXPECT_EQ(ReadFileContent(folder / "missing").error, ENOENT);
    EXPECT_EQ(ReadFileContent(folder.path().string()).error, EISDIR);
    EXPECT_EQ(ReadFileContent("NUL").error, EINVAL);  // a device, not a file
}

TEST(Win32ReplaceFileContent, FailuresKeepTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder / "mods.kst";
    WriteFile(path, "old\r\n");

    // Another program holds the old file open without letting it be replaced. (Wine's
    // ReplaceFileW would leave a stray file of its own behind: the save gives up before.)
    HANDLE held = ::CreateFileW(fs::path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ReplaceResult result = ReplaceFileContent(path, "new", 0600);
    ::CloseHandle(held);
    EXPECT_EQ(result.failure, ReplaceFailure::Create);
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_EQ(folder.entryCount(), 1u);  // the new content went away with its temporary file

    // A read-only file stays as it is.
    ASSERT_TRUE(::SetFileAttributesW(fs::path(path).c_str(), FILE_ATTRIBUTE_READONLY));
    result = ReplaceFileContent(path, "new", 0600);
    EXPECT_EQ(result.failure, ReplaceFailure::Create);
    EXPECT_EQ(result.error, EACCES);
    ::SetFileAttributesW(fs::path(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), "old\r\n");

    // No new file can be made: a missing folder, a folder in the file's place.
    result = ReplaceFileContent(folder / "missing\\mods.kst", "x", 0600);
    EXPECT_EQ(result.failure, ReplaceFailure::Create);
    EXPECT_EQ(result.error, ENOENT);
    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReplaceFileContent(folder / "dir", "x", 0600).error, EISDIR);
    EXPECT_EQ(folder.entryCount(), 2u);

    // A relative name is taken in the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    EXPECT_TRUE(ReplaceFileContent("mods.kst", "relative", 0600));
    EXPECT_TRUE(ReplaceFileContent("mods.kst", "again", 0600));
    fs::current_path(previous);
    EXPECT_EQ(ReadFile(path), "again");
}

TEST(Win32ExecutablePath, NamesThisProgramAndItsSettingsFile) {
    const std::string path = ExecutablePath();
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_TRUE(path.ends_with("\\test_win32_platform.exe")) << path;
    EXPECT_EQ(SettingsPath(), path.substr(0, path.size() - 4) + ".ini");
}

TEST(Win32UserConfigFolder, TheRoamingApplicationDataFolderAndWhatMayBeWritten) {
    const std::string folder = UserConfigFolder();
    EXPECT_TRUE(folder.ends_with("\\Kestrune")) << folder;
    EXPECT_TRUE(fs::is_directory(fs::path(win32::WideFromAnsi(folder))));

    TempFolder temporary;
    EXPECT_TRUE(FolderMayBeWritten(temporary.path().string()));
    EXPECT_EQ(temporary.entryCount(), 0u);  // the probe went again
    EXPECT_FALSE(FolderMayBeWritten(temporary / "missing"));

    const std::string file = temporary / "kestrune.ini";
    EXPECT_FALSE(FileMayBeWritten(file));
    WriteFile(file, "[Main]\r\n");
    EXPECT_TRUE(FileMayBeWritten(file));
    ASSERT_TRUE(::SetFileAttributesW(fs::path(file).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(FileMayBeWritten(file));
    ::SetFileAttributesW(fs::path(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(FileMayBeWritten(temporary.path().string()));
}

}  // namespace
}  // namespace kestrune
