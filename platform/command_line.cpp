#include "platform/command_line.h"

#include <cstddef>
#include <utility>

namespace kestrune {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view parameters) {
    if (const auto nul = parameters.find('\0'); nul != std::string_view::npos) {
        parameters = parameters.substr(0, nul);
    }

    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t end = parameters.size();
    while (true) {
        while (i < end && IsSeparator(parameters[i])) {
            ++i;
        }
        if (i == end) {
            break;
        }

        std::string argument;
        bool quoted = false;
        while (i < end) {
            std::size_t backslashes = 0;
            while (i < end && parameters[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < end && parameters[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && i + 1 < end && parameters[i + 1] == '"') {
                    argument += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            argument.append(backslashes, '\\');
            if (i == end || (!quoted && IsSeparator(parameters[i]))) {
                break;
            }
            argument += parameters[i];
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string QuotedArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    quoted.push_back('"');
    return quoted;
}

}  // namespace kestrune
