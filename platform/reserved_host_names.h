#pragma once

#include <string_view>

namespace kestrune {

// Names that are answered here and never sent to a name server: "localhost" and the names
// under it are the loopback host, and no name under "invalid" exists. Letters in any case, a
// final "." allowed.
enum class ReservedHostName { None, Loopback, Invalid };

ReservedHostName ClassifyReservedHostName(std::string_view name);

}  // namespace kestrune
