#include "ui/mods_list_box.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

#include "ui/completing_combo_box.h"
#include "ui/shown_text.h"
#include "ui_logic/mods_list_entries.h"

namespace kestrune {

namespace {

constexpr const char* kUnreadProperty = "modsListUnread";
constexpr int kStoredBytesRole = Qt::UserRole;

// The bytes entry i was read as; empty for a name added since.
std::string StoredBytesOf(const QComboBox& box, int i) {
    return box.itemData(i, kStoredBytesRole).toByteArray().toStdString();
}

std::vector<ModsEntry> EntriesOf(const QComboBox& box) {
    std::vector<ModsEntry> entries;
    entries.reserve(static_cast<std::size_t>(box.count()));
    for (int i = 0; i < box.count(); ++i) {
        entries.push_back({box.itemText(i).toStdU16String(), StoredBytesOf(box, i)});
    }
    return entries;
}

}  // namespace

void ShowModsList(CompletingComboBox& box, const ModsList& mods) {
    QStringList names;
    for (const std::string& mod : mods) {
        names.append(ShownText(mod));
    }
    box.ReplaceItems(names);
    for (int i = 0; i < box.count(); ++i) {
        box.setItemData(i, QByteArray::fromStdString(mods[static_cast<std::size_t>(i)]),
                        kStoredBytesRole);
    }
}

void MarkModsListUnread(QComboBox& box) {
    box.setProperty(kUnreadProperty, true);
}

std::optional<ModsList> ModsListToWrite(const QComboBox& box) {
    if (box.property(kUnreadProperty).toBool()) {
        return std::nullopt;
    }
    return kestrune::ModsListToWrite(EntriesOf(box));
}

std::string StoredModName(const QComboBox& box, const QString& name) {
    return kestrune::StoredModName(EntriesOf(box), name.toStdU16String());
}

}  // namespace kestrune
