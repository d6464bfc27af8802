#pragma once

// A stand-in program for launch tests: a small shell script that records how it was started
// (arguments, working directory, process id) into files beside it, then stays alive until
// released, so that the test can look at the running process from outside.

#include <errno.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"

namespace kestrune::test_support {

struct ProgramRecord {
    pid_t processId = 0;
    std::vector<std::string> arguments;
    std::string workingDirectory;
};

// The script at `program` writes its record under `recordPrefix` (".args", NUL-separated,
// ".cwd" and, last, ".pid"), then waits up to 10 s for `recordPrefix`.release to appear (or
// for its record to be removed with the test's folder).
inline void WriteRecordingProgram(const fs::path& program, const fs::path& recordPrefix) {
    const std::string body =
        "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$rec.args\"\n"
        "pwd -P > \"$rec.cwd\"\n"
        "echo $$ > \"$rec.pid.tmp\" && mv \"$rec.pid.tmp\" \"$rec.pid\"\n"
        "i=0\n"
        "while [ ! -e \"$rec.release\" ] && [ -e \"$rec.pid\" ] && [ $i -lt 200 ]; do\n"
        "  sleep 0.05; i=$((i+1))\n"
        "done\n";
    const std::string header =
        "#!/bin/sh\nPATH=/usr/bin:/bin\nrec='" + recordPrefix.string() + "'\n";
    WriteFile(program, header + body, fs::perms::owner_all);
}

// Waits (bounded) for the record of a started stand-in program.
inline std::optional<ProgramRecord> WaitForRecord(const fs::path& recordPrefix) {
    const std::string rec = recordPrefix.string();
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (fs::exists(rec + ".pid")) {
            ProgramRecord record;
            std::istringstream(ReadFile(rec + ".pid")) >> record.processId;
            std::string cwd = ReadFile(rec + ".cwd");
            if (!cwd.empty() && cwd.back() == '\n') {
                cwd.pop_back();
            }
            record.workingDirectory = cwd;
            const std::string args = ReadFile(rec + ".args");
            std::size_t start = 0;
            for (std::size_t nul; (nul = args.find('\0', start)) != std::string::npos;
                 start = nul + 1) {
                record.arguments.push_back(args.substr(start, nul - start));
            }
            return record;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

inline void ReleaseProgram(const fs::path& recordPrefix) {
    std::ofstream(recordPrefix.string() + ".release");
}

// True once the process is gone for good: ended and reaped (a zombie still answers kill 0).
inline bool WaitUntilGone(pid_t processId) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (kill(processId, 0) == -1 && errno == ESRCH) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace kestrune::test_support
