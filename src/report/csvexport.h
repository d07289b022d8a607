#pragma once

#include <QString>

class QAbstractItemModel;
class QIODevice;

// A list written as CSV for a spreadsheet: UTF-8 with a byte order mark (so
// spreadsheets read the accents right), a first line with the column
// titles, then one line per row with the cells as the list shows them (a
// cell of blanks alone is written empty), lines ending in CR LF. A cell holding a comma, a quote or a line
// break is put in quotes, its quotes doubled (RFC 4180). A cell that a spreadsheet would take for a formula
// (starting, after any blanks, with "=", "+", "-", "@", a tab or a carriage return) gets an apostrophe in
// front, so a food named
// "=HYPERLINK(...)" stays a name; plain numbers such as "-3" are left alone.
namespace CsvExport {

QString cell(const QString& text);
// Writes the list to device; false when the device refused the bytes.
bool write(const QAbstractItemModel& model, QIODevice& device);
// Writes the list to the file at path, which is replaced only once the
// whole file is written. On a failure gives false and a message naming
// the file in error.
bool writeFile(const QAbstractItemModel& model, const QString& path, QString* error);

} // namespace CsvExport
