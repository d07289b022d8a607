#include "transfer/csvreader.h"

#include "transfer/utf8text.h"

#include <QIODevice>

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

CsvReader::CsvReader(QIODevice& device) : m_device(device)
{
    if (peek() == 0xEF) {
        if (m_buffer.size() - m_at < 3)
            m_buffer += m_device.read(kChunk);
        if (m_buffer.mid(m_at, 3) == "\xEF\xBB\xBF")
            m_at += 3;
    }
}

int CsvReader::peek()
{
    if (m_at >= m_buffer.size()) {
        m_buffer = m_device.read(kChunk);
        m_at = 0;
        if (m_buffer.isEmpty())
            return -1;
    }
    return static_cast<unsigned char>(m_buffer[m_at]);
}

int CsvReader::get()
{
    const int c = peek();
    if (c >= 0) {
        ++m_at;
        if (c == '\n')
            ++m_line;
    }
    return c;
}

void CsvReader::fail(const QString& message) const
{
    throw Error{message, m_line};
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
    m_recordLine = m_line;
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
