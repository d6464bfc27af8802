#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/command_line.h"
#ifndef _WIN32
#include "platform/process_spawn.h"
#include "platform/program_start.h"
#include "platform/system_error.h"
#include "tests/platform/recording_program.h"
#include "tests/support/environment.h"
#endif

namespace kestrune {
namespace {

using Args = std::vector<std::string>;

#ifndef _WIN32
using test_support::ProgramRecord;
using test_support::ReadFile;
using test_support::ReleaseProgram;
using test_support::ScopedEnvironment;
using test_support::TempFolder;
using test_support::WaitForRecord;
using test_support::WaitUntilGone;
using test_support::WriteFile;
using test_support::WriteRecordingProgram;
namespace fs = std::filesystem;
#endif

TEST(SplitCommandLine, FollowsTheWindowsRuntimeRules) {
    struct Case {
        std::string text;
        Args expected;
    };
    const Case cases[] = {
        // blanks and tabs
        {"", {}},
        {" \t  ", {}},
        {"a b", {"a", "b"}},
        {"  a\t\tb  ", {"a", "b"}},
        {"a\nb\rc\vd", {"a\nb\rc\vd"}},
        // quoting
        {R"("a b" c)", {"a b", "c"}},
        {R"(a"b c"d)", {"ab cd"}},
        {"\"a\tb\"", {"a\tb"}},
        {R"("a b)", {"a b"}},
        {R"(a" b" c)", {"a b", "c"}},
        // empty arguments
        {R"("")", {""}},
        {R"("" "")", {"", ""}},
        {R"(a "" b)", {"a", "", "b"}},
        {R"(a"" b)", {"a", "b"}},
        // a doubled quote inside quotes is a literal one, and quoting goes on
        {R"("a""b")", {"a\"b"}},
        {R"("a""" b)", {"a\"", "b"}},
        {R"("""a b")", {"\"a b"}},
        {R"(a""" b)", {"a\" b"}},
        {R"("""")", {"\""}},
        // backslashes
        {R"(a\b)", {R"(a\b)"}},
        {R"(a\\b\\\c)", {R"(a\\b\\\c)"}},
        {R"(a\)", {R"(a\)"}},
        {R"(\"a)", {R"("a)"}},
        {R"(\\"a b")", {R"(\a b)"}},
        {R"(\\\"a b)", {R"(\"a)", "b"}},
        {R"(\\\\"a b")", {R"(\\a b)"}},
        {R"("a\\" b)", {R"(a\)", "b"}},
        {R"("a\" b")", {R"(a" b)"}},
        {R"("C:\Program Files\" x)", {R"(C:\Program Files" x)"}},
        // shell metacharacters mean nothing here
        {R"($(id) `id` ; | & > < * ~ ' \n)",
         {"$(id)", "`id`", ";", "|", "&", ">", "<", "*", "~", "'", R"(\n)"}},
        // the text ends at a NUL
        {std::string("a \"b\0c\" d", 9), {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: [" + c.text + "]");
        EXPECT_EQ(SplitCommandLine(c.text), c.expected);
    }
}

TEST(SplitCommandLine, KeepsLongArgumentsWhole) {
    const std::string longArgument(100'000, 'x');
    EXPECT_EQ(SplitCommandLine("a " + longArgument + " b"), (Args{"a", longArgument, "b"}));
    EXPECT_EQ(SplitCommandLine(std::string(50'000, '\\') + "\""),
              (Args{std::string(25'000, '\\')}));
}

// Starting programs on Windows: test_win32_programs.cpp.
#ifndef _WIN32
TEST(SystemErrorMessage, IsTheLibraryTextAndNeverEmpty) {
    EXPECT_EQ(SystemErrorMessage(ENOENT), "No such file or directory");
    EXPECT_EQ(SystemErrorMessage(EACCES), "Permission denied");
    const std::string unknown = SystemErrorMessage(987654);
    EXPECT_FALSE(unknown.empty());
    EXPECT_NE(unknown.find("987654"), std::string::npos);
    EXPECT_FALSE(SystemErrorMessage(-1).empty());
}

// Whether a signal is in one of the masks ("SigBlk", "SigIgn") of a /proc/PID/status text.
bool SignalInMask(const std::string& status, const std::string& mask, int signal) {
    const auto at = status.find(mask + ":\t");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << mask << " in the status";
        return true;
    }
    const unsigned long long bits =
        std::stoull(status.substr(at + mask.size() + 2, 16), nullptr, 16);
    return (bits >> (signal - 1)) & 1;
}

class SpawnDetachedTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const fs::path& record : started_) {
            ReleaseProgram(record);
        }
    }

    // A recording program named `name` in `folder`, its record kept beside it.
    fs::path MakeProgram(const fs::path& folder, const std::string& name) {
        const fs::path record = folder / (name + ".record");
        WriteRecordingProgram(folder / name, record);
        started_.push_back(record);
        return record;
    }

    ProgramRecord Expect(const SpawnResult& result, const fs::path& record) {
        EXPECT_TRUE(result.started()) << result.error;
        EXPECT_GT(result.processId, 0);
        const auto seen = WaitForRecord(record);
        EXPECT_TRUE(seen.has_value()) << "the program left no record";
        if (!seen) {
            return {};
        }
        EXPECT_EQ(seen->processId, result.processId);
        return *seen;
    }

    TempFolder folder_;
    std::vector<fs::path> started_;
};

TEST_F(SpawnDetachedTest, PassesArgumentsExactlyAndRunsInTheDirectory) {
    const fs::path record = MakeProgram(folder_.path(), "quake3.exe");
    const Args arguments{"plain",
                         "",
                         "two words",
                         "$(touch pwned) `touch pwned` ; touch pwned | & > pwned < * ~",
                         "quote \" and 'single' \\ backslash",
                         "line\nbreak\ttab",
                         std::string(100'000, 'q')};
    const ProgramRecord seen =
        Expect(SpawnDetached("quake3.exe", arguments, folder_.path().string()), record);
    EXPECT_EQ(seen.arguments, arguments);
    EXPECT_EQ(seen.workingDirectory, folder_.path().string());
    EXPECT_FALSE(fs::exists(folder_.path() / "pwned"));
}

TEST_F(SpawnDetachedTest, FindsTheProgramInARelativeDirectory) {
    fs::create_directory(folder_.path() / "games");
    const fs::path record = MakeProgram(folder_.path() / "games", "quake3.exe");
    const fs::path previous = fs::current_path();
    fs::current_path(folder_.path());
    const SpawnResult result = SpawnDetached("quake3.exe", {"x"}, "games");
    fs::current_path(previous);
    const ProgramRecord seen = Expect(result, record);
    EXPECT_EQ(seen.workingDirectory, (folder_.path() / "games").string());
}

TEST_F(SpawnDetachedTest, WithoutDirectorySearchesCurrentDirectoryThenPath) {
    const fs::path here = folder_.path() / "here";
    const fs::path onPath = folder_.path() / "on-path";
    fs::create_directory(here);
    fs::create_directory(onPath);
    const fs::path fromPath = MakeProgram(onPath, "TeamSpeak.exe");
    const fs::path shadowed = MakeProgram(onPath, "quake3.exe");
    const fs::path fromHere = MakeProgram(here, "quake3.exe");

    const std::string previousPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
    const fs::path previousDirectory = fs::current_path();
    setenv("PATH", ("/nonexistent::" + onPath.string()).c_str(), 1);
    fs::current_path(here);
    const SpawnResult voice = SpawnDetached("TeamSpeak.exe", {}, "");
    const SpawnResult game = SpawnDetached("quake3.exe", {}, "");
    const SpawnResult missing = SpawnDetached("nothing-by-this-name", {}, "");
    fs::current_path(previousDirectory);
    setenv("PATH", previousPath.c_str(), 1);

    // Both run in the caller's directory, whichever folder they were found in.
    EXPECT_EQ(Expect(voice, fromPath).workingDirectory, here.string());
    EXPECT_EQ(Expect(game, fromHere).workingDirectory, here.string());
    EXPECT_FALSE(fs::exists(shadowed.string() + ".pid"));
    EXPECT_EQ(missing.error, "No such file or directory");
}

TEST_F(SpawnDetachedTest, APathOnlySearchNeverLooksInTheCurrentDirectory) {
    const fs::path here = folder_.path() / "here";
    const fs::path onPath = folder_.path() / "on-path";
    fs::create_directories(here / "sub");
    fs::create_directory(onPath);
    const fs::path fromPath = MakeProgram(onPath, "xdg-open");
    const fs::path notFromHere = MakeProgram(here, "xdg-open");
    const fs::path notHereOnly = MakeProgram(here, "here-only");
    const fs::path notFromSub = MakeProgram(here / "sub", "here-only");

    const std::string previousPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
    const fs::path previousDirectory = fs::current_path();
    // Empty and relative entries all name the current directory or folders below it.
    setenv("PATH", (".::sub:" + onPath.string()).c_str(), 1);
    fs::current_path(here);
    const SpawnResult opener = SpawnDetached("xdg-open", {"u"}, "", ProgramSearch::PathOnly);
    const SpawnResult missing = SpawnDetached("here-only", {}, "", ProgramSearch::PathOnly);
    fs::current_path(previousDirectory);
    setenv("PATH", previousPath.c_str(), 1);

    EXPECT_EQ(Expect(opener, fromPath).arguments, Args{"u"});
    EXPECT_EQ(missing.error, "No such file or directory");
    for (const fs::path& record : {notFromHere, notHereOnly, notFromSub}) {
        EXPECT_FALSE(fs::exists(record.string() + ".pid")) << record;
    }
}

TEST_F(SpawnDetachedTest, IsDetachedInheritsNoDescriptorsAndIsReaped) {
    // Descriptors a library might leave open without close-on-exec.
    const fs::path marker = folder_.path() / "leak-marker";
    WriteFile(marker, "", fs::perms::owner_read | fs::perms::owner_write);
    const int leaked = open(marker.c_str(), O_RDONLY);
    int leakedPipe[2];
    ASSERT_EQ(pipe(leakedPipe), 0);
    // What we ignore and block must not reach the program.
    struct sigaction previousAction {};
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR2, &ignore, &previousAction);
    sigset_t blocked, previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);

    const fs::path program = folder_.path() / "quake3.exe";
    const fs::path record = MakeProgram(folder_.path(), "quake3.exe");
    const SpawnResult result = SpawnDetached("quake3.exe", {}, folder_.path().string());

    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGUSR2, &previousAction, nullptr);
    close(leaked);
    close(leakedPipe[0]);
    close(leakedPipe[1]);

    const pid_t pid = Expect(result, record).processId;
    ASSERT_GT(pid, 0);
    EXPECT_EQ(getsid(pid), pid) << "the program should lead a session of its own";
    EXPECT_NE(getpgid(pid), getpgid(0));

    // Above 2, only the shell's own hold on its script may be open.
    const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : fs::directory_iterator(fds)) {
        const int fd = std::stoi(entry.path().filename().string());
        if (fd > 2) {
            std::error_code error;
            const fs::path target = fs::read_symlink(entry.path(), error);
            EXPECT_EQ(target, program) << "descriptor " << fd << " was inherited";
        }
    }

    // The shell blocks every signal for a moment while it starts a command of its own, so a
    // blocked mask is looked at again (bounded): only a mask that stays blocked was inherited.
    std::string status;
    for (int attempt = 0; attempt < 50; ++attempt) {
        status = ReadFile("/proc/" + std::to_string(pid) + "/status");
        if (!SignalInMask(status, "SigBlk", SIGUSR1)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(SignalInMask(status, "SigBlk", SIGUSR1)) << status;
    EXPECT_FALSE(SignalInMask(status, "SigIgn", SIGUSR2)) << status;

    ReleaseProgram(record);
    EXPECT_TRUE(WaitUntilGone(pid)) << "the ended program was left a zombie";
}

TEST_F(SpawnDetachedTest, ReportsWhyAStartFailed) {
    const fs::path dir = folder_.path();
    WriteFile(dir / "no-exec-bit", "#!/bin/sh\ntouch ran\n", fs::perms::owner_read);
    WriteFile(dir / "not-a-program", "just text\n", fs::perms::owner_all);
    WriteFile(dir / "bad-interpreter", "#!/nonexistent/sh\n", fs::perms::owner_all);
    fs::create_directory(dir / "a-folder");
    struct Case {
        std::string file;
        std::string directory;
        std::string message;
    };
    const Case cases[] = {
        {"missing.exe", dir.string(), "No such file or directory"},
        {"no-exec-bit", dir.string(), "Permission denied"},
        {"a-folder", dir.string(), "Permission denied"},
        {"not-a-program", dir.string(), "Exec format error"},
        {"bad-interpreter", dir.string(), "No such file or directory"},
        {"not-a-program", (dir / "missing-folder").string(), "No such file or directory"},
        {"not-a-program", (dir / "no-exec-bit").string(), "Not a directory"},
        {"", dir.string(), "No such file or directory"},
        {"not-a-program", dir.string() + std::string(1, '\0') + "x", "Invalid argument"},
        {"", "", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("file [" + c.file + "] in [" + c.directory + "]");
        const SpawnResult result = SpawnDetached(c.file, {}, c.directory);
        EXPECT_FALSE(result.started());
        EXPECT_EQ(result.error, c.message);
        EXPECT_EQ(result.processId, 0);
    }
    EXPECT_FALSE(fs::exists(dir / "ran"));
}

TEST_F(SpawnDetachedTest, ReportsADirectoryThatMayNotBeEntered) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root enters any directory";
    }
    const fs::path locked = folder_.path() / "locked";
    fs::create_directory(locked);
    MakeProgram(locked, "quake3.exe");
    fs::permissions(locked, fs::perms::none);
    EXPECT_EQ(SpawnDetached("quake3.exe", {}, locked.string()).error, "Permission denied");
}

TEST_F(SpawnDetachedTest, StartsFromSeveralThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 3;
    std::vector<fs::path> records;
    for (int i = 0; i < kThreads * kPerThread; ++i) {
        const fs::path folder = folder_.path() / std::to_string(i);
        fs::create_directory(folder);
        records.push_back(MakeProgram(folder, "quake3.exe"));
    }
    std::vector<SpawnResult> results(records.size());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = t * kPerThread; i < (t + 1) * kPerThread; ++i) {
                results[i] = SpawnDetached("quake3.exe", {std::to_string(i)},
                                           (folder_.path() / std::to_string(i)).string());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        const ProgramRecord seen = Expect(results[i], records[i]);
        EXPECT_EQ(seen.arguments, Args{std::to_string(i)});
        ReleaseProgram(records[i]);
    }
    for (const SpawnResult& result : results) {
        EXPECT_TRUE(WaitUntilGone(result.processId));
    }
}

TEST(FindOnPath, LooksInAbsoluteFoldersOfPathOnly) {
    TempFolder folder;
    for (const char* name : {"relative", "not-executable", "found", "later"}) {
        fs::create_directory(folder.path() / name);
    }
    WriteFile(folder.path() / "wine", "#!/bin/sh\n", fs::perms::owner_all);
    WriteFile(folder.path() / "relative" / "wine", "#!/bin/sh\n", fs::perms::owner_all);
    WriteFile(folder.path() / "not-executable" / "wine", "", fs::perms::owner_read);
    fs::create_directory(folder.path() / "found" / "wine64");
    WriteFile(folder.path() / "found" / "wine", "#!/bin/sh\n", fs::perms::owner_all);
    WriteFile(folder.path() / "later" / "wine64", "#!/bin/sh\n", fs::perms::owner_all);
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    std::string wine;
    std::string wine64;
    std::string none;
    {
        const std::string dir = folder.path().string();
        ScopedEnvironment path(
            "PATH", ":relative:" + dir + "/not-executable:" + dir + "/found:" + dir + "/later");
        wine = FindOnPath("wine");
        wine64 = FindOnPath("wine64");
        none = FindOnPath("wine32");
    }
    fs::current_path(previous);
    EXPECT_EQ(wine, (folder.path() / "found" / "wine").string());
    EXPECT_EQ(wine64, (folder.path() / "later" / "wine64").string());
    EXPECT_EQ(none, "");
}

// The player's own programs: native builds under their own names, Windows ones through Wine.
TEST(StartProgramOfAPlayer, StartsNativeNamesAndWindowsProgramsThroughWine) {
    enum class Kind { Program, WindowsProgram, Text };
    struct File {
        std::string name;
        Kind kind;
    };
    struct Case {
        std::string title;
        std::string file;
        std::vector<File> files;  // in the program's folder
        std::string chosen;       // the chosen executable's name in that folder
        bool wineOnPath;
        std::string started;  // the program that ran ("wine" for Wine), or nothing
        std::string error;
    };
    const std::string wineMissing(kWineMissingMessage);
    const Case cases[] = {
        {"the named file comes first",
         "quake3.exe",
         {{"quake3.exe", Kind::Program}, {"ioquake3.x86_64", Kind::Program}},
         "ioquake3.x86_64",
         true,
         "quake3.exe",
         ""},
        {"a native engine",
         "quake3.exe",
         {{"ioquake3.x86_64", Kind::Program}},
         "ioquake3.x86_64",
         false,
         "ioquake3.x86_64",
         ""},
        {"the voice client's starter",
         "TeamSpeak.exe",
         {{"TeamSpeak", Kind::Program}},
         "TeamSpeak",
         false,
         "TeamSpeak",
         ""},
        {"a Windows program",
         "quake3.exe",
         {{"quake3.exe", Kind::WindowsProgram}},
         "quake3.exe",
         true,
         "wine",
         ""},
        {"a Windows program under another name",
         "TeamSpeak.exe",
         {{"teamspeak.exe", Kind::WindowsProgram}},
         "teamspeak.exe",
         true,
         "wine",
         ""},
        {"no Wine",
         "quake3.exe",
         {{"quake3.exe", Kind::WindowsProgram}},
         "quake3.exe",
         false,
         "",
         wineMissing},
        {"no Wine for the chosen one",
         "quake3.exe",
         {{"q3.exe", Kind::WindowsProgram}},
         "q3.exe",
         false,
         "",
         wineMissing},
        {"the chosen one is missing too",
         "quake3.exe",
         {},
         "ioquake3.x86_64",
         true,
         "",
         "No such file or directory"},
        {"the chosen one may not run",
         "quake3.exe",
         {{"ioquake3", Kind::Text}},
         "ioquake3",
         true,
         "",
         "Permission denied"},
        {"a folder chosen", "quake3.exe", {}, "", true, "", "No such file or directory"},
    };
    const Args arguments{"+connect", "127.0.0.1:27960", "+password", "two words"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder folder;
        const fs::path programs = folder.path() / "my games";
        const fs::path bin = folder.path() / "bin";
        fs::create_directory(programs);
        fs::create_directory(bin);
        // Each program keeps its record under its own name, out of the programs' folder.
        const auto record = [&](const std::string& name) {
            return folder.path() / (name + ".rec");
        };
        for (const File& file : c.files) {
            if (file.kind == Kind::Program) {
                WriteRecordingProgram(programs / file.name, record(file.name));
            } else if (file.kind == Kind::WindowsProgram) {
                // Copied from a Windows disk: no execute bit.
                WriteFile(programs / file.name, std::string("MZ\x90\0\3\0", 7),
                          fs::perms::owner_read | fs::perms::owner_write);
            } else {
                WriteFile(programs / file.name, "text\n", fs::perms::owner_read);
            }
        }
        if (c.wineOnPath) {
            WriteRecordingProgram(bin / "wine", record("wine"));
        }
        std::string error;
        {
            // Only the test's own folder: a Wine installed on this machine must not answer.
            ScopedEnvironment path("PATH", bin.string());
            error = StartProgram(c.file, R"(+connect 127.0.0.1:27960 +password "two words")",
                                 programs.string(), (programs / c.chosen).string());
        }
        EXPECT_EQ(error, c.error);
        if (c.started.empty()) {
            continue;
        }
        const auto seen = WaitForRecord(record(c.started));
        ASSERT_TRUE(seen.has_value()) << "nothing ran";
        ReleaseProgram(record(c.started));
        EXPECT_EQ(seen->workingDirectory, programs.string());
        Args expected = arguments;
        if (c.started == "wine") {
            expected.insert(expected.begin(), (programs / c.files[0].name).string());
        }
        EXPECT_EQ(seen->arguments, expected);
        EXPECT_TRUE(WaitUntilGone(seen->processId));
    }
}

TEST(StartProgramOfAPlayer, GivesWineTheProgramsFullPathFromTheCurrentFolder) {
    TempFolder folder;
    fs::create_directory(folder.path() / "bin");
    WriteRecordingProgram(folder.path() / "bin" / "wine", folder.path() / "wine-record");
    WriteFile(folder.path() / "quake3.exe", "MZ", fs::perms::owner_all);
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    std::string error;
    {
        ScopedEnvironment path("PATH", (folder.path() / "bin").string());
        error = StartProgram("quake3.exe", "+connect", "", "0");
    }
    fs::current_path(previous);
    ASSERT_EQ(error, "");
    const auto seen = WaitForRecord(folder.path() / "wine-record");
    ASSERT_TRUE(seen.has_value());
    ReleaseProgram(folder.path() / "wine-record");
    EXPECT_EQ(seen->arguments, (Args{(folder.path() / "quake3.exe").string(), "+connect"}));
    EXPECT_EQ(seen->workingDirectory, folder.path().string());
}
#endif  // !_WIN32

}  // namespace
}  // namespace kestrune
