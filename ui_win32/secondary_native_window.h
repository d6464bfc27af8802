#pragma once

#include <windows.h>

#include <string_view>

#include "ui_logic/web_sites.h"
#include "ui_win32/native_window.h"
#include "ui_win32/window_placement.h"

namespace kestrune {

// What the About, splash and Add-mod windows do alike as views of their steps: they bring the
// main window forward, close by hiding, and open web sites in the browser.
template <class View>
class SecondaryNativeWindow : public NativeWindow, protected View {
protected:
    explicit SecondaryNativeWindow(HWND mainWindow) : mainWindow_(mainWindow) {}

    HWND MainWindow() const { return mainWindow_; }

    // The close box hides the window, as its steps' closing does; it lives to the program's end.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CLOSE) {
            CloseWindow();
            return 0;
        }
        return NativeWindow::HandleMessage(message, wParam, lParam);
    }

    // SecondaryWindowView
    void BringMainWindowForward() override { BringForward(mainWindow_); }
    void CloseWindow() override { ::ShowWindow(Handle(), SW_HIDE); }
    void OpenWebSite(std::string_view url) override { kestrune::OpenWebSite(url); }

private:
    HWND mainWindow_;
};

}  // namespace kestrune
