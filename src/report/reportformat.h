#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The texts of the report lists: numbers, dates and snapshot values.
namespace ReportFormat {

// A nutrient value, total or average: "0.0" (12.25 -> "12.2", 3 -> "3.0").
// Halves go to the even neighbour as everywhere in the program.
QString nutrient(double value);
// A number of servings: "0.00".
QString servings(double value);
// A share given as a fraction: "0.0%" (0.25 -> "25.0%").
QString share(double fraction);

// "05/14/2003".
QString day(const QDate& date);
// "05/14/03", the dates of a report's caption.
QString captionDay(const QDate& date);
// "08:05 PM".
QString time(const QDateTime& dateTime);
// "2003/05/14 08:05 PM".
QString snapshotDateTime(const QDateTime& dateTime);

// A snapshot value as the reports show it: " " for none; for the numeric
// values (1 to 6) the number with a blank before it when it is not below
// zero (" 72.5", "-3"); for the text values (7 and 8) the text as stored.
QString snapshotValue(const QVariant& value, int valueNumber);

// The serving size line under a food: "   [" + the first 50 characters of
// the serving size, without blanks around them, + "]".
QString servingSizeLine(const QString& servingSize);

// The first n characters of text, never ending in half of a character
// outside the basic plane.
QString leftChars(const QString& text, qsizetype n);

} // namespace ReportFormat
