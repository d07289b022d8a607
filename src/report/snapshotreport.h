#pragma once

#include "report/reporttable.h"
#include "report/snapshotcolumns.h"

#include <QStringList>
#include <QVector>

class AppContext;
class Recordset;

// The rows of the snapshot report: one per snapshot, with its date and time,
// one column per labelled value and the comments.
class SnapshotReport : public ReportTable
{
public:
    // Reads the snapshot labels, which give the columns.
    explicit SnapshotReport(AppContext& context);

    // One row per row of the report query (rsSnapShotReport), in its order.
    void build(Recordset& snapshots);
    // "K" + the snapshot's SnapId.
    QString key(int row) const { return m_keys[row]; }
    const SnapshotColumns& snapshotColumns() const { return m_columns; }

    int rowCount() const override { return int(m_rows.size()); }
    int columnCount() const override { return int(m_headers.size()); }
    QString headerText(int column) const override { return m_headers.value(column); }
    Qt::Alignment alignment(int column) const override;
    QString text(int row, int column) const override { return m_rows[row].value(column); }

private:
    SnapshotColumns m_columns;
    QStringList m_headers;
    QVector<QStringList> m_rows;
    QStringList m_keys;
};
