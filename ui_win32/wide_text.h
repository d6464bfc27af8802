#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/utf8_text.h"

namespace kestrune {

// Win32's wide texts and the window steps' UTF-16 texts are the same 16-bit units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string Utf16(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// The program's own UTF-8 texts (web addresses, server details, paths) for a control.
using win32::WideFromUtf8;

// A window's or control's text.
std::wstring WindowText(HWND window);

}  // namespace kestrune
