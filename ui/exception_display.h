#pragma once

#include <QString>

#include <functional>
#include <string_view>
#include <utility>

#include "ui_logic/handler_guard.h"

class QWidget;

namespace kestrune {

// Every handler that Qt calls runs through Guarded(), so no exception crosses a Qt frame.

// The text shown for a message: a full stop is appended when its last byte sorts after ".".
QString ExceptionText(std::string_view message);

// Shows the message in a critical box captioned with the application title, or hands the
// text to the presenter a test installed.
void ShowException(std::string_view message);

// The box belongs to the active window of the program, or to this one (the main window) when none
// is active. Forgotten when the window goes.
void SetExceptionBoxOwner(QWidget* mainWindow);

using ExceptionPresenter = std::function<void(const QString& text)>;
// Replaces the message box (tests); an empty presenter restores it.
void SetExceptionPresenter(ExceptionPresenter presenter);

// Runs a handler; whatever it throws goes to the exception display and the program goes on.
template <class Handler>
void Guarded(Handler&& handler) noexcept {
    RunGuarded(std::forward<Handler>(handler),
               [](std::string_view message) { ShowException(message); });
}

}  // namespace kestrune
