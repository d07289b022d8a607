#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The date texts the diet and snapshot queries are written with:
// dateLiteral(14 May 2003) is "#2003-05-14#",
// dateTimeLiteral(14 May 2003 23:59:59) is "#2003-05-14 11:59:59 PM#".
QString dateLiteral(const QDate& date);
QString dateTimeLiteral(const QDateTime& dateTime);

// How dates and date-times are kept in the database: "YYYY-MM-DD" and
// "YYYY-MM-DD HH:MM:SS", which sort and compare in time order.
QString storedDate(const QDate& date);
QString storedDateTime(const QDateTime& dateTime);
// The date-time of a stored text: "YYYY-MM-DD HH:MM:SS" (or a day alone, at
// midnight); an invalid date-time for any other text. Read without the
// general date parser, which costs a hundred times more on long lists.
QDateTime fromStoredDateTime(QStringView text);

// The day a stored DietDate stands for: QDate() unless it is a real day
// written "YYYY-MM-DD" (no time, no blanks).
QDate storedDay(QStringView text);
