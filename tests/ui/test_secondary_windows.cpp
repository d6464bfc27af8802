// The splash, About and Add-mod windows, driven as a user drives them, offscreen.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "tests/ui/control_table.h"
#include "ui/about_window.h"
#include "ui/add_mod_window.h"
#include "ui/exception_display.h"
#include "ui/splash_window.h"
#include "ui/window_placement.h"
#include "ui_logic/web_sites.h"

namespace kestrune {
namespace {

template <class T>
T& Child(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(name);
    if (!child) {
        ADD_FAILURE() << "no control " << name;
        std::abort();
    }
    return *child;
}

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton);
}

// A stand-in main window with its mods combo box; the web sites and the exception display are
// observed instead of opened and shown.
class SecondaryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWebSiteOpener([this](std::string_view url) { opened.emplace_back(url); });
        SetExceptionPresenter([this](const QString& text) { shown.push_back(text); });
        mods.setEditable(true);
        mainWindow.setGeometry(200, 150, 425, 300);
    }
    void TearDown() override {
        SetWebSiteOpener({});
        SetExceptionPresenter({});
    }

    QWidget mainWindow;
    QComboBox mods{&mainWindow};
    std::vector<std::string> opened;
    std::vector<QString> shown;
};

// Runs each test in a fresh current folder, where "mods.kst" goes.
class AddModWindowTest : public SecondaryWindowTest {
protected:
    void SetUp() override {
        SecondaryWindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        mods.addItems({"baseq3", "cpma"});
        mods.setCurrentIndex(1);
        mods.setEditText("Mods");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override {
        QDir::setCurrent(previous);
        SecondaryWindowTest::TearDown();
    }

    void AddMod(const QString& name) {
        Child<QLineEdit>(window, "edmods").setText(name);
        Click(Child<QPushButton>(window, "btMods"));
    }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < mods.count(); ++i) {
            items << mods.itemText(i);
        }
        return items;
    }

    QTemporaryDir folder;
    QString previous;
    TForm4 window{mainWindow, mods};
};

TEST(WindowPlacement, CentresAndKeepsWindowsOnScreen) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(CentredTopLeft(screen, {362, 299}), QPoint(459, 362));
    // Centred on a window near the corner: never left of or above 0.
    EXPECT_EQ(CentredTopLeft(QRect(-100, -40, 200, 100), {390, 340}), QPoint(0, 0));
    EXPECT_EQ(CentredTopLeft(QRect(500, 400, 425, 330), {390, 340}), QPoint(517, 395));

    EXPECT_EQ(KeptOnScreen({963, 695}, {198, 144}, screen), QPoint(963, 695));
    EXPECT_EQ(KeptOnScreen({963, 695}, {198, 144}, QRect(0, 0, 1024, 768)), QPoint(826, 624));
    EXPECT_EQ(KeptOnScreen({963, 695}, {198, 144}, QRect(0, 0, 800, 600)), QPoint(602, 456));
    // A second screen to the right, and a screen smaller than the window.
    EXPECT_EQ(KeptOnScreen({963, 695}, {198, 144}, QRect(1280, 0, 800, 600)), QPoint(1280, 456));
    EXPECT_EQ(KeptOnScreen({963, 695}, {198, 144}, QRect(0, 0, 150, 100)), QPoint(0, 0));
}

using test_support::Control;
using test_support::ExpectControls;

// Each window's caption, and its controls' captions, hints, places, sizes and tab order.
TEST_F(SecondaryWindowTest, SplashControlsAreWhereAndWhatTheyShouldBe) {
    const Control controls[] = {
        {"Label1", "Kestrune 2.0 by", {56, 8, 0, 0}, -1, ""},
        {"Image1", "", {16, 40, 321, 185}, -1, "Visit website"},
        {"Label2", "kestrune.org", {64, 232, 0, 0}, -1, "Visit website"},
    };
    TForm3 splash(mainWindow);
    EXPECT_EQ(splash.windowTitle(), "Kestrune");
    ExpectControls(splash, controls);
}

TEST_F(SecondaryWindowTest, AboutControlsAreWhereAndWhatTheyShouldBe) {
    const Control controls[] = {
        {"Image2", "", {32, 8, 321, 185}, -1, "Visit website"},
        {"Image1", "", {32, 200, 89, 33}, -1, "Visit website"},
        {"Label5", "Kestrune version 2.0", {240, 200, 0, 0}, -1, ""},
        {"Label2", "Copyright \u00a9 2026 Kestrune", {192, 224, 0, 0}, -1, ""},
        {"Label1", "Written by the Kestrune team", {32, 248, 0, 0}, -1, ""},
        {"Label4", "Made in Scotland", {264, 248, 0, 0}, -1, ""},
        {"Button1", "OK", {152, 272, 75, 25}, 0, ""},
    };
    TForm2 about(mainWindow);
    EXPECT_EQ(about.windowTitle(), "About Kestrune");
    EXPECT_EQ(about.size(), QSize(382, 310));
    ExpectControls(about, controls);
}

