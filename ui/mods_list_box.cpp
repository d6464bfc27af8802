#include "ui/mods_list_box.h"

#include <QComboBox>

namespace kestrune {

namespace {

constexpr const char* kUnreadProperty = "modsListUnread";

}  // namespace

void MarkModsListUnread(QComboBox& box) {
    box.setProperty(kUnreadProperty, true);
}

std::optional<ModsList> ModsListToWrite(const QComboBox& box) {
    if (box.property(kUnreadProperty).toBool()) {
        return std::nullopt;
    }
    ModsList mods;
    mods.reserve(static_cast<std::size_t>(box.count()));
    for (int i = 0; i < box.count(); ++i) {
        mods.push_back(box.itemText(i).toLocal8Bit().toStdString());
    }
    return mods;
}

}  // namespace kestrune
