#pragma once

#include "report/dietreport.h"
#include "report/reportwindow.h"

// frmReport: the diet report of a range of days, built from the rows the
// report query left in rsDietReport.
class DietReportWindow : public ReportWindow
{
    Q_OBJECT

public:
    DietReportWindow(AppContext& context, QWidget* parent = nullptr);

    // Set before buildReport.
    bool MealBreak = false;
    bool TotalsOnly = false;
    bool ShowPercentages = false;
    bool ShowSnapshot = false;
    bool ShowAverages = false;
    bool ShowGoals = false;

    // Fills the list from rsDietReport; with no rows the list stays empty and
    // there is nothing to print or export.
    void buildReport();
    const DietReport& report() const { return m_report; }

    // Widths the report is printed with: the food names get 5000 twips, the
    // numbers 1000 each. The list keeps them afterwards.
    static constexpr double kPrintFirstWidth = 5000;
    static constexpr double kPrintWidth = 1000;

protected:
    void beforePrinting() override;
    bool printLandscape() const override { return true; }

private:
    DietReport m_report;
};
