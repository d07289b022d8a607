#pragma once

#include <QString>

class Recordset;

// What a Find over the names of a recordset's rows came to.
enum class NameSearch
{
    Closed,   // the recordset is not open: nothing to search
    Empty,    // a fresh search over no rows
    Found,    // the recordset stands on the match
    NotFound, // no row matches (the position is where the search left it)
    Failed,   // the search failed, and that was reported
};

// The first row whose FoodName contains text (a LikePattern, any case), from
// the first row, or after the current one when continuing (past the last row
// it starts again at the first). Throws DataError when the recordset fails.
NameSearch searchNames(Recordset& rows, const QString& text, bool continuing);
