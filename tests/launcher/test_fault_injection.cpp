// Saving the settings when things go wrong underneath: the saving process killed at any moment,
// and writes that the system refuses part way. Either way both files stay whole: the old
// content or the new, never a mix or a torn file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "launcher/mods_list.h"
#include "launcher/settings_store.h"
#include "tests/platform/recording_program.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

// Each save writes one "generation": every value and every mod carries its number, written
// with a fixed width so that all generations give files of the same shape.
std::string Tag(long generation) {
    char text[16];
    std::snprintf(text, sizeof text, "%08ld", generation);
    return text;
}

LauncherSettings SettingsFor(long generation) {
    const std::string tag = Tag(generation);
    LauncherSettings s;
    s.Autosave = generation % 2 == 0;
    s.Mods = static_cast<int>(generation % 7);
    s.TSServer = "voice-" + tag + ".invalid";
    s.TSPort = tag;
    s.TSNick = "nick " + tag;
    s.TSPassword = std::string(2000, 'p') + tag;  // near the longest value that reads back
    s.Q3Server = "127.0.0.1";
    s.Q3Port = tag;
    s.Q3Password = tag + std::string(2000, 'q');
    s.Q3Game = static_cast<int>(generation % 2);
    return s;
}

ModsList ModsFor(long generation) {
    ModsList mods;
    for (int i = 0; i < 1500; ++i) {
        mods.push_back("mod-" + Tag(generation) + "-" + std::to_string(i));
    }
    return mods;
}

// Kept by every save: the file begins with it and it is never rewritten.
const std::string kForeignContent =
    "; written by hand\r\n"
    "[Other]\r\n"
    "Key = kept \r\n"
    "[Quake3]\r\n"
    "Extra=also kept\r\n";

// The settings folder, which is also the current directory (where "mods.kst" lives) of the
// processes that save.
class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(folder_.path());
        settingsPath_ = (folder_.path() / "kestrune.ini").string();
        modsPath_ = (folder_.path() / kModsListFileName).string();
        WriteFile(settingsPath_, kForeignContent, fs::perms::owner_read | fs::perms::owner_write);
    }
    void TearDown() override { fs::current_path(previous_); }

    // Runs body in a child process. The child ends when
    // body returns (status 0) or throws (status 1); it never runs the parent's exit handlers.
    template <typename Body>
    pid_t StartChild(Body body) {
        const pid_t child = ::fork();
        if (child == 0) {
            int status = 0;
            try {
                body();
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        return child;
    }

    // The generation whose complete files these are, or nothing when they are not one.
    std::optional<long> SettingsGeneration() const {
        LauncherSettings loaded;
        ModsList ignored;
        LoadSettings(loaded, ignored, settingsPath_);
        const std::optional<long> generation = GenerationOf(loaded.Q3Port);
        if (!generation || loaded != SettingsFor(*generation) ||
            !ReadFile(settingsPath_).starts_with(kForeignContent)) {
            return std::nullopt;
        }
        return generation;
    }
    std::optional<long> ModsGeneration() const {
        const std::string bytes = ReadFile(modsPath_);
        const ModsList mods = ParseModsList(bytes);
        if (mods.empty()) {
            return std::nullopt;
        }
        const std::optional<long> generation = GenerationOf(mods.front().substr(4, 8));
        if (!generation || bytes != FormatModsList(ModsFor(*generation))) {
            return std::nullopt;
        }
        return generation;
    }

    static std::optional<long> GenerationOf(const std::string& tag) {
        if (tag.size() != 8 || tag.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        return std::stol(tag);
    }

    TempFolder folder_;
    fs::path previous_;
    std::string settingsPath_;
    std::string modsPath_;
};

TEST_F(FaultInjection, KilledSavesLeaveWholeFiles) {
    constexpr long kRoundStride = 100000;  // each round saves generations from round * stride
    SaveSettings(SettingsFor(0), ModsFor(0), settingsPath_);
    ASSERT_EQ(SettingsGeneration(), 0);
    ASSERT_EQ(ModsGeneration(), 0);

    // The kills land anywhere from before the first save to a few saves in, however fast this
    // build and machine are: the delays scale with the time of a child that saves once.
    const auto started = std::chrono::steady_clock::now();
    const pid_t timed =
        StartChild([&] { SaveSettings(SettingsFor(kRoundStride - 1), ModsFor(0), settingsPath_); });
    ASSERT_GT(timed, 0);
    ASSERT_EQ(::waitpid(timed, nullptr, 0), timed);
    const auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    SaveSettings(SettingsFor(0), ModsFor(0), settingsPath_);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> delayMicroseconds(0, 3 * oneSave.count());
    long lastSettings = 0;
    long lastMods = 0;
    for (int round = 1; round <= 200; ++round) {
        const long first = round * kRoundStride;
        const pid_t child = StartChild([&] {
            // Bounded, in case the kill never comes.
            for (long generation = first; generation < first + 1000; ++generation) {
                SaveSettings(SettingsFor(generation), ModsFor(generation), settingsPath_);
            }
        });
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::optional<long> settings = SettingsGeneration();
        const std::optional<long> mods = ModsGeneration();
        ASSERT_TRUE(settings) << "torn settings file after round " << round;
        ASSERT_TRUE(mods) << "torn mods list after round " << round;
        // Never older than before. The list is written first, so it belongs to the settings'
        // generation or to the one after it: the next of the same round, or the first of a
        // round killed before it wrote its settings.
        EXPECT_GE(*settings, lastSettings);
        EXPECT_GE(*mods, lastMods);
        EXPECT_TRUE(*mods == *settings || *mods == *settings + 1 ||
                    (*mods > *settings && *mods % kRoundStride == 0))
            << "mods " << *mods << ", settings " << *settings;
        lastSettings = *settings;
        lastMods = *mods;
    }
    // Some saves completed between the kills (else nothing was tested but the start).
    EXPECT_GT(lastMods, 0);
    // A save killed while writing leaves nothing behind; only a kill in the instant between
    // naming the finished file and renaming it can leave one.
    const auto leftovers = std::distance(fs::directory_iterator(folder_.path()), {}) - 2;
    EXPECT_LE(leftovers, 10) << "temporary files left by 200 killed saves";
}

// A pipe for the child's messages to the parent.
class MessagePipe {
public:
    MessagePipe() { EXPECT_EQ(::pipe(ends_), 0); }
    ~MessagePipe() {
        ::close(ends_[0]);
        ::close(ends_[1]);
    }
    void Send(const std::string& text) const {
        const std::string line = text + "\n";
        [[maybe_unused]] ssize_t ignored = ::write(ends_[1], line.data(), line.size());
    }
    // Everything sent, once the writing end is closed here and the child is gone.
    std::string ReceiveAll() {
        ::close(ends_[1]);
        ends_[1] = -1;
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(ends_[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(got));
        }
        return text;
    }

private:
    int ends_[2] = {-1, -1};
};

template <typename Error, typename Action>
std::string MessageOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.message();
    } catch (const std::exception& error) {
        return std::string("other error: ") + error.what();
    }
    return "(nothing raised)";
}

