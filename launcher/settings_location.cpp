#include "launcher/settings_location.h"

#include <filesystem>
#include <system_error>

#include "platform/executable_path.h"
#include "platform/file_moving.h"
#include "platform/path_separators.h"
#include "platform/user_config_folder.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparators);
    if (separator == std::string::npos) {
        return ".";
    }
    return path.substr(0, separator == 0 ? 1 : separator);
}

// The same folder however it is named (links, "..", a final separator).
bool SameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    std::error_code errorA;
    std::error_code errorB;
    const auto realA = std::filesystem::canonical(a, errorA);
    const auto realB = std::filesystem::canonical(b, errorB);
    return !errorA && !errorB && realA == realB;
}

}  // namespace

SettingsFiles SettingsFilesFor(const std::string& executablePath,
                               const std::string& installedFolder) {
    const std::string besideProgram = SettingsPathFor(executablePath);
    const std::string folder = FolderOf(executablePath);
    const bool installedCopy = SameFolder(folder, installedFolder) ||
                               FileExists(folder + kFolderSeparator + kInstalledMarkerName);
    // A settings file the player may write, set up beside the program by an administrator in a
    // folder the player may not write, is kept: it is saved in place.
    if (!installedCopy && (FolderMayBeWritten(folder) || FileMayBeWritten(besideProgram))) {
        return {besideProgram, kModsListFileName};
    }
    const std::string userFolder = UserConfigFolder();
    if (userFolder.empty()) {
        // Nowhere better: a save will say what failed.
        return {besideProgram, kModsListFileName};
    }
    const std::string name = besideProgram.substr(besideProgram.find_last_of(kPathSeparators) + 1);
    const std::string userSettings = userFolder + kFolderSeparator + name;
    if (installedCopy && FileExists(besideProgram) && !FileExists(userSettings)) {
        // Where it can be neither moved nor copied, the user's folder is used all the same.
        MoveOrCopyFile(besideProgram, userSettings);
    }
    return {userSettings, userFolder + kFolderSeparator + kModsListFileName};
}

SettingsFiles SettingsFilesOfThisProgram() {
    const std::string executable = ExecutablePath();
    if (executable.empty()) {
        throw Exception(std::string(Tr("Cannot find the path of the running program")));
    }
#ifdef KESTRUNE_INSTALLED_FOLDER
    return SettingsFilesFor(executable, KESTRUNE_INSTALLED_FOLDER);
#else
    return SettingsFilesFor(executable, {});
#endif
}

}  // namespace kestrune
