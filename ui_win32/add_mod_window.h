#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "launcher/settings_store.h"
#include "ui_logic/secondary_window_steps.h"
#include "ui_win32/hints.h"
#include "ui_win32/mods_list_access.h"
#include "ui_win32/secondary_native_window.h"

namespace kestrune {

// The Add-mod window: appends names to the main window's mods list and writes the list out.
// Modeless and hidden until the main window shows it (BringForward); it opens first at its
// fixed place on the screen, later where it was left. Its close box and Escape hide it without
// writing: the names added are saved with the settings.
class TForm4 : public SecondaryNativeWindow<AddModWindowView> {
public:
    // The controls' ids.
    enum : int { kLabel1 = 101, kEdmods, kBtMods, kButton1 };

    // The list is written to modsListPath.
    TForm4(HWND mainWindow, ModsListAccess& mods, std::string modsListPath = kModsListFileName);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Retranslate();
    // Buttons as wide as their captions need, the window as wide as its controls need.
    void LayOut();

    // AddModWindowView
    std::u16string NameTyped() const override;
    int ModsCount() const override;
    void AppendMod(std::u16string_view name) override;
    std::optional<ModsList> ModsListToWrite() const override;

    ModsListAccess& mods_;
    AddModWindowSteps steps_;
    bool placed_ = false;
    std::optional<Hints> hints_;
    HWND edmods = nullptr;
};

}  // namespace kestrune