TEST_F(FaultInjection, RefusedWritesKeepTheOldFilesAndSaySo) {
    SaveSettings(SettingsFor(0), ModsFor(0), settingsPath_);
    const std::string settingsBefore = ReadFile(settingsPath_);
    const std::string modsBefore = ReadFile(modsPath_);
    const size_t modsSize = FormatModsList(ModsFor(1)).size();
    // Larger than any limit below.
    LauncherSettings bigger = SettingsFor(1);
    bigger.Q3Password = std::string(modsSize, 'b');

    // File size limits that stop the writes at different points: at once, part way, at a
    // block boundary, one byte short.
    for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{4095}, rlim_t{4096}, rlim_t{modsSize / 2},
                         rlim_t{modsSize - 1}}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        MessagePipe messages;
        const std::string settingsPath = settingsPath_;
        const pid_t child = StartChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit rl{};
            ::getrlimit(RLIMIT_FSIZE, &rl);
            rl.rlim_cur = limit;
            if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) {
                messages.Send("setrlimit failed");
                return;
            }
            // A list too long for the limit: nothing is written past it.
            messages.Send(MessageOf<StreamWriteError>(
                [&] { SaveSettings(SettingsFor(1), ModsFor(1), settingsPath); }));
            messages.Send(MessageOf<StreamWriteError>([&] { SaveModsList(ModsFor(1)); }));
            // An empty list always fits; the settings file does not.
            messages.Send(
                MessageOf<ProfileWriteError>([&] { SaveSettings(bigger, {}, settingsPath); }));
        });
        ASSERT_GT(child, 0);
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

        EXPECT_EQ(messages.ReceiveAll(),
                  "Stream write error\n"
                  "Stream write error\n"
                  "Unable to write to " +
                      settingsPath_ + "\n");
        EXPECT_EQ(ReadFile(settingsPath_), settingsBefore);
        // The last save replaced the list by an empty one before the settings failed.
        EXPECT_EQ(ReadFile(modsPath_), "");
        // No temporary file is left behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), {}), 2);
        WriteFile(modsPath_, modsBefore, fs::perms::owner_read | fs::perms::owner_write);
    }
}

}  // namespace
}  // namespace kestrune
