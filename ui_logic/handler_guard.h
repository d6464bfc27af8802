#pragma once

#include <exception>
#include <string_view>

#include "platform/exception.h"
#include "i18n/translate.h"

namespace kestrune {

// Runs a handler of a window; whatever it raises is handed, as its message, to show (the
// front-end's exception display), and the program goes on. Nothing escapes into the toolkit.
template <class Handler, class Show>
void RunGuarded(Handler&& handler, Show&& show) noexcept {
    try {
        handler();
    } catch (const Exception& error) {
        show(std::string_view(error.message()));
    } catch (const std::exception& error) {
        show(std::string_view(error.what()));
    } catch (...) {
        show(Tr("Unknown exception"));
    }
}

}  // namespace kestrune
