#include "print/printablelist.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

int PrintableList::rowCount() const
{
    return model->rowCount();
}

int PrintableList::columnCount() const
{
    return model->columnCount();
}

QString PrintableList::text(int row, int column) const
{
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
}

QString PrintableList::headerText(int column) const
{
    return model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

Qt::Alignment PrintableList::alignment(int column) const
{
    const auto flags =
        Qt::Alignment(model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    if (flags & Qt::AlignRight)
        return Qt::AlignRight;
    if (flags & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

QString PrintableList::imageKey(int row) const
{
    return model->data(model->index(row, 0), ImageKeyRole).toString();
}

bool PrintableList::isBold(int row) const
{
    return model->data(model->index(row, 0), BoldRole).toBool();
}

bool PrintableList::isSelected(int row) const
{
    return selection && selection->isRowSelected(row, QModelIndex());
}
