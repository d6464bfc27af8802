#include "launcher/integer_conversion.h"
#include "i18n/translate.h"
#include "platform/ascii_text.h"

#include <cstdint>
#include <limits>

namespace kestrune {

namespace {

// One to eight hex digits and nothing after them, as a 32-bit pattern: "FFFFFFFF" is -1.
std::optional<uint32_t> ParseHexDigits(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (char c : digits) {
        int digit = HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

// Decimal digits and nothing after them, as a magnitude that still fits a negated int.
std::optional<uint32_t> ParseDecimalDigits(std::string_view digits, bool negative) {
    if (digits.empty()) {
        return std::nullopt;
    }
    const uint64_t limit =
        static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    // Hex with the C prefix ("0x1F") is the same number as with "$", which the rules below
    // accept anyway, so no special case is needed for it.
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(i);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::optional<uint32_t> magnitude;
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        magnitude = ParseHexDigits(text.substr(1));
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        magnitude = ParseHexDigits(text.substr(2));
    } else {
        magnitude = ParseDecimalDigits(text, negative);
    }
    if (!magnitude) {
        return std::nullopt;
    }
    // Wrapping arithmetic on the 32-bit pattern: "-$1" is -1 and "-2147483648" fits.
    uint32_t bits = negative ? 0u - *magnitude : *magnitude;
    return static_cast<int32_t>(bits);
}

int IntegerOr(std::string_view text, int fallback) {
    return ParseInteger(text).value_or(fallback);
}

int ToInteger(std::string_view text) {
    std::optional<int> value = ParseInteger(text);
    if (!value) {
        throw ConvertError(Format(Tr("'%1' is not a valid integer value"), {text}));
    }
    return *value;
}

}  // namespace kestrune
