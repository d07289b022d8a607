#include "transfer/exportdialog.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "widgets/daterangeframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ExportDialog::ExportDialog(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("dlgExportData"));
    setWindowTitle(QStringLiteral("Export Data"));

    cmbUser = new QComboBox;
    cmbUser->setObjectName(QStringLiteral("cmbUser"));
    cmbUser->addItem(QStringLiteral("All users"), QString());
    for (int i = 1; i <= 4; ++i) {
        const QString key = QStringLiteral("USER%1").arg(i);
        cmbUser->addItem(context.config().getConfig(key), key);
    }
    auto* userLabel = new QLabel(QStringLiteral("&User:"));
    userLabel->setBuddy(cmbUser);

    chkDays = new QCheckBox(QStringLiteral("Only the &days from"));
    chkDays->setObjectName(QStringLiteral("chkDays"));
    dtFrom = new QDateEdit(QDate::currentDate().addYears(-1));
    DateRangeFrame::setUpPicker(dtFrom, "dtFrom");
    dtFrom->setAccessibleName(QStringLiteral("First day"));
    dtTo = new QDateEdit(QDate::currentDate());
    DateRangeFrame::setUpPicker(dtTo, "dtTo");
    dtTo->setAccessibleName(QStringLiteral("Last day"));
    auto* toLabel = new QLabel(QStringLiteral("&to"));
    toLabel->setBuddy(dtTo);
    for (QDateEdit* picker : {dtFrom, dtTo}) {
        picker->setEnabled(false);
        connect(chkDays, &QCheckBox::toggled, picker, &QWidget::setEnabled);
    }
    auto* days = new QHBoxLayout;
    days->addWidget(chkDays);
    days->addWidget(dtFrom);
    days->addWidget(toLabel);
    days->addWidget(dtTo);

    auto* format = new QGroupBox(QStringLiteral("Format"));
    optJson = new QRadioButton(QStringLiteral("&JSON: one document"));
    optJson->setObjectName(QStringLiteral("optJson"));
    optCsv = new QRadioButton(QStringLiteral("&CSV: a folder of files, one for each kind of record"));
    optCsv->setObjectName(QStringLiteral("optCsv"));
    optJson->setChecked(true);
    auto* formats = new QVBoxLayout(format);
    formats->addWidget(optJson);
    formats->addWidget(optCsv);

    auto* prompt = new QLabel(QStringLiteral("Export the diet log, the physical snapshots and your own foods."));
    auto* form = new QFormLayout;
    form->addRow(userLabel, cmbUser);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addLayout(days);
    layout->addWidget(format);
    DateRangeFrame::finish(this, layout, OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, &ExportDialog::confirm);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

LogExport::Options ExportDialog::options() const
{
    LogExport::Options options;
    options.format = optCsv->isChecked() ? LogExport::Format::Csv : LogExport::Format::Json;
    options.user = cmbUser->currentData().toString();
    if (chkDays->isChecked()) {
        options.from = dtFrom->date();
        options.to = dtTo->date();
    }
    return options;
}

void ExportDialog::confirm()
{
    const LogExport::Options chosen = options();
    if (chosen.from.isValid() && chosen.from > chosen.to) {
        m_context.exclaim(QStringLiteral("The first day must not be after the last day."));
        return;
    }
    accept();
}
