#include "platform/user_config_folder.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace kestrune {

namespace {

std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    // No usable HOME (a service, a stripped environment): the account's own home.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// Makes the folder and every missing folder above it, each 0700.
bool MakeFolders(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    const auto slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) {
        return false;
    }
    return ::mkdir(folder.c_str(), S_IRWXU) == 0 || errno == EEXIST;
}

}  // namespace

bool FolderMayBeWritten(const std::string& folder) {
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool FileMayBeWritten(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), W_OK) == 0;
}

std::string UserConfigFolder() {
    std::string base;
    const char* configHome = getenv("XDG_CONFIG_HOME");
    // Relative values are invalid and to be ignored.
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        base = HomeFolder();
        if (base.empty()) {
            return {};
        }
        base += base.ends_with('/') ? ".config" : "/.config";
    }
    while (base.size() > 1 && base.ends_with('/')) {
        base.pop_back();
    }
    std::string folder = base + (base == "/" ? "kestrune" : "/kestrune");
    if (!MakeFolders(folder)) {
        return {};
    }
    return folder;
}

}  // namespace kestrune
