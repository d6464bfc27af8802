#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "launcher/program_launching.h"
#ifndef _WIN32
#include "platform/program_start.h"
#include "tests/platform/recording_program.h"
#include "tests/support/environment.h"
#endif

namespace kestrune {
namespace {

#ifndef _WIN32
using test_support::ProgramRecord;
using test_support::ReleaseProgram;
using test_support::ScopedEnvironment;
using test_support::TempFolder;
using test_support::WaitForRecord;
using test_support::WaitUntilGone;
using test_support::WriteFile;
using test_support::WriteRecordingProgram;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;
#endif

LauncherSettings GameSettings() {
    LauncherSettings settings;
    settings.Q3Server = "q3.example.invalid";
    settings.Q3Port = "27960";
    settings.Q3Password = "secret";
    settings.Q3Game = 1;
    return settings;
}

LauncherSettings VoiceSettings() {
    LauncherSettings settings;
    settings.TSServer = "voice.example.invalid";
    settings.TSPort = "8767";
    settings.TSNick = "Grunt";
    settings.TSLogin = "login";
    settings.TSPassword = "pw";
    return settings;
}

TEST(GameParameters, IsBuiltByteForByte) {
    struct Case {
        LauncherSettings settings;
        std::string mod;
        std::string expected;
    };
    LauncherSettings plain = GameSettings();
    plain.Q3Game = 0;
    LauncherSettings noGameType = GameSettings();
    noGameType.Q3Game = -1;
    LauncherSettings empty;
    empty.Q3Game = 0;
    LauncherSettings lettersInPort = GameSettings();
    lettersInPort.Q3Port = "abc";
    const Case cases[] = {
        {GameSettings(), "osp",
         "+connect q3.example.invalid:27960 +password secret +set fs_game osp"},
        {GameSettings(), "Mods",
         "+connect q3.example.invalid:27960 +password secret +set fs_game Mods"},
        {GameSettings(), "", "+connect q3.example.invalid:27960 +password secret +set fs_game "},
        {plain, "osp", "+connect q3.example.invalid:27960 +password secret"},
        {noGameType, "osp", "+connect q3.example.invalid:27960 +password secret"},
        {empty, "osp", "+connect : +password "},
        {lettersInPort, "cpma",
         "+connect q3.example.invalid:abc +password secret +set fs_game cpma"},
    };
    // Every form of the server field: IPv6 in brackets, a port typed after the host winning
    // over the port field, a name as typed.
    const std::pair<std::string, std::string> servers[] = {
        {"2001:db8::1", "+connect [2001:db8::1]:27960"},
        {"[2001:db8::1]", "+connect [2001:db8::1]:27960"},
        {"[::1]:27961", "+connect [::1]:27961"},
        {"::ffff:10.0.0.10", "+connect [::ffff:10.0.0.10]:27960"},
        {"fe80::1%eth0", "+connect [fe80::1%eth0]:27960"},
        {"10.0.0.10:27961", "+connect 10.0.0.10:27961"},
        {"Q3.Example.Invalid:27961", "+connect Q3.Example.Invalid:27961"},
        {"host:port", "+connect host:port:27960"},
    };
    for (const auto& [server, expected] : servers) {
        LauncherSettings settings = plain;
        settings.Q3Server = server;
        EXPECT_EQ(GameParameters(settings, ""), expected + " +password secret") << server;
    }
    for (const Case& c : cases) {
        EXPECT_EQ(GameParameters(c.settings, c.mod), c.expected);
    }
}

TEST(TeamSpeakAddress, IsBuiltByteForByteWithNothingEscaped) {
    EXPECT_EQ(TeamSpeakAddress(VoiceSettings()),
              "teamspeak://voice.example.invalid:8767/nickname=Grunt?loginname=login?password=pw");
    EXPECT_EQ(TeamSpeakAddress(LauncherSettings{}), "teamspeak://:/nickname=?loginname=?password=");
    LauncherSettings odd = VoiceSettings();
    odd.TSPort = "x1";
    odd.TSNick = "a?b/c=d%20&";
    odd.TSPassword = "p w";
    EXPECT_EQ(
        TeamSpeakAddress(odd),
        "teamspeak://voice.example.invalid:x1/nickname=a?b/c=d%20&?loginname=login?password=p w");
}

TEST(VoiceClientNamed, FollowsTheFileNameWithCaseAndExeIgnored) {
    const std::pair<std::string, VoiceClient> cases[] = {
        {"MUMBLE.EXE", VoiceClient::Mumble},
        {"mumble.exe.exe", VoiceClient::TeamSpeak2},
        {"TS3Client_win64.exe", VoiceClient::TeamSpeak3},
        {"0", VoiceClient::TeamSpeak2},
#ifdef _WIN32
        {"C:\\Program Files\\Mumble\\mumble.exe", VoiceClient::Mumble},
        {"D:ts3client_win32.exe", VoiceClient::TeamSpeak3},
        {"C:\\ts3client\\TeamSpeak.exe", VoiceClient::TeamSpeak2},  // only the file name counts
#else
        {"/usr/bin/mumble", VoiceClient::Mumble},
        {"/opt/ts3/ts3client_linux_amd64", VoiceClient::TeamSpeak3},
        {"/opt/ts3client/TeamSpeak", VoiceClient::TeamSpeak2},  // only the file name counts
#endif
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(VoiceClientNamed(path), expected) << "path: " << path;
    }
}

// Each password is tried in both addresses; the nick is encoded by the same rule.
TEST(VoiceAddresses, PercentEncodeTheNickAndPasswordAsUtf8) {
    struct Case {
        std::string password;
        std::string encoded;
    };
    const Case cases[] = {
        {"p@ss:w/rd?#&%", "p%40ss%3Aw%2Frd%3F%23%26%25"},
        {"two words\ttab\x7F\x01", "two%20words%09tab%7F%01"},
        {"\"q\"+\\<>[]{}|^`", "%22q%22%2B%5C%3C%3E%5B%5D%7B%7D%7C%5E%60"},
        {"keep-._~!$'()*,;=", "keep-._~!$'()*,;="},
        {"s\xE9"
         "cret\x80\x9F\xFF",
         "s%C3%A9cret%E2%82%AC%C5%B8%C3%BF"},  // Windows-1252
        {"s\xC3\xA9"
         "cret",
         "s%C3%A9cret"},  // UTF-8
    };
    LauncherSettings settings = VoiceSettings();
    settings.TSNick = "Gr\xFCnt [1]";
    for (const Case& c : cases) {
        settings.TSPassword = c.password;
        EXPECT_EQ(MumbleAddress(settings), "mumble://Gr%C3%BCnt%20%5B1%5D:" + c.encoded +
                                               "@voice.example.invalid:8767/?version=1.2.0");
        EXPECT_EQ(TeamSpeak3Address(settings),
                  "ts3server://voice.example.invalid?port=8767&nickname=Gr%C3%BCnt%20%5B1%5D"
                  "&password=" +
                      c.encoded);
    }
}

TEST(VoiceAddresses, LeaveOutWhatIsEmptyAndTakeServerAndPortAsTheyAre) {
    struct Case {
        std::string server, port, nick, password;
        std::string mumble, teamSpeak3;
    };
    const Case cases[] = {
        {"10.0.0.1", "", "", "", "mumble://10.0.0.1/?version=1.2.0", "ts3server://10.0.0.1"},
        {"h", "", "n", "", "mumble://n@h/?version=1.2.0", "ts3server://h?nickname=n"},
        {"h", "", "", "p", "mumble://:p@h/?version=1.2.0", "ts3server://h?password=p"},
        {"a b", "x&y", "n", "p", "mumble://n:p@a b:x&y/?version=1.2.0",
         "ts3server://a b?port=x&y&nickname=n&password=p"},
        {"2001:db8::10", "64738", "n", "", "mumble://n@[2001:db8::10]:64738/?version=1.2.0",
         "ts3server://[2001:db8::10]?port=64738&nickname=n"},
        {"[::1]:9987", "1", "", "", "mumble://[::1]:9987/?version=1.2.0",
         "ts3server://[::1]?port=9987"},
        {"voice.test:9988", "", "", "", "mumble://voice.test:9988/?version=1.2.0",
         "ts3server://voice.test?port=9988"},
    };
    for (const Case& c : cases) {
        LauncherSettings settings;
        settings.TSServer = c.server;
        settings.TSPort = c.port;
        settings.TSNick = c.nick;
        settings.TSLogin = "never used";
        settings.TSPassword = c.password;
        EXPECT_EQ(MumbleAddress(settings), c.mumble);
        EXPECT_EQ(TeamSpeak3Address(settings), c.teamSpeak3);
    }
}

TEST(DirectoryPart, KeepsTheFolderWithoutItsFinalSeparator) {
    const std::pair<std::string, std::string> cases[] = {
#ifdef _WIN32
        {"C:\\Games\\Quake III Arena\\quake3.exe", "C:\\Games\\Quake III Arena"},
        {"C:\\quake3.exe", "C:\\"},
        {"C:quake3.exe", "C:"},
        {"\\quake3.exe", "\\"},
        {"\\\\server\\games\\quake3.exe", "\\\\server\\games"},
        {"C:\\games\\\\quake3.exe", "C:\\games\\\\"},
        {"games\\quake3.exe", "games"},
        {"C:/games/quake3.exe", "C:"},  // only "\\" and ":" separate
        {"quake3.exe", ""},
        {"0", ""},
        {"", ""},
#else
        {"/games/q3/quake3.exe", "/games/q3"},
        {"/quake3.exe", "/"},
        {"quake3.exe", ""},
        {"0", ""},
        {"", ""},
        {"/", "/"},
        {"games/quake3.exe", "games"},
        {"/games/q3/", "/games/q3"},
        {"/games//quake3.exe", "/games//"},
        {"//quake3.exe", "//"},
        {"/my games/q3 (old)/quake3.exe", "/my games/q3 (old)"},
#endif
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(DirectoryPart(path), expected) << "path: " << path;
    }
}

TEST(LaunchGame, HandsFileParametersAndFolderToTheRunner) {
    LauncherSettings settings = GameSettings();
#ifdef _WIN32
    settings.Q3Executable = "C:\\games\\q3\\ioquake3.x86_64";
    const std::string gameFolder = "C:\\games\\q3";
#else
    settings.Q3Executable = "/games/q3/ioquake3.x86_64";
    const std::string gameFolder = "/games/q3";
#endif
    std::vector<std::string> calls;
    const auto recorder = [&](std::string_view file, std::string_view parameters,
                              std::string_view directory, std::string_view chosen) {
        calls.push_back(std::string(file) + "|" + std::string(parameters) + "|" +
                        std::string(directory) + "|" + std::string(chosen));
        return LaunchResult("refused");
    };
    EXPECT_EQ(LaunchGame(settings, "osp", recorder), "refused");
    settings.TSExecutable = "0";
    EXPECT_EQ(LaunchTeamSpeak(settings, recorder), "refused");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0],
              "quake3.exe|+connect q3.example.invalid:27960 +password secret +set fs_game osp|" +
                  gameFolder + "|" + settings.Q3Executable);
    EXPECT_EQ(calls[1], "TeamSpeak.exe|teamspeak://:/nickname=?loginname=?password=||0");

