#include "data/storeddates.h"

QString storedDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString storedDateTime(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

const QString kInvalidDateText = QStringLiteral("(invalid date)");

StoredRange StoredRange::snapshotDays(const QDate& first, const QDate& last)
{
    return {storedDate(first) + QStringLiteral(" 00:00:01"), storedDate(last) + QStringLiteral(" 23:59:59")};
}

namespace {

// The number written by count digits at text[at], or -1.
int digitsAt(QStringView text, qsizetype at, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[at + i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QDateTime fromStoredDateTime(QStringView text)
{
    if (text.size() != 10 && text.size() != 19)
        return {};
    if (text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-'))
        return {};
    const int year = digitsAt(text, 0, 4);
    const QDate date = year < 0 ? QDate() : QDate(year, digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    if (text.size() == 10)
        return date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
    if (text[10] != QLatin1Char(' ') || text[13] != QLatin1Char(':') || text[16] != QLatin1Char(':'))
        return {};
    const QTime time(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QDate storedDay(QStringView text)
{
    return text.size() == 10 ? fromStoredDateTime(text).date() : QDate();
}
