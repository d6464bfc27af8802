#include "platform/program_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <vector>

#include "platform/command_line.h"
#include "platform/process_spawn.h"

namespace kestrune {

namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The first place along the start's search that holds the file.
std::optional<std::string> FindProgramFile(std::string_view file, std::string_view directory) {
    for (std::string& path : ProgramSearchPaths(file, directory)) {
        if (IsFile(path)) {
            return std::move(path);
        }
    }
    return std::nullopt;
}

// Windows programs begin with the DOS header's "MZ"; no Linux executable or script does.
bool IsWindowsProgram(const std::string& path) {
    // Not blocking: what was a file a moment ago may be a FIFO by now.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        return false;
    }
    std::array<char, 2> magic{};
    const ssize_t length = ::read(descriptor, magic.data(), magic.size());
    ::close(descriptor);
    return length == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

// The program's path as Wine is given it: absolute, since Wine runs in the program's folder.
std::string AbsolutePath(std::string_view path) {
    if (path.starts_with('/')) {
        return std::string(path);
    }
    std::string current(4096, '\0');
    if (::getcwd(current.data(), current.size()) == nullptr) {
        return std::string(path);
    }
    current.resize(current.find('\0'));
    if (path.starts_with("./")) {
        path.remove_prefix(2);
    }
    return current + (current.ends_with('/') ? "" : "/") + std::string(path);
}

SpawnResult StartThroughWine(const std::string& program, const std::vector<std::string>& arguments,
                             std::string_view directory) {
    std::string wine = FindOnPath("wine");
    if (wine.empty()) {
        wine = FindOnPath("wine64");
    }
    if (wine.empty()) {
        return {0, std::string(kWineMissingMessage)};
    }
    std::vector<std::string> wineArguments;
    wineArguments.reserve(arguments.size() + 1);
    wineArguments.push_back(AbsolutePath(program));
    wineArguments.insert(wineArguments.end(), arguments.begin(), arguments.end());
    return SpawnDetached(wine, wineArguments, directory);
}

}  // namespace

bool ProgramFound(std::string_view file, std::string_view directory) {
    return FindProgramFile(file, directory).has_value();
}

std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory) {
    return SpawnDetached(file, SplitCommandLine(parameters), directory).error;
}

std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory, std::string_view chosenExecutable) {
    std::string_view name = file;
    std::optional<std::string> found = FindProgramFile(file, directory);
    if (!found) {
        // The chosen file's name, in the folder the start uses (the folder of that same path).
        const auto slash = chosenExecutable.rfind('/');
        const std::string_view chosenName =
            slash == std::string_view::npos ? chosenExecutable : chosenExecutable.substr(slash + 1);
        if (!chosenName.empty() && chosenName != file) {
            if (std::optional<std::string> chosen = FindProgramFile(chosenName, directory)) {
                name = chosenName;
                found = std::move(chosen);
            }
        }
    }
    const std::vector<std::string> arguments = SplitCommandLine(parameters);
    if (found && IsWindowsProgram(*found)) {
        return StartThroughWine(*found, arguments, directory).error;
    }
    return SpawnDetached(name, arguments, directory).error;
}

}  // namespace kestrune
