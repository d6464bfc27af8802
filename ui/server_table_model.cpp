#include "ui/server_table_model.h"

#include <iterator>

namespace kestrune {

namespace {

constexpr const char* kHeaders[] = {"Name", "Map", "Players", "Ping",
                                    "Game type", "Mod", "Lock", "Address"};
static_assert(std::size(kHeaders) == static_cast<std::size_t>(ServerColumn::Count));

}  // namespace

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
        return QString::fromLatin1(kHeaders[section]);
    }
    return {};
}

}  // namespace kestrune
