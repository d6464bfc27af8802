#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrune {

// The length of the well-formed UTF-8 sequence that text begins with, or 0 when it begins with
// none (or is empty).
std::size_t Utf8SequenceLength(std::string_view text);

// Bytes from the outside as UTF-8 text to show: kept as they are when they are UTF-8 already,
// else read as Windows-1252 (each byte one character; its five unassigned bytes show as U+FFFD).
std::string DisplayText(std::string_view bytes);

// UTF-8 text cut to at most mostCharacters characters, an ellipsis ending a cut text.
std::string Shortened(std::string_view text, std::size_t mostCharacters);

}  // namespace kestrune
