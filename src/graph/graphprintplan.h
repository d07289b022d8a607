#pragma once

#include <QList>
#include <QString>
#include <array>

// Which diet graphs a print run puts on paper and where. Charts are printed
// at the size they have on screen, one under the other from the top of the
// page, as many to a page as fit whole; a chart taller than the page gets a
// page of its own. A new page is started only for a chart that needs one, so
// no blank page ends the run.
struct GraphPrintPlan
{
    enum class Mode { Current, All };
    struct Placed
    {
        int nutrient;
        double top; // from the top of the page, in the unit of the heights given
        bool operator==(const Placed&) const = default;
    };
    using Page = QList<Placed>;

    // "CURRENT" prints the selected nutrient only; "ALL" every nutrient
    // whose choice is visible (the selected one always).
    static QList<int> printed(Mode mode, int selected, const std::array<bool, 8>& visible);
    static int chartsPerPage(double pageHeight, double chartHeight);
    static QList<Page> pages(const QList<int>& nutrients, double pageHeight, double chartHeight);
};
