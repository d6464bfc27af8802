// Whatever a user types or a file or the network holds reaches the launcher's real entry points
// without harm: typed fields become exactly the arguments the command-line rules give, a flood
// of datagrams during a slow name lookup is taken in calmly, and files of random bytes neither
// break loading nor lose anything on the next save.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "launcher/mods_list.h"
#include "launcher/program_launching.h"
#include "launcher/settings_store.h"
#include "net/udp_endpoint.h"
#include "platform/command_line.h"
#include "platform/host_lookup.h"
#include "platform/profile_file.h"
#include "platform/udp_socket.h"
#include "tests/platform/recording_program.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_view_literals;
using test_support::ReadFile;
using test_support::ReleaseProgram;
using test_support::TempFolder;
using test_support::WaitForRecord;
using test_support::WaitUntilGone;
using test_support::WriteFile;
using test_support::WriteRecordingProgram;
using Arguments = std::vector<std::string>;

std::string RandomBytes(std::mt19937& random, size_t length, std::string_view alphabet = {}) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        c = alphabet.empty() ? static_cast<char>(byte(random))
                             : alphabet[static_cast<size_t>(byte(random)) % alphabet.size()];
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Typed fields reach the started programs as arguments, never through a shell.

class HostileFields : public ::testing::Test {
protected:
    void SetUp() override {
        WriteRecordingProgram(folder_.path() / "quake3.exe", gameRecord_);
        WriteRecordingProgram(folder_.path() / "TeamSpeak.exe", voiceRecord_);
    }
    void TearDown() override {
        ReleaseProgram(gameRecord_);
        ReleaseProgram(voiceRecord_);
        EXPECT_FALSE(fs::exists(folder_.path() / "pwned")) << "a shell read the fields";
    }

    LauncherSettings Settings() const {
        LauncherSettings settings;
        settings.Q3Executable = (folder_.path() / "quake3.exe").string();
        settings.TSExecutable = (folder_.path() / "TeamSpeak.exe").string();
        settings.Q3Game = 1;
        return settings;
    }

    // The arguments the program started by launch saw; the stand-in is then let go and must
    // not linger.
    template <typename Launch>
    Arguments SeenArguments(Launch launch, const fs::path& record) {
        fs::remove(record.string() + ".pid");
        const LaunchResult result = launch();
        EXPECT_EQ(result.substr(0, 200), "");
        if (!result.empty()) {
            return {};
        }
        const auto seen = WaitForRecord(record);
        if (!seen) {
            ADD_FAILURE() << "the program left no record";
            return {};
        }
        ReleaseProgram(record);
        EXPECT_TRUE(WaitUntilGone(seen->processId));
        fs::remove(record.string() + ".release");
        fs::remove(record.string() + ".pid");
        return seen->arguments;
    }

    // Compared without printing: the arguments may be 100,000 characters long.
    void ExpectArguments(const LauncherSettings& settings, const std::string& mod,
                         const Arguments& game, const Arguments& voice) {
        EXPECT_TRUE(SeenArguments([&] { return LaunchGame(settings, mod); }, gameRecord_) == game)
            << "the game saw other arguments";
        EXPECT_TRUE(SeenArguments([&] { return LaunchTeamSpeak(settings); }, voiceRecord_) == voice)
            << "the voice client saw other arguments";
    }

    TempFolder folder_;
    fs::path gameRecord_ = folder_.path() / "game";
    fs::path voiceRecord_ = folder_.path() / "voice";
};

