#include "report/snapshotreportwindow.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QTableView>

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
    QFont boldFont = lstReport->font();
    boldFont.setBold(true);
    const QFontMetricsF plain(lstReport->font()), bold(boldFont);
    setColumnWidths(m_report.columnWidths([&](const QString& text, bool isBold) {
        return (isBold ? bold : plain).horizontalAdvance(text) * twipsPerPixel();
    }));
}

bool SnapshotReportWindow::printLandscape() const
{
    return chkLandscape->isChecked();
}
