// Settings files and mods lists written on Windows (Windows-1252) and elsewhere (UTF-8): shown
// decoded, saved back byte for byte, edited in the file's own encoding, and handed to the
// started programs as stored.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "tests/platform/recording_program.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/add_mod_window.h"

namespace kestrune::test_support {
namespace {

using StoredTextTest = MainWindowTest;

// The text with each "@" replaced by accent and each "%" by folder.
std::string Fill(std::string text, const std::string& accent, const std::string& folder = "") {
    for (size_t at; (at = text.find_first_of("@%")) != std::string::npos;) {
        const std::string& by = text[at] == '@' ? accent : folder;
        text.replace(at, 1, by);
    }
    return text;
}

TEST_F(StoredTextTest, TextsKeepTheirBytesInEitherEncoding) {
    struct Case {
        const char* encoding;
        std::string accent;  // shows as "ö€" and U+0081 either way
        std::string jorg;    // "Jörg", typed by the player
    };
    const Case cases[] = {
        {"Windows-1252", "\xF6\x80\x81", "J\xF6rg"},
        {"UTF-8", "\xC3\xB6\xE2\x82\xAC\xC2\x81", "J\xC3\xB6rg"},
    };
    const QString shownAccent = QString::fromUtf8("\xC3\xB6\xE2\x82\xAC\xC2\x81");
    const QString jorg = QString::fromUtf8("J\xC3\xB6rg");
    // The edits and what each holds before the accent.
    const std::pair<const char*, std::string> fields[] = {
        {"edTSServer", "voice.invalid"}, {"edTSPort", "8767"},
        {"edTSNick", "Klesk"},           {"edTSLogin", "kl"},
        {"edTSPassword", "pw"},          {"edQ3Server", "127.0.0.1"},
        {"edQ3Port", "27960"},           {"edQ3Password", "secret"}};
    const std::string settingsText =
        "[Main]\r\nAutosave=1\r\nExitOnLaunch=0\r\nMods=1\r\n"
        "[TeamSpeak]\r\nTSExecutable=%/TeamSpeak.exe\r\nTSServer=voice.invalid@\r\n"
        "TSPort=8767@\r\nTSNick=Klesk@\r\nTSLogin=kl@\r\nTSPassword=pw@\r\nAutojoin=1\r\n"
        "[Quake3]\r\nQ3Executable=%/quake3.exe\r\nQ3Server=127.0.0.1@\r\nQ3Port=27960@\r\n"
        "Q3Password=secret@\r\nQ3Game=1\r\n";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        const std::string& a = c.accent;
        TempFolder programs;
        const std::string folder = programs / ("Spiel" + a);
        fs::create_directory(folder);
        WriteRecordingProgram(folder + "/quake3.exe", programs / "game");
        WriteRecordingProgram(folder + "/TeamSpeak.exe", programs / "voice");
        const std::string settings = Fill(settingsText, a, folder);
        const std::string mods = Fill("osp@\r\ndefrag@\r\n", a);
        WriteSettings(QByteArray::fromStdString(settings));
        WriteFile("mods.kst", QByteArray::fromStdString(mods));
        TForm1& window = Create();

        for (const auto& [name, prefix] : fields) {
            EXPECT_EQ(Get<QLineEdit>(name).text(), QString::fromStdString(prefix) + shownAccent)
                << name;
        }
        auto& modsBox = Get<QComboBox>("cbMods");
        EXPECT_EQ(modsBox.itemText(0), "osp" + shownAccent);
        EXPECT_EQ(modsBox.currentText(), "defrag" + shownAccent);

        // Saved unchanged, both files are what they were.
        Trigger("Save1");
        EXPECT_EQ(Settings().toStdString(), settings);
        EXPECT_EQ(ReadFile("mods.kst").toStdString(), mods);

        // The programs receive the bytes as stored.
        QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
        const std::optional<ProgramRecord> voice = WaitForRecord(programs / "voice");
        const std::optional<ProgramRecord> game = WaitForRecord(programs / "game");
        ReleaseProgram(programs / "voice");
        ReleaseProgram(programs / "game");
        ASSERT_TRUE(voice && game);
        EXPECT_EQ(
            voice->arguments,
            std::vector<std::string>{Fill(
                "teamspeak://voice.invalid@:8767@/nickname=Klesk@?loginname=kl@?password=pw@", a)});
        EXPECT_EQ(game->arguments, (std::vector<std::string>{
                                       "+connect", Fill("127.0.0.1@:27960@", a), "+password",
                                       Fill("secret@", a), "+set", "fs_game", Fill("defrag@", a)}));
        EXPECT_EQ(game->workingDirectory, folder);

        // An edited field is written in the file's encoding; every other byte stays.
        Get<QLineEdit>("edTSNick").setText(jorg);
        Trigger("Save1");
        std::string edited = settings;
        edited.replace(edited.find("Klesk" + a), ("Klesk" + a).size(), c.jorg);
        EXPECT_EQ(Settings().toStdString(), edited);

        // So is a name added to the mods list.
        TForm4 addMod(window, window.ModsComboBox());
        addMod.findChild<QLineEdit*>("edmods")->setText(jorg);
        QTest::mouseClick(addMod.findChild<QPushButton*>("btMods"), Qt::LeftButton);
        QTest::mouseClick(addMod.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        EXPECT_EQ(ReadFile("mods.kst").toStdString(), mods + c.jorg + "\r\n");
        EXPECT_TRUE(messages_.empty());
    }
}

}  // namespace
}  // namespace kestrune::test_support
