#include "platform/ui_languages.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/utf8_text.h"

namespace kestrune {

std::vector<std::string> PreferredUiLanguages() {
    ULONG count = 0;
    ULONG length = 0;
    if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &length)) {
        return {};
    }
    std::wstring names(length, L'\0');
    if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &length)) {
        return {};
    }
    // "ru-RU", NUL, "en-US", NUL, NUL
    std::vector<std::string> languages;
    std::wstring_view rest(names.data(), names.size());
    while (!rest.empty() && rest.front() != L'\0') {
        const auto end = rest.find(L'\0');
        languages.push_back(win32::Utf8FromWide(rest.substr(0, end)));
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
    }
    return languages;
}

}  // namespace kestrune
