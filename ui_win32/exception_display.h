#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "ui_logic/handler_guard.h"

namespace kestrune {

// The text shown for a message as raised (bytes in the settings' encodings): a full stop is
// appended when its last byte sorts after ".".
std::wstring ExceptionText(std::string_view message);

// Shows the text in a message box with the stop icon, captioned with the application title,
// over the active window; every window of the program is disabled while it is up and the
// focus goes back where it was. Or hands the text to the presenter a test installed.
void ShowException(std::string_view message);

// The window that owns the box when none of the program's windows is active (the main window),
// so that the box never hides behind other programs' windows; null for none.
void SetExceptionBoxOwner(HWND window);

using ExceptionPresenter = std::function<void(const std::wstring& text)>;
// Replaces the message box (tests); an empty presenter restores it.
void SetExceptionPresenter(ExceptionPresenter presenter);

// Runs a handler; whatever it raises goes to the exception display and the program goes on.
template <class Handler>
void Guarded(Handler&& handler) noexcept {
    RunGuarded(std::forward<Handler>(handler),
               [](std::string_view message) { ShowException(message); });
}

}  // namespace kestrune