    // TeamSpeak 2 cannot join an IPv6 server: it is not started, and says so.
    for (const char* server : {"::1", "[2001:db8::1]:8767"}) {
        settings.TSServer = server;
        EXPECT_EQ(LaunchTeamSpeak(settings, recorder), "TeamSpeak 2 cannot join an IPv6 server");
    }
    EXPECT_EQ(calls.size(), 2u);
    settings.TSServer = "10.0.0.10:8768";
    LaunchTeamSpeak(settings, recorder);
    EXPECT_EQ(calls.back(),
              "TeamSpeak.exe|teamspeak://10.0.0.10:8768/nickname=?loginname=?password=||0");
}

// Real starts of stand-in programs named like the real ones (Windows: test_win32_programs.cpp).
#ifndef _WIN32
class LaunchingTest : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseProgram(gameRecord_);
        ReleaseProgram(voiceRecord_);
    }

    void InstallGame() { WriteRecordingProgram(folder_.path() / "quake3.exe", gameRecord_); }
    void InstallVoiceClient() {
        WriteRecordingProgram(folder_.path() / "TeamSpeak.exe", voiceRecord_);
    }

    // The arguments the started program saw, after checking it ran in the folder and is
    // reaped once it ends.
    Args SeenArguments(const LaunchResult& result, const fs::path& record) {
        EXPECT_EQ(result, "");
        const auto seen = WaitForRecord(record);
        if (!seen) {
            ADD_FAILURE() << "the program left no record";
            return {};
        }
        EXPECT_EQ(seen->workingDirectory, folder_.path().string());
        ReleaseProgram(record);
        EXPECT_TRUE(WaitUntilGone(seen->processId)) << "left a zombie";
        return seen->arguments;
    }

    TempFolder folder_;
    fs::path gameRecord_ = folder_.path() / "game";
    fs::path voiceRecord_ = folder_.path() / "voice";
};

