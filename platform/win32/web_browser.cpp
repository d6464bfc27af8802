#include "platform/web_browser.h"

#include <windows.h>
// needs windows.h first
#include <shellapi.h>

#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/utf8_text.h"

namespace kestrune {

void OpenInBrowser(std::string_view url) {
    const std::wstring parameters = L"url.dll,FileProtocolHandler " + win32::WideFromUtf8(url);
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*,
                                                    const wchar_t*, const wchar_t*, INT);
    static const auto shellExecute =
        win32::SystemFunction<ShellExecuteFunction>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute) {
        shellExecute(nullptr, L"open", L"rundll32.exe", parameters.c_str(), nullptr,
                     SW_SHOWMAXIMIZED);
    }
}

}  // namespace kestrune
