#include "platform/ui_languages.h"

#include <cstdlib>
#include <string_view>

namespace kestrune {

namespace {

std::string_view Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::vector<std::string> PreferredUiLanguages() {
    std::vector<std::string> languages;
    std::string_view list = Variable("LANGUAGE");
    while (!list.empty()) {
        const auto colon = list.find(':');
        if (const auto item = list.substr(0, colon); !item.empty()) {
            languages.emplace_back(item);
        }
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const std::string_view locale = Variable(name); !locale.empty()) {
            languages.emplace_back(locale);
            break;
        }
    }
    return languages;
}

}  // namespace kestrune
