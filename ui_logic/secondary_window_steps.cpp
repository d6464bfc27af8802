#include "ui_logic/secondary_window_steps.h"

#include <optional>

#include "launcher/settings_store.h"
#include "platform/exception.h"
#include "ui_logic/web_site_addresses.h"
#include "i18n/translate.h"

namespace kestrune {

void AboutWindowSteps::Button1Click() {
    view_.BringMainWindowForward();
    view_.CloseWindow();
}

void AboutWindowSteps::Image1Click() {
    view_.OpenWebSite(kPartnerUrl);
}

void AboutWindowSteps::Image2Click() {
    view_.OpenWebSite(kMakerUrl);
}

// Enabling the timer while it runs changes nothing, so activations never restart the interval.
void SplashWindowSteps::FormActivate() {
    if (!view_.TimerActive()) {
        view_.StartTimer();
    }
}

void SplashWindowSteps::Timer1Timer() {
    view_.StopTimer();
    view_.BringMainWindowForward();
    view_.CloseWindow();
}

void SplashWindowSteps::Image1Click() {
    view_.OpenWebSite(kMakerUrl);
}

void SplashWindowSteps::Label2Click() {
    view_.OpenWebSite(kMakerUrl);
}

// Appends the name as typed, even empty or already listed; nothing is written yet.
void AddModWindowSteps::btModsClick() {
    const int count = view_.ModsCount();
    view_.AppendMod(view_.NameTyped());
    if (view_.ModsCount() == count) {
        throw Exception(std::string(Tr("Unable to insert a line")));
    }
}

// A list that could not be read at start-up is not written: the player's file stays as it is.
void AddModWindowSteps::Button1Click() {
    if (const std::optional<ModsList> mods = view_.ModsListToWrite()) {
        SaveModsList(*mods, modsListPath_);
    }
    view_.BringMainWindowForward();
    view_.CloseWindow();
}

}  // namespace kestrune
