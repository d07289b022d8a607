#pragma once

#include <QString>
#include <Qt>

// The rows of a report as its list shows them: titled columns with an
// alignment, a text per cell, and per row a bold flag and a picture key.
class ReportTable
{
public:
    virtual ~ReportTable() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString headerText(int column) const = 0;
    virtual Qt::Alignment alignment(int column) const = 0;
    virtual QString text(int row, int column) const = 0;
    virtual bool isBold(int) const { return false; }
    // The key of the row's picture in the report's image list; "" for none.
    virtual QString imageKey(int) const { return {}; }
};
