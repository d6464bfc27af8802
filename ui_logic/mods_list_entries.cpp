#include "ui_logic/mods_list_entries.h"

#include <algorithm>

#include "launcher/stored_text.h"

namespace kestrune {

namespace {

TextEncoding EncodingOfList(const std::vector<ModsEntry>& entries) {
    ModsList stored;
    stored.reserve(entries.size());
    for (const ModsEntry& entry : entries) {
        stored.push_back(entry.stored);
    }
    return EncodingOf(stored);
}

}  // namespace

ModsList ModsListToWrite(const std::vector<ModsEntry>& entries) {
    const TextEncoding encoding = EncodingOfList(entries);
    ModsList mods;
    mods.reserve(entries.size());
    for (const ModsEntry& entry : entries) {
        mods.push_back(StoredBytesFor(entry.shown, entry.stored, encoding));
    }
    return mods;
}

std::string StoredModName(const std::vector<ModsEntry>& entries, std::u16string_view name) {
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [name](const ModsEntry& e) { return e.shown == name; });
    return StoredBytesFor(name, entry != entries.end() ? entry->stored : std::string(),
                          EncodingOfList(entries));
}

}  // namespace kestrune
