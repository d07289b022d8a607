#include "snapshot/snapshotentry.h"

#include "app/numbers.h"
#include "data/recordset.h"

#include <QLocale>

namespace {
const QString kId = QStringLiteral("SNAPID");
const QString kTaken = QStringLiteral("SNAPDATETM");
const QString kComments = QStringLiteral("SNAPCOMMENTS");
} // namespace

SnapshotEntry SnapshotEntry::fromInputs(const SnapshotSlots& layout, const QDate& date, const QTime& time,
                                        const QStringList& inputs, const QString& comment)
{
    SnapshotEntry entry;
    // Snapshots are kept to the minute.
    entry.taken = QDateTime(date, QTime(time.hour(), time.minute()));
    entry.comment = cutText(comment, SnapshotSlots::kCommentLength);
    for (int p = 0; p < layout.count(); ++p) {
        const QString text = inputs.value(p);
        QVariant& value = entry.values[layout.valueNumber(p) - 1];
        if (!layout.isNumeric(p))
            value = cutText(text, SnapshotSlots::kTextLength);
        else if (const std::optional<double> number = parseNumber(text))
            value = *number;
    }
    return entry;
}

SnapshotEntry SnapshotEntry::read(const Recordset& rs)
{
    SnapshotEntry entry;
    entry.snapId = rs.integer(kId);
    entry.taken = rs.dateTime(kTaken);
    entry.comment = rs.text(kComments);
    for (int number = 1; number <= SnapshotSlots::kValues; ++number)
        entry.values[number - 1] = rs.value(SnapshotSlots::column(number));
    return entry;
}

void SnapshotEntry::write(Recordset& rs, const SnapshotSlots& layout) const
{
    rs.setValue(kTaken, taken);
    rs.setValue(kComments, comment);
    for (int p = 0; p < layout.count(); ++p) {
        const int number = layout.valueNumber(p);
        rs.setValue(SnapshotSlots::column(number), values[number - 1]);
    }
}

QString SnapshotEntry::takenText(const QDateTime& taken)
{
    // The hour on the 12-hour clock with English AM / PM whatever the locale.
    return QLocale::c().toString(taken, QStringLiteral("yyyy/MM/dd hh:mm AP"));
}

QString SnapshotEntry::valueText(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral(" ");
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return plainNumber(value.toDouble());
    default:
        return value.toString();
    }
}

QStringList SnapshotEntry::historyTexts(const SnapshotSlots& layout) const
{
    QStringList texts{takenText(taken)};
    texts << inputTexts(layout);
    texts << comment;
    return texts;
}

QStringList SnapshotEntry::inputTexts(const SnapshotSlots& layout) const
{
    QStringList texts;
    for (int p = 0; p < layout.count(); ++p)
        texts << valueText(values[layout.valueNumber(p) - 1]);
    return texts;
}
