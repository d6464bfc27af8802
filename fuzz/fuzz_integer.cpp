// The integer conversion against a reference built on strtoll/strtoul: both must agree on
// whether a text is a number and on its value.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/integer_conversion.h"

namespace {

bool AllOf(std::string_view text, int (*accepts)(int)) {
    for (char c : text) {
        if (!accepts(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Leading spaces, one sign, then either a hex prefix ("$", "x", "X", "0x", "0X") with one to
// eight hex digits taken as a 32-bit pattern, or decimal digits within the signed 32-bit range.
std::optional<int> Reference(const std::string& whole) {
    std::string_view text = whole;
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string_view hex;
    bool isHex = false;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        hex = text.substr(2);
        isHex = true;
    } else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        hex = text.substr(1);
        isHex = true;
    }
    if (isHex) {
        if (hex.empty() || hex.size() > 8 || !AllOf(hex, isxdigit)) {
            return std::nullopt;
        }
        const std::string digits(hex);
        const auto pattern = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    if (text.empty() || !AllOf(text, isdigit)) {
        return std::nullopt;
    }
    const std::string digits = (negative ? "-" : "") + std::string(text);
    errno = 0;
    const long long value = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<int> parsed = kestrune::ParseInteger(text);
    if (parsed != Reference(text)) {
        __builtin_trap();
    }
    if (kestrune::IntegerOr(text, 12345) != parsed.value_or(12345)) {
        __builtin_trap();
    }
    try {
        if (kestrune::ToInteger(text) != parsed) {
            __builtin_trap();
        }
    } catch (const kestrune::ConvertError& error) {
        if (parsed || error.message() != "'" + text + "' is not a valid integer value") {
            __builtin_trap();
        }
    }
    return 0;
}
