#pragma once

#include <string>
#include <vector>

namespace kestrune {

// The languages the player wants the program's texts in, most wanted first, named as the system
// names them ("de_DE.UTF-8", "pt-BR", "C"). On Linux the LANGUAGE list, then the first of LC_ALL,
// LC_MESSAGES and LANG that is set; on Windows the user's preferred interface languages.
std::vector<std::string> PreferredUiLanguages();

}  // namespace kestrune
