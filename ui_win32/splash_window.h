#pragma once

#include <windows.h>

#include <optional>

#include "ui_logic/secondary_window_steps.h"
#include "ui_win32/hints.h"
#include "ui_win32/secondary_native_window.h"

namespace kestrune {

// The splash window: open from its creation, over the main window, for 1.5 seconds; then it
// shows the main window and hides for good. Closed early, it hides, and its time still brings the
// main window forward.
class TForm3 : public SecondaryNativeWindow<SplashWindowView> {
public:
    // The controls' ids and the timer's.
    enum : int { kLabel1 = 101, kImage1, kLabel2 };
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kShowMilliseconds = 1500;

    explicit TForm3(HWND mainWindow);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // SplashWindowView
    bool TimerActive() const override;
    void StartTimer() override;
    void StopTimer() override;

    SplashWindowSteps steps_{*this};
    std::optional<Hints> hints_;
    HWND Label1 = nullptr;
    HWND Image1 = nullptr;
    HWND Label2 = nullptr;
    bool timerActive_ = false;
};

}  // namespace kestrune
