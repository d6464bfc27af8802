#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "platform/ip_address.h"
#include "tests/support/files.h"
#include "ui_logic/exception_message.h"
#include "ui_logic/main_window_steps.h"
#include "ui_logic/mods_list_entries.h"
#include "ui_logic/secondary_window_steps.h"

namespace kestrune {
namespace {

using test_support::ReadFile;
using namespace std::chrono_literals;
using test_support::TempFolder;
using test_support::WriteFile;

// A main window without a toolkit: it holds what the steps set and logs what they ask for.
class RecordingView : public MainWindowView {
public:
    std::u16string Text(MainControl control) const override {
        auto found = texts.find(control);
        return found == texts.end() ? std::u16string() : found->second;
    }
    void SetText(MainControl control, std::u16string_view text) override {
        texts[control] = std::u16string(text);
    }
    bool Checked(MainControl control) const override { return checked.count(control) != 0; }
    void SetChecked(MainControl control, bool on) override {
        on ? void(checked.insert({control, true})) : void(checked.erase(control));
    }
    void SetEnabled(MainControl control, bool on) override { enabled[control] = on; }
    int GameTypeIndex() const override { return gameType; }
    void SetGameTypeIndex(int index) override { gameType = index; }
    int ModsIndex() const override { return modsIndex; }
    int ModsCount() const override { return static_cast<int>(mods.size()); }
    void SetModsIndex(int index) override { modsIndex = index; }
    void ShowModsList(const ModsList& list) override { mods = list, modsIndex = -1; }
    void MarkModsListUnread() override { modsUnread = true; }
    std::optional<ModsList> ModsListToWrite() const override {
        return modsUnread ? std::nullopt : std::optional<ModsList>(mods);
    }
    std::string StoredModName() const override { return "cpma"; }
    void SetMessage(std::u16string_view text) override { message = text; }
    void SetStatusPanel(int panel, std::u16string_view text) override { panels[panel] = text; }
    void ShowServerInfo(const ServerDetailsLine& line, const std::string& shownHint) override {
        serverInfo = line.Text();
        hint = shownHint;
    }
    bool ProbeTimerActive() const override { return timerActive; }
    void StartProbeTimer() override { timerActive = true, ++timerStarts; }
    void StopProbeTimer() override { timerActive = false; }
    void StartSecondFamilyTimer() override { secondFamilyTimerActive = true; }
    void StopSecondFamilyTimer() override { secondFamilyTimerActive = false; }
    bool SendStatusQuery(const std::string& host, std::int32_t port) override {
        queries.push_back(host + " " + std::to_string(port));
        if (sent) {
            sent(host, port);
        }
        return true;
    }
    std::string BrowseForExecutable(std::span<const FileFilter> filters) override {
        browsed.emplace_back(filters.front().name);
        return dialogAnswer;
    }
    void ShowAboutWindow() override { log.push_back("about"); }
    void ShowAddModWindow() override { log.push_back("add mod"); }
    void OpenWebSite(std::string_view url) override { log.emplace_back(url); }
    void CloseWindow() override { log.push_back("close"); }
    void RetranslateWindows() override { log.push_back("retranslate"); }

