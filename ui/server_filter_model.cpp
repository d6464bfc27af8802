#include "ui/server_filter_model.h"

#include <utility>

#include "ui/server_table_model.h"

namespace kestrune {

ServerFilterModel::ServerFilterModel(ServerTableModel& rows, QObject* parent)
    : QSortFilterProxyModel(parent), rows_(rows) {
    setSourceModel(&rows);
    setDynamicSortFilter(true);
}

void ServerFilterModel::SetFilter(RowFilter filter) {
    if (filter == filter_) {
        return;
    }
    filter_ = std::move(filter);
    invalidateRowsFilter();
}

bool ServerFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return PassesFilter(rows_.Row(sourceRow), filter_);
}

bool ServerFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return SortsBefore(rows_.Row(left.row()), rows_.Row(right.row()),
                       static_cast<ServerColumn>(left.column()));
}

}  // namespace kestrune
