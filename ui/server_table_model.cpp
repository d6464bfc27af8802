#include "ui/server_table_model.h"

#include <iterator>

#include "i18n/translate.h"
#include "ui/shown_text.h"

namespace kestrune {

namespace {

// Shown through Tr.
constexpr const char* kHeaders[] = {N_("Name"),      N_("Map"), N_("Players"), N_("Ping"),
                                    N_("Game type"), N_("Mod"), N_("Lock"),    N_("Address")};
static_assert(std::size(kHeaders) == static_cast<std::size_t>(ServerColumn::Count));

}  // namespace

const char* ServerTableModel::EnglishHeader(int column) {
    return column >= 0 && column < static_cast<int>(std::size(kHeaders)) ? kHeaders[column] : "";
}

void ServerTableModel::AppendRows(std::vector<ServerRow> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = RowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ServerTableModel::Retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(RowCount() - 1, columnCount() - 1),
                         {Qt::DisplayRole});
    }
}

void ServerTableModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int ServerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int ServerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ServerColumn::Count);
}

QVariant ServerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RowCount()) {
        return {};
    }
    const auto column = static_cast<ServerColumn>(index.column());
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(ColumnText(Row(index.row()), column));
    }
    if (role == Qt::TextAlignmentRole && (column == ServerColumn::Ping ||
                                          column == ServerColumn::Players)) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant ServerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(std::size(kHeaders))) {
        return Utf8(Tr(kHeaders[section]));
    }
    return {};
}

}  // namespace kestrune
