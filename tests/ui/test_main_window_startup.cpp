// Start-up: what the window shows from the stored settings, and how it is laid out.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOption>

#include <dlfcn.h>
#include <errno.h>

#include "tests/ui/control_table.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/add_mod_window.h"

// How many more sockets this test program may make before the next one fails with EMFILE; -1
// for no limit.
static int g_socketsBeforeFailure = -1;

// Stands in for the C library's socket(), so that a test can make one particular socket fail.
extern "C" int socket(int domain, int type, int protocol) {
    if (g_socketsBeforeFailure == 0) {
        g_socketsBeforeFailure = -1;
        errno = EMFILE;
        return -1;
    }
    if (g_socketsBeforeFailure > 0) {
        --g_socketsBeforeFailure;
    }
    using Socket = int (*)(int, int, int);
    static const auto real = reinterpret_cast<Socket>(dlsym(RTLD_NEXT, "socket"));
    return real(domain, type, protocol);
}

namespace kestrune::test_support {
namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstStartShowsTheInitialStateAndIsReady) {
    TForm1& window = Create();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_EQ(window.StatusPanelText(0), QString::fromLatin1(kPartnerHost));
    EXPECT_EQ(window.StatusPanelText(1), "Ready");
    EXPECT_FALSE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    EXPECT_FALSE(Get<QPushButton>("btnLaunchTS").isEnabled());
    EXPECT_TRUE(Get<QCheckBox>("cbAutosave").isChecked());
    EXPECT_TRUE(Get<QCheckBox>("cbAutojoin").isChecked());
    EXPECT_FALSE(Get<QCheckBox>("cbExit").isChecked());
    EXPECT_TRUE(Get<QRadioButton>("GroupItem1").isChecked());
    auto& mods = Get<QComboBox>("cbMods");
    EXPECT_TRUE(mods.isEnabled());
    EXPECT_EQ(mods.currentText(), "Mods");
    EXPECT_EQ(mods.currentIndex(), -1);
    EXPECT_EQ(mods.count(), 0);
}

TEST_F(StartupTest, StoredSettingsFillEveryControl) {
    WriteFile("mods.kst", "osp\r\ncpma\r\ndefrag\r\n");
    WriteSettings(
        "[Main]\nAutosave=0\nExitOnLaunch=1\nMods=2\n"
        "[TeamSpeak]\nTSExecutable=/opt/ts/TeamSpeak.exe\nTSServer=voice.invalid\nTSPort=8767\n"
        "TSNick=Klesk\nTSLogin=klesk\nTSPassword=secret\nAutojoin=0\n"
        "[Quake3]\nQ3Executable=0\nQ3Server=127.0.0.1\nQ3Port=27960\nQ3Password=pw\n"
        "Q3Game=0\n");
    TForm1& window = Create();
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(Get<QCheckBox>("cbAutosave").isChecked());
    EXPECT_TRUE(Get<QCheckBox>("cbExit").isChecked());
    EXPECT_FALSE(Get<QCheckBox>("cbAutojoin").isChecked());
    auto& mods = Get<QComboBox>("cbMods");
    EXPECT_EQ(mods.count(), 3);
    EXPECT_EQ(mods.currentIndex(), 2);
    EXPECT_EQ(mods.currentText(), "defrag");
    EXPECT_EQ(Get<QLineEdit>("edTSServer").text(), "voice.invalid");
    EXPECT_EQ(Get<QLineEdit>("edTSPort").text(), "8767");
    EXPECT_EQ(Get<QLineEdit>("edTSNick").text(), "Klesk");
    EXPECT_EQ(Get<QLineEdit>("edTSLogin").text(), "klesk");
    EXPECT_EQ(Get<QLineEdit>("edTSPassword").text(), "secret");
    EXPECT_EQ(Get<QLineEdit>("edTSPassword").displayText(), "******");
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").text(), "127.0.0.1");
    EXPECT_EQ(Get<QLineEdit>("edQ3Port").text(), "27960");
    EXPECT_EQ(Get<QLineEdit>("edQ3Password").text(), "pw");
    EXPECT_EQ(Get<QLineEdit>("edQ3Password").displayText(), "**");
    // "0", what a cancelled path dialog leaves, is a path like any other here.
    EXPECT_TRUE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    EXPECT_TRUE(Get<QPushButton>("btnLaunchTS").isEnabled());
    // "Quake III" selected: no mod to choose.
    EXPECT_TRUE(Get<QRadioButton>("GroupItem0").isChecked());
    EXPECT_FALSE(mods.isEnabled());
    EXPECT_EQ(window.StatusPanelText(1), "Ready");
}

