#include "ui/web_sites.h"

#include <string>
#include <utility>

#include "platform/process_spawn.h"

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
    // The desktop's URL handler stands in for the shell's, and only the desktop's own: never a
    // program of that name in the current folder.
    (void)SpawnDetached("xdg-open", {std::string(url)}, "", ProgramSearch::PathOnly);
}

void SetWebSiteOpener(WebSiteOpener opener) {
    InstalledOpener() = std::move(opener);
}

}  // namespace kestrune
