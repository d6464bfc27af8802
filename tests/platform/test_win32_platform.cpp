// What the Windows interfaces make of the platform layer: UTF-8 paths and the bytes in files,
// the system's error texts, the atomic replace and the access rules of new files, the
// executable's path and the settings beside it.

#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <string>

#include "launcher/settings_store.h"
#include "platform/atomic_file.h"
#include "platform/executable_path.h"
#include "platform/system_error.h"
#include "platform/user_config_folder.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

// The settings' paths are UTF-8, whatever the ANSI code page can hold; the files keep the bytes
// they are given.
TEST(Win32Paths, Utf8PathsNameAnyFileAndTheContentKeepsItsBytes) {
    TempFolder folder;
    const std::string path =
        folder.path().string() +
        "\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\x97\xA5 J\xC3\xA9r\xC3\xB4me.ini";
    const std::string bytes = "[Main]\r\nNick=J\xE9r\xF4me\x80\r\n\xFF\x00\x01"s;
    ASSERT_TRUE(ReplaceFileContent(path, bytes, 0600));
    const fs::path wide = folder.path() / L"\u0418\u0433\u0440\u044B \u65E5 J\u00E9r\u00F4me.ini";
    ASSERT_TRUE(fs::exists(wide));
    EXPECT_EQ(ReadFile(wide), bytes);
    const FileContent read = ReadFileContent(path);
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(read.bytes, bytes);
    EXPECT_TRUE(FileMayBeWritten(path));
}

TEST(Win32SystemErrorMessage, TheSystemsTextsWithTheirLineBreak) {
    // The wide interface is asked for comparison: the same text, in UTF-8.
    auto systemText = [](DWORD error) {
        wchar_t* buffer = nullptr;
        const DWORD length =
            ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        const std::u8string text =
            fs::path(std::wstring(buffer != nullptr ? buffer : L"", length)).u8string();
        ::LocalFree(buffer);
        return std::string(text.begin(), text.end());
    };
    const DWORD errors[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                            ERROR_BAD_EXE_FORMAT, WSAEWOULDBLOCK,       WSAEADDRINUSE,
                            WSAHOST_NOT_FOUND};
    for (const DWORD error : errors) {
        const std::string message = SystemErrorMessage(static_cast<int>(error));
        const std::string expected = systemText(error);
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

// A file's access list in the system's own notation, "D:P(A;;FA;;;SY)..." ("P": protected from
// its folder's rules).
std::wstring AccessListOf(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(fs::path(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"unreadable";
    }
    wchar_t* text = nullptr;
    std::wstring rules = L"unreadable";
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        rules = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return rules;
}

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    alignas(TOKEN_USER) char buffer[256] = {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        return L"no user";
    }
    std::wstring sid = text;
    ::LocalFree(text);
    return sid;
}

// Whether an access list lets in anyone but the user, SYSTEM and the Administrators: everyone
// (WD), the users (BU), the authenticated users (AU) or another account.
bool LetsOthersIn(const std::wstring& rules) {
    for (size_t open = rules.find(L"(A;"); open != std::wstring::npos;
         open = rules.find(L"(A;", open + 1)) {
        const size_t close = rules.find(L')', open);
        const size_t sid = rules.rfind(L';', close) + 1;
        const std::wstring whom = rules.substr(sid, close - sid);
        if (whom != CurrentUserSid() && whom != L"SY" && whom != L"BA") {
            return true;
        }
    }
    return false;
}

// Settings hold passwords: a new file lets no other user in, whatever its folder allows. (Wine
// keeps no access lists: it reads and writes them as the Unix file's mode, without "P" and the
// Administrators' entry, so "whom" is what the test holds it to.)
TEST(Win32ReplaceFileContent, ANewFileIsTheUsersAloneAndAnOldOneKeepsItsAccessList) {
    TempFolder folder;
    const std::string path = folder / "kestrune.ini";
    ASSERT_TRUE(ReplaceFileContent(path, "new", 0600));
    // The settings store's own files, through their own calls.
    SaveSettings({}, {"osp"}, folder / "other.ini", folder / "mods.kst");
    for (const std::string& file : {path, folder / "other.ini", folder / "mods.kst"}) {
        const std::wstring rules = AccessListOf(file);
        EXPECT_NE(rules.find(CurrentUserSid()), std::wstring::npos) << fs::path(rules).string();
        EXPECT_FALSE(LetsOthersIn(rules)) << file << ": " << fs::path(rules).string();
    }

    // A file the player let everyone read stays so.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        (L"D:P(A;;FA;;;" + CurrentUserSid() + L")(A;;FA;;;SY)(A;;FRFX;;;WD)").c_str(),
        SDDL_REVISION_1, &descriptor, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    ASSERT_EQ(
        ::SetNamedSecurityInfoW(fs::path(path).wstring().data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, list, nullptr),
        static_cast<DWORD>(ERROR_SUCCESS));
    ::LocalFree(descriptor);
    const std::wstring shared = AccessListOf(path);
    ASSERT_TRUE(LetsOthersIn(shared));
    ASSERT_TRUE(ReplaceFileContent(path, "replaced", 0600));
    EXPECT_EQ(ReadFile(path), "replaced");
    EXPECT_EQ(AccessListOf(path), shared);
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
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));

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
