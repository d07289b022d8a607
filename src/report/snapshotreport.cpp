#include "report/snapshotreport.h"

#include "app/appcontext.h"
#include "data/recordset.h"
#include "report/reportformat.h"

SnapshotReport::SnapshotReport(AppContext& context) : m_columns(SnapshotColumns::fromConfig(context.config()))
{
    m_headers =
        QStringList{QStringLiteral("Date")} + m_columns.labels + QStringList{QStringLiteral("  Comments")};
}

Qt::Alignment SnapshotReport::alignment(int column) const
{
    // The values line up on the right; the date and the comments read from the left.
    return column == 0 || column == columnCount() - 1 ? Qt::AlignLeft : Qt::AlignRight;
}

void SnapshotReport::build(Recordset& snapshots)
{
    m_rows.clear();
    m_keys.clear();
    if (!snapshots.isOpen() || snapshots.recordCount() == 0)
        return;
    for (snapshots.moveFirst(); !snapshots.eof(); snapshots.moveNext()) {
        QStringList row;
        row.reserve(columnCount());
        row.append(ReportFormat::snapshotDateTime(snapshots.dateTime(QStringLiteral("SnapDateTm"))));
        for (int n : m_columns.fields)
            row.append(ReportFormat::snapshotValue(snapshots.value(QStringLiteral("SnapVal%1").arg(n)), n));
        row.append(QStringLiteral("  ") + snapshots.text(QStringLiteral("SnapComments")));
        m_rows.append(row);
        m_keys.append(QStringLiteral("K%1").arg(snapshots.integer(QStringLiteral("SnapId"))));
    }
}
