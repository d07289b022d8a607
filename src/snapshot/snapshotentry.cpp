#include "snapshot/snapshotentry.h"

#include "app/configstore.h"
#include "app/numbers.h"
#include "data/recordset.h"
#include "data/storeddates.h"

#include <cmath>

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
    entry.taken = QDateTime(date, QTime(time.hour(), time.minute()), Qt::UTC);
    entry.comment = ConfigStore::leftChars(comment, SnapshotSlots::kCommentLength);
    for (int p = 0; p < layout.count(); ++p) {
        const QString text = inputs.value(p);
        QVariant& value = entry.values[layout.valueNumber(p) - 1];
        if (!layout.isNumeric(p))
            value = ConfigStore::leftChars(text, SnapshotSlots::kTextLength);
        else if (const std::optional<double> number = parseNumber(text))
            value = *number;
    }
    return entry;
}

SnapshotEntry SnapshotEntry::read(const Recordset& rs, const SnapshotSlots& layout)
{
    SnapshotEntry entry;
    entry.snapId = rs.integer(kId);
    entry.taken = takenFrom(rs.text(kTaken));
    entry.comment = rs.text(kComments);
    for (int p = 0; p < layout.count(); ++p) {
        const int number = layout.valueNumber(p);
        entry.values[number - 1] = rs.value(layout.columnOf(p));
    }
    return entry;
}

void SnapshotEntry::write(Recordset& rs, const SnapshotSlots& layout) const
{
    // A stored time that is no time is left as it was, never made "".
    if (taken.isValid())
        rs.setValue(kTaken, taken);
    rs.setValue(kComments, comment);
    for (int p = 0; p < layout.count(); ++p) {
        const int number = layout.valueNumber(p);
        rs.setValue(SnapshotSlots::column(number), values[number - 1]);
    }
}

QDateTime SnapshotEntry::takenFrom(const QString& stored)
{
    // Read by hand: a history has thousands of these, and the general parsers are slow.
    const QStringView text(stored);
    const auto number = [&text](int from, int length) { return text.mid(from, length).toInt(); };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time = text.size() >= 19 ? QTime(number(11, 2), number(14, 2), number(17, 2)) : QTime(0, 0);
    return QDateTime(date, time.isValid() ? time : QTime(0, 0), Qt::UTC);
}

QString SnapshotEntry::takenText(const QDateTime& taken)
{
    if (!taken.isValid())
        return kInvalidDateText;
    // The hour on the 12-hour clock with AM / PM whatever the locale.
    const QDate date = taken.date();
    const QTime time = taken.time();
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QString::asprintf("%04d/%02d/%02d %02d:%02d %s", date.year(), date.month(), date.day(), hour,
                             time.minute(), time.hour() < 12 ? "AM" : "PM");
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
        return std::isfinite(value.toDouble()) ? plainNumber(value.toDouble()) : kNotANumberText;
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
