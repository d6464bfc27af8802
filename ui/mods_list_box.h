#pragma once

#include <optional>

#include "launcher/launcher_settings.h"

class QComboBox;

namespace kestrune {

// The mods list as the main window's combo box holds it. A list that could not be read from its
// file is marked so: it is never written, lest the player's list be replaced by what the box
// holds instead.

void MarkModsListUnread(QComboBox& box);

// The entries to write to the mods list file, or nothing when the list was never read.
std::optional<ModsList> ModsListToWrite(const QComboBox& box);

}  // namespace kestrune
