#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// The bytes of a device read a piece at a time, for the readers of the
// export's files: the next byte looked at or taken, runs of bytes taken at
// once, and the line (from 1) of the last byte taken. A byte order mark at
// the start is passed over.
class ByteReader
{
public:
    explicit ByteReader(QIODevice& device);

    // The next byte, -1 at the end.
    int peek()
    {
        if (m_at >= m_buffer.size() && !refill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_at]);
    }
    int get()
    {
        const int c = peek();
        if (c >= 0) {
            ++m_at;
            if (c == '\n')
                ++m_line;
        }
        return c;
    }
    // The bytes from the next one on as far as they are read in (empty at
    // the end), and taking n of them (none a line feed).
    QByteArrayView ahead()
    {
        peek();
        return QByteArrayView(m_buffer).sliced(m_at);
    }
    void take(qsizetype n) { m_at += n; }
    int line() const { return m_line; }

private:
    bool refill();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    int m_line = 1;
};
