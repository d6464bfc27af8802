#include "launcher/mods_list.h"

namespace kestrune {

ModsList ParseModsList(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    ModsList mods;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            mods.emplace_back(bytes.substr(start));
            break;
        }
        mods.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') {
            ++start;
        }
    }
    return mods;
}

std::string FormatModsList(const ModsList& mods) {
    size_t total = 0;
    for (const std::string& mod : mods) {
        total += mod.size() + 2;
    }
    std::string bytes;
    bytes.reserve(total);
    for (const std::string& mod : mods) {
        std::string_view entry(mod);
        entry = entry.substr(0, entry.find('\0'));
        for (char c : entry) {
            bytes.push_back(c == '\r' || c == '\n' ? ' ' : c);
        }
        bytes.append("\r\n");
    }
    return bytes;
}

}  // namespace kestrune
