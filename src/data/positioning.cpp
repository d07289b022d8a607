#include "data/positioning.h"

#include "data/recordset.h"

int measurePosition(Recordset& rsMeasures, qint32 msreNo)
{
    int position = 0;
    rsMeasures.moveFirst();
    for (int row = 0; !rsMeasures.eof(); ++row, rsMeasures.moveNext()) {
        if (rsMeasures.integer(QStringLiteral("MSRE_NO")) == msreNo)
            position = row;
    }
    rsMeasures.moveFirst();
    return position;
}

namespace {

void moveToRow(Recordset& rs, const QString& column, int offset, qint32 id)
{
    rs.moveFirst();
    if (id != 0)
        rs.findFirst(Criteria::equals(column, id));
    else
        rs.move(offset);
}

} // namespace

void moveToMeasure(Recordset& rsMeasures, int offset, qint32 msreNo)
{
    moveToRow(rsMeasures, QStringLiteral("MSRE_NO"), offset, msreNo);
}

void moveToGroup(Recordset& rsAvailGroups, int offset, qint32 groupId)
{
    moveToRow(rsAvailGroups, QStringLiteral("GroupId"), offset, groupId);
}
