#pragma once

#include "report/reporttable.h"
#include "snapshot/snapshotslots.h"

#include <QDate>
#include <QStringList>
#include <QVector>
#include <functional>

class AppContext;
class Recordset;

// The rows of the snapshot report: one per snapshot, with its date and time,
// one column per labelled value and the comments.
class SnapshotReport : public ReportTable
{
public:
    // Reads the snapshot labels, which give the columns.
    explicit SnapshotReport(AppContext& context);

    // Runs the report query (rsSnapShotReport) for the current user's
    // snapshots of whole days, from one second after midnight of the first to
    // 11:59:59 PM of the last: a snapshot taken at midnight exactly belongs to
    // no day. False when the query failed.
    static bool query(AppContext& context, const QDate& first, const QDate& last);

    // One row per row of the report query, in its order.
    void build(Recordset& snapshots);
    // "K" + the snapshot's SnapId.
    QString key(int row) const { return m_keys[row]; }

    // The widths of the columns in twips, given the width of a text in twips
    // (bold for the column titles, which print bold): the date's 2600, each
    // value column as wide as its title or its widest value and a margin, so
    // that neither runs into the next, and 3000 for the comments.
    QVector<double>
    columnWidths(const std::function<double(const QString& text, bool bold)>& textWidth) const;

    int rowCount() const override { return int(m_rows.size()); }
    int columnCount() const override { return int(m_headers.size()); }
    QString headerText(int column) const override { return m_headers.value(column); }
    Qt::Alignment alignment(int column) const override;
    QString text(int row, int column) const override { return m_rows[row].value(column); }

private:
    SnapshotSlots m_slots;
    QStringList m_headers;
    QVector<QStringList> m_rows;
    QStringList m_keys;
};
