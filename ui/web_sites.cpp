#include "ui/web_sites.h"

#include <utility>

#include "launcher/program_launching.h"

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
    // The desktop's URL handler stands in for the shell's; a quoted argument keeps the URL whole.
    std::string parameters = "\"";
    parameters.append(url);
    parameters += '"';
    (void)RunProgram("xdg-open", parameters, "");
}

void SetWebSiteOpener(WebSiteOpener opener) { InstalledOpener() = std::move(opener); }

}  // namespace kestrune
