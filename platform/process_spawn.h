#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct SpawnResult {
    pid_t processId = 0;  // the started program; 0 when it did not start
    std::string error;    // the C library's message for the failure; empty when started

    bool started() const { return error.empty(); }
};

// POSIX only (StartProgram in program_start.h is the service every system offers).

// Where a program named without a directory is looked for.
enum class ProgramSearch {
    CurrentDirectoryThenPath,
    // Only the absolute folders of PATH: a folder the user happens to be in never supplies a
    // program the desktop should run.
    PathOnly,
};

// Starts a program directly (never through a shell) and lets it run on its own.
// - With a directory, the program is directory/file (file itself when it is absolute) and runs
//   in that directory. With an empty directory it is looked for as search says (a file holding a
//   "/" is taken as it stands), and the working directory stays the caller's.
// - argv[0] is the file as given, followed by the arguments.
// - The program gets its own session, default signal handling, no blocked signals and none of
//   our descriptors but 0, 1 and 2. It is reaped in the background, so it never lingers as a
//   zombie and may outlive us.
// A start that fails (missing file, not executable, bad directory, ...) is reported before
// this returns. Safe to call from any thread.
SpawnResult SpawnDetached(std::string_view file, const std::vector<std::string>& arguments,
                          std::string_view directory,
                          ProgramSearch search = ProgramSearch::CurrentDirectoryThenPath);

// The places SpawnDetached tries for file (searching the current directory, then PATH), in
// order, as paths from the caller's current directory.
std::vector<std::string> ProgramSearchPaths(std::string_view file, std::string_view directory);

// The executable file of that name in the first absolute folder of PATH that holds one; empty
// when none does. The current folder and relative entries are never searched.
std::string FindOnPath(std::string_view name);

}  // namespace kestrune
