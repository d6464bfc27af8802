// The Windows program's entry: the common controls, the four windows, the message loop.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <memory>

#include "launcher/settings_location.h"
#include "ui_logic/language_choice.h"
#include "ui_win32/about_window.h"
#include "ui_win32/add_mod_window.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/made_on_first_show.h"
#include "ui_win32/main_window.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/splash_window.h"
#include "ui_win32/startup_trace.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace kestrune;
    StartupCheckpoint("loader");
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    StartupCheckpoint("common_controls");

    // What start-up raises is shown, and the program then ends.
    int exitCode = 1;
    Guarded([&] {
        // Beside the program, or for an installed one in the user's own folder.
        const SettingsFiles files = SettingsFilesOfThisProgram();
        StartupCheckpoint("settings_location");
        // The windows speak the player's language from the start.
        StartInChosenLanguage(files.settingsPath);
        TForm1 form1(files.settingsPath, files.modsListPath);
        // About and Add-mod are hidden until the menu shows them: made then, nothing can tell.
        MadeOnFirstShow<TForm2> form2([&] { return std::make_unique<TForm2>(form1.Handle()); });
        TForm3 form3(form1.Handle());
        StartupCheckpoint("splash_shown");
        MadeOnFirstShow<TForm4> form4(
            [&] { return std::make_unique<TForm4>(form1.Handle(), form1, files.modsListPath); });
        form1.SetSecondaryWindows([&] { return form2.Handle(); }, [&] { return form4.Handle(); });
        // Closing the main window ends the program.
        form1.SetOnClosed([] { ::PostQuitMessage(0); });
        EndStartupTrace();
        exitCode = RunMessageLoop();
    });
    return exitCode;
}
