#include "snapshot/snapshotslots.h"

#include "app/configstore.h"
#include "app/numbers.h"

const QString SnapshotSlots::kValidationTitle = QStringLiteral("Snapshot Data Error");

SnapshotSlots::SnapshotSlots(const std::array<QString, kValues>& labels) : m_labels(labels)
{
    for (int number = 1; number <= kValues; ++number) {
        if (!ConfigStore::trimSpaces(m_labels[number - 1]).isEmpty()) {
            m_numbers.append(number);
            m_columns.append(column(number));
        }
    }
}

SnapshotSlots SnapshotSlots::fromConfig(ConfigStore& config)
{
    std::array<QString, kValues> labels;
    for (int number = 1; number <= kValues; ++number)
        labels[number - 1] = config.getConfig(QStringLiteral("SNAPSHOT%1").arg(number));
    return SnapshotSlots(labels);
}

QString SnapshotSlots::column(int valueNumber)
{
    return QStringLiteral("SNAPVAL%1").arg(valueNumber);
}

QString SnapshotSlots::resetText(int position) const
{
    return isNumeric(position) ? QStringLiteral("0.00") : QStringLiteral(" ");
}

QStringList SnapshotSlots::columnCaptions() const
{
    QStringList captions{QStringLiteral("Date")};
    for (int p = 0; p < count(); ++p)
        captions << label(p);
    captions << QStringLiteral("Comments");
    return captions;
}

QStringList SnapshotSlots::failingLabels(const QStringList& inputs) const
{
    QStringList failing;
    for (int p = 0; p < count(); ++p) {
        const QString text = inputs.value(p);
        if (isNumeric(p) && !text.trimmed().isEmpty() && !parseNumber(text))
            failing << label(p);
    }
    return failing;
}

QString SnapshotSlots::validationMessage(const QStringList& inputs) const
{
    const QStringList failing = failingLabels(inputs);
    if (failing.isEmpty())
        return QString();
    return QStringLiteral("Snapshot value(s) ") + failing.join(QStringLiteral(", ")) +
           QStringLiteral(" must be numeric!");
}
