#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

// The text of UTF-8 bytes; nothing when they are not UTF-8. Most texts of a
// log are plain ASCII, which needs no decoder.
inline std::optional<QString> utf8Text(const QByteArray& bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return bytes.isEmpty() ? QStringLiteral("") : QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
