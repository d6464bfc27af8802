#pragma once

#include <optional>
#include <string_view>

#include "launcher/launcher_settings.h"

namespace kestrune {

// The main window's mods list as the Add-mod window reaches it.
class ModsListAccess {
public:
    // The number of entries.
    virtual int ModsCount() const = 0;
    // Appends a name the player typed; the selection and the shown text stay as they were and
    // the main window hears of no change.
    virtual void AppendMod(std::u16string_view name) = 0;
    // The entries to write, or nothing when the list was never read.
    virtual std::optional<ModsList> ModsListToWrite() const = 0;

protected:
    ~ModsListAccess() = default;
};

}  // namespace kestrune
