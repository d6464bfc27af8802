#pragma once

// What the suites that drive the native main window share: the common controls registered once,
// the exception display's texts collected instead of shown, every seam put back after each test,
// and the player's clicks, menu choices and typing as the messages that bring them.

#include <gtest/gtest.h>
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "ui_logic/web_sites.h"
#include "ui_win32/exception_display.h"
#include "ui_win32/executable_dialog.h"
#include "ui_win32/main_window.h"
#include "ui_win32/wide_text.h"

namespace kestrune {

class NativeMainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        SetExceptionPresenter([this](const std::wstring& text) { shown_.push_back(text); });
    }
    void TearDown() override {
        form_.reset();
        SetExceptionPresenter({});
        SetFileDialogAnswer({});
        SetWebSiteOpener({});
    }

    HWND Control(MainWindowId id) const { return form_->Control(id); }
    std::wstring Text(MainWindowId id) const { return WindowText(Control(id)); }
    void Click(MainWindowId id) { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void Menu(MainWindowId id) { ::SendMessageW(form_->Handle(), WM_COMMAND, id, 0); }
    void Type(MainWindowId id, const std::wstring& text) {
        ::SetWindowTextW(Control(id), text.c_str());
    }

    std::unique_ptr<TForm1> form_;
    std::vector<std::wstring> shown_;  // what the exception display showed
};

}  // namespace kestrune
