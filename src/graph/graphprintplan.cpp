#include "graph/graphprintplan.h"

#include <algorithm>
#include <cmath>

QList<int> GraphPrintPlan::printed(Mode mode, int selected, const std::array<bool, 8>& visible)
{
    QList<int> nutrients;
    for (int i = 0; i < int(visible.size()); ++i) {
        if (i == selected || (mode == Mode::All && visible[i]))
            nutrients << i;
    }
    return nutrients;
}

int GraphPrintPlan::chartsPerPage(double pageHeight, double chartHeight)
{
    if (!(chartHeight > 0) || !(pageHeight > 0))
        return 1;
    return std::max(1, int(std::floor(pageHeight / chartHeight)));
}

QList<GraphPrintPlan::Page> GraphPrintPlan::pages(const QList<int>& nutrients, double pageHeight,
                                                 double chartHeight)
{
    const int perPage = chartsPerPage(pageHeight, chartHeight);
    QList<Page> result;
    for (int nutrient : nutrients) {
        if (result.isEmpty() || result.last().size() == perPage)
            result.append(Page());
        result.last().append({nutrient, result.last().size() * chartHeight});
    }
    return result;
}
