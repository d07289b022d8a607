#pragma once

#include "snapshot/snapshotslots.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <array>

class Recordset;

// One physical snapshot as the snapshot window reads, shows and stores it: when
// it was taken, the eight values (a null value is one that was not measured)
// and the comment. The time is the wall-clock time the user gave, kept with no
// time zone (as UTC), so no daylight-saving change moves or refuses it and no
// time zone is looked up for the thousands of rows of a history.
struct SnapshotEntry
{
    qint32 snapId = 0;
    QDateTime taken;
    std::array<QVariant, SnapshotSlots::kValues> values; // by value number - 1
    QString comment;

    // What a Save stores from the window's inputs (one text per position),
    // which have passed SnapshotSlots::validationMessage: the time to the
    // minute, a blank number as null, texts cut to 15 characters and the
    // comment to 199. Values not shown in the window stay null.
    static SnapshotEntry fromInputs(const SnapshotSlots& layout, const QDate& date, const QTime& time,
                                    const QStringList& inputs, const QString& comment);
    // The current record of a SnapShot recordset: its time, comment and the
    // values the layout shows (the others are left null).
    static SnapshotEntry read(const Recordset& rs, const SnapshotSlots& layout);
    // Writes the time (unless it is invalid: a damaged stored time stays as it
    // was), the comment and the values shown in the window into the record
    // being added or edited; the values of the other positions are left as
    // they are.
    void write(Recordset& rs, const SnapshotSlots& layout) const;

    // A history row: the time as "yyyy/mm/dd hh:mm AM" (kInvalidDateText when
    // the stored one is not a time), each shown value (a single blank for a
    // null one), then the comment.
    QStringList historyTexts(const SnapshotSlots& layout) const;
    // The texts Edit puts in the inputs, one per position.
    QStringList inputTexts(const SnapshotSlots& layout) const;

    static QString takenText(const QDateTime& taken);
    // The time of a stored "YYYY-MM-DD HH:MM:SS" text.
    static QDateTime takenFrom(const QString& stored);
    // A stored value as the window shows it: " " for null, numbers in their
    // shortest form (kNotANumberText for one that is not a number at all).
    static QString valueText(const QVariant& value);
};
