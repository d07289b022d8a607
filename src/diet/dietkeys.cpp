#include "diet/dietkeys.h"

#include "app/configstore.h"

namespace DietKeys {

QString dayKey(const QDate& date)
{
    return QStringLiteral("DT") + date.toString(QStringLiteral("yyyyMMdd"));
}

QString dayText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QDate dayDate(const QString& dayText)
{
    return QDate::fromString(dayText, Qt::ISODate);
}

QString mealNodeKey(const QString& mealKey, const QDate& date)
{
    return QStringLiteral("ML") + mealKey + dayKey(date);
}

QString mealKeyOf(const QString& mealNodeKey)
{
    return mealNodeKey.mid(2, 5);
}

QString entryKey(qint32 dietId)
{
    return QStringLiteral("D%1").arg(dietId);
}

qint32 dietIdOf(const QString& entryKey)
{
    return entryKey.mid(1).toInt();
}

QString questionDate(const QDate& date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString mealKeyForLabel(ConfigStore& config, const QString& label)
{
    const QString wanted = label.trimmed();
    if (wanted.isEmpty())
        return QString();
    for (int i = 0; i <= 9; ++i) {
        const QString key = QStringLiteral("MEAL%1").arg(i);
        if (QString::compare(config.getConfig(key), wanted, Qt::CaseInsensitive) == 0)
            return key;
    }
    return QString();
}

} // namespace DietKeys
