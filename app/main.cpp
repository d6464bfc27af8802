#include <QApplication>
#include <QProxyStyle>

#include <memory>

#include "launcher/settings_location.h"
#include "ui_logic/language_choice.h"
#include "launcher/settings_store.h"
#include "ui/about_window.h"
#include "ui/add_mod_window.h"
#include "ui/enter_presses_buttons.h"
#include "ui/exception_display.h"
#include "ui/main_window.h"
#include "ui/splash_window.h"

namespace {

// Hints show half a second after the pointer comes to rest (each hinted control hides its hint
// again after two and a half).
class HintTimingStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) {
            return 500;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    using namespace kestrune;
    QApplication app(argc, argv);
    QApplication::setApplicationName("kestrune");
    QApplication::setStyle(new HintTimingStyle);
    // The main window alone decides when the program ends, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    const EnterPressesButtons enterPressesButtons(app);

    std::unique_ptr<TForm1> form1;
    // The main window's own windows, its children: declared after it, they go before it.
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    bool created = false;
    Guarded([&] {
        // Beside the program, or for an installed one in the user's configuration folder.
        const SettingsFiles files = SettingsFilesOfThisProgram();
        // The windows speak the player's language from the start.
        StartInChosenLanguage(files.settingsPath);
        form1 = std::make_unique<TForm1>(files.settingsPath, files.modsListPath);
        form2 = std::make_unique<TForm2>(*form1);
        form3 = std::make_unique<TForm3>(*form1);
        form4 = std::make_unique<TForm4>(*form1, form1->ModsComboBox(), files.modsListPath);
        form1->SetSecondaryWindows(form2.get(), form4.get());
        created = true;
    });
    if (!created) {
        return 1;
    }
    QObject::connect(form1.get(), &TForm1::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    int exitCode = 1;
    Guarded([&] { exitCode = QApplication::exec(); });
    return exitCode;
}