TEST_F(LaunchingTest, GameGetsItsCommandLineAsArguments) {
    InstallGame();
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = (folder_.path() / "quake3.exe").string();
    EXPECT_EQ(SeenArguments(LaunchGame(settings, "osp"), gameRecord_),
              (Args{"+connect", "q3.example.invalid:27960", "+password", "secret", "+set",
                    "fs_game", "osp"}));
}

TEST_F(LaunchingTest, NothingTypedIsReadByAShell) {
    InstallGame();
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = (folder_.path() / "quake3.exe").string();
    settings.Q3Server = "$(touch pwned)`touch pwned`;touch${IFS}pwned|&>pwned<*";
    settings.Q3Port = "27960;touch pwned";
    // Quotes and backslashes follow the rules of a Windows command line.
    settings.Q3Password = R"(a"b c"d\"e)";
    EXPECT_EQ(SeenArguments(LaunchGame(settings, "'mod' \"two words\""), gameRecord_),
              (Args{"+connect", "$(touch", "pwned)`touch",
                    "pwned`;touch${IFS}pwned|&>pwned<*:27960;touch", "pwned", "+password",
                    R"(ab cd"e)", "+set", "fs_game", "'mod'", "two words"}));
    EXPECT_FALSE(fs::exists(folder_.path() / "pwned"));
}

TEST_F(LaunchingTest, LongFieldsArriveWhole) {
    InstallGame();
    InstallVoiceClient();
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = (folder_.path() / "quake3.exe").string();
    settings.TSExecutable = settings.Q3Executable;
    settings.Q3Server = std::string(100'000, 's');
    settings.TSPassword = std::string(100'000, 'p');
    const Args game = SeenArguments(LaunchGame(settings, "osp"), gameRecord_);
    ASSERT_EQ(game.size(), 7u);
    EXPECT_EQ(game[1], std::string(100'000, 's') + ":27960");
    const Args voice = SeenArguments(LaunchTeamSpeak(settings), voiceRecord_);
    ASSERT_EQ(voice.size(), 1u);
    EXPECT_EQ(voice[0], TeamSpeakAddress(settings));
}

TEST_F(LaunchingTest, VoiceClientGetsItsAddress) {
    InstallVoiceClient();
    LauncherSettings settings = VoiceSettings();
    settings.TSExecutable = (folder_.path() / "TeamSpeak.exe").string();
    EXPECT_EQ(
        SeenArguments(LaunchTeamSpeak(settings), voiceRecord_),
        Args{"teamspeak://voice.example.invalid:8767/nickname=Grunt?loginname=login?password=pw"});
}

TEST_F(LaunchingTest, VoiceAddressWithBlanksIsSplitAsItWouldBeOnWindows) {
    InstallVoiceClient();
    LauncherSettings settings = VoiceSettings();
    settings.TSExecutable = (folder_.path() / "TeamSpeak.exe").string();
    settings.TSNick = "Big Grunt";
    EXPECT_EQ(SeenArguments(LaunchTeamSpeak(settings), voiceRecord_),
              (Args{"teamspeak://voice.example.invalid:8767/nickname=Big",
                    "Grunt?loginname=login?password=pw"}));
}

TEST_F(LaunchingTest, WithoutAConfiguredPathTheCurrentFolderIsUsed) {
    InstallGame();
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = "0";
    const fs::path previous = fs::current_path();
    fs::current_path(folder_.path());
    const LaunchResult result = LaunchGame(settings, "osp");
    fs::current_path(previous);
    EXPECT_EQ(SeenArguments(result, gameRecord_).size(), 7u);
}

TEST_F(LaunchingTest, FailedStartsGiveTheSystemsMessage) {
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = (folder_.path() / "quake3.exe").string();
    settings.TSExecutable = (folder_.path() / "TeamSpeak.exe").string();
    EXPECT_EQ(LaunchGame(settings, "osp"), "No such file or directory");
    EXPECT_EQ(LaunchTeamSpeak(settings), "No such file or directory");

    WriteFile(folder_.path() / "quake3.exe", "#!/bin/sh\n", fs::perms::owner_read);
    EXPECT_EQ(LaunchGame(settings, "osp"), "Permission denied");
    WriteFile(folder_.path() / "TeamSpeak.exe",
              "\x7f"
              "ELF",
              fs::perms::owner_all);
    EXPECT_EQ(LaunchTeamSpeak(settings), "Exec format error");

    settings.Q3Executable = (folder_.path() / "missing-folder" / "quake3.exe").string();
    EXPECT_EQ(LaunchGame(settings, "osp"), "No such file or directory");
}

TEST_F(LaunchingTest, NativeProgramsUnderTheirOwnNames) {
    LauncherSettings settings = GameSettings();
    settings.Q3Executable = (folder_.path() / "ioquake3.x86_64").string();
    settings.TSExecutable = (folder_.path() / "TeamSpeak").string();
    settings.TSServer = "127.0.0.1";
    WriteRecordingProgram(folder_.path() / "ioquake3.x86_64", gameRecord_);
    WriteRecordingProgram(folder_.path() / "TeamSpeak", voiceRecord_);
    EXPECT_EQ(SeenArguments(LaunchTeamSpeak(settings), voiceRecord_),
              Args{"teamspeak://127.0.0.1:/nickname=?loginname=?password="});
    EXPECT_EQ(SeenArguments(LaunchGame(settings, "osp"), gameRecord_),
              (Args{"+connect", "q3.example.invalid:27960", "+password", "secret", "+set",
                    "fs_game", "osp"}));
}

TEST_F(LaunchingTest, WindowsProgramsGoThroughWineFromPath) {
    const fs::path bin = folder_.path() / "bin";
    fs::create_directory(bin);
    fs::create_directory(folder_.path() / "TeamSpeak2");
    WriteFile(folder_.path() / "quake3.exe", "MZ\x90", fs::perms::owner_read);
    WriteFile(folder_.path() / "TeamSpeak2" / "TeamSpeak.exe", "MZ", fs::perms::owner_read);
    LauncherSettings settings = VoiceSettings();
    settings.Q3Executable = (folder_.path() / "quake3.exe").string();
    settings.TSExecutable = (folder_.path() / "TeamSpeak2" / "TeamSpeak.exe").string();
    settings.Q3Server = "127.0.0.1";
    settings.Q3Port = "27960";

    ScopedEnvironment path("PATH", bin.string());
    EXPECT_EQ(LaunchGame(settings, "osp"), kWineMissingMessage);
    EXPECT_EQ(LaunchTeamSpeak(settings), kWineMissingMessage);

    WriteRecordingProgram(bin / "wine", gameRecord_);
    EXPECT_EQ(SeenArguments(LaunchGame(settings, "osp"), gameRecord_),
              (Args{settings.Q3Executable, "+connect", "127.0.0.1:27960", "+password", "+set",
                    "fs_game", "osp"}));
}
#endif  // !_WIN32

}  // namespace
}  // namespace kestrune
