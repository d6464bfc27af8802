#pragma once

#include <string>
#include <utility>

#include "launcher/settings_store.h"
#include "ui_logic/secondary_window_views.h"

namespace kestrune {

// What the About window does: OK hides it, the pictures open their sites.
class AboutWindowSteps {
public:
    explicit AboutWindowSteps(AboutWindowView& view) : view_(view) {}

    void Button1Click();
    void Image1Click();
    void Image2Click();

private:
    AboutWindowView& view_;
};

// What the splash does: its time runs from the first activation; then the main window comes
// forward and the splash hides for good.
class SplashWindowSteps {
public:
    explicit SplashWindowSteps(SplashWindowView& view) : view_(view) {}

    void FormActivate();
    void Timer1Timer();
    void Image1Click();
    void Label2Click();

private:
    SplashWindowView& view_;
};

// What the Add-mod window does: adds the typed name to the main window's list, and on leaving
// writes the list out.
class AddModWindowSteps {
public:
    // The list is written to modsListPath.
    explicit AddModWindowSteps(AddModWindowView& view, std::string modsListPath = kModsListFileName)
        : view_(view), modsListPath_(std::move(modsListPath)) {}

    void btModsClick();
    void Button1Click();

private:
    AddModWindowView& view_;
    const std::string modsListPath_;
};

}  // namespace kestrune
