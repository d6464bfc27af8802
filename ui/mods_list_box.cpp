#include "ui/mods_list_box.h"

#include <QByteArray>
#include <QStringList>

#include "launcher/stored_text.h"
#include "ui/completing_combo_box.h"
#include "ui/shown_text.h"

namespace kestrune {

namespace {

constexpr const char* kUnreadProperty = "modsListUnread";
constexpr int kStoredBytesRole = Qt::UserRole;

// The bytes entry i was read as; empty for a name added since.
std::string StoredBytesOf(const QComboBox& box, int i) {
    return box.itemData(i, kStoredBytesRole).toByteArray().toStdString();
}

TextEncoding EncodingOfList(const QComboBox& box) {
    ModsList stored;
    for (int i = 0; i < box.count(); ++i) {
        stored.push_back(StoredBytesOf(box, i));
    }
    return EncodingOf(stored);
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
    const TextEncoding encoding = EncodingOfList(box);
    ModsList mods;
    mods.reserve(static_cast<std::size_t>(box.count()));
    for (int i = 0; i < box.count(); ++i) {
        mods.push_back(StoredBytes(box.itemText(i), StoredBytesOf(box, i), encoding));
    }
    return mods;
}

std::string StoredModName(const QComboBox& box, const QString& name) {
    const int entry = box.findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return StoredBytes(name, entry >= 0 ? StoredBytesOf(box, entry) : std::string(),
                       EncodingOfList(box));
}

}  // namespace kestrune
