#include "platform/win32/ansi_text.h"

#include <windows.h>

#include <climits>

namespace kestrune::win32 {

std::wstring WideFromAnsi(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
    }
    return text;
}

namespace {

std::string Convert(std::wstring_view text, BOOL* usedDefault) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, usedDefault);
    std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), needed, nullptr,
                              usedDefault);
    }
    return bytes;
}

}  // namespace

std::string AnsiFromWide(std::wstring_view text) {
    return Convert(text, nullptr);
}

std::string AnsiPathFromWide(const std::wstring& path) {
    BOOL usedDefault = FALSE;
    std::string bytes = Convert(path, &usedDefault);
    if (!usedDefault) {
        return bytes;
    }
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD length =
        ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length > shortPath.size()) {
        shortPath.resize(length);
        length = ::GetShortPathNameW(path.c_str(), shortPath.data(),
                                     static_cast<DWORD>(shortPath.size()));
    }
    if (length == 0 || length > shortPath.size()) {
        return bytes;
    }
    shortPath.resize(length);
    return Convert(shortPath, nullptr);
}

}  // namespace kestrune::win32
