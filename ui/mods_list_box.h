#pragma once

#include <optional>
#include <string>

#include "launcher/launcher_settings.h"

class QComboBox;
class QString;

namespace kestrune {

class CompletingComboBox;

// The mods list as the main window's combo box holds it. Each entry read from the file shows
// its name decoded and keeps the bytes it was read as, so that the names the player did not
// add go back into the file, and to the game, as they were. A list that could not be read from
// its file is marked so: it is never written, lest the player's list be replaced by what the
// box holds instead.

// Replaces the entries by the list read from the file; nothing is selected and the box keeps
// its text.
void ShowModsList(CompletingComboBox& box, const ModsList& mods);

void MarkModsListUnread(QComboBox& box);

// The entries to write to the mods list file, or nothing when the list was never read. Names
// added since are written in the list's encoding.
std::optional<ModsList> ModsListToWrite(const QComboBox& box);

// The bytes of a mod name as shown in the box's edit part: those of the entry it names, or the
// text in the list's encoding.
std::string StoredModName(const QComboBox& box, const QString& name);

}  // namespace kestrune
