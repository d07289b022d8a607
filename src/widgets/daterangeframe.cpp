#include "widgets/daterangeframe.h"

#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace DateRangeFrame {

void setUpPicker(QDateTimeEdit* picker, const char* name)
{
    picker->setObjectName(QLatin1String(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
}

QVBoxLayout* layOut(QDialog* dialog, QLabel* prompt, const QString& lowCaption, QDateTimeEdit* low,
                    const QString& highCaption, QDateTimeEdit* high)
{
    auto* dates = new QFormLayout;
    dates->addRow(lowCaption, low);
    dates->addRow(highCaption, high);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(prompt);
    layout->addLayout(dates);
    return layout;
}

void finish(QDialog* dialog, QVBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel)
{
    auto* buttons = new QDialogButtonBox;
    ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setText(QStringLiteral("OK"));
    cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setText(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    dialog->setFixedSize(dialog->sizeHint());
}

} // namespace DateRangeFrame
