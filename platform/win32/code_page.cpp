#include "platform/code_page.h"

#include <windows.h>

#include <climits>

namespace kestrune {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

unsigned Usable(unsigned codePage) {
    return ::IsValidCodePage(codePage) ? codePage : kWesternEuropeCodePage;
}

// Appends the whole of bytes, or nothing when a byte of them begins no character.
bool AppendDecoded(std::u16string& text, std::string_view bytes, unsigned codePage) {
    const int length = static_cast<int>(bytes.size());
    const int needed =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    const std::size_t at = text.size();
    text.resize(at + static_cast<std::size_t>(needed));
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                          reinterpret_cast<wchar_t*>(text.data() + at), needed);
    return true;
}

}  // namespace

unsigned SystemCodePage() {
    return ::GetACP();
}

std::u16string DecodeCodePage(std::string_view bytes, unsigned codePage) {
    codePage = Usable(codePage);
    std::u16string text;
    if (bytes.empty() || (bytes.size() <= INT_MAX && AppendDecoded(text, bytes, codePage))) {
        return text;
    }
    // One character at a time, so that only the bytes that begin none are replaced.
    CPINFO info{};
    const bool singleByte = ::GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
    while (!bytes.empty()) {
        const std::size_t length =
            bytes.size() > 1 && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[0])) ? 2 : 1;
        if (AppendDecoded(text, bytes.substr(0, length), codePage)) {
            bytes.remove_prefix(length);
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[0]);
        text.push_back(singleByte ? char16_t{byte} : u'\uFFFD');
        bytes.remove_prefix(1);
    }
    return text;
}

std::optional<std::string> EncodeCodePage(std::u16string_view text, unsigned codePage) {
    codePage = Usable(codePage);
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // No best fit: a character the page lacks is no character of it ("ą" is not "a").
    BOOL usedDefault = FALSE;
    const int needed = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr,
                                             0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), needed,
                          nullptr, &usedDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace kestrune
