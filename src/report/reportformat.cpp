#include "report/reportformat.h"

#include "app/configstore.h"
#include "app/numbers.h"
#include "data/storeddates.h"
#include "snapshot/snapshotentry.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace ReportFormat {

namespace {

QString fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return kNotANumberText;
    const double rounded = roundHalfEven(value, decimals);
    // A negative value that rounds to nothing reads 0.0, not -0.0.
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals);
}

} // namespace

QString nutrient(double value)
{
    return fixed(value, 1);
}

QString servings(double value)
{
    return fixed(value, 2);
}

QString share(double fraction)
{
    if (!std::isfinite(fraction))
        return kNotANumberText;
    return fixed(fraction * 100, 1) + QLatin1Char('%');
}

QString day(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : kInvalidDateText;
}

QString rangeText(const QDate& lo, const QDate& hi)
{
    const QString format = QStringLiteral("MM/dd/yy");
    return lo.toString(format) + QStringLiteral(" - ") + hi.toString(format);
}

QString documentName(const QString& caption)
{
    QString name = caption.simplified();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    return name;
}

QString time(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("hh:mm AP"));
}

QString snapshotValue(const QVariant& value, int valueNumber)
{
    if (value.isNull())
        return QStringLiteral(" ");
    if (valueNumber >= 7)
        return value.toString();
    bool ok = false;
    double number = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    if (!std::isfinite(number))
        return kNotANumberText;
    if (number == 0)
        number = 0; // no "-0"
    // Fifteen significant digits, as numbers are generally written.
    const QString text = QString::number(number, 'g', 15).toUpper();
    return number >= 0 ? QLatin1Char(' ') + text : text;
}

QStringList snapshotValues(const SnapshotEntry& entry, const SnapshotSlots& layout)
{
    QStringList texts;
    for (int p = 0; p < layout.count(); ++p) {
        const int number = layout.valueNumber(p);
        texts.append(snapshotValue(entry.values[number - 1], number));
    }
    return texts;
}

QStringList snapshotLabels(const SnapshotSlots& layout)
{
    QStringList labels;
    for (int p = 0; p < layout.count(); ++p)
        labels.append(ConfigStore::trimSpaces(layout.label(p)));
    return labels;
}

QString servingSizeLine(const QString& servingSize)
{
    return QStringLiteral("   [") + ConfigStore::trimSpaces(ConfigStore::leftChars(servingSize, 50)) +
           QLatin1Char(']');
}

} // namespace ReportFormat
