#pragma once

#include "data/storeddates.h"

#include <QDate>
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
    // The snapshot times of the days, as everywhere snapshots are chosen by days.
    StoredRange snapshotTimes() const { return StoredRange::snapshotDays(first, last); }
};
