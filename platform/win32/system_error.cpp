#include "platform/system_error.h"

#include <windows.h>

#include "platform/win32/utf8_text.h"

namespace kestrune {

std::string SystemErrorMessage(int errorNumber) {
    // The system picks the language (0); the text keeps its closing line break.
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(errorNumber), 0, reinterpret_cast<wchar_t*>(&buffer), 0,
        nullptr);
    std::string message;
    if (buffer != nullptr) {
        message = win32::Utf8FromWide(std::wstring_view(buffer, length));
        ::LocalFree(buffer);
    }
    if (message.empty()) {
        message = "Unknown error " + std::to_string(errorNumber);
    }
    return message;
}

}  // namespace kestrune
