// What the user does with the window: saving, closing, path entries, the mods box, game type,
// links, and how failures reach the exception display.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

#include <functional>
#include <memory>

#include "tests/platform/recording_program.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/completing_combo_box.h"

namespace kestrune::test_support {
namespace {

using SavingTest = MainWindowTest;

TEST_F(SavingTest, SaveWritesWhatTheControlsHold) {
    WriteFile("mods.kst", "osp\r\ncpma\r\n");
    Create();
    QTest::keyClicks(&Get<QLineEdit>("edQ3Server"), "127.0.0.1");
    QTest::keyClicks(&Get<QLineEdit>("edQ3Port"), "27960");
    QTest::keyClicks(&Get<QLineEdit>("edTSNick"), "Klesk");
    QTest::mouseClick(&Get<QCheckBox>("cbExit"), Qt::LeftButton);
    QTest::mouseClick(&Get<QRadioButton>("GroupItem0"), Qt::LeftButton);
    Trigger("Save1");
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(SavedValue("Q3Server"), "127.0.0.1");
    EXPECT_EQ(SavedValue("Q3Port"), "27960");
    EXPECT_EQ(SavedValue("TSNick"), "Klesk");
    EXPECT_EQ(SavedValue("TSPassword"), "");
    EXPECT_EQ(SavedValue("ExitOnLaunch"), "1");
    EXPECT_EQ(SavedValue("Autosave"), "1");
    EXPECT_EQ(SavedValue("Q3Game"), "0");
    // The first mod shows at start-up.
    EXPECT_EQ(SavedValue("Mods"), "0");
    EXPECT_EQ(ReadFile("mods.kst"), "osp\r\ncpma\r\n");
}

TEST_F(SavingTest, ClosingSavesOnlyWithAutoSave) {
    TForm1& window = Create();
    QSignalSpy closed(&window, &TForm1::closed);
    QTest::keyClicks(&Get<QLineEdit>("edQ3Server"), "first.invalid");
    QTest::mouseClick(&Get<QCheckBox>("cbAutosave"), Qt::LeftButton);
    QTest::mouseClick(&Get<QPushButton>("btnExit"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(QFile::exists(folder_.filePath("kestrune.ini")));

    TForm1& second = Create();
    QTest::keyClicks(&Get<QLineEdit>("edQ3Server"), "second.invalid");
    Trigger("Exit1");
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(SavedValue("Q3Server"), "second.invalid");
}

TEST_F(SavingTest, AFailedSaveOnClosingKeepsTheWindowOpen) {
    TForm1& window = Create();
    QSignalSpy closed(&window, &TForm1::closed);
    // A folder where the mods list belongs cannot be replaced by a file.
    ASSERT_TRUE(QDir(folder_.path()).mkdir("mods.kst"));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closed.count(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Cannot create file mods.kst.");
    EXPECT_FALSE(QFile::exists(folder_.filePath("kestrune.ini")));
    // Each further attempt tries again, and succeeds once the way is clear.
    ASSERT_TRUE(QDir(folder_.path()).rmdir("mods.kst"));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(SavedValue("Q3Game"), "1");
}

using PathEntryTest = MainWindowTest;

TEST_F(PathEntryTest, AChosenPathEnablesLaunchingAndACancelStoresZero) {
    Create();
    dialogAnswers_ = {QString("/games/q3/quake3.exe"), std::nullopt, QString("/opt/ts/TS.exe"),
                      std::nullopt};
    Trigger("Q3Path");
    EXPECT_TRUE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    EXPECT_EQ(Message(), "Program ready");
    Trigger("Q3Path");
    EXPECT_FALSE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    EXPECT_EQ(Message(), "The specified path was not found.");
    Trigger("LinkTS21");
    EXPECT_TRUE(Get<QPushButton>("btnLaunchTS").isEnabled());
    Trigger("Save1");
    EXPECT_EQ(SavedValue("Q3Executable"), "0");
    EXPECT_EQ(SavedValue("TSExecutable"), "/opt/ts/TS.exe");
    Trigger("LinkTS21");
    EXPECT_FALSE(Get<QPushButton>("btnLaunchTS").isEnabled());

    ASSERT_EQ(dialogFilters_.size(), 4u);
    EXPECT_EQ(dialogFilters_[0],
              "quake3.exe (quake3.exe);;Linux game (ioquake3.* ioquake3 quake3);;All files (*)");
    EXPECT_EQ(dialogFilters_[2],
              "Teamspeak.exe (Teamspeak.exe);;TeamSpeak 2 (TeamSpeak TeamSpeak.exe);;"
              "Mumble (mumble mumble.exe);;TeamSpeak 3 (ts3client*);;All files (*)");
    // One dialog serves both entries: each starts from the last file chosen.
    EXPECT_EQ(dialogFileNames_[0], "");
    EXPECT_EQ(dialogFileNames_[1], "/games/q3/quake3.exe");
    EXPECT_EQ(dialogFileNames_[2], "/games/q3/quake3.exe");
    EXPECT_EQ(dialogFileNames_[3], "/opt/ts/TS.exe");
}

TEST_F(PathEntryTest, TheRealDialogLeavesTheCurrentDirectoryAlone) {
    SetFileDialogAnswer({});
    Create();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString chosen = elsewhere.filePath("ioquake3.x86_64");
    QFile program(chosen);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    // The dialog opens on the filter that lists the last choice.
    std::vector<QString> selectedFilters;
    const auto answer = [&](bool accept) {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        selectedFilters.push_back(dialog->selectedNameFilter());
        if (!accept) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(elsewhere.path());
        dialog->selectNameFilter("All files (*)");
        dialog->selectFile(chosen);
        static_cast<QDialog*>(dialog)->accept();
    };
    for (const bool accept : {true, false, true}) {
        QTimer::singleShot(0, [&] { answer(accept); });
        Trigger("Q3Path");
    }
    const QString linuxGame = "Linux game (ioquake3.* ioquake3 quake3)";
    EXPECT_EQ(selectedFilters,
              (std::vector<QString>{"quake3.exe (quake3.exe)", linuxGame, linuxGame}));
    EXPECT_EQ(QDir::currentPath(), QDir(folder_.path()).canonicalPath());
    EXPECT_TRUE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    Trigger("Save1");
    EXPECT_EQ(SavedValue("Q3Executable"), chosen.toLocal8Bit());
    EXPECT_TRUE(QFile::exists(folder_.filePath("mods.kst")));
}

using ModsBoxTest = MainWindowTest;

TEST_F(ModsBoxTest, TypingCompletesFromTheListIgnoringCase) {
    WriteFile("mods.kst", "osp\r\nCPMA\r\ncpma-beta\r\ndefrag\r\n");
    TForm1& window = Create();
    auto& mods = Get<QComboBox>("cbMods");
    mods.setFocus();
    mods.lineEdit()->selectAll();
    QTest::keyClicks(&mods, "c");
    EXPECT_EQ(mods.currentText(), "cPMA");
    EXPECT_EQ(mods.lineEdit()->selectedText(), "PMA");
    EXPECT_EQ(mods.currentIndex(), 1);
    EXPECT_EQ(window.StatusPanelText(1), "cPMA");
    QTest::keyClicks(&mods, "pma-");
    EXPECT_EQ(mods.currentIndex(), 2);
    EXPECT_EQ(mods.currentText(), "cpma-beta");
    EXPECT_EQ(mods.lineEdit()->selectedText(), "beta");
    // A text no entry begins with is simply typed and selects nothing.
    QTest::keyClicks(&mods, "x");
    EXPECT_EQ(mods.currentText(), "cpma-x");
    EXPECT_EQ(mods.currentIndex(), -1);
    EXPECT_EQ(window.StatusPanelText(1), "cpma-x");
    Trigger("Save1");
    EXPECT_EQ(SavedValue("Mods"), "-1");
}

TEST_F(ModsBoxTest, BackspaceRemovesTheCompletionAndClearsTheSelection) {
    WriteFile("mods.kst", "osp\r\ndefrag\r\n");
    TForm1& window = Create();
    auto& mods = Get<QComboBox>("cbMods");
    mods.setFocus();
    mods.lineEdit()->selectAll();
    QTest::keyClicks(&mods, "de");
    EXPECT_EQ(mods.currentIndex(), 1);
    QTest::keyClick(&mods, Qt::Key_Backspace);
    EXPECT_EQ(mods.currentText(), "de");
    EXPECT_EQ(mods.currentIndex(), -1);
    EXPECT_EQ(window.StatusPanelText(1), "de");
    QTest::keyClick(&mods, Qt::Key_Backspace);
    EXPECT_EQ(mods.currentText(), "d");
    EXPECT_EQ(window.StatusPanelText(1), "d");
}

TEST_F(ModsBoxTest, PickingAnEntryAndChangingTheGameType) {
    WriteFile("mods.kst", "osp\r\ndefrag\r\n");
    TForm1& window = Create();
    auto& mods = Get<QComboBox>("cbMods");
    mods.setFocus();
    EXPECT_EQ(mods.currentIndex(), 0);
    QTest::keyClick(&mods, Qt::Key_Down);
    EXPECT_EQ(mods.currentIndex(), 1);
    EXPECT_EQ(window.StatusPanelText(1), "defrag");
    QTest::mouseClick(&Get<QRadioButton>("GroupItem0"), Qt::LeftButton);
    EXPECT_FALSE(mods.isEnabled());
    QTest::mouseClick(&Get<QRadioButton>("GroupItem1"), Qt::LeftButton);
    EXPECT_TRUE(mods.isEnabled());
    Trigger("Save1");
    EXPECT_EQ(SavedValue("Mods"), "1");
    EXPECT_EQ(SavedValue("Q3Game"), "1");
}

// Pasting, dropping and composing change the text as typing does: the completion rules apply
// to the text before the caret, and the change handler runs once.
TEST_F(ModsBoxTest, EveryWayOfChangingTheTextCompletesAndReportsOnce) {
    auto contextMenu = [](const char* action) {
        return [action](QLineEdit& edit) {
            const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
            for (QAction* entry : menu->actions()) {
                if (entry->text().remove('&').section('\t', 0, 0) == action) {
                    entry->trigger();
                    return;
                }
            }
            ADD_FAILURE() << "no " << action << " in the menu";
        };
    };
    auto drop = [](QLineEdit& edit) {
        QMimeData data;
        data.setText("os");
        QDragEnterEvent enter({1, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &enter);
        QDropEvent dropped(QPointF(1, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &dropped);
    };
    auto compose = [](const char* committed) {
        return [committed](QLineEdit& edit) {
            QInputMethodEvent preedit("O", {});
            QApplication::sendEvent(&edit, &preedit);
            QInputMethodEvent commit;
            commit.setCommitString(committed);
            QApplication::sendEvent(&edit, &commit);
            QApplication::processEvents();
        };
    };
    struct Case {
        const char* how;
        const char* clipboard;
        std::function<void(QLineEdit&)> change;
        const char* text;
        int index;
    };
    const Case cases[] = {
        {"paste a mod's beginning", "os", contextMenu("Paste"), "osp", 0},
        {"paste another text", "quake", contextMenu("Paste"), "quake", -1},
        {"paste the selected mod", "defrag", contextMenu("Paste"), "defrag", 1},
        {"cut", "", contextMenu("Cut"), "", -1},
        {"delete", "", contextMenu("Delete"), "", -1},
        {"drop", "", drop, "osp", 0},
        {"compose", "", compose("OS"), "OSp", 0},
        {"compose nothing", "", compose(""), "", -1},
    };
    WriteFile("mods.kst", "osp\r\ndefrag\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        WriteSettings("[Main]\nMods=1\n");
        TForm1& window = Create();
        auto& mods = Get<CompletingComboBox>("cbMods");
        ASSERT_EQ(mods.currentText(), "defrag");
        QApplication::clipboard()->setText(c.clipboard);
        QSignalSpy changes(&mods, &CompletingComboBox::changed);
        mods.lineEdit()->selectAll();
        c.change(*mods.lineEdit());
        EXPECT_EQ(changes.count(), 1);
        EXPECT_EQ(mods.currentText(), c.text);
        EXPECT_EQ(mods.currentIndex(), c.index);
        EXPECT_EQ(window.StatusPanelText(1), c.text);
        Trigger("Save1");
        EXPECT_EQ(SavedValue("Mods"), QByteArray::number(c.index));
    }
}

using LinksTest = MainWindowTest;

TEST_F(LinksTest, LogoAndHostNameOpenTheirSitesAndTheMenuShowsTheWindows) {
    TForm1& window = Create();
    QTest::mouseClick(&Get<QLabel>("Image1"), Qt::LeftButton);
    QTest::mouseClick(&Get<QLabel>("Label10"), Qt::LeftButton);
    ASSERT_EQ(openedSites_.size(), 2u);
    EXPECT_EQ(openedSites_[0], kPartnerUrl);
    EXPECT_EQ(openedSites_[1], kMakerUrl);

    QWidget about;
    QWidget addMod;
    window.SetSecondaryWindows(&about, &addMod);
    Trigger("About2");
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(addMod.isVisible());
    Trigger("AddMod1");
    EXPECT_TRUE(addMod.isVisible());
    // The menu's "Test server" is wired to nothing.
    Trigger("TestServer1");
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LinksTest, TheDesktopsOpenerComesFromPathNeverFromTheCurrentFolder) {
    SetWebSiteOpener({});
    TempFolder desktop;
    const fs::path opened = desktop.path() / "opened";
    const fs::path planted = fs::path(folder_.path().toStdString()) / "planted";
    WriteRecordingProgram(desktop.path() / "xdg-open", opened);
    WriteRecordingProgram(fs::path(folder_.path().toStdString()) / "xdg-open", planted);
    const QByteArray previousPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(desktop.path().string()));
    Create();
    QTest::mouseClick(&Get<QLabel>("Image1"), Qt::LeftButton);
    qputenv("PATH", previousPath);

    const auto seen = WaitForRecord(opened);
    ReleaseProgram(opened);
    ReleaseProgram(planted);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->arguments, std::vector<std::string>{std::string(kPartnerUrl)});
    EXPECT_FALSE(fs::exists(planted.string() + ".pid"));
}

TEST(ExceptionTextTest, AFullStopFollowsALetterDigitOrColonOnly) {
    EXPECT_EQ(ExceptionText("Cannot open file mods.kst"), "Cannot open file mods.kst.");
    EXPECT_EQ(ExceptionText("Unknown Error No. 11"), "Unknown Error No. 11.");
    EXPECT_EQ(ExceptionText("Which one?"), "Which one?.");
    EXPECT_EQ(ExceptionText("Ends in colon:"), "Ends in colon:.");
    EXPECT_EQ(ExceptionText("Already."), "Already.");
    EXPECT_EQ(ExceptionText("Bang!"), "Bang!");
    EXPECT_EQ(ExceptionText("'x' is not a valid integer value"),
              "'x' is not a valid integer value.");
    EXPECT_EQ(ExceptionText("quoted'"), "quoted'");
    EXPECT_EQ(ExceptionText("(paren)"), "(paren)");
    EXPECT_EQ(ExceptionText("blank "), "blank ");
    EXPECT_EQ(ExceptionText("dash-"), "dash-");
    EXPECT_EQ(ExceptionText("slash/"), "slash/.");
    EXPECT_EQ(ExceptionText(""), "");
    // A stored text from a Windows settings file, quoted in the message, shows as in the window.
    EXPECT_EQ(ExceptionText("'27960\xB2' is not a valid integer value"),
              QString::fromUtf8("'27960\xC2\xB2' is not a valid integer value."));
}

}  // namespace
}  // namespace kestrune::test_support
