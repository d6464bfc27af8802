#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "server_list/server_rows.h"

namespace kestrune {

// The answered servers as a table: one row each, the columns of ServerColumn. Rows are appended
// in batches and never change order here; sorting and filtering are ServerFilterModel's.
class ServerTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // A column's title in English.
    static const char* EnglishHeader(int column);

    void AppendRows(std::vector<ServerRow> rows);
    void Clear();
    // The language has changed: the headers and the rows' words (game type, lock) are shown
    // again in it.
    void Retranslate();
    const ServerRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(rows_.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<ServerRow> rows_;
};

}  // namespace kestrune
