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

QByteArray line(const QStringList& cells)
{
    QString text;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += cell(cells[i]);
    }
    text += QLatin1String("\r\n");
    return text.toUtf8();
}

} // namespace

QString cell(const QString& text)
{
    // A cell the list shows empty is empty: no stray blanks in the spreadsheet.
    if (ConfigStore::trimSpaces(text).isEmpty())
        return {};
    QString value = looksLikeFormula(text) ? QLatin1Char('\'') + text : text;
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        value.replace(QLatin1Char('"'), QLatin1String("\"\""));
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

bool write(const QAbstractItemModel& model, QIODevice& device)
{
    const int columns = model.columnCount();
    QStringList cells;
    for (int column = 0; column < columns; ++column)
        cells.append(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    if (device.write("\xEF\xBB\xBF") != 3 || device.write(line(cells)) < 0)
        return false;
    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        cells.clear();
        for (int column = 0; column < columns; ++column)
            cells.append(model.data(model.index(row, column), Qt::DisplayRole).toString());
        if (device.write(line(cells)) < 0)
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
