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

// The day a stored DietDate stands for: QDate() unless it is a real day
// written "YYYY-MM-DD" (no time, no blanks).
QDate storedDay(QStringView text);
