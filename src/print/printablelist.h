#pragma once

#include "print/printsurface.h"

#include <QVector>
#include <Qt>

class QAbstractItemModel;
class QItemSelectionModel;

// What the list printer prints: the rows of a model as a list shows them.
// The model gives each cell's text (Qt::DisplayRole), each column's title and
// alignment (header data, Qt::DisplayRole and Qt::TextAlignmentRole) and per
// row, in column 0, the roles below.
struct PrintableList
{
    enum Role {
        ImageKeyRole = Qt::UserRole + 1, // the key of the row's picture ("" for none)
        BoldRole,                        // true for a row in bold
    };

    const QAbstractItemModel* model = nullptr;
    // The rows the user selected (none when null).
    const QItemSelectionModel* selection = nullptr;
    // The width of each column in twips, as the list shows it; a column
    // without a width, or of width 0, is not printed.
    QVector<double> columnWidths;
    // The height of a row in twips, as the list shows it.
    double rowHeight = 255;
    // The list's font.
    FontSpec font;
    // The screen's twips per pixel, which turn the pictures' pixels into twips.
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;

    int rowCount() const;
    int columnCount() const;
    double columnWidth(int column) const { return column < columnWidths.size() ? columnWidths[column] : 0; }
    QString text(int row, int column) const;
    QString headerText(int column) const;
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment alignment(int column) const;
    QString imageKey(int row) const;
    bool isBold(int row) const;
    bool isSelected(int row) const;
};