    std::map<MainControl, std::u16string> texts;
    std::map<MainControl, bool> checked, enabled;
    int gameType = 1, modsIndex = -1, timerStarts = 0;
    ModsList mods;
    bool modsUnread = false, timerActive = false, secondFamilyTimerActive = false;
    std::u16string message, panels[2];
    std::string serverInfo, hint, dialogAnswer = "0";
    // What the endpoint would report once the query has left.
    std::function<void(const std::string& host, std::int32_t port)> sent;
    std::vector<std::string> queries, browsed, log;
};

class MainWindowStepsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    TempFolder folder_;
    std::filesystem::path previous_;
    RecordingView view_;
    MainWindowSteps steps_{view_, folder_ / "kestrune.ini"};
};

TEST_F(MainWindowStepsTest, StartUpShowsTheStoredTextsAndSavesUneditedOnesAsTheyWere) {
    WriteFile(folder_ / "kestrune.ini",
              "[Main]\nAutosave=0\nMods=7\n[Quake3]\nQ3Server=caf\xE9\nQ3Game=5\n"
              "Q3Executable=/games/q3/quake3\n[TeamSpeak]\nTSNick=bob\n");
    WriteFile(folder_ / "mods.kst", "cpma\r\ndefrag\r\n");
    steps_.FormCreate();

    EXPECT_EQ(view_.texts[MainControl::edQ3Server], u"caf\u00e9");
    EXPECT_EQ(view_.texts[MainControl::edTSNick], u"bob");
    EXPECT_FALSE(view_.Checked(MainControl::cbAutosave));
    EXPECT_EQ(view_.mods, (ModsList{"cpma", "defrag"}));
    EXPECT_EQ(view_.modsIndex, -1);  // 7 lies outside the list
    EXPECT_EQ(view_.gameType, 1);
    EXPECT_TRUE(view_.enabled[MainControl::btnLaunchQ3]);
    EXPECT_EQ(view_.enabled.count(MainControl::btnLaunchTS), 0u);
    EXPECT_EQ(view_.message, u"Program ready");
    EXPECT_EQ(view_.panels[0], u"ioquake3.org");
    EXPECT_EQ(view_.panels[1], u"Ready");

    view_.texts[MainControl::edTSNick] = u"b\u00f6b";
    const LauncherSettings saved = steps_.SettingsFromControls();
    EXPECT_EQ(saved.Q3Server, "caf\xE9");  // unedited: its bytes as read
    EXPECT_EQ(saved.TSNick,
              "b\xF6"
              "b");  // edited: in the file's own encoding
    EXPECT_EQ(saved.Q3Executable, "/games/q3/quake3");
}

TEST_F(MainWindowStepsTest, AnUnreadModsListIsReportedAfterTheWindowIsReadyAndNeverWritten) {
    std::filesystem::create_directory(folder_ / "mods.kst");
    try {
        steps_.FormCreate();
        ADD_FAILURE() << "no error raised";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), "Cannot open file mods.kst");
    }
    EXPECT_TRUE(view_.modsUnread);
    EXPECT_EQ(view_.message, u"Program ready");
    steps_.Save1Click();
    EXPECT_NE(ReadFile(folder_ / "kestrune.ini"), "");
}

TEST_F(MainWindowStepsTest, LaunchStatusesNameTheGameTypeAndCloseOnlyWhenAsked) {
    struct Case {
        int gameType;
        bool exitOnLaunch;
        std::string failure;
        std::u16string panel0;
        std::vector<std::string> log;
    };
    for (const Case& c : {Case{1, false, "", u"Q3 Mods started", {}},
                          Case{0, true, "", u"Quake III started", {"close"}},
                          Case{-1, false, "", u"Quake III started", {}},
                          Case{1, true, "No such file", u"No such file", {"close"}}}) {
        SCOPED_TRACE(c.gameType);
        view_ = RecordingView();
        view_.gameType = c.gameType;
        view_.SetChecked(MainControl::cbAutojoin, true);
        view_.SetChecked(MainControl::cbExit, c.exitOnLaunch);
        std::vector<std::string> started;
        steps_.SetProgramRunner([&](std::string_view file, std::string_view parameters,
                                    std::string_view, std::string_view) {
            started.push_back(std::string(file) + " " + std::string(parameters));
            return file == "quake3.exe" ? c.failure : std::string();
        });
        steps_.btnLaunchQ3Click();
        ASSERT_EQ(started.size(), 2u);  // the voice client first
        EXPECT_EQ(view_.panels[1], u"TeamSpeak started");
        EXPECT_EQ(view_.panels[0], c.panel0);
        EXPECT_EQ(view_.log, c.log);
    }
}

