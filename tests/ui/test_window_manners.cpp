// The windows as players of a desktop expect them: the small windows belong to the main window,
// the exception display's box stays in sight, and Enter presses the focused button.
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <string>
#include <tuple>
#include <utility>

#include "tests/ui/main_window_fixture.h"
#include "ui/about_window.h"
#include "ui/add_mod_window.h"
#include "ui/enter_presses_buttons.h"
#include "ui/splash_window.h"

namespace kestrune::test_support {
namespace {

// The four windows, made as the program makes them; the main window owns the other three.
class WindowMannersTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        TForm1& main = Create();
        about_ = new TForm2(main);
        splash_ = new TForm3(main);
        addMod_ = new TForm4(main, main.ModsComboBox(), folder_.filePath("mods.kst").toStdString());
    }

    QWidget* about_ = nullptr;
    QWidget* splash_ = nullptr;
    QWidget* addMod_ = nullptr;
};

TEST_F(WindowMannersTest, TheSmallWindowsAreTransientForTheMainWindow) {
    for (QWidget* window : {about_, splash_, addMod_}) {
        SCOPED_TRACE(window->objectName().toStdString());
        window->show();
        // A dialog with a parent is transient for it (WM_TRANSIENT_FOR on X11).
        EXPECT_EQ(window->windowType(), Qt::Dialog);
        EXPECT_EQ(window->windowHandle()->transientParent(), window_->windowHandle());
    }
}

TEST_F(WindowMannersTest, TheBoxBelongsToTheActiveWindowOrElseToTheMainWindow) {
    SetExceptionPresenter({});
    QWindow anotherProgram;
    for (QWidget* active : {about_, static_cast<QWidget*>(nullptr)}) {
        if (active) {
            active->show();
            QApplication::setActiveWindow(active);
        } else {
            anotherProgram.show();
            anotherProgram.requestActivate();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == active; }));
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            owner = QApplication::activeModalWidget()->parentWidget();
            QApplication::activeModalWidget()->close();
        });
        ShowException("Cannot create file mods.kst");
        EXPECT_EQ(owner, active ? active : window_.get());
    }
}

TEST_F(WindowMannersTest, EnterOrSpaceOnAFocusedButtonPressesItOnce) {
    const EnterPressesButtons enterPressesButtons(*QCoreApplication::instance());
    // Key, modifiers, held down (repeating), presses. Ctrl+Enter is some other command.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, bool, int> keys[] = {
        {Qt::Key_Return, Qt::NoModifier, false, 1},
        {Qt::Key_Enter, Qt::KeypadModifier, false, 1},
        {Qt::Key_Space, Qt::NoModifier, false, 1},
        {Qt::Key_Return, Qt::NoModifier, true, 0},
        {Qt::Key_Return, Qt::ControlModifier, false, 0},
    };
    for (auto [window, name] : {std::pair{about_, "Button1"},
                                {addMod_, "btMods"},
                                {addMod_, "Button1"},
                                {window_.get(), "btnTest"},
                                {window_.get(), "btnExit"}}) {
        auto& button = *window->findChild<QPushButton*>(name);
        for (const auto& [key, modifiers, held, presses] : keys) {
            SCOPED_TRACE(button.text().toStdString() + " " + std::to_string(key));
            window->show();
            button.setFocus();
            QSignalSpy clicked(&button, &QPushButton::clicked);
            QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), held);
            QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), held);
            QApplication::sendEvent(&button, &press);
            QApplication::sendEvent(&button, &release);
            EXPECT_EQ(clicked.count(), presses);
        }
    }
}

TEST_F(WindowMannersTest, EscapeClosesAboutAndAddModAsTheirCloseBoxesDo) {
    // Window, the control with the focus, whether Escape closes the window.
    for (auto [window, name, closes] : {std::tuple{about_, "Button1", true},
                                        {addMod_, "edmods", true},
                                        {addMod_, "btMods", true},
                                        {window_.get(), "btnTest", false}}) {
        SCOPED_TRACE(name);
        window->show();
        auto& control = *window->findChild<QWidget*>(name);
        control.setFocus();
        QTest::keyClicks(&control, "osp");
        QTest::keyClick(&control, Qt::Key_Escape);
        EXPECT_EQ(window->isVisible(), !closes);
    }
    EXPECT_FALSE(QFile::exists(folder_.filePath("mods.kst"))) << "the mods list written";
}

}  // namespace
}  // namespace kestrune::test_support
