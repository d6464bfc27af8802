#pragma once

#include "i18n/translate.h"

namespace kestrune {

// The maker as the splash and About windows show it (UTF-8). The splash window's caption:
inline constexpr const char* kMakerName = "Kestrune";
// The About window's three lines: a notice with the year, a credit, the country of origin.
inline constexpr const char* kMakerNotice = "Copyright \u00a9 2026 Kestrune";
inline constexpr const char* kMakerCredit = N_("Written by the Kestrune team");
inline constexpr const char* kMakerOrigin = N_("Made in Scotland");

}  // namespace kestrune