TEST_F(MainWindowStepsTest, TheVoiceStatusNamesTheClientThatStarted) {
    // A folder holding "TeamSpeak.exe" starts it, whatever else was chosen there.
    std::filesystem::create_directory(folder_.path() / "ts2");
    WriteFile(folder_.path() / "ts2" / "TeamSpeak.exe", "");
    view_.texts[MainControl::edTSServer] = u"voice invalid";  // a blank keeps one argument
    view_.texts[MainControl::edTSNick] = u"Gr\u00fcnt";
    struct Case {
        std::string chosen;
        std::string started;
        std::u16string panel1;
    };
    const Case cases[] = {
        {folder_ / "MUMBLE.EXE", "MUMBLE.EXE \"mumble://Gr%C3%BCnt@voice invalid/?version=1.2.0\"",
         u"Mumble started"},
        {folder_ / "ts3client_win64.exe",
         "ts3client_win64.exe \"ts3server://voice invalid?nickname=Gr%C3%BCnt\"",
         u"TeamSpeak 3 started"},
        {(folder_.path() / "ts2" / "mumble").string(),
         "TeamSpeak.exe teamspeak://voice invalid:/nickname=Gr\xC3\xBCnt?loginname=?password=",
         u"TeamSpeak started"},
    };
    for (const Case& c : cases) {
        view_.dialogAnswer = c.chosen;
        steps_.LinkTS21Click();
        std::vector<std::string> started;
        steps_.SetProgramRunner([&](std::string_view file, std::string_view parameters,
                                    std::string_view, std::string_view) {
            started.push_back(std::string(file) + " " + std::string(parameters));
            return std::string();
        });
        steps_.btnLaunchTSClick();
        EXPECT_EQ(started, std::vector<std::string>{c.started});
        EXPECT_EQ(view_.panels[1], c.panel1);
    }
}

TEST_F(MainWindowStepsTest, ACancelledBrowseKeepsItsZeroAndDisablesTheLaunchButton) {
    view_.dialogAnswer = "/opt/ts2/TeamSpeak";
    steps_.LinkTS21Click();
    EXPECT_TRUE(view_.enabled[MainControl::btnLaunchTS]);
    view_.dialogAnswer = "0";
    steps_.Q3PathClick();
    EXPECT_FALSE(view_.enabled[MainControl::btnLaunchQ3]);
    EXPECT_EQ(view_.message, u"The specified path was not found.");
    EXPECT_EQ(view_.browsed, (std::vector<std::string>{"Teamspeak.exe", "quake3.exe"}));
    EXPECT_EQ(steps_.SettingsFromControls().Q3Executable, "0");
    EXPECT_EQ(steps_.SettingsFromControls().TSExecutable, "/opt/ts2/TeamSpeak");
}

TEST_F(MainWindowStepsTest, OnlyTheQueriedServersAnswerEndsTheWait) {
    view_.texts[MainControl::edQ3Server] = u"127.0.0.1";
    view_.texts[MainControl::edQ3Port] = u"27960";
    steps_.btnTestClick();
    steps_.btnTestClick();  // keeps the first deadline
    EXPECT_EQ(view_.queries, (std::vector<std::string>{"127.0.0.1 27960", "127.0.0.1 27960"}));
    EXPECT_EQ(view_.timerStarts, 1);
    EXPECT_EQ(view_.message, u"Waiting for server");

    const auto now = ProbeQuery::Clock::now();
    steps_.UDPDataSent(*ParseIpAddress("127.0.0.1"), 27960, now, std::nullopt);
    steps_.UDPDataReceived("\xFF\xFF\xFF\xFFstatusResponse", false, "127.0.0.2", 27960, now);
    steps_.UDPDataReceived("", false, "127.0.0.1", 27960, now);
    steps_.UDPDataReceived(std::string_view("\0x", 2), false, "127.0.0.1", 27960, now);
    EXPECT_EQ(view_.message, u"Waiting for server");
    EXPECT_TRUE(view_.timerActive);

    const std::string answer = "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\q3dm17\n1 20 \"a\"\n";
    steps_.UDPDataReceived(answer, false, "127.0.0.1", 27960, now);
    EXPECT_EQ(view_.message, u"Server is online");
    EXPECT_FALSE(view_.timerActive);
    EXPECT_EQ(view_.serverInfo, "q3dm17 \u00B7 1 player \u00B7 <1 ms");
    EXPECT_EQ(view_.hint, "Address: 127.0.0.1:27960\na \u00B7 1 \u00B7 20 ms");
    // Only the first answer counts; to the next query, an answer the system cut short still
    // shows the server online, but no count.
    steps_.UDPDataReceived(answer + "2 20 \"b\"\n", false, "127.0.0.1", 27960, now);
    EXPECT_EQ(view_.serverInfo, "q3dm17 \u00B7 1 player \u00B7 <1 ms");
    steps_.UDPDataSent(*ParseIpAddress("127.0.0.1"), 27960, now, std::nullopt);
    steps_.UDPDataReceived(answer, true, "127.0.0.1", 27960, now);
    EXPECT_EQ(view_.serverInfo, "q3dm17 \u00B7 <1 ms");

    steps_.TimerTimer();
    EXPECT_EQ(view_.message, u"Server time out");
    EXPECT_EQ(view_.serverInfo, "");
}

