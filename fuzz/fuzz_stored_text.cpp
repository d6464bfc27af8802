// Stored texts, in a code page the input's first byte picks: any bytes go back unchanged, and in
// a single-byte page are shown without a replacement character and written back as they were
// read; any text the player types reads back as typed from the bytes written for it.

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "launcher/stored_text.h"

namespace {

using kestrune::TextEncoding;

constexpr unsigned kCodePages[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256,
                                   1257, 1258, 874,  932,  936,  949,  950};

bool IsSingleByte(unsigned codePage) {
    return codePage < 900 || codePage > 1000;
}

// The text without lone surrogates, which cannot be written.
std::u16string WithoutLoneSurrogates(std::u16string_view text) {
    std::u16string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            kept.push_back(c);
            kept.push_back(text[++i]);
        } else if (!high && !low) {
            kept.push_back(c);
        }
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned codePage = kCodePages[data[0] % std::size(kCodePages)];
    kestrune::SetAnsiCodePage(codePage);
    ++data;
    --size;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Any stored bytes.
    const std::u16string shown = kestrune::DecodeStoredText(bytes);
    // A multi-byte page has sequences that name no character, and characters of two spellings.
    if (IsSingleByte(codePage)) {
        if (!kestrune::IsValidUtf8(bytes) && shown.find(u'\uFFFD') != std::u16string::npos) {
            __builtin_trap();
        }
        if (kestrune::EncodeText(shown, kestrune::EncodingOf(bytes)) != bytes) {
            __builtin_trap();
        }
    }
    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::AnsiCodePage}) {
        if (kestrune::StoredBytesFor(shown, bytes, encoding) != bytes) {
            __builtin_trap();
        }
    }

    // Any typed text, the input taken as UTF-16 code units.
    std::u16string typed;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        typed.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    const std::u16string writable = WithoutLoneSurrogates(typed);
    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::AnsiCodePage}) {
        const std::string written = kestrune::EncodeText(typed, encoding);
        if (kestrune::DecodeStoredText(written) != writable) {
            __builtin_trap();
        }
        if (encoding == TextEncoding::Utf8 && !kestrune::IsValidUtf8(written)) {
            __builtin_trap();
        }
    }
    return 0;
}
