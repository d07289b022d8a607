#pragma once

#include <QString>
#include <array>

// A ready-made set of the eight snapshot value labels (values 1 to 6 numeric,
// 7 and 8 text); "" leaves a value unused.
struct SnapshotLabelSet
{
    QString caption;
    std::array<QString, 8> labels;
};

// The sets the options dialog offers, in the order it lists them.
const std::array<SnapshotLabelSet, 5>& snapshotLabelSets();
