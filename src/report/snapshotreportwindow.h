#pragma once

#include "report/reportwindow.h"
#include "report/snapshotreport.h"

// frmReportSnap: the snapshots of a range of days, read from the rows the
// report query left in rsSnapShotReport when the window is made.
class SnapshotReportWindow : public ReportWindow
{
    Q_OBJECT

public:
    SnapshotReportWindow(AppContext& context, QWidget* parent = nullptr);

    // "Print Landscape", checked at first.
    QCheckBox* chkLandscape = nullptr;
    const SnapshotReport& report() const { return m_report; }

protected:
    bool printLandscape() const override;

private:
    SnapshotReport m_report;
};
