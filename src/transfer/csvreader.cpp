#include "transfer/csvreader.h"

#include "transfer/utf8text.h"

CsvReader::CsvReader(QIODevice& device) : m_bytes(device) {}

void CsvReader::fail(const QString& message) const
{
    throw Error{message, m_bytes.line()};
}

void CsvReader::endCell(QByteArray& cell, bool quoted)
{
    const std::optional<QString> text = utf8Text(cell);
    if (!text)
        fail(QStringLiteral("a cell is not written in UTF-8"));
    m_cells.append(*text);
    m_quoted.append(quoted);
    cell.clear();
}

bool CsvReader::next()
{
    m_cells.clear();
    m_quoted.clear();
    // Empty lines hold no record.
    for (;;) {
        const int c = peek();
        if (c == '\n') {
            get();
        } else if (c == '\r') {
            get();
            if (get() != '\n')
                fail(QStringLiteral("a carriage return is not followed by a line feed"));
        } else if (c < 0) {
            return false;
        } else {
            break;
        }
    }
    m_recordLine = m_bytes.line();
    QByteArray cell;
    for (;;) {
        const bool quoted = peek() == '"';
        if (quoted) {
            get();
            for (;;) {
                const int c = get();
                if (c < 0)
                    fail(QStringLiteral("a cell in quotes is not closed"));
                if (c == '"') {
                    if (peek() != '"')
                        break;
                    get();
                }
                cell += char(c);
            }
        } else {
            for (int c = peek(); c != ',' && c != '\r' && c != '\n' && c >= 0; c = peek()) {
                if (c == '"')
                    fail(QStringLiteral("a quote stands in a cell that does not begin with one"));
                cell += char(get());
            }
        }
        endCell(cell, quoted);
        const int c = get();
        if (c == ',')
            continue;
        if (c == '\r') {
            if (get() != '\n')
                fail(QStringLiteral("a carriage return is not followed by a line feed"));
            return true;
        }
        if (c == '\n' || c < 0)
            return true;
        fail(QStringLiteral("a cell in quotes is followed by more than a comma or the line's end"));
    }
}
