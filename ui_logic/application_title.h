#pragma once

#include "i18n/translate.h"

namespace kestrune {

// What the main window's caption, the task switcher and every error box show.
inline constexpr const char* kApplicationTitle = N_("Kestrune version 2.0");

}  // namespace kestrune
