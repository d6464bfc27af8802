#pragma once

#include <string_view>

namespace kestrune {

// The partner: a site useful to every player of the game.
inline constexpr std::string_view kPartnerUrl = "https://ioquake3.org/";
inline constexpr std::string_view kPartnerHost = "ioquake3.org";
// The maker: Kestrune's own site.
inline constexpr std::string_view kMakerUrl = "https://kestrune.org/";
inline constexpr std::string_view kMakerHost = "kestrune.org";

}  // namespace kestrune
