#include "transfer/bytereader.h"

#include <QIODevice>

ByteReader::ByteReader(QIODevice& device) : m_device(device)
{
    if (peek() == 0xEF) {
        if (m_buffer.size() - m_at < 3)
            m_buffer += m_device.read(3);
        if (m_buffer.mid(m_at, 3) == "\xEF\xBB\xBF")
            m_at += 3;
    }
}

bool ByteReader::refill()
{
    m_buffer = m_device.read(64 * 1024);
    m_at = 0;
    return !m_buffer.isEmpty();
}
