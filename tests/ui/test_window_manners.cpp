// The windows as players of a desktop expect them: the small windows belong to the main window,
// and the exception display's box stays in sight.
#include <QTimer>
#include <QWindow>

#include "tests/ui/main_window_fixture.h"
#include "ui/about_window.h"
#include "ui/add_mod_window.h"
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

}  // namespace
}  // namespace kestrune::test_support