TEST_F(SecondaryWindowTest, AddModControlsAreWhereAndWhatTheyShouldBe) {
    const Control controls[] = {
        {"Label1", "Type mod name", {16, 16, 0, 0}, -1, ""},
        {"edmods", "", {16, 32, 153, 21}, 0, "Type here"},
        {"btMods", "Add Mod", {16, 64, 75, 25}, 1, ""},
        {"Button1", "Exit add mod", {96, 64, 75, 25}, 2, ""},
    };
    TForm4 addMod(mainWindow, mods);
    EXPECT_EQ(addMod.windowTitle(), "ADD Mods");
    ExpectControls(addMod, controls);
}

TEST_F(SecondaryWindowTest, NoWindowEndsTheProgramOrCutsOffItsTexts) {
    TForm2 about(mainWindow);
    TForm3 splash(mainWindow);
    TForm4 addMod(mainWindow, mods);
    for (QWidget* window : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&splash),
                            static_cast<QWidget*>(&addMod)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
        EXPECT_EQ(window->font().family(), "MS Sans Serif");
        const QRect client = window->rect();
        for (QLabel* label : window->findChildren<QLabel*>()) {
            SCOPED_TRACE(label->objectName().toStdString());
            EXPECT_TRUE(client.contains(label->geometry())) << "outside the window";
            if (label->pixmap().isNull()) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
            }
        }
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_TRUE(client.contains(button->geometry())) << "outside the window";
            EXPECT_GT(button->width(), button->fontMetrics().horizontalAdvance(button->text()));
        }
    }
    // The About window's lines share rows: they must not run into each other.
    const auto texts = about.findChildren<QLabel*>();
    for (QLabel* a : texts) {
        for (QLabel* b : texts) {
            if (a != b) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " overlaps "
                    << b->objectName().toStdString();
            }
        }
    }
}

TEST_F(SecondaryWindowTest, SplashShowsForItsTimeOnce) {
    QElapsedTimer clock;
    clock.start();
    TForm3 splash(mainWindow);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(mainWindow.isVisible());
    auto& timer = Child<QTimer>(splash, "Timer1");
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 1500);
    // A coarse timer may fire up to 5 % early.
    EXPECT_EQ(timer.timerType(), Qt::PreciseTimer);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 20'000));
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(mainWindow.isVisible());

    QTest::qWait(200);
    EXPECT_FALSE(splash.isVisible());
}

TEST_F(SecondaryWindowTest, ActivatingTheSplashDoesNotRestartItsTime) {
    TForm3 splash(mainWindow);
    auto& timer = Child<QTimer>(splash, "Timer1");
    // A long interval keeps the splash up however busy the machine is.
    timer.setInterval(60'000);
    QTest::qWait(50);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&splash, &activate);
    EXPECT_TRUE(timer.isActive());
    EXPECT_LT(timer.remainingTime(), 60'000 - 40) << "activation restarted the interval";
}

TEST_F(SecondaryWindowTest, SplashClosedEarlyStillShowsTheMainWindowOnTime) {
    TForm3 splash(mainWindow);
    splash.close();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow.isVisible(); }, 3000));
    EXPECT_FALSE(splash.isVisible());
}

