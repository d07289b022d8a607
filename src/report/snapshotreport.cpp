#include "report/snapshotreport.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "data/storeddates.h"
#include "report/reportformat.h"
#include "snapshot/snapshotentry.h"

#include <algorithm>

SnapshotReport::SnapshotReport(AppContext& context) : m_slots(SnapshotSlots::fromConfig(context.config()))
{
    m_headers = QStringList{QStringLiteral("Date")} + ReportFormat::snapshotLabels(m_slots) +
                QStringList{QStringLiteral("  Comments")};
}

bool SnapshotReport::query(AppContext& context, const QDate& first, const QDate& last)
{
    return context.dataSource().cmdSnapShotReport(StoredRange::snapshotDays(first, last),
                                                  context.currentUser);
}

QVector<double>
SnapshotReport::columnWidths(const std::function<double(const QString& text, bool bold)>& textWidth) const
{
    constexpr double kMargin = 240;
    QVector<double> widths(columnCount());
    widths.first() = 2600;
    widths.last() = 3000;
    for (int column = 1; column < columnCount() - 1; ++column) {
        double widest = textWidth(headerText(column), true);
        for (const QStringList& row : m_rows)
            widest = std::max(widest, textWidth(row[column], false));
        widths[column] = widest + kMargin;
    }
    return widths;
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
        const SnapshotEntry entry = SnapshotEntry::read(snapshots, m_slots);
        m_rows.append(QStringList{SnapshotEntry::takenText(entry.taken)} +
                      ReportFormat::snapshotValues(entry, m_slots) +
                      QStringList{QStringLiteral("  ") + entry.comment});
        m_keys.append(QStringLiteral("K%1").arg(entry.snapId));
    }
}
