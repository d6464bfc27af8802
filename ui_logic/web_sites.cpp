#include "ui_logic/web_sites.h"

#include <utility>

#include "platform/web_browser.h"

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
    OpenInBrowser(url);
}

void SetWebSiteOpener(WebSiteOpener opener) {
    InstalledOpener() = std::move(opener);
}

}  // namespace kestrune
