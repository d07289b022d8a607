#include "report/reportcriteriadialog.h"

#include "widgets/daterangeframe.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDateTimeEdit* datePicker(const char* name)
{
    auto* picker = new QDateTimeEdit;
    DateRangeFrame::setUpPicker(picker, name);
    // The day is shown; the time of day is kept as it was when the dialog opened.
    picker->setDateTime(QDateTime::currentDateTime());
    return picker;
}

QCheckBox* checkBox(const char* name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace

ReportCriteriaDialog::ReportCriteriaDialog(Kind kind, QWidget* parent) : QDialog(parent), m_kind(kind)
{
    QString name, caption, prompt = QStringLiteral("Enter the Date Range you want reported:");
    switch (kind) {
    case Kind::DietReport:
        name = QStringLiteral("frmReportCrit");
        caption = QStringLiteral("Diet Activity Report Criteria");
        break;
    case Kind::DietGraph:
        name = QStringLiteral("frmReportCritGraph");
        caption = QStringLiteral("Diet Activity Graph Criteria");
        prompt = QStringLiteral("Enter the Date Range you want to graph:");
        break;
    case Kind::SnapshotReport:
        name = QStringLiteral("frmReportCritSnap");
        caption = QStringLiteral("Snapshot Activity Report Criteria");
        break;
    }
    setObjectName(name);
    setWindowTitle(caption);

    Label1 = new QLabel(prompt);
    Label1->setObjectName(QStringLiteral("Label1"));
    dtLoDate = datePicker("dtLoDate");
    dtHighDate = datePicker("dtHighDate");
    QVBoxLayout* layout = DateRangeFrame::layOut(this, Label1, QStringLiteral("&From:"), dtLoDate,
                                                 QStringLiteral("&To:"), dtHighDate);

    if (kind == Kind::DietReport) {
        chkShowAverages = checkBox("chkShowAverages", QStringLiteral("Show Daily Averages"), false);
        chkShowPercentages =
            checkBox("chkShowPercentages", QStringLiteral("Show Percentages of Total Calories"), true);
        chkTotalsOnly =
            checkBox("chkTotalsOnly", QStringLiteral("Show Daily Totals Only - No Details"), false);
        chkShowSnapshot = checkBox("chkShowSnapshot",
                                   QStringLiteral("Display Physical Snapshot Data with Diet Data"), false);
        chkMealBreak = checkBox("chkMealBreak", QStringLiteral("Subtotal on Meals"), false);
        chkShowGoals = checkBox("chkShowGoals", QStringLiteral("Show Daily Goals"), false);
        chkShowGoals->setToolTip(
            QStringLiteral("Each day's share of the Daily Goals set in Configuration Options, and the average day's"));
        for (QCheckBox* box :
             {chkShowAverages, chkShowPercentages, chkTotalsOnly, chkShowSnapshot, chkMealBreak, chkShowGoals})
            layout->addWidget(box);
        connect(chkTotalsOnly, &QCheckBox::toggled, this, &ReportCriteriaDialog::totalsOnlyChanged);
    }

    DateRangeFrame::finish(this, layout, OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, [this] {
        m_dialogResult = QStringLiteral("OK");
        accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        m_dialogResult = QStringLiteral("CANCEL");
        reject();
    });
}

void ReportCriteriaDialog::totalsOnlyChanged(bool checked)
{
    // Daily totals alone leave no room for meal subtotals or snapshots.
    if (checked) {
        chkMealBreak->setChecked(false);
        chkShowSnapshot->setChecked(false);
    }
    chkMealBreak->setEnabled(!checked);
    chkShowSnapshot->setEnabled(!checked);
}

void ReportCriteriaDialog::done(int result)
{
    if (m_dialogResult.isEmpty())
        m_dialogResult = QStringLiteral("CANCEL");
    QDialog::done(result);
}
