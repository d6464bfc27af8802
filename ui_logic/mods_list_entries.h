#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "launcher/launcher_settings.h"

namespace kestrune {

// An entry of the main window's mods box: the name it shows and the bytes it was read from the
// file as (empty for a name added since). The box keeps the bytes beside each entry, so that the
// names the player did not add go back into the file, and to the game, as they were.
struct ModsEntry {
    std::u16string shown;
    std::string stored;
};

// The entries to write to the mods list file; names added since are written in the list's
// encoding.
ModsList ModsListToWrite(const std::vector<ModsEntry>& entries);

// The bytes of a mod name as the box's edit part shows it: those of the first entry showing
// exactly that name, or the name in the list's encoding.
std::string StoredModName(const std::vector<ModsEntry>& entries, std::u16string_view name);

}  // namespace kestrune