TEST_F(SecondaryWindowTest, PicturesAndLinksOpenTheirSites) {
    TForm3 splash(mainWindow);
    Click(Child<QLabel>(splash, "Image1"));
    Click(Child<QLabel>(splash, "Label2"));
    TForm2 about(mainWindow);
    about.show();
    Click(Child<QLabel>(about, "Image1"));
    Click(Child<QLabel>(about, "Image2"));
    EXPECT_EQ(opened, (std::vector<std::string>{std::string(kMakerUrl), std::string(kMakerUrl),
                                                std::string(kPartnerUrl), std::string(kMakerUrl)}));
    for (QLabel* link : {&Child<QLabel>(splash, "Image1"), &Child<QLabel>(splash, "Label2"),
                         &Child<QLabel>(about, "Image1"), &Child<QLabel>(about, "Image2")}) {
        EXPECT_EQ(link->toolTip(), "Visit website");
        // Hints leave as soon as the main window's do.
        EXPECT_EQ(link->toolTipDuration(), 2500);
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_FALSE(Child<QLabel>(about, "Image2").pixmap().isNull());
    EXPECT_EQ(Child<QLabel>(about, "Image1").pixmap().size(), QSize(88, 31));

    // A press dragged off the picture before release is no click.
    auto& logo = Child<QLabel>(about, "Image1");
    QTest::mousePress(&logo, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&logo, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_EQ(opened.size(), 4u);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SecondaryWindowTest, AboutOkShowsTheMainWindowAndAboutKeepsItsPlace) {
    TForm2 about(mainWindow);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.size(), QSize(382, 310));
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    // Centred on the main window, give or take the frame the window manager adds.
    const QPoint offset = about.geometry().center() - mainWindow.geometry().center();
    EXPECT_LE(offset.manhattanLength(), 40) << offset.x() << "," << offset.y();

    Click(Child<QPushButton>(about, "Button1"));
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(mainWindow.isVisible());

    about.move(30, 40);
    const QPoint left = about.pos();
    about.show();
    EXPECT_EQ(about.pos(), left);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SecondaryWindowTest, AboutNearTheCornerStaysOnScreen) {
    mainWindow.setGeometry(0, 0, 100, 80);
    TForm2 about(mainWindow);
    about.show();
    EXPECT_GE(about.frameGeometry().left(), 0);
    EXPECT_GE(about.frameGeometry().top(), 0);
}

TEST_F(AddModWindowTest, AddsNamesUnchangedWithoutTouchingTheSelection) {
    QSignalSpy indexChanges(&mods, &QComboBox::currentIndexChanged);
    QSignalSpy textChanges(&mods, &QComboBox::currentTextChanged);
    AddMod(" osp ");
    EXPECT_EQ(Child<QLineEdit>(window, "edmods").text(), " osp ") << "the edit is never cleared";
    AddMod(" osp ");
    AddMod("");
    EXPECT_EQ(Items(), (QStringList{"baseq3", "cpma", " osp ", " osp ", ""}));
    EXPECT_EQ(mods.currentIndex(), 1);
    EXPECT_EQ(mods.currentText(), "Mods");
    EXPECT_EQ(indexChanges.count(), 0);
    EXPECT_EQ(textChanges.count(), 0);
    EXPECT_FALSE(QFile::exists("mods.kst")) << "written before Exit add mod";
    EXPECT_TRUE(shown.empty());
}

TEST_F(AddModWindowTest, AnEmptyListDoesNotSelectItsFirstName) {
    mods.clear();
    mods.setEditText("Mods");
    AddMod("defrag");
    EXPECT_EQ(Items(), QStringList{"defrag"});
    EXPECT_EQ(mods.currentIndex(), -1);
    EXPECT_EQ(mods.currentText(), "Mods");
}

TEST_F(AddModWindowTest, AFullListRefusesTheName) {
    mods.setMaxCount(2);
    AddMod("osp");
    EXPECT_EQ(Items(), (QStringList{"baseq3", "cpma"}));
    EXPECT_EQ(shown, std::vector<QString>{"Unable to insert a line."});
    EXPECT_TRUE(window.isVisible());
}

TEST_F(AddModWindowTest, ExitWritesTheListAndShowsTheMainWindow) {
    AddMod("osp");
    AddMod("");
    Click(Child<QPushButton>(window, "Button1"));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(mainWindow.isVisible());
    QFile file("mods.kst");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("baseq3\r\ncpma\r\nosp\r\n\r\n"));
}

TEST_F(AddModWindowTest, AFailedWriteKeepsTheWindowOpen) {
    ASSERT_TRUE(QDir().mkdir("mods.kst"));
    Click(Child<QPushButton>(window, "Button1"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Cannot create file mods.kst.");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(mainWindow.isVisible());
}

TEST_F(AddModWindowTest, TheCloseBoxWritesNothing) {
    AddMod("osp");
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFile::exists("mods.kst"));
    EXPECT_EQ(Items(), (QStringList{"baseq3", "cpma", "osp"}));
    EXPECT_FALSE(mainWindow.isVisible());
}

TEST_F(AddModWindowTest, OpensOnScreenThenWhereItWasLeft) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(window.pos(), QSize(198, 144))))
        << window.pos().x() << "," << window.pos().y();
    if (screen.contains(QRect(963, 695, 198, 144))) {
        EXPECT_EQ(window.pos(), QPoint(963, 695));
    }
    window.close();
    window.move(10, 20);
    window.show();
    EXPECT_EQ(window.pos(), QPoint(10, 20));

    // Tab goes from the name to "Add Mod" to "Exit add mod".
    auto& name = Child<QLineEdit>(window, "edmods");
    EXPECT_EQ(name.nextInFocusChain(), &Child<QPushButton>(window, "btMods"));
    EXPECT_EQ(Child<QPushButton>(window, "btMods").nextInFocusChain(),
              &Child<QPushButton>(window, "Button1"));
    EXPECT_EQ(name.toolTip(), "Type here");
    EXPECT_EQ(name.toolTipDuration(), 2500);
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
