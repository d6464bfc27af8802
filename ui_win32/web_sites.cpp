#include "ui_win32/web_sites.h"

#include <windows.h>
// needs windows.h first
#include <shellapi.h>

#include <string>
#include <utility>

#include "ui_win32/wide_text.h"

namespace kestrune {

namespace {

WebSiteOpener& InstalledOpener() {
    static WebSiteOpener opener;
    return opener;
}

}  // namespace

void OpenWebSite(std::string_view url) {
    if (const auto& opener = InstalledOpener()) {
        opener(url);
        return;
    }
    const std::wstring parameters = L"url.dll,FileProtocolHandler " + WideFromUtf8(url);
    ::ShellExecuteW(nullptr, L"open", L"rundll32.exe", parameters.c_str(), nullptr,
                    SW_SHOWMAXIMIZED);
}

void SetWebSiteOpener(WebSiteOpener opener) {
    InstalledOpener() = std::move(opener);
}

}  // namespace kestrune
