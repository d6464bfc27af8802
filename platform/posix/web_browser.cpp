#include "platform/web_browser.h"

#include <string>

#include "platform/process_spawn.h"

namespace kestrune {

void OpenInBrowser(std::string_view url) {
    (void)SpawnDetached("xdg-open", {std::string(url)}, "", ProgramSearch::PathOnly);
}

}  // namespace kestrune
