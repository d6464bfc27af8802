#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

namespace kestrune {

namespace {

// The pages of one byte per character; the others Windows has (932, 936, 949, 950) use one or
// two.
bool IsSingleByte(unsigned codePage) {
    return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

// The C library's conversion between two encodings, closed on every way out.
class Conversion {
public:
    Conversion(const std::string& to, const std::string& from)
        : descriptor_(::iconv_open(to.c_str(), from.c_str())) {}
    ~Conversion() {
        if (valid()) {
            ::iconv_close(descriptor_);
        }
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Converts what input holds into output, moving both along; false, with errno set, where
    // it stops before the end. The state is flushed at the end and reset after a failure.
    bool Convert(std::string_view& input, char*& output, std::size_t& outputLeft) {
        // The C interface takes the input as modifiable, but never writes it.
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        const bool converted = ::iconv(descriptor_, &in, &inLeft, &output, &outputLeft) !=
                                   static_cast<std::size_t>(-1) &&
                               ::iconv(descriptor_, nullptr, nullptr, &output, &outputLeft) !=
                                   static_cast<std::size_t>(-1);
        input.remove_prefix(input.size() - inLeft);
        if (!converted) {
            const int error = errno;
            ::iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
            errno = error;
        }
        return converted;
    }

private:
    iconv_t descriptor_;
};

std::string IconvName(unsigned codePage) {
    return "CP" + std::to_string(codePage);
}

// UTF-16 as iconv reads and writes it: two bytes per unit, low byte first.
std::string Utf16LeBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

void AppendUtf16Le(std::u16string& text, const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
}

// What each byte of a single-byte page stands for, as the C library reads it; a byte it reads as
// nothing stands for the character of the same number, as on Windows.
using ByteTable = std::array<char16_t, 256>;

ByteTable MakeByteTable(unsigned codePage) {
    ByteTable table{};
    Conversion conversion("UTF-16LE", IconvName(codePage));
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        table[byte] = static_cast<char16_t>(byte);
        if (!conversion.valid()) {
            continue;
        }
        const char in = static_cast<char>(byte);
        std::string_view input(&in, 1);
        std::array<char, 8> out{};
        char* output = out.data();
        std::size_t outputLeft = out.size();
        if (conversion.Convert(input, output, outputLeft) && out.size() - outputLeft == 2) {
            std::u16string character;
            AppendUtf16Le(character, out.data(), 2);
            table[byte] = character[0];
        }
    }
    return table;
}

// Made once per page the program meets, and kept.
const ByteTable& ByteTableOf(unsigned codePage) {
    static std::mutex mutex;
    static std::map<unsigned, ByteTable> tables;
    const std::lock_guard<std::mutex> lock(mutex);
    auto found = tables.find(codePage);
    if (found == tables.end()) {
        found = tables.emplace(codePage, MakeByteTable(codePage)).first;
    }
    return found->second;
}

std::u16string DecodeSingleByte(std::string_view bytes, unsigned codePage) {
    const ByteTable& table = ByteTableOf(codePage);
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(table[static_cast<unsigned char>(byte)]);
    }
    return text;
}

std::optional<std::string> EncodeSingleByte(std::u16string_view text, unsigned codePage) {
    const ByteTable& table = ByteTableOf(codePage);
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t character : text) {
        std::size_t byte = 0;
        while (byte < table.size() && table[byte] != character) {
            ++byte;
        }
        if (byte == table.size()) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(byte));
    }
    return bytes;
}

}  // namespace

unsigned SystemCodePage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return CodePageForLocale(value);
        }
    }
    return kWesternEuropeCodePage;
}

std::u16string DecodeCodePage(std::string_view bytes, unsigned codePage) {
    if (IsSingleByte(codePage)) {
        return DecodeSingleByte(bytes, codePage);
    }
    Conversion conversion("UTF-16LE", IconvName(codePage));
    if (!conversion.valid()) {
        return DecodeSingleByte(bytes, kWesternEuropeCodePage);
    }
    std::u16string text;
    text.reserve(bytes.size());
    // These pages give at most one UTF-16 unit per byte.
    std::string out(bytes.size() * 2 + 8, '\0');
    while (!bytes.empty()) {
        char* output = out.data();
        std::size_t outputLeft = out.size();
        const bool converted = conversion.Convert(bytes, output, outputLeft);
        AppendUtf16Le(text, out.data(), out.size() - outputLeft);
        if (!converted && errno != E2BIG) {
            // A byte that begins no character, or a character cut short at the end.
            text.push_back(u'\uFFFD');
            bytes.remove_prefix(1);
        }
    }
    return text;
}

std::optional<std::string> EncodeCodePage(std::u16string_view text, unsigned codePage) {
    if (IsSingleByte(codePage)) {
        return EncodeSingleByte(text, codePage);
    }
    Conversion conversion(IconvName(codePage), "UTF-16LE");
    if (!conversion.valid()) {
        return EncodeSingleByte(text, kWesternEuropeCodePage);
    }
    const std::string units = Utf16LeBytes(text);
    std::string_view input(units);
    // Two bytes per character at most in these pages; room for more all the same.
    std::string bytes(units.size() * 2 + 8, '\0');
    char* output = bytes.data();
    std::size_t outputLeft = bytes.size();
    if (!conversion.Convert(input, output, outputLeft)) {
        return std::nullopt;
    }
    bytes.resize(bytes.size() - outputLeft);
    return bytes;
}

}  // namespace kestrune