// Each text is the mod's name and the voice password, the last of each program's parameters.
TEST_F(HostileFields, ShellMetacharactersQuotesAndControlCharacters) {
    const std::string p = (folder_.path() / "pwned").string();
    const std::string a = "teamspeak://v:1/nickname=n?loginname=l?password=";
    struct Case {
        std::string text;
        Arguments mod;
        Arguments voice;
    };
    const Case cases[] = {
        {"$(touch " + p + ")", {"$(touch", p + ")"}, {a + "$(touch", p + ")"}},
        {"`touch " + p + "`", {"`touch", p + "`"}, {a + "`touch", p + "`"}},
        {";touch " + p + ";", {";touch", p + ";"}, {a + ";touch", p + ";"}},
        {"|touch " + p + " &", {"|touch", p, "&"}, {a + "|touch", p, "&"}},
        {"&& touch " + p + " || touch " + p,
         {"&&", "touch", p, "||", "touch", p},
         {a + "&&", "touch", p, "||", "touch", p}},
        {"> " + p + " < /etc/passwd 2>&1",
         {">", p, "<", "/etc/passwd", "2>&1"},
         {a + ">", p, "<", "/etc/passwd", "2>&1"}},
        {"${IFS}*?[a-z]~!#%^", {"${IFS}*?[a-z]~!#%^"}, {a + "${IFS}*?[a-z]~!#%^"}},
        {R"("quoted" 'single' "unbalanced)",
         {"quoted", "'single'", "unbalanced"},
         {a + "quoted", "'single'", "unbalanced"}},
        {R"(back\slash\\ \" \\" end\)",
         {R"(back\slash\\)", "\"", R"(\ end\)"},
         {a + R"(back\slash\\)", "\"", R"(\ end\)"}},
        {R"("""" "")", {"\"", ""}, {a + "\"", ""}},
        {"tab\there\vvertical\fform",
         {"tab", "here\vvertical\fform"},
         {a + "tab", "here\vvertical\fform"}},
        {"line\nbreak\rreturn\r\n", {"line\nbreak\rreturn\r\n"}, {a + "line\nbreak\rreturn\r\n"}},
        {"\x01\x02\x1b[31mescape\x7f\x1f",
         {"\x01\x02\x1b[31mescape\x7f\x1f"},
         {a + "\x01\x02\x1b[31mescape\x7f\x1f"}},
        {"\xff\xfe high \x80\xa0 bytes",
         {"\xff\xfe", "high", "\x80\xa0", "bytes"},
         {a + "\xff\xfe", "high", "\x80\xa0", "bytes"}},
        {"%s%n%x %PATH% !var!", {"%s%n%x", "%PATH%", "!var!"}, {a + "%s%n%x", "%PATH%", "!var!"}},
        {" leading and trailing blanks ",
         {"leading", "and", "trailing", "blanks"},
         {a, "leading", "and", "trailing", "blanks"}},
        {"", {}, {a}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text [" + c.text + "]");
        LauncherSettings settings = Settings();
        settings.Q3Server = "s";
        settings.Q3Port = "1";
        settings.Q3Password = "p";
        settings.TSServer = "v";
        settings.TSPort = "1";
        settings.TSNick = "n";
        settings.TSLogin = "l";
        settings.TSPassword = c.text;
        Arguments game{"+connect", "s:1", "+password", "p", "+set", "fs_game"};
        game.insert(game.end(), c.mod.begin(), c.mod.end());
        ExpectArguments(settings, c.text, game, c.voice);
    }
}

TEST_F(HostileFields, RandomBytesInEveryField) {
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> length(0, 40);
    // Mostly the characters the splitting rules care about, plus anything at all.
    const std::string_view tricky = "\"\\ \t\\\"$`;|&<>*'\n\r";
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::string> fields;
        for (int field = 0; field < 9; ++field) {
            std::string text = RandomBytes(random, length(random), round % 2 ? tricky : "");
            std::erase(text, '\0');  // a line edit holds no NUL
            fields.push_back(text);
        }
        LauncherSettings settings = Settings();
        settings.Q3Server = QuotedArgument(fields[0]);
        settings.Q3Port = QuotedArgument(fields[1]);
        settings.Q3Password = QuotedArgument(fields[2]);
        settings.TSServer = QuotedArgument(fields[3]);
        settings.TSPort = QuotedArgument(fields[4]);
        settings.TSNick = QuotedArgument(fields[5]);
        settings.TSLogin = QuotedArgument(fields[6]);
        settings.TSPassword = QuotedArgument(fields[7]);
        ExpectArguments(settings, QuotedArgument(fields[8]),
                        {"+connect", fields[0] + ":" + fields[1], "+password", fields[2], "+set",
                         "fs_game", fields[8]},
                        {"teamspeak://" + fields[3] + ":" + fields[4] + "/nickname=" + fields[5] +
                         "?loginname=" + fields[6] + "?password=" + fields[7]});
    }
}

TEST_F(HostileFields, HundredThousandCharacters) {
    const std::string huge(100'000, 'x');
    LauncherSettings settings = Settings();
    settings.Q3Server = huge;
    settings.Q3Password = huge;
    settings.TSNick = huge;
    ExpectArguments(settings, huge,
                    {"+connect", huge + ":", "+password", huge, "+set", "fs_game", huge},
                    {"teamspeak://:/nickname=" + huge + "?loginname=?password="});
    const std::string as(50'000, 'a');
    const std::string bs(49'998, 'b');
    const std::string blanks = as + " \t" + bs;
    settings.Q3Server = blanks;
    settings.Q3Password = blanks;
    settings.TSNick = blanks;
    ExpectArguments(settings, blanks,
                    {"+connect", as, bs + ":", "+password", as, bs, "+set", "fs_game", as, bs},
                    {"teamspeak://:/nickname=" + as, bs + "?loginname=?password="});

    // One argument longer than the system takes: the start fails and says why, it is never
    // reported as started.
    settings = Settings();
    settings.Q3Server = huge;
    settings.Q3Port = huge;
    EXPECT_NE(LaunchGame(settings, "osp"), "");
    settings.TSServer = huge;
    settings.TSPort = huge;
    EXPECT_NE(LaunchTeamSpeak(settings), "");
}

TEST_F(HostileFields, ANulByteEndsTheParameters) {
    LauncherSettings settings = Settings();
    settings.Q3Server = std::string("server\0; touch ", 15) + (folder_.path() / "pwned").string();
    settings.Q3Password = "unseen";
    EXPECT_EQ(SeenArguments([&] { return LaunchGame(settings, "osp"); }, gameRecord_),
              (Arguments{"+connect", "server"}));
}

// ---------------------------------------------------------------------------------------------
// A flood of datagrams while a send waits for a slow name lookup.

const IpAddress kLoopback = IpAddress::V4(0x0100007Fu);  // 127.0.0.1

TEST(HostileNetwork, DatagramFloodDuringASlowLookup) {
    TUDPEndpoint endpoint;
    endpoint.SetLocalPort(0);
    ASSERT_NE(endpoint.BoundPort(), 0);

    int error = 0;
    UdpSocket peer = UdpSocket::Make(error);
    ASSERT_EQ(peer.Bind(kLoopback, 0), 0);

    std::atomic<int> received{0};
    std::atomic<bool> sending{true};
    bool badReport = false;
    endpoint.SetOnDataReceived([&](TUDPEndpoint& sender, std::int32_t numberBytes,
                                   const std::string& fromIP, std::int32_t) {
        std::array<char, TUDPEndpoint::kReceiveBufferSize> buffer;
        std::int32_t length = -1;
        sender.ReadBuffer(buffer, length);
        if (numberBytes < 0 || numberBytes > static_cast<std::int32_t>(buffer.size()) ||
            length != numberBytes || fromIP != "127.0.0.1") {
            badReport = true;
        }
        ++received;
    });

    // The lookup answers only once the flood has been felt (or after a while).
    endpoint.SetHostLookup([&](const std::string&) {
        for (int i = 0; i < 300 && received < 200; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return HostLookupResult{0, {kLoopback}};
    });

    const std::uint16_t target = endpoint.BoundPort();
    std::thread flood([&] {
        int error = 0;
        UdpSocket sender = UdpSocket::Make(error);
        std::mt19937 random(3);
        std::uniform_int_distribution<size_t> size(0, 3000);
        for (int i = 0; i < 50'000 && sending; ++i) {
            (void)sender.SendTo(RandomBytes(random, size(random)), kLoopback, target);
            if (i % 64 == 63) {
                std::this_thread::sleep_for(1ms);  // leave the receiver a chance
            }
        }
    });

    endpoint.SetRemoteHost("slow.invalid");
    endpoint.SetRemotePort(peer.LocalPort());
    const std::string query = "\xff\xff\xff\xffgetstatus\n";
    endpoint.SendBuffer(query, static_cast<std::int32_t>(query.size()));
    const int duringWait = received;
    sending = false;
    flood.join();

    EXPECT_GE(duringWait, 1) << "datagrams were not taken in while the send waited";
    EXPECT_FALSE(badReport);
    // The query left whole, once the name was known.
    std::array<char, 64> answer{};
    UdpReceiveResult got;
    QDeadlineTimer deadline(2000);
    while ((got = peer.ReceiveFrom(answer)).count < 0 && !deadline.hasExpired()) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(got.count, static_cast<std::ptrdiff_t>(query.size()));
    EXPECT_EQ(std::string(answer.data(), query.size()), query);
}

// ---------------------------------------------------------------------------------------------
// Files of random bytes: loading never fails on them, and a save keeps what it does not write.

// Trailing break dropped, as the profile lines are compared.
std::string_view LineText(std::string_view line) {
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
    }
    return line;
}

std::vector<std::string_view> LinesOf(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const size_t lf = content.find('\n');
        const size_t length = lf == std::string_view::npos ? content.size() : lf + 1;
        lines.push_back(content.substr(0, length));
        content.remove_prefix(length);
    }
    return lines;
}

bool IsKeyLineOf(std::string_view line, std::string_view key) {
    std::string_view name = LineText(line).substr(0, LineText(line).find('='));
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) {
        name.remove_prefix(1);
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.remove_suffix(1);
    }
    return name.size() == key.size() &&
           std::equal(name.begin(), name.end(), key.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The new content is the old one with some of the saved keys' lines replaced and new section
// headers and key lines put in; every other old line is still there, byte for byte, in order.
void ExpectOnlySavedLinesChanged(std::string_view before, std::string_view after,
                                 const std::vector<std::pair<std::string, std::string>>& saved) {
    auto savedLine = [&](std::string_view line) {
        const std::string_view text = LineText(line);
        if (text == "[Main]" || text == "[TeamSpeak]" || text == "[Quake3]") {
            return true;
        }
        for (const auto& [key, value] : saved) {
            if (text == key + "=" + value) {
                return true;
            }
        }
        return false;
    };
    auto savedKey = [&](std::string_view line) {
        for (const auto& [key, value] : saved) {
            if (IsKeyLineOf(line, key)) {
                return true;
            }
        }
        return false;
    };
    const std::vector<std::string_view> old = LinesOf(before);
    const std::vector<std::string_view> now = LinesOf(after);
    size_t i = 0;
    size_t j = 0;
    while (i < old.size() && j < now.size()) {
        if (old[i] == now[j]) {
            ++i, ++j;
        } else if (savedLine(now[j]) && savedKey(old[i]) && LineText(old[i]) != LineText(now[j])) {
            ++i, ++j;  // a saved key's value replaced
        } else if (!old[i].ends_with('\n') && i + 1 == old.size() && now[j].starts_with(old[i])) {
            ++i, ++j;  // the last line got its break
        } else if (savedLine(now[j])) {
            ++j;  // a key or section put in
        } else {
            ADD_FAILURE() << "old line " << i << " changed";
            return;
        }
    }
    EXPECT_EQ(i, old.size()) << "old lines lost";
    for (; j < now.size(); ++j) {
        EXPECT_TRUE(savedLine(now[j])) << "unexpected new line " << j;
    }
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(folder_.path());
        settingsPath_ = (folder_.path() / "kestrune.ini").string();
    }
    void TearDown() override { fs::current_path(previous_); }

    TempFolder folder_;
    fs::path previous_;
    std::string settingsPath_;
};

TEST_F(HostileFiles, RandomBytesLoadAndSaveWithoutLoss) {
    std::mt19937 random(11);
    std::uniform_int_distribution<size_t> length(0, 20000);
    // Bytes that matter to the formats, so that the noise has lines, sections and keys.
    const std::string_view structured = "[]=;\r\n\r\n \t\"'\0MainQuake3Q3ServerModsAutosave"sv;

    LauncherSettings saved;
    saved.Q3Server = "127.0.0.1";
    saved.Q3Port = "27960";
    saved.TSNick = "nick";
    saved.Mods = 3;
    const std::vector<std::pair<std::string, std::string>> savedLines = {
        {"Autosave", "1"},   {"ExitOnLaunch", "0"}, {"Mods", "3"},        {"TSExecutable", ""},
        {"TSServer", ""},    {"TSPort", ""},        {"TSNick", "nick"},   {"TSLogin", ""},
        {"TSPassword", ""},  {"Autojoin", "1"},     {"Q3Executable", ""}, {"Q3Server", "127.0.0.1"},
        {"Q3Port", "27960"}, {"Q3Password", ""},    {"Q3Game", "1"},
    };

    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string_view alphabet = round % 2 ? structured : std::string_view();
        const std::string settingsBytes = RandomBytes(random, length(random), alphabet);
        const std::string modsBytes = RandomBytes(random, length(random), alphabet);
        WriteFile(settingsPath_, settingsBytes, fs::perms::owner_read | fs::perms::owner_write);
        WriteFile(kModsListFileName, modsBytes, fs::perms::owner_read | fs::perms::owner_write);

        LauncherSettings loaded;
        ModsList mods;
        ASSERT_NO_THROW(LoadSettings(loaded, mods, settingsPath_));
        EXPECT_EQ(mods, ParseModsList(modsBytes));

        ASSERT_NO_THROW(SaveSettings(saved, mods, settingsPath_));
        ExpectOnlySavedLinesChanged(settingsBytes, ReadFile(settingsPath_), savedLines);
        LauncherSettings again;
        ModsList modsAgain;
        LoadSettings(again, modsAgain, settingsPath_);
        EXPECT_EQ(again, saved);
        EXPECT_EQ(modsAgain, mods);
    }
}

// Runs step in a child process that is stopped after ten seconds, and gives what it returned,
// or "hung" when it did not end in time. The child shares nothing with us but the folder.
template <typename Step>
std::string OutcomeWithin10Seconds(Step step) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        ::alarm(10);
        const std::string outcome = step();
        [[maybe_unused]] ssize_t ignored = ::write(ends[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string outcome;
    char buffer[512];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        outcome.append(buffer, static_cast<size_t>(got));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? outcome : "hung";
}

template <typename Action>
std::string MessageOf(Action action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.message();
    }
    return "done";
}

TEST_F(HostileFiles, PipesAndDevicesInsteadOfFilesNeverBlock) {
    LauncherSettings stored;
    stored.Q3Server = "127.0.0.1";
    SaveSettings(stored, {"osp"}, settingsPath_);

    // A named pipe with no writer and endless devices in place of the list.
    for (const char* kind : {"fifo", "/dev/zero", "/dev/urandom"}) {
        SCOPED_TRACE(kind);
        fs::remove(kModsListFileName);
        if (std::string(kind) == "fifo") {
            ASSERT_EQ(::mkfifo(kModsListFileName, 0600), 0);
        } else {
            fs::create_symlink(kind, kModsListFileName);
        }
        EXPECT_EQ(OutcomeWithin10Seconds([&] {
                      LauncherSettings settings;
                      ModsList mods = {"kept"};
                      const std::string message =
                          MessageOf([&] { LoadSettings(settings, mods, settingsPath_); });
                      return message + (settings == stored && mods == ModsList{"kept"}
                                            ? ", settings read"
                                            : ", settings lost");
                  }),
                  "Cannot open file mods.kst, settings read");
        EXPECT_EQ(OutcomeWithin10Seconds(
                      [&] { return MessageOf([&] { SaveSettings(stored, {}, settingsPath_); }); }),
                  "Cannot create file mods.kst");
    }
    fs::remove(kModsListFileName);

    // The same in place of the settings file: the defaults, and a save that refuses.
    for (const char* kind : {"fifo", "/dev/zero"}) {
        SCOPED_TRACE(kind);
        fs::remove(settingsPath_);
        if (std::string(kind) == "fifo") {
            ASSERT_EQ(::mkfifo(settingsPath_.c_str(), 0600), 0);
        } else {
            fs::create_symlink(kind, settingsPath_);
        }
        EXPECT_EQ(OutcomeWithin10Seconds([&] {
                      LauncherSettings settings = stored;
                      ModsList mods;
                      const std::string message =
                          MessageOf([&] { LoadSettings(settings, mods, settingsPath_); });
                      return message + (settings == LauncherSettings{} ? ", defaults" : ", other");
                  }),
                  "done, defaults");
        EXPECT_EQ(OutcomeWithin10Seconds(
                      [&] { return MessageOf([&] { SaveSettings(stored, {}, settingsPath_); }); }),
                  "Unable to write to " + settingsPath_);
        EXPECT_FALSE(fs::is_regular_file(settingsPath_));
    }
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
