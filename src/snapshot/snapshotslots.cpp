#include "snapshot/snapshotslots.h"

#include "app/configstore.h"
#include "app/numbers.h"

#include <cmath>

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

bool SnapshotSlots::showsInFull(double value)
{
    const QString text = plainNumber(std::abs(value));
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qsizetype whole = point < 0 ? text.size() : point;
    return whole <= kShownDigits && text.size() - whole - 1 <= kShownDigits;
}

QStringList SnapshotSlots::failingLabels(const QStringList& inputs) const
{
    QStringList failing;
    for (int p = 0; p < count(); ++p) {
        const QString text = inputs.value(p);
        if (!isNumeric(p) || text.trimmed().isEmpty())
            continue;
        const std::optional<double> number = parseNumber(text);
        if (!number || !showsInFull(*number))
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
