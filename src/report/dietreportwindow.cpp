#include "report/dietreportwindow.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "report/reportmodel.h"
#include "widgets/icons.h"
#include "widgets/waitcursor.h"

namespace {

QImage picture(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

} // namespace

DietReportWindow::DietReportWindow(AppContext& context, QWidget* parent)
    : ReportWindow(context, QStringLiteral("frmReport"), QStringLiteral("Diet Activity Report"), parent),
      m_report(context)
{
    m_images.add(QStringLiteral("dietdate"), picture(Icons::tree(QStringLiteral("DayClosed"))));
    m_images.add(QStringLiteral("meal"), picture(Icons::tree(QStringLiteral("MealClosed"))));
    m_images.add(QStringLiteral("report"), picture(Icons::toolbar(QStringLiteral("Report"))));
    m_images.add(QStringLiteral("camera"), picture(Icons::toolbar(QStringLiteral("Camera"))));
    setReport(m_report);
}

void DietReportWindow::buildReport()
{
    WaitCursor wait;
    m_report.options = {MealBreak, TotalsOnly, ShowPercentages, ShowSnapshot, ShowAverages, ShowGoals};
    const bool any = m_report.build(m_context.dataSource().rsDietReport);
    model().reload();
    // The widths it prints with, the dates alone somewhat narrower.
    QVector<double> widths(m_report.columnCount(), kPrintWidth);
    widths[0] = TotalsOnly ? 2000 : kPrintFirstWidth;
    setColumnWidths(widths);
    if (!any)
        enableOutput(false);
}

void DietReportWindow::beforePrinting()
{
    QVector<double> widths(m_report.columnCount(), kPrintWidth);
    widths[0] = kPrintFirstWidth;
    setColumnWidths(widths);
}
