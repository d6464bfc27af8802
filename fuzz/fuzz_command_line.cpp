// Splitting a parameter text into arguments: any text splits without harm, and arguments
// quoted the way a Windows program's caller quotes them split back into the same arguments.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"

namespace {

using Arguments = std::vector<std::string>;

std::string Joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        text += kestrune::QuotedArgument(argument);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const Arguments split = kestrune::SplitCommandLine(text);
    std::size_t total = 0;
    for (const std::string& argument : split) {
        if (argument.find('\0') != std::string::npos) {
            __builtin_trap();
        }
        total += argument.size();
    }
    // Every character of an argument comes from the text; nothing is made up.
    if (total > text.size()) {
        __builtin_trap();
    }
    if (kestrune::SplitCommandLine(Joined(split)) != split) {
        __builtin_trap();
    }

    // Arguments made up from the input, NUL-free as every program argument is.
    FuzzedDataProvider provider(data, size);
    Arguments arguments;
    while (provider.remaining_bytes() > 0 && arguments.size() < 32) {
        std::string argument = provider.ConsumeRandomLengthString(128);
        std::erase(argument, '\0');
        arguments.push_back(std::move(argument));
    }
    if (kestrune::SplitCommandLine(Joined(arguments)) != arguments) {
        __builtin_trap();
    }
    return 0;
}
