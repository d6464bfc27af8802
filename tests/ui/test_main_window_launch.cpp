// Launching the game and the voice client through small recording programs.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/environment.h"
#include "tests/ui/main_window_fixture.h"

namespace kestrune::test_support {
namespace {

class LaunchTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(programs_.isValid());
    }

    // A program under the given name that writes its working directory and arguments, one a
    // line, to <name>.record beside itself.
    QString MakeRecorder(const QString& name) {
        const QString path = programs_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s\\n' \"$PWD\" \"$@\" > \"" +
                   (path + ".record.tmp").toLocal8Bit() + "\"\nmv \"" +
                   (path + ".record.tmp").toLocal8Bit() + "\" \"" +
                   (path + ".record").toLocal8Bit() + "\"\n");
        file.close();
        ::chmod(path.toLocal8Bit().constData(), 0755);
        return path;
    }

    // The lines the recorder wrote, waiting a bounded time for it to run.
    QStringList Record(const QString& name) {
        const QString path = programs_.filePath(name + ".record");
        for (int i = 0; i < 250 && !QFile::exists(path); ++i) {
            QTest::qWait(20);
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList lines = QString::fromLocal8Bit(file.readAll()).split('\n');
        lines.removeLast();
        return lines;
    }

    // Both programs in the programs folder, a game server and a voice server; more keys of
    // [Main], [TeamSpeak] and [Quake3] may be added.
    void Configure(const QByteArray& main, const QByteArray& teamSpeak = "",
                   const QByteArray& quake3 = "") {
        WriteFile("mods.kst", "osp\r\ndefrag\r\n");
        WriteSettings("[Main]\n" + main + "[TeamSpeak]\n" + teamSpeak +
                      "TSExecutable=" + programs_.filePath("TeamSpeak.exe").toLocal8Bit() +
                      "\nTSServer=voice.invalid\nTSPort=8767\nTSNick=Klesk\nTSLogin=kl\n"
                      "TSPassword=pw2\n[Quake3]\n" +
                      quake3 + "Q3Executable=" + programs_.filePath("quake3.exe").toLocal8Bit() +
                      "\nQ3Server=127.0.0.1\nQ3Port=27960\nQ3Password=pw\n");
    }

    // The files the window asks to start, in order, from now on; each is started for real.
    const std::vector<std::string>& RecordStarts(TForm1& window) {
        starts_.clear();
        window.SetProgramRunner([this](std::string_view file, std::string_view parameters,
                                       std::string_view directory, std::string_view chosen) {
            starts_.emplace_back(file);
            return RunProgram(file, parameters, directory, chosen);
        });
        return starts_;
    }

    QTemporaryDir programs_;
    std::vector<std::string> starts_;
};

TEST_F(LaunchTest, LaunchGameStartsTheVoiceClientThenTheGameWithTheMod) {
    MakeRecorder("quake3.exe");
    MakeRecorder("TeamSpeak.exe");
    Configure("Mods=1\n");
    TForm1& window = Create();
    const std::vector<std::string>& started = RecordStarts(window);
    QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
    EXPECT_EQ(started, (std::vector<std::string>{"TeamSpeak.exe", "quake3.exe"}));
    EXPECT_EQ(window.StatusPanelText(1), "TeamSpeak started");
    EXPECT_EQ(window.StatusPanelText(0), "Q3 Mods started");
    EXPECT_TRUE(window.isVisible());
    const QString folder = QDir(programs_.path()).canonicalPath();
    EXPECT_EQ(Record("TeamSpeak.exe"),
              QStringList({folder,
                           "teamspeak://voice.invalid:8767/nickname=Klesk?loginname=kl"
                           "?password=pw2"}));
    EXPECT_EQ(Record("quake3.exe"), QStringList({folder, "+connect", "127.0.0.1:27960", "+password",
                                                 "pw", "+set", "fs_game", "defrag"}));
}

TEST_F(LaunchTest, QuakeIIIIgnoresTheModAndTheVoiceClientWaitsWithoutAutoJoin) {
    MakeRecorder("quake3.exe");
    MakeRecorder("TeamSpeak.exe");
    Configure("Mods=1\n");
    TForm1& window = Create();
    QTest::mouseClick(&Get<QRadioButton>("GroupItem0"), Qt::LeftButton);
    QTest::mouseClick(&Get<QCheckBox>("cbAutojoin"), Qt::LeftButton);
    QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
    EXPECT_EQ(window.StatusPanelText(0), "Quake III started");
    EXPECT_EQ(window.StatusPanelText(1), "Ready");
    EXPECT_EQ(Record("quake3.exe").mid(1),
              QStringList({"+connect", "127.0.0.1:27960", "+password", "pw"}));
    EXPECT_FALSE(QFile::exists(programs_.filePath("TeamSpeak.exe.record")));
}