TEST_F(StartupTest, GameTypeIsClampedAndMinusOneClearsTheSelection) {
    struct Case {
        const char* stored;
        int checked;
        bool modsEnabled;
    };
    for (const Case& c : {Case{"-7", -1, true}, Case{"-1", -1, true}, Case{"0", 0, false},
                          Case{"1", 1, true}, Case{"5", 1, true}, Case{"word", 1, true}}) {
        WriteSettings(QByteArray("[Quake3]\nQ3Game=") + c.stored + "\n");
        Create();
        SCOPED_TRACE(c.stored);
        auto* group = Get<QGroupBox>("Group").findChild<QButtonGroup*>();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->checkedId(), c.checked);
        EXPECT_EQ(Get<QComboBox>("cbMods").isEnabled(), c.modsEnabled);
    }
}

TEST_F(StartupTest, AStoredModIndexOutsideTheListSelectsNothing) {
    struct Case {
        QByteArray list;
        const char* stored;
        int index;
        const char* text;
    };
    for (const Case& c : {Case{"osp\r\n", "0", 0, "osp"}, Case{"", "0", -1, "Mods"},
                          Case{"osp\r\n", "1", -1, "Mods"}, Case{"osp\r\n", "-1", -1, "Mods"},
                          Case{"osp\r\n", "-4", -1, "Mods"}}) {
        WriteFile("mods.kst", c.list);
        WriteSettings(QByteArray("[Main]\nMods=") + c.stored + "\n");
        Create();
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(Get<QComboBox>("cbMods").currentIndex(), c.index);
        EXPECT_EQ(Get<QComboBox>("cbMods").currentText(), c.text);
    }
}

TEST_F(StartupTest, AnUnreadableModsListIsReportedAfterTheSettingsAreIn) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("mods.kst"));
    WriteSettings(
        "[Main]\nMods=0\n[Quake3]\nQ3Server=127.0.0.1\nQ3Executable=/games/q3/quake3.exe\n");
    TForm1& window = Create();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Cannot open file mods.kst.");
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").text(), "127.0.0.1");
    EXPECT_TRUE(Get<QPushButton>("btnLaunchQ3").isEnabled());
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_EQ(window.StatusPanelText(1), "Ready");
    EXPECT_TRUE(window.isVisible());
    // The stored index selects nothing from a list that was not read.
    EXPECT_EQ(Get<QComboBox>("cbMods").currentIndex(), -1);
    EXPECT_EQ(Get<QComboBox>("cbMods").currentText(), "Mods");

    // Nor is that list ever written: saving writes the settings alone, keeping the index, and
    // the Add-mod window adds to the box without writing the file.
    Get<QLineEdit>("edQ3Server").setText("127.0.0.2");
    Trigger("Save1");
    TForm4 addMod(window, window.ModsComboBox());
    addMod.findChild<QLineEdit*>("edmods")->setText("osp");
    QTest::mouseClick(addMod.findChild<QPushButton*>("btMods"), Qt::LeftButton);
    QTest::mouseClick(addMod.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(SavedValue("Q3Server"), "127.0.0.2");
    EXPECT_EQ(SavedValue("Mods"), "0");
    EXPECT_TRUE(QFileInfo(folder_.filePath("mods.kst")).isDir());
}

// The window's socket is made twice: when the endpoint is made, and again when its local port
// is applied; a failure of the second names the property.
TEST_F(StartupTest, ASocketThatCannotBeMadeStopsTheWindowWithItsMessage) {
    struct Case {
        int socketsBeforeFailure;
        const char* shown;
    };
    for (const Case& c : {Case{0, "Unknown Error No. 24."},
                          Case{1, "Error reading UDP.LocalPort: Unknown Error No. 24."}}) {
        messages_.clear();
        g_socketsBeforeFailure = c.socketsBeforeFailure;
        Guarded([this] { Create(); });
        g_socketsBeforeFailure = -1;
        EXPECT_EQ(messages_, std::vector<QString>{c.shown});
    }
}

