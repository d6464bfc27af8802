#pragma once

#include <QSortFilterProxyModel>

#include "server_list/server_rows.h"

namespace kestrune {

class ServerTableModel;

// The rows the filter lets through, in the order of the header's sort column: the core's
// filter and order over ServerTableModel, kept as rows arrive.
class ServerFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ServerFilterModel(ServerTableModel& rows, QObject* parent = nullptr);

    void SetFilter(RowFilter filter);
    const RowFilter& Filter() const { return filter_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ServerTableModel& rows_;
    RowFilter filter_;
};

}  // namespace kestrune
