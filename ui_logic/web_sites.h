#pragma once

#include <functional>
#include <string_view>

#include "ui_logic/web_site_addresses.h"

namespace kestrune {

// Opens a web site in the player's browser (OpenInBrowser), or hands the address to the opener
// a test installed.
void OpenWebSite(std::string_view url);

using WebSiteOpener = std::function<void(std::string_view url)>;
// Replaces the browser (tests); an empty opener restores it.
void SetWebSiteOpener(WebSiteOpener opener);

}  // namespace kestrune