TEST_F(LaunchTest, NoGameTypeStartsQuakeIIIAndStillExits) {
    MakeRecorder("quake3.exe");
    Configure("ExitOnLaunch=1\n", "Autojoin=0\n", "Q3Game=-1\n");
    TForm1& window = Create();
    QSignalSpy closed(&window, &TForm1::closed);
    Trigger("LaunchGame1");
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(window.StatusPanelText(0), "Quake III started");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Record("quake3.exe").mid(1),
              QStringList({"+connect", "127.0.0.1:27960", "+password", "pw"}));
    // AutoSave ran on the way out and kept "no game type".
    EXPECT_EQ(SavedValue("Q3Game"), "-1");
}

// Each start reports in its own panel; the voice client's failure stops neither the game nor
// "Exit on launch game".
TEST_F(LaunchTest, FailedStartsShowTheSystemMessageInTheirPanelAndExitOnLaunchStillCloses) {
    struct Case {
        bool gameInstalled;
        bool voiceInstalled;
        const char* panel0;
        const char* panel1;
    };
    for (const Case& c : {Case{false, false, "No such file or directory", "Permission denied"},
                          Case{true, false, "Q3 Mods started", "Permission denied"},
                          Case{false, true, "No such file or directory", "TeamSpeak started"}}) {
        SCOPED_TRACE(c.panel0 + std::string(" / ") + c.panel1);
        QFile::remove(programs_.filePath("quake3.exe"));
        QFile::remove(programs_.filePath("TeamSpeak.exe"));
        if (c.gameInstalled) {
            MakeRecorder("quake3.exe");
        }
        if (c.voiceInstalled) {
            MakeRecorder("TeamSpeak.exe");
        } else {
            // There, but not a program.
            QFile file(programs_.filePath("TeamSpeak.exe"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        Configure("ExitOnLaunch=1\n");
        TForm1& window = Create();
        const std::vector<std::string>& started = RecordStarts(window);
        QSignalSpy closed(&window, &TForm1::closed);
        QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
        EXPECT_EQ(started, (std::vector<std::string>{"TeamSpeak.exe", "quake3.exe"}));
        EXPECT_EQ(window.StatusPanelText(0), c.panel0);
        EXPECT_EQ(window.StatusPanelText(1), c.panel1);
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(closed.count(), 1);
    }
}

TEST_F(LaunchTest, TheMenuLaunchesWhileTheButtonsAreDisabled) {
    // No path configured: the voice client is looked for by its bare name, and is not found.
    TForm1& window = Create();
    ASSERT_FALSE(Get<QPushButton>("btnLaunchTS").isEnabled());
    Trigger("LaunchTS21");
    EXPECT_EQ(window.StatusPanelText(1), "No such file or directory");

    MakeRecorder("TeamSpeak.exe");
    dialogAnswers_ = {programs_.filePath("TeamSpeak.exe")};
    Trigger("LinkTS21");
    Trigger("LaunchTS21");
    EXPECT_EQ(window.StatusPanelText(1), "TeamSpeak started");
    EXPECT_EQ(Record("TeamSpeak.exe").mid(1),
              QStringList({"teamspeak://:/nickname=?loginname=?password="}));
}

TEST_F(LaunchTest, ThePlayersOwnEngineStartsAndAWindowsProgramWithoutWineIsExplained) {
    MakeRecorder("ioquake3.x86_64");
    QFile windowsProgram(programs_.filePath("TeamSpeak.exe"));
    ASSERT_TRUE(windowsProgram.open(QIODevice::WriteOnly));
    windowsProgram.write("MZ\x90");
    windowsProgram.close();
    Configure("Mods=0\n");
    ScopedEnvironment path("PATH", programs_.filePath("no-wine-here").toStdString());
    TForm1& window = Create();
    dialogAnswers_ = {programs_.filePath("ioquake3.x86_64")};
    Trigger("Q3Path");
    QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
    EXPECT_EQ(window.StatusPanelText(1), "A Windows program needs Wine.");
    EXPECT_EQ(window.StatusPanelText(0), "Q3 Mods started");
    EXPECT_EQ(Record("ioquake3.x86_64"),
              QStringList({QDir(programs_.path()).canonicalPath(), "+connect", "127.0.0.1:27960",
                           "+password", "pw", "+set", "fs_game", "osp"}));
}

}  // namespace
}  // namespace kestrune::test_support