TEST_F(MainWindowStepsTest, AChosenServerFillsTheFieldsAndLeavesTheListAndPassword) {
    struct Case {
        const char* what;
        ChosenServer server;
        std::u16string password;
        int gameType;
        int modsIndex;
        std::u16string modText;
        std::u16string panel;
    } cases[] = {
        {"no mod: the plain game", {"192.0.2.1", 27960, "", false}, u"", 0, -1, u"typed",
         u"typed"},
        {"a listed mod is selected", {"192.0.2.2", 27961, "defrag", false}, u"", 1, 1, u"typed",
         u"typed"},
        {"another mod is typed", {"192.0.2.3", 27962, "cpma", true}, u"pw", 1, -1, u"cpma",
         u"cpma"},
        {"a password is needed", {"192.0.2.4", 27963, "", true}, u"", 0, -1, u"typed",
         u"Server needs a password"},
    };
    for (const Case& c : cases) {
        RecordingView view;
        view.mods = {"osp", "defrag"};
        view.texts[MainControl::cbMods] = u"typed";
        view.texts[MainControl::edQ3Password] = c.password;
        MainWindowSteps steps(view, folder_ / "kestrune.ini");
        steps.ServerChosen(c.server);
        EXPECT_EQ(view.texts[MainControl::edQ3Server],
                  std::u16string(c.server.host.begin(), c.server.host.end()))
            << c.what;
        EXPECT_EQ(view.texts[MainControl::edQ3Port], std::u16string(u"2796") +
                                                         char16_t(u'0' + c.server.port % 10))
            << c.what;
        EXPECT_EQ(view.gameType, c.gameType) << c.what;
        EXPECT_EQ(view.modsIndex, c.modsIndex) << c.what;
        EXPECT_EQ(view.texts[MainControl::cbMods], c.modText) << c.what;
        EXPECT_EQ(view.mods, (ModsList{"osp", "defrag"})) << c.what;
        EXPECT_EQ(view.texts[MainControl::edQ3Password], c.password) << c.what;
        EXPECT_EQ(view.panels[1], c.panel) << c.what;
    }
}

// A host of both families is queried on the first; 250 ms without an answer, on the other too,
// and the first valid answer wins with its own round trip and address.
TEST_F(MainWindowStepsTest, TheOtherFamilyIsQueriedAfterItsDelayAndTheFirstAnswerWins) {
    const auto t0 = ProbeQuery::Clock::now();
    view_.sent = [&](const std::string& host, std::int32_t port) {
        if (host == "both.test") {
            steps_.UDPDataSent(*ParseIpAddress("::1"), port, t0, ParseIpAddress("127.0.0.10"));
        } else {
            steps_.UDPDataSent(*ParseIpAddress(host), port, t0 + 250ms, std::nullopt);
        }
    };
    const std::string answer = "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\q3dm17\n";
    struct Case {
        const char* answeredFrom;  // nullptr: no answer before the delay
        std::vector<std::string> queries;
        std::string hint;
    };
    const Case cases[] = {
        {nullptr, {"both.test 27961", "127.0.0.10 27961"}, "Address: 127.0.0.10:27961"},
        {"::1", {"both.test 27961"}, "Address: [::1]:27961"},
    };
    for (const Case& c : cases) {
        view_.queries.clear();
        view_.texts[MainControl::edQ3Server] = u"both.test:27961";
        view_.texts[MainControl::edQ3Port] = u"27960";
        steps_.btnTestClick();
        EXPECT_EQ(view_.texts[MainControl::edQ3Server], u"both.test");
        EXPECT_EQ(view_.texts[MainControl::edQ3Port], u"27961");
        EXPECT_TRUE(view_.secondFamilyTimerActive);
        if (c.answeredFrom != nullptr) {
            steps_.UDPDataReceived(answer, false, c.answeredFrom, 27961, t0 + 100ms);
            EXPECT_FALSE(view_.secondFamilyTimerActive);
            EXPECT_EQ(view_.serverInfo, "q3dm17 \u00B7 0 players \u00B7 100 ms");
        }
        steps_.SecondFamilyTimerTimer();
        EXPECT_EQ(view_.queries, c.queries);
        // Both answer now: the first one counts, the other is ignored.
        steps_.UDPDataReceived(answer, false, "127.0.0.10", 27961, t0 + 262ms);
        steps_.UDPDataReceived(answer, false, "::1", 27961, t0 + 263ms);
        EXPECT_EQ(view_.message, u"Server is online");
        EXPECT_EQ(view_.hint, c.hint);
        EXPECT_EQ(view_.serverInfo, c.answeredFrom ? "q3dm17 \u00B7 0 players \u00B7 100 ms"
                                                   : "q3dm17 \u00B7 0 players \u00B7 12 ms");
        EXPECT_FALSE(view_.timerActive);
    }
    // A time-out before the delay ends the wait for good: nothing more is sent.
    view_.queries.clear();
    steps_.btnTestClick();
    steps_.TimerTimer();
    steps_.SecondFamilyTimerTimer();
    EXPECT_EQ(view_.queries, std::vector<std::string>{"both.test 27961"});
}

