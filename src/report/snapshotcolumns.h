#pragma once

#include <QStringList>
#include <QVector>

class ConfigStore;

// The snapshot values a user has labelled, in value order: the labels
// (without blanks around them) and the value number (1 to 8) of each.
struct SnapshotColumns
{
    QStringList labels;
    QVector<int> fields;

    // Reads SNAPSHOT1 to SNAPSHOT8; a label that is blank leaves its value out.
    static SnapshotColumns fromConfig(ConfigStore& config);
    // The index of the last labelled value, -1 when there is none.
    int last() const { return int(fields.size()) - 1; }
};
