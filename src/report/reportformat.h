#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class SnapshotSlots;
struct SnapshotEntry;

// The texts of the report lists: numbers, dates and snapshot values.
namespace ReportFormat {

// A nutrient value, total or average: "0.0" (12.25 -> "12.2", 3 -> "3.0").
// Halves go to the even neighbour as everywhere in the program. Here and in
// the shares, a value that is not a number at all shows as kNotANumberText.
QString nutrient(double value);
// A number of servings: "0.00".
QString servings(double value);
// A share given as a fraction: "0.0%" (0.25 -> "25.0%").
QString share(double fraction);

// "05/14/2003"; kInvalidDateText for a date that is not one.
QString day(const QDate& date);
// "05/14/03 - 05/20/03": the days of a report or graph, as its caption and
// titles name them.
QString rangeText(const QDate& lo, const QDate& hi);
// The name of a printout or file made from a caption (blanks simplified):
// the print dialog makes its PDF file's name from it, so characters that a
// file name cannot hold become dashes ("05/14/03" -> "05-14-03").
QString documentName(const QString& caption);
// "08:05 PM".
QString time(const QDateTime& dateTime);

// A snapshot value as the reports show it: " " for none; for the numeric
// values (1 to 6) the number with a blank before it when it is not below
// zero (" 72.5", "-3"), kNotANumberText for one that is not a number at
// all; for the text values (7 and 8) the text as stored.
QString snapshotValue(const QVariant& value, int valueNumber);
// The snapshot's values that the layout shows, in position order, as above.
QStringList snapshotValues(const SnapshotEntry& entry, const SnapshotSlots& layout);
// The labels of the values the layout shows, without blanks around them.
QStringList snapshotLabels(const SnapshotSlots& layout);

// The serving size line under a food: "   [" + the first 50 characters of
// the serving size, without blanks around them, + "]".
QString servingSizeLine(const QString& servingSize);

} // namespace ReportFormat
