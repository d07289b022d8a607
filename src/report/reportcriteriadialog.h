#pragma once

#include <QDialog>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;

// The criteria of a report or graph: its range of days and, for the diet
// report, what it shows. One class configured three ways: frmReportCrit
// (diet report, with its options), frmReportCritGraph (diet graph) and
// frmReportCritSnap (snapshot report). dialogResult() is "" while the dialog
// is open, "OK" after OK, and "CANCEL" after Cancel or any other close.
class ReportCriteriaDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Kind { DietReport, DietGraph, SnapshotReport };

    explicit ReportCriteriaDialog(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    QString dialogResult() const { return m_dialogResult; }

    QLabel* Label1 = nullptr;
    // Both start at the current date and time.
    QDateTimeEdit* dtLoDate = nullptr;
    QDateTimeEdit* dtHighDate = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    // The diet report's options (null in the other two dialogs).
    QCheckBox* chkShowAverages = nullptr;
    QCheckBox* chkShowPercentages = nullptr;
    QCheckBox* chkTotalsOnly = nullptr;
    QCheckBox* chkShowSnapshot = nullptr;
    QCheckBox* chkMealBreak = nullptr;
    QCheckBox* chkShowGoals = nullptr;

    void done(int result) override;

private:
    void totalsOnlyChanged(bool checked);

    Kind m_kind;
    QString m_dialogResult;
};
