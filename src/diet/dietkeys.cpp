#include "diet/dietkeys.h"


namespace DietKeys {

QString dayKey(const QDate& date)
{
    return QStringLiteral("DT") + date.toString(QStringLiteral("yyyyMMdd"));
}

QString dayText(const QDate& date)
{
    return date.toString(Qt::ISODate);
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


} // namespace DietKeys
