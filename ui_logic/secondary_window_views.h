#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"

namespace kestrune {

// What the About, splash and Add-mod windows offer to their steps in secondary_window_steps.h.
class SecondaryWindowView {
public:
    virtual ~SecondaryWindowView() = default;

    // Shows the main window, brings it to the front and activates it.
    virtual void BringMainWindowForward() = 0;
    // Closes (hides) this window.
    virtual void CloseWindow() = 0;
    virtual void OpenWebSite(std::string_view url) = 0;
};

using AboutWindowView = SecondaryWindowView;

class SplashWindowView : public SecondaryWindowView {
public:
    // The splash's one timer (1.5 s).
    virtual bool TimerActive() const = 0;
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
};

class AddModWindowView : public SecondaryWindowView {
public:
    // The name typed in the window, UTF-16.
    virtual std::u16string NameTyped() const = 0;
    // The main window's mods list: its number of entries, and appending an entry while its
    // selection and shown text stay as they were and the main window hears of no change.
    virtual int ModsCount() const = 0;
    virtual void AppendMod(std::u16string_view name) = 0;
    // The entries to write, or nothing when the list was never read.
    virtual std::optional<ModsList> ModsListToWrite() const = 0;
};

}  // namespace kestrune
