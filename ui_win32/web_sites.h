#pragma once

#include <functional>
#include <string_view>

namespace kestrune {

// Opens a web site in the player's browser: the shell opens "rundll32.exe" with
// "url.dll,FileProtocolHandler <url>", maximised; the outcome is not looked at. Or hands the
// address to the opener a test installed.
void OpenWebSite(std::string_view url);

using WebSiteOpener = std::function<void(std::string_view url)>;
// Replaces the shell (tests); an empty opener restores it.
void SetWebSiteOpener(WebSiteOpener opener);

}  // namespace kestrune
