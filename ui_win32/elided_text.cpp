#include "ui_win32/elided_text.h"

namespace kestrune {

int TextWidth(HDC dc, std::wstring_view text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::wstring ElidedRight(HDC dc, std::wstring_view text, int room) {
    if (TextWidth(dc, text) <= room) {
        return std::wstring(text);
    }
    constexpr std::wstring_view kEllipsis = L"\u2026";
    // The longest beginning that fits with the ellipsis, not cutting a surrogate pair.
    std::size_t length = text.size();
    while (length > 0) {
        --length;
        if (length > 0 && IS_LOW_SURROGATE(text[length])) {
            continue;
        }
        std::wstring candidate(text.substr(0, length));
        candidate += kEllipsis;
        if (TextWidth(dc, candidate) <= room) {
            return candidate;
        }
    }
    return TextWidth(dc, kEllipsis) <= room ? std::wstring(kEllipsis) : std::wstring();
}

}  // namespace kestrune
