#include "launcher/display_text.h"

#include <algorithm>

#include "launcher/stored_text.h"
#include "platform/code_page.h"

namespace kestrune {

std::string DisplayText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    // A server's answer reads the same whatever the player's language: Windows-1252, whose
    // undefined bytes decode as control characters, which are nothing to show.
    std::u16string text = DecodeStoredText(bytes, kWesternEuropeCodePage);
    std::replace_if(
        text.begin(), text.end(), [](char16_t c) { return c >= 0x80 && c < 0xA0; }, u'\uFFFD');
    return EncodeText(text, TextEncoding::Utf8);
}

std::string Shortened(std::string_view text, std::size_t mostCharacters) {
    std::size_t cut = 0;  // where the character before the ellipsis ends
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        if (characters + 1 == mostCharacters) {
            cut = i;
        }
        if (characters == mostCharacters) {
            return std::string(text.substr(0, cut)) + "\u2026";
        }
        i += std::max<std::size_t>(Utf8SequenceLength(text.substr(i)), 1);
    }
    return std::string(text);
}

}  // namespace kestrune
