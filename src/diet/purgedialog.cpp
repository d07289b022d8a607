#include "diet/purgedialog.h"

#include "app/appcontext.h"
#include "widgets/daterangeframe.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDateEdit* datePicker(const char* name)
{
    auto* picker = new QDateEdit(QDate::currentDate());
    DateRangeFrame::setUpPicker(picker, name);
    return picker;
}

} // namespace

PurgeDialog::PurgeDialog(AppContext& context, const QString& purgeType, QWidget* parent)
    : QDialog(parent), m_context(context), m_purgeType(purgeType)
{
    setObjectName(QStringLiteral("frmPurgeData"));
    setWindowTitle(QStringLiteral("Purge %1 Activity Data").arg(purgeType));

    lblPurge =
        new QLabel(QStringLiteral("Purge %1 Activity Data for the following Date Range").arg(purgeType));
    lblPurge->setObjectName(QStringLiteral("lblPurge"));
    dtLoDate = datePicker("dtLoDate");
    dtHighDate = datePicker("dtHighDate");
    QVBoxLayout* layout = DateRangeFrame::layOut(this, lblPurge, QStringLiteral("&First Date:"), dtLoDate,
                                                 QStringLiteral("&Second Date:"), dtHighDate);
    DateRangeFrame::finish(this, layout, OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, &PurgeDialog::confirm);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<PurgeRange> PurgeDialog::chooseRange(AppContext& context, const QString& purgeType,
                                                   QWidget* parent)
{
    PurgeDialog dialog(context, purgeType, parent);
    dialog.exec();
    // Let the windows below repaint before a long deletion starts.
    QCoreApplication::processEvents();
    if (dialog.purgeResult() != QLatin1String("OK"))
        return std::nullopt;
    return dialog.range();
}

PurgeRange PurgeDialog::range() const
{
    return {dtLoDate->date(), dtHighDate->date()};
}

void PurgeDialog::confirm()
{
    const PurgeRange chosen = range();
    if (!chosen.isValid()) {
        m_context.exclaim(PurgeRange::kReversedMessage);
        return;
    }
    if (!m_context.askYesNo(chosen.confirmation(m_purgeType), QStringLiteral("Delete Confirmation")))
        return;
    m_purgeResult = QStringLiteral("OK");
    accept();
}

void PurgeDialog::done(int result)
{
    if (m_purgeResult.isEmpty())
        m_purgeResult = QStringLiteral("CANCEL");
    QDialog::done(result);
}
