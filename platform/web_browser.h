#pragma once

#include <string_view>

namespace kestrune {

// Opens a web address in the player's browser, through the desktop's own handler: on Linux
// xdg-open found on PATH (never a program of that name in the current folder), on Windows the
// shell opening "rundll32.exe" with "url.dll,FileProtocolHandler <url>", maximised. The outcome
// is not looked at.
void OpenInBrowser(std::string_view url);

}  // namespace kestrune
