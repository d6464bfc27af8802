#pragma once

namespace kestrune {

// What the main window's caption, the task switcher and every error box show.
inline constexpr char kApplicationTitle[] = "Kestrune version 2.0";

}  // namespace kestrune