TEST(ExceptionMessageTest, AFullStopFollowsOnlyBytesAfterIt) {
    EXPECT_EQ(ExceptionMessage("Cannot open file mods.kst"), "Cannot open file mods.kst.");
    EXPECT_EQ(ExceptionMessage("Ends in colon:"), "Ends in colon:.");
    EXPECT_EQ(ExceptionMessage("Already."), "Already.");
    EXPECT_EQ(ExceptionMessage("blank "), "blank ");
    EXPECT_EQ(ExceptionMessage("'27960\xB2'"), "'27960\xB2'");
    EXPECT_EQ(ExceptionMessage("27960\xB2"), "27960\xB2.");
    EXPECT_EQ(ExceptionMessage(""), "");
}

// A secondary window without a toolkit.
class RecordingAddModView : public AddModWindowView {
public:
    void BringMainWindowForward() override { log.push_back("main forward"); }
    void CloseWindow() override { log.push_back("close"); }
    void OpenWebSite(std::string_view url) override { log.emplace_back(url); }
    std::u16string NameTyped() const override { return u"osp"; }
    int ModsCount() const override { return static_cast<int>(mods.size()); }
    void AppendMod(std::u16string_view name) override {
        if (!full) {
            mods.emplace_back(name);
        }
    }
    std::optional<ModsList> ModsListToWrite() const override { return ModsList{"cpma", "osp"}; }

    std::vector<std::u16string> mods;
    bool full = false;
    std::vector<std::string> log;
};

TEST(AddModWindowStepsTest, AddsTheTypedNameAndWritesTheListOnLeaving) {
    TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    RecordingAddModView view;
    AddModWindowSteps steps(view);
    steps.btModsClick();
    EXPECT_EQ(view.mods, (std::vector<std::u16string>{u"osp"}));
    view.full = true;
    EXPECT_THROW(steps.btModsClick(), Exception);
    EXPECT_EQ(ReadFile(folder / "mods.kst"), "");
    steps.Button1Click();
    EXPECT_EQ(ReadFile(folder / "mods.kst"), "cpma\r\nosp\r\n");
    EXPECT_EQ(view.log, (std::vector<std::string>{"main forward", "close"}));
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace kestrune

namespace kestrune {
namespace {

TEST(ModsListEntriesTest, UneditedNamesKeepTheirBytesAndNewOnesTakeTheListsEncoding) {
    const std::vector<ModsEntry> latin1List = {{u"caf\u00e9", "caf\xE9"}, {u"d\u00e9j\u00e0", ""}};
    EXPECT_EQ(ModsListToWrite(latin1List), (ModsList{"caf\xE9", "d\xE9j\xE0"}));
    EXPECT_EQ(StoredModName(latin1List, u"caf\u00e9"), "caf\xE9");
    EXPECT_EQ(StoredModName(latin1List, u"CAF\u00c9"), "CAF\xC9");  // no entry: the list's
    const std::vector<ModsEntry> utf8List = {{u"caf\u00e9", "caf\xC3\xA9"}, {u"\u00e0", ""}};
    EXPECT_EQ(ModsListToWrite(utf8List), (ModsList{"caf\xC3\xA9", "\xC3\xA0"}));
}

}  // namespace
}  // namespace kestrune
