#include "report/csvexport.h"

#include "app/configstore.h"
#include "data/savedfile.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QRegularExpression>

namespace CsvExport {

namespace {

bool looksLikeFormula(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    if (i == text.size())
        return false;
    const QChar c = text[i];
    if (c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('@') || c == QLatin1Char('\t') ||
        c == QLatin1Char('\r'))
        return true;
    if (c != QLatin1Char('-'))
        return false;
    // A negative number is a number, not a formula.
    static const QRegularExpression number(QStringLiteral("^ *-[0-9]+(\\.[0-9]+)?%?$"));
    return !number.match(text).hasMatch();
}

QString quoted(QString value)
{
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        value.replace(QLatin1Char('"'), QLatin1String("\"\""));
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

// Whether exactCell() puts the guard's apostrophe in front of text: what
// follows the apostrophes text begins with looks like a formula.
bool guarded(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char('\''))
        ++i;
    return looksLikeFormula(text.mid(i));
}

} // namespace

QByteArray line(const QStringList& writtenCells)
{
    return (writtenCells.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8();
}

QString cell(const QString& text)
{
    // A cell the list shows empty is empty: no stray blanks in the spreadsheet.
    if (ConfigStore::trimSpaces(text).isEmpty())
        return {};
    return quoted(looksLikeFormula(text) ? QLatin1Char('\'') + text : text);
}

QString exactCell(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("\"\"");
    return quoted(guarded(text) ? QLatin1Char('\'') + text : text);
}

QString exactText(const QString& cell)
{
    return cell.startsWith(QLatin1Char('\'')) && guarded(cell.mid(1)) ? cell.mid(1) : cell;
}

bool write(const QAbstractItemModel& model, QIODevice& device)
{
    const int columns = model.columnCount();
    QStringList cells;
    for (int column = 0; column < columns; ++column)
        cells.append(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    auto written = [](QStringList texts) {
        for (QString& text : texts)
            text = cell(text);
        return line(texts);
    };
    if (device.write(kByteOrderMark) != 3 || device.write(written(cells)) < 0)
        return false;
    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        cells.clear();
        for (int column = 0; column < columns; ++column)
            cells.append(model.data(model.index(row, column), Qt::DisplayRole).toString());
        if (device.write(written(cells)) < 0)
            return false;
    }
    return true;
}

bool writeFile(const QAbstractItemModel& model, const QString& path, QString* error)
{
    SavedFile file(path);
    const bool ok = file.open() && write(model, file) && file.commit();
    if (!ok) {
        if (error)
            *error = QStringLiteral("The file \"%1\" could not be written: %2.")
                         .arg(QDir::toNativeSeparators(path), file.failure());
        file.cancel();
    }
    return ok;
}

} // namespace CsvExport
