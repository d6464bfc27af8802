// The Windows program's entry: the common controls, the four windows, the message loop.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include "launcher/settings_location.h"
#include "ui_win32/about_window.h"
#include "ui_win32/add_mod_window.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/main_window.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/splash_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace kestrune;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    // What start-up raises is shown, and the program then ends.
    int exitCode = 1;
    Guarded([&] {
        // Beside the program, or for an installed one in the user's own folder.
        const SettingsFiles files = SettingsFilesOfThisProgram();
        TForm1 form1(files.settingsPath, files.modsListPath);
        TForm2 form2(form1.Handle());
        TForm3 form3(form1.Handle());
        TForm4 form4(form1.Handle(), form1, files.modsListPath);
        form1.SetSecondaryWindows(form2.Handle(), form4.Handle());
        // Closing the main window ends the program.
        form1.SetOnClosed([] { ::PostQuitMessage(0); });
        exitCode = RunMessageLoop();
    });
    return exitCode;
}
