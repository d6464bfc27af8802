#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "launcher/stored_text.h"

namespace kestrune {

// Bytes from the outside as UTF-8 text to show: kept as they are when they are UTF-8 already,
// else read as Windows-1252 (each byte one character; its five unassigned bytes show as U+FFFD).
std::string DisplayText(std::string_view bytes);

// UTF-8 text cut to at most mostCharacters characters, an ellipsis ending a cut text.
std::string Shortened(std::string_view text, std::size_t mostCharacters);

}  // namespace kestrune
