#pragma once

#include "food/namesearch.h"

#include <QString>

// One side that Find searches, the food catalogue or the diet log, as the
// tree that shows it sees it.
class FindTarget
{
public:
    virtual ~FindTarget() = default;
    // Searches the names (from the first, or after the last match when continuing).
    virtual NameSearch findName(const QString& text, bool continuing) = 0;
    // Selects the match in the tree and gives the tree the focus; false when
    // the tree cannot show it.
    virtual bool showMatch() = 0;
    // After a search that showed nothing: the records back on the selected
    // node, and the focus on the tree.
    virtual void restorePosition() = 0;
};
