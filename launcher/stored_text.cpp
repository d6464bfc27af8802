#include "launcher/stored_text.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include "platform/code_page.h"

namespace kestrune {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

std::atomic<unsigned> chosenCodePage{0};

}  // namespace

unsigned AnsiCodePage() {
    if (const unsigned chosen = chosenCodePage.load(); chosen != 0) {
        return chosen;
    }
    static const unsigned system = SystemCodePage();
    return system;
}

void SetAnsiCodePage(unsigned codePage) {
    chosenCodePage = codePage;
}

size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty()) {
        return 0;
    }
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i))) {
            return 0;
        }
    }
    return length;
}

namespace {

void AppendUtf16(std::u16string& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        text.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

void AppendUtf8(std::string& bytes, char32_t codePoint) {
    if (codePoint < 0x80) {
        bytes.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        bytes.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        bytes.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        bytes.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::string EncodeUtf8(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((char32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c < 0xD800 || c > 0xDFFF) {
            AppendUtf8(bytes, c);
        }
    }
    return bytes;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t length = Utf8SequenceLength(bytes);
        if (length == 0) {
            return false;
        }
        bytes.remove_prefix(length);
    }
    return true;
}

namespace {

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// The encoding of texts that are all valid UTF-8.
TextEncoding EncodingOfUtf8(bool allAscii) {
#ifdef _WIN32
    // Windows starts the programs with their command line read in the ANSI code page: a file
    // that says nothing else gets the player's texts in it.
    return allAscii ? TextEncoding::AnsiCodePage : TextEncoding::Utf8;
#else
    (void)allAscii;
    return TextEncoding::Utf8;
#endif
}

}  // namespace

TextEncoding EncodingOf(std::string_view fileBytes) {
    return IsValidUtf8(fileBytes) ? EncodingOfUtf8(IsAscii(fileBytes)) : TextEncoding::AnsiCodePage;
}

TextEncoding EncodingOf(const std::vector<std::string>& texts) {
    const bool allUtf8 = std::all_of(texts.begin(), texts.end(),
                                     [](const std::string& text) { return IsValidUtf8(text); });
    const bool allAscii = std::all_of(texts.begin(), texts.end(),
                                      [](const std::string& text) { return IsAscii(text); });
    return allUtf8 ? EncodingOfUtf8(allAscii) : TextEncoding::AnsiCodePage;
}

std::u16string DecodeStoredText(std::string_view bytes) {
    return DecodeStoredText(bytes, AnsiCodePage());
}

std::u16string DecodeStoredText(std::string_view bytes, unsigned codePage) {
    if (!IsValidUtf8(bytes)) {
        return DecodeCodePage(bytes, codePage);
    }
    std::u16string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const size_t length = Utf8SequenceLength(bytes);
        char32_t codePoint = static_cast<unsigned char>(bytes[0]);
        if (length > 1) {
            codePoint &= 0x7F >> length;
            for (size_t i = 1; i < length; ++i) {
                codePoint = codePoint << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3F);
            }
        }
        AppendUtf16(text, codePoint);
        bytes.remove_prefix(length);
    }
    return text;
}

std::string EncodeText(std::u16string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::AnsiCodePage) {
        // Bytes that happen to be UTF-8 would be shown as another text when read back.
        std::optional<std::string> bytes = EncodeCodePage(text, AnsiCodePage());
        if (bytes && DecodeStoredText(*bytes) == text) {
            return *std::move(bytes);
        }
    }
    return EncodeUtf8(text);
}

std::string StoredBytesFor(std::u16string_view shown, std::string_view stored,
                           TextEncoding encoding) {
    if (DecodeStoredText(stored) == shown) {
        return std::string(stored);
    }
    return EncodeText(shown, encoding);
}

std::string SystemText(std::string_view stored) {
#ifdef _WIN32
    return EncodeText(DecodeStoredText(stored), TextEncoding::Utf8);
#else
    return std::string(stored);
#endif
}

std::string StoredSystemText(std::string_view systemText, TextEncoding encoding) {
#ifdef _WIN32
    return EncodeText(DecodeStoredText(systemText), encoding);
#else
    (void)encoding;
    return std::string(systemText);
#endif
}

}  // namespace kestrune