TEST_F(StartupTest, EveryControlAndMenuEntryIsWhereAndWhatItShouldBe) {
    // clang-format off
    const Control controls[] = {
        {"blMods", "Q3 Mods", {16, 48, 43, 13}, -1, ""},
        {"cbMods", "Mods", {16, 64, 89, 21}, 17, ""},
        {"Group", "Game type", {16, 96, 81, 65}, 11, "Game type"},
        {"GroupItem0", "Quake III", {8, 16, 71, 20}, -1, ""},
        {"GroupItem1", "Q3 Mods", {8, 38, 71, 20}, -1, ""},
        {"cbAutosave", "AutoSave", {16, 176, 81, 17}, 8, "AutoSave"},
        {"cbAutojoin", "Auto join Teamspeak", {120, 176, 121, 17}, 9, "Auto join Teamspeak"},
        {"cbExit", "Exit on launch game", {256, 176, 153, 17}, 10, "Exit on launch game"},
        {"Label2", "Q3/UT Server", {112, 48, 68, 13}, -1, ""},
        {"edQ3Server", "", {112, 64, 97, 21}, 0, ""},
        {"Label8", "Port", {208, 48, 41, 13}, -1, ""},
        {"edQ3Port", "", {208, 64, 49, 21}, 1, ""},
        {"Label6", "Q3/UT password", {264, 48, 82, 13}, -1, ""},
        {"edQ3Password", "", {264, 64, 145, 21}, 2, ""},
        {"Label4", "Teamspeak server", {112, 88, 97, 13}, -1, ""},
        {"edTSServer", "", {112, 104, 97, 21}, 3, ""},
        {"Label9", "Port", {208, 88, 32, 13}, -1, ""},
        {"edTSPort", "", {208, 104, 49, 21}, 4, ""},
        {"Label3", "Nick name", {264, 88, 73, 13}, -1, ""},
        {"edTSNick", "", {264, 104, 145, 21}, 5, ""},
        {"Label5", "Login name", {112, 128, 65, 13}, -1, ""},
        {"edTSLogin", "", {112, 144, 145, 21}, 6, ""},
        {"Label7", "User Password", {264, 128, 71, 13}, -1, ""},
        {"edTSPassword", "", {264, 144, 145, 21}, 7, ""},
        {"btnLaunchQ3", "Launch game", {16, 200, 75, 25}, 12, "Launch game"},
        {"btnTest", "Test server", {96, 200, 75, 25}, 13, "Test server"},
        {"btnLaunchTS", "Launch TS2", {176, 200, 75, 25}, 14, "Launch TS2"},
        {"btnExit", "Exit", {336, 200, 75, 25}, 15, "Exit"},
        {"Label1", "Program ready", {16, 240, 393, 13}, -1, ""},
        {"Image1", "", {171, 8, 89, 33}, -1, "Visit website"},
        {"Label10", "kestrune.org", {280, 16, 125, 16}, -1, "Visit website"},
    };
    // clang-format on
    TForm1& window = Create();
    EXPECT_EQ(window.windowTitle(), "Kestrune version 2.0");
    ExpectControls(window, controls);

    struct Entry {
        const char* menu;
        std::vector<std::string> entries;  // none: a top-level entry
    };
    const Entry menus[] = {
        {"Files", {"Save", "Exit"}},
        {"Options",
         {"Q3 Path", "TS2 Path", "Launch game", "Launch TS2", "Test server", "Add Mod",
          "Find server...", "Language"}},
        {"About", {}},
    };
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), std::size(menus));
    for (std::size_t i = 0; i < std::size(menus); ++i) {
        EXPECT_EQ(bar[i]->text().toStdString(), menus[i].menu);
        std::vector<std::string> entries;
        if (const QMenu* menu = bar[i]->menu()) {
            for (const QAction* entry : menu->actions()) {
                entries.push_back(entry->text().toStdString());
            }
        }
        EXPECT_EQ(entries, menus[i].entries) << menus[i].menu;
    }
}

