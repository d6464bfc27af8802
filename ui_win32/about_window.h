#pragma once

#include <windows.h>

#include <optional>

#include "ui_logic/secondary_window_steps.h"
#include "ui_win32/hints.h"
#include "ui_win32/secondary_native_window.h"

namespace kestrune {

// The About window: the maker's picture and the partner's logo, both linking to their web
// sites, the version and three lines about the maker. Modeless and hidden until the main window
// shows it (BringForward); it is then centred on the main window the first time, later where it
// was left. OK, Escape and the close box hide it.
class TForm2 : public SecondaryNativeWindow<AboutWindowView> {
public:
    // The controls' ids; OK is the window's default button (Enter).
    enum : int { kButton1 = IDOK, kImage2 = 101, kImage1, kLabel5, kLabel2, kLabel1, kLabel4 };

    explicit TForm2(HWND mainWindow);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Retranslate();

    AboutWindowSteps steps_{*this};
    bool placed_ = false;
    std::optional<Hints> hints_;
};

}  // namespace kestrune
