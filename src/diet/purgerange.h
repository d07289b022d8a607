#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The days a purge deletes, first and last included.
struct PurgeRange
{
    QDate first;
    QDate last;

    static const QString kReversedMessage;

    bool isValid() const { return first.isValid() && last.isValid() && first <= last; }
    // The question asked before data of kind purgeType ("Diet", "Snapshot") is deleted.
    QString confirmation(const QString& purgeType) const;
    // Snapshot times run from one second after midnight of the first day to
    // 11:59:59 PM of the last, as everywhere snapshots are chosen by days.
    QDateTime snapshotLow() const { return QDateTime(first, QTime(0, 0, 1)); }
    QDateTime snapshotHigh() const { return QDateTime(last, QTime(23, 59, 59)); }
};
