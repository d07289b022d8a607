#pragma once

#include <QtGlobal>

class Recordset;

// Small helpers that place the measure and group lists' recordsets on the row a
// list entry stands for.

// The 0-based position of the last row of rsMeasures whose MSRE_NO is msreNo
// (0 when none is); leaves rsMeasures on its first row.
int measurePosition(Recordset& rsMeasures, qint32 msreNo);

// With msreNo not 0: the first row whose MSRE_NO is msreNo; otherwise the row
// offset rows after the first.
void moveToMeasure(Recordset& rsMeasures, int offset, qint32 msreNo);

// The same on rsAvailGroups by GroupId.
void moveToGroup(Recordset& rsAvailGroups, int offset, qint32 groupId);
