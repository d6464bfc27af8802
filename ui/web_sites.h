#pragma once

#include <functional>
#include <string_view>

namespace kestrune {

// The partner: a site useful to every player of the game.
inline constexpr std::string_view kPartnerUrl = "https://ioquake3.org/";
inline constexpr std::string_view kPartnerHost = "ioquake3.org";
// The maker: Kestrune's own site.
inline constexpr std::string_view kMakerUrl = "https://kestrune.org/";
inline constexpr std::string_view kMakerHost = "kestrune.org";

// Opens a web site in the desktop's browser (xdg-open); the outcome is not looked at.
void OpenWebSite(std::string_view url);

using WebSiteOpener = std::function<void(std::string_view url)>;
// Replaces the browser (tests); an empty opener restores it.
void SetWebSiteOpener(WebSiteOpener opener);

}  // namespace kestrune
