#include "report/snapshotreportwindow.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"

#include <QCheckBox>

SnapshotReportWindow::SnapshotReportWindow(AppContext& context, QWidget* parent)
    : ReportWindow(context, QStringLiteral("frmReportSnap"), QStringLiteral("Snapshot Activity Report"),
                   parent),
      m_report(context)
{
    chkLandscape = new QCheckBox(QStringLiteral("Print Landscape"));
    chkLandscape->setObjectName(QStringLiteral("chkLandscape"));
    chkLandscape->setChecked(true);
    addOption(chkLandscape);

    m_report.build(context.dataSource().rsSnapShotReport);
    setReport(m_report);
    // The date, the values, and room for the comments.
    QVector<double> widths(m_report.columnCount(), 1200);
    widths.first() = 2600;
    widths.last() = 3000;
    setColumnWidths(widths);
}

bool SnapshotReportWindow::printLandscape() const
{
    return chkLandscape->isChecked();
}
