#include "platform/process_spawn.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <system_error>
#include <thread>

#include "platform/system_error.h"

extern char** environ;

namespace kestrune {

namespace {

// posix_spawn's settings, released whichever way we leave.
class SpawnAttributes {
public:
    SpawnAttributes() { posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

class SpawnFileActions {
public:
    SpawnFileActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

SpawnResult Failure(int errorNumber) {
    return {0, SystemErrorMessage(errorNumber)};
}

// The entries of PATH, in order, empty ones included.
std::vector<std::string_view> PathEntries() {
    const char* searchPath = getenv("PATH");
    std::string_view rest = searchPath != nullptr ? searchPath : "/bin:/usr/bin";
    std::vector<std::string_view> entries;
    while (true) {
        const auto colon = rest.find(':');
        entries.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos) {
            return entries;
        }
        rest.remove_prefix(colon + 1);
    }
}

// Where to look for the program, in order. With a directory we change into it first, so a
// relative file is named from it: that stays right for a relative directory too.
std::vector<std::string> CandidatePaths(std::string_view file, std::string_view directory,
                                        ProgramSearch search) {
    if (!directory.empty()) {
        return {file.starts_with('/') ? std::string(file) : "./" + std::string(file)};
    }
    if (file.find('/') != std::string_view::npos) {
        return {std::string(file)};
    }
    const bool pathOnly = search == ProgramSearch::PathOnly;
    std::vector<std::string> paths;
    if (!pathOnly) {
        paths.push_back("./" + std::string(file));
    }
    for (std::string_view entry : PathEntries()) {
        // An empty entry stands for the current directory, already tried. A PATH-only search
        // skips relative entries too: they name folders from the current one.
        if (!entry.empty() && (!pathOnly || entry.front() == '/')) {
            paths.push_back(std::string(entry) + "/" + std::string(file));
        }
    }
    return paths;
}

// Errors after which the next place along the search is tried (as execvp does).
bool KeepSearching(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
        case ENOTDIR:
        case EACCES:
        case ESTALE:
        case ENODEV:
        case ETIMEDOUT:
            return true;
        default:
            return false;
    }
}

void ReapInBackground(pid_t processId) {
    try {
        std::thread([processId] {
            while (waitpid(processId, nullptr, 0) == -1 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the program runs all the same and is reaped when we end.
    }
}

}  // namespace

std::vector<std::string> ProgramSearchPaths(std::string_view file, std::string_view directory) {
    if (directory.empty() || file.starts_with('/')) {
        return CandidatePaths(file, directory, ProgramSearch::CurrentDirectoryThenPath);
    }
    std::string path(directory);
    if (!path.ends_with('/')) {
        path += '/';
    }
    return {path + std::string(file)};
}

std::string FindOnPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return {};
    }
    for (std::string_view entry : PathEntries()) {
        if (!entry.starts_with('/')) {
            continue;
        }
        std::string path = std::string(entry) + "/" + std::string(name);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

SpawnResult SpawnDetached(std::string_view file, const std::vector<std::string>& arguments,
                          std::string_view directory, ProgramSearch search) {
    if (file.empty()) {
        return Failure(ENOENT);
    }
    // A NUL would silently cut the path short and name some other file or folder.
    if (file.find('\0') != std::string_view::npos ||
        directory.find('\0') != std::string_view::npos) {
        return Failure(EINVAL);
    }

    std::string programName(file);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(programName.data());
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    sigset_t allSignals;
    sigset_t noSignals;
    sigfillset(&allSignals);
    sigemptyset(&noSignals);
    posix_spawnattr_setsigdefault(attributes.get(), &allSignals);
    posix_spawnattr_setsigmask(attributes.get(), &noSignals);
    posix_spawnattr_setflags(attributes.get(),
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    SpawnFileActions actions;
    const std::string workingDirectory(directory);
    if (!workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(actions.get(), workingDirectory.c_str());
    }
    // Close-on-exec is not enough: libraries open descriptors without it.
    posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);

    int error = ENOENT;
    bool accessDenied = false;
    for (const std::string& path : CandidatePaths(file, directory, search)) {
        pid_t processId = 0;
        error = posix_spawn(&processId, path.c_str(), actions.get(), attributes.get(), argv.data(),
                            environ);
        if (error == 0) {
            ReapInBackground(processId);
            return {processId, {}};
        }
        accessDenied = accessDenied || error == EACCES;
        if (!KeepSearching(error)) {
            return Failure(error);
        }
    }
    return Failure(accessDenied ? EACCES : error);
}

}  // namespace kestrune