TEST_F(StartupTest, ClientAreaMenuAndStatusBarHaveTheirSizes) {
    TForm1& window = Create();
    const int menuHeight = window.menuBar()->height();
    EXPECT_EQ(window.width(), 425);
    EXPECT_EQ(window.height(), menuHeight + 279);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.windowTitle(), "Kestrune version 2.0");
    const QStatusBar& bar = Get<QStatusBar>("StatusBar1");
    EXPECT_EQ(bar.geometry(), QRect(0, menuHeight + 279 - 19, 425, 19));
    EXPECT_FALSE(bar.isSizeGripEnabled());
    EXPECT_EQ(Get<QLabel>("StatusPanel0").width(), 216);
    EXPECT_GT(Get<QLabel>("StatusPanel1").geometry().right(), 400);
    // Controls sit where the layout puts them, within the client area below the menu.
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").geometry(), QRect(112, 64, 97, 21));
    EXPECT_EQ(Get<QPushButton>("btnExit").geometry(), QRect(336, 200, 75, 25));
    EXPECT_EQ(Get<QLabel>("Label1").pos(), QPoint(16, 240));
    EXPECT_EQ(Get<QLabel>("Label1").width(), 393);
    EXPECT_EQ(Get<QLabel>("Image1").geometry(), QRect(171, 8, 89, 33));
    EXPECT_FALSE(Get<QLabel>("Image1").pixmap().isNull());
    EXPECT_EQ(Get<QLabel>("Label10").text(), QString::fromLatin1(kMakerHost));
}

TEST_F(StartupTest, TabOrderFollowsTheFields) {
    Create();
    const char* order[] = {"edQ3Server", "edQ3Port",   "edQ3Password", "edTSServer", "edTSPort",
                           "edTSNick",   "edTSLogin",  "edTSPassword", "cbAutosave", "cbAutojoin",
                           "cbExit",     "GroupItem1", "btnLaunchQ3",  "btnTest",    "btnLaunchTS",
                           "btnExit",    "cbMods"};
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // Disabled buttons take no focus; the game type is one stop, at its selected item.
    for (const char* name : order) {
        QWidget& expected = Get<QWidget>(name);
        if (!expected.isEnabled()) {
            continue;
        }
        EXPECT_EQ(QApplication::focusWidget(),
                  expected.focusProxy() ? expected.focusProxy() : &expected)
            << name << " has " << QApplication::focusWidget()->objectName().toStdString();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Within the game type the arrow keys choose.
    QRadioButton& modsItem = Get<QRadioButton>("GroupItem1");
    modsItem.setFocus();
    QTest::keyClick(&modsItem, Qt::Key_Up);
    EXPECT_TRUE(Get<QRadioButton>("GroupItem0").isChecked());
    EXPECT_FALSE(Get<QComboBox>("cbMods").isEnabled());
}

// Every caption must show whole in the font the system substituted.
TEST_F(StartupTest, NoCaptionIsCutOff) {
    TForm1& window = Create();
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->objectName().startsWith("StatusPanel")) {
            continue;
        }
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width()) << label->objectName().toStdString();
        // Nor may its text run into the next label on its row.
        const int textEnd = label->x() + label->contentsRect().left() + needed;
        for (QLabel* other : window.findChildren<QLabel*>()) {
            const bool sameRow =
                other->y() < label->geometry().bottom() && label->y() < other->geometry().bottom();
            if (other != label && other->parentWidget() == label->parentWidget() && sameRow &&
                other->x() > label->x()) {
                EXPECT_LE(textEnd, other->x()) << label->objectName().toStdString() << " "
                                               << other->objectName().toStdString();
            }
        }
        EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height() + 1)
            << label->objectName().toStdString();
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty()) {
            continue;
        }
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(button)) {
            contents = QStyle::SE_CheckBoxContents;
        } else if (qobject_cast<QRadioButton*>(button)) {
            contents = QStyle::SE_RadioButtonContents;
        }
        const QRect room = button->style()->subElementRect(contents, &option, button);
        const int needed = button->fontMetrics().horizontalAdvance(button->text());
        EXPECT_LE(needed, room.width()) << button->objectName().toStdString();
        // A control that grew to its caption must not run into its neighbour.
        for (QAbstractButton* other : window.findChildren<QAbstractButton*>()) {
            if (other != button && other->parentWidget() == button->parentWidget()) {
                EXPECT_FALSE(other->geometry().intersects(button->geometry()))
                    << button->objectName().toStdString() << " "
                    << other->objectName().toStdString();
            }
        }
    }
    QGroupBox& group = Get<QGroupBox>("Group");
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = group.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, &group);
    EXPECT_LE(title.right(), group.width());
}

}  // namespace
}  // namespace kestrune::test_support
