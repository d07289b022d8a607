#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// How dates and date-times are kept in the database: "YYYY-MM-DD" and
// "YYYY-MM-DD HH:MM:SS", which sort and compare in time order.
QString storedDate(const QDate& date);
QString storedDateTime(const QDateTime& dateTime);
// The date-time of a stored text: "YYYY-MM-DD HH:MM:SS" (or a day alone, at
// midnight); an invalid date-time for any other text. Read without the
// general date parser, which costs a hundred times more on long lists.
QDateTime fromStoredDateTime(QStringView text);

// A range of stored times: the texts of its first and last moments. Stored
// times carry no time zone, so a bound is written from the day and the time
// on the clock and never passes through a zone: a day whose midnight a clock
// change skips keeps its 00:00:01.
struct StoredRange
{
    QString low;
    QString high;

    // Snapshot times of whole days (both valid): from one second after
    // midnight of the first to 11:59:59 PM of the last, so a snapshot taken
    // at midnight exactly belongs to no day.
    static StoredRange snapshotDays(const QDate& first, const QDate& last);
};

// What the program shows for a stored date that is not a date.
extern const QString kInvalidDateText;

// The day a stored DietDate stands for: QDate() unless it is a real day
// written "YYYY-MM-DD" (no time, no blanks).
QDate storedDay(QStringView text);
