#pragma once

#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"

namespace kestrune {

// The entries of a mods list file: the text up to its first NUL byte, split at each CR, LF and
// CR LF pair. Empty pieces are entries, nothing is trimmed, and a line break at the very end
// adds no entry.
ModsList ParseModsList(std::string_view bytes);

// The bytes of a mods list file: every entry followed by CR LF, the last one included. An entry
// ends at its first NUL byte and each CR or LF in it becomes a blank, so that it reads back as
// one entry and the entries after it keep their places.
std::string FormatModsList(const ModsList& mods);

}  // namespace kestrune
