#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
// A text cell as the whole-log export writes it, to be read back exactly:
// the same quoting and formula guard, but blanks are kept and an empty text
// is written "" (an empty cell stands for no value at all). A text that
// already begins with apostrophes before something the guard marks gets one
// more, so that exactText() can tell the guard's apostrophe from the text's.
QString exactCell(const QString& text);
// The text of a cell exactCell() wrote, its quotes already taken off.
QString exactText(const QString& cell);
// Cells already written joined into one line, ending in CR LF, as UTF-8.
QByteArray line(const QStringList& writtenCells);
// The byte order mark every file begins with.
inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// Writes the list to device; false when the device refused the bytes.
bool write(const QAbstractItemModel& model, QIODevice& device);
// Writes the list to the file at path, which is replaced only once the
// whole file is written. On a failure gives false and a message naming
// the file in error.
bool writeFile(const QAbstractItemModel& model, const QString& path, QString* error);

} // namespace CsvExport
