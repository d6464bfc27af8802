// Where the settings file and the mods list are kept: beside a copy in a folder it may write,
// in the user's configuration folder for an installed one.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "launcher/settings_location.h"
#include "tests/support/environment.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using test_support::InChildWithoutPrivileges;
using test_support::ModeOf;
using test_support::ReadFile;
using test_support::ScopedEnvironment;
using test_support::TempFolder;
using test_support::WriteFile;

// Folders an unprivileged user may use: the checks run as "nobody" when we are root, since
// root may write in any folder.
void HandToTheChecker(const fs::path& path) {
    if (::geteuid() == 0 && ::chown(path.c_str(), 65534, 65534) != 0) {
        ADD_FAILURE() << "cannot hand over " << path;
    }
}

TEST(SettingsLocation, BesideAWritableCopyElseInTheUsersConfigurationFolder) {
    struct Case {
        std::string title;
        std::string programFolder;  // under the test's folder
        bool installedThere;
        std::optional<std::string> configHome;  // XDG_CONFIG_HOME, under the test's folder
        std::string settingsPath;               // expected, under the test's folder
        std::string modsListPath;
    };
    const Case cases[] = {
        {"a copy in a folder it may write", "copy", false, "xdg", "copy/kestrune.ini", "mods.kst"},
        {"the same without XDG_CONFIG_HOME", "copy", false, std::nullopt, "copy/kestrune.ini",
         "mods.kst"},
        {"a read-only folder", "system", false, "xdg", "xdg/kestrune/kestrune.ini",
         "xdg/kestrune/mods.kst"},
        {"a read-only folder holding a settings file the player may write", "shared", false, "xdg",
         "shared/kestrune.ini", "mods.kst"},
        {"a read-only folder without XDG_CONFIG_HOME", "system", false, std::nullopt,
         "home/.config/kestrune/kestrune.ini", "home/.config/kestrune/mods.kst"},
        {"a relative XDG_CONFIG_HOME counts as none", "system", false, "relative",
         "home/.config/kestrune/kestrune.ini", "home/.config/kestrune/mods.kst"},
        {"the folder it was installed to, even when it may be written", "copy", true, "xdg",
         "xdg/kestrune/kestrune.ini", "xdg/kestrune/mods.kst"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder folder;
        const fs::path root = folder.path();
        fs::permissions(root, fs::perms::owner_all | fs::perms::others_read |
                                  fs::perms::others_exec | fs::perms::group_read |
                                  fs::perms::group_exec);
        for (const char* name : {"copy", "system", "home"}) {
            fs::create_directory(root / name);
        }
        HandToTheChecker(root / "copy");
        HandToTheChecker(root / "home");
        // An administrator's folder holding a settings file the player may write.
        fs::create_directory(root / "shared");
        WriteFile(root / "shared" / "kestrune.ini", "[Main]\r\n");
        HandToTheChecker(root / "shared" / "kestrune.ini");
        for (const char* name : {"system", "shared"}) {
            fs::permissions(root / name, fs::perms::owner_read | fs::perms::owner_exec |
                                             fs::perms::others_read | fs::perms::others_exec);
        }
        // XDG_CONFIG_HOME need not exist yet: it is made along with Kestrune's folder.
        fs::create_directory(root / "for-xdg");
        HandToTheChecker(root / "for-xdg");
        const std::string configHome = !c.configHome ? std::string()
                                       : *c.configHome == "relative"
                                           ? std::string("relative/config")
                                           : (root / "for-xdg" / *c.configHome).string();
        const std::string expectedSettings = c.settingsPath.starts_with("xdg/")
                                                 ? (root / "for-xdg" / c.settingsPath).string()
                                                 : (root / c.settingsPath).string();
        const std::string expectedModsList = c.modsListPath == "mods.kst" ? c.modsListPath
                                             : c.modsListPath.starts_with("xdg/")
                                                 ? (root / "for-xdg" / c.modsListPath).string()
                                                 : (root / c.modsListPath).string();

        const fs::path program = root / c.programFolder / "kestrune";
        const std::string installed = c.installedThere ? program.parent_path().string() : "";
        const int outcome = InChildWithoutPrivileges([&] {
            ScopedEnvironment home("HOME", (root / "home").string());
            ScopedEnvironment xdg("XDG_CONFIG_HOME",
                                  c.configHome ? std::optional(configHome) : std::nullopt);
            const SettingsFiles files = SettingsFilesFor(program.string(), installed);
            if (files.settingsPath != expectedSettings || files.modsListPath != expectedModsList) {
                std::fprintf(stderr, "got %s and %s\n", files.settingsPath.c_str(),
                             files.modsListPath.c_str());
                return false;
            }
            return true;
        });
        EXPECT_EQ(outcome, 0);
        const fs::path userFolder = fs::path(expectedSettings).parent_path();
        if (c.modsListPath == "mods.kst") {
            // Nothing is made where nothing is kept.
            EXPECT_FALSE(fs::exists(root / "home" / ".config"));
            EXPECT_FALSE(fs::exists(root / "for-xdg" / "xdg"));
        } else {
            // Made for its owner's eyes only, with the folders above it.
            EXPECT_EQ(ModeOf(userFolder), 0700u);
            EXPECT_EQ(ModeOf(userFolder.parent_path()), 0700u);
        }
    }
}

TEST(SettingsLocation, AnInstalledCopyTakesInTheSettingsFileLeftBesideIt) {
    // A clan's ready-made file: not UTF-8, CR LF, a comment, no final line end.
    const std::string clanFile = "; Kl\xE4n\r\n[Quake3]\r\nQ3Server=10.0.0.7\r\nQ3Password=s\xE9" "cret";
    const std::string ownFile = "[Main]\r\nAutosave=0\r\n";
    struct Case {
        std::string title;
        bool marked;           // the setup's mark beside the program
        bool besideProgram;    // the clan's file lies beside the program
        bool userFileBefore;   // the user's folder already holds a settings file
        bool folderWritable;   // by the player
        std::string besideAfter;  // what lies beside the program afterwards ("-": nothing)
        std::string userAfter;    // in the user's folder ("-": nothing)
    };
    const Case cases[] = {
        {"moved on the first start", true, true, false, true, "-", clanFile},
        {"the user's own file is never replaced", true, true, true, true, clanFile, ownFile},
        {"copied from a folder the player may not write", true, true, false, false, clanFile,
         clanFile},
        {"an installed copy with nothing beside it", true, false, false, true, "-", "-"},
        {"a copy without the mark keeps its file beside it", false, true, false, true, clanFile,
         "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder folder;
        const fs::path root = folder.path();
        fs::permissions(root, fs::perms::owner_all | fs::perms::others_read |
                                  fs::perms::others_exec);
        const fs::path programFolder = root / "Programs" / "Kestrune";
        const fs::path home = root / "home";
        const fs::path userFile = home / ".config" / "kestrune" / "kestrune.ini";
        fs::create_directories(programFolder);
        fs::create_directories(userFile.parent_path());
        if (c.marked) {
            WriteFile(programFolder / kInstalledMarkerName, "");
        }
        if (c.besideProgram) {
            WriteFile(programFolder / "kestrune.ini", clanFile);
        }
        if (c.userFileBefore) {
            WriteFile(userFile, ownFile);
        }
        for (const fs::path& path : {root / "Programs", programFolder, home, home / ".config",
                                     userFile.parent_path()}) {
            HandToTheChecker(path);
        }
        if (!c.folderWritable) {
            fs::permissions(programFolder, fs::perms::owner_write | fs::perms::group_write |
                                               fs::perms::others_write,
                            fs::perm_options::remove);
        }
        const int outcome = InChildWithoutPrivileges([&] {
            ScopedEnvironment homeVariable("HOME", home.string());
            ScopedEnvironment xdg("XDG_CONFIG_HOME", std::nullopt);
            const SettingsFiles files = SettingsFilesFor((programFolder / "kestrune").string(), "");
            const std::string expected =
                c.marked ? userFile.string() : (programFolder / "kestrune.ini").string();
            if (files.settingsPath != expected) {
                std::fprintf(stderr, "got %s\n", files.settingsPath.c_str());
                return false;
            }
            return true;
        });
        EXPECT_EQ(outcome, 0);
        const auto contentOf = [](const fs::path& path) {
            return fs::exists(path) ? ReadFile(path) : std::string("-");
        };
        EXPECT_EQ(contentOf(programFolder / "kestrune.ini"), c.besideAfter);
        EXPECT_EQ(contentOf(userFile), c.userAfter);
        if (!c.folderWritable && c.userAfter == clanFile) {
            // A copy is new: it holds passwords.
            EXPECT_EQ(ModeOf(userFile) & 077u, 0u);
        }
    }
}

TEST(SettingsLocation, TheModsListGoesWhereItIsKept) {
    TempFolder folder;
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const std::string settingsPath = folder / "kestrune.ini";
    const std::string modsListPath = folder / "config-mods.kst";
    LauncherSettings settings;
    settings.Q3Server = "127.0.0.1";
    SaveSettings(settings, {"osp", "cpma"}, settingsPath, modsListPath);
    EXPECT_EQ(ReadFile(modsListPath), "osp\r\ncpma\r\n");
    EXPECT_FALSE(fs::exists(folder.path() / "mods.kst"));
    SaveModsList({"defrag"}, modsListPath);
    LauncherSettings loaded;
    ModsList mods;
    LoadSettings(loaded, mods, settingsPath, modsListPath);
    fs::current_path(previous);
    EXPECT_EQ(mods, ModsList{"defrag"});
    EXPECT_EQ(loaded.Q3Server, "127.0.0.1");
}

}  // namespace
}  // namespace kestrune
