#include "graph/goalline.h"

#include "graph/dietgraphdata.h"

#include <algorithm>

namespace GoalLine {

namespace {
// Half a day's slot on the axis: the line reaches the axis' ends.
constexpr double kHalfDay = 0.5;
} // namespace

QList<QPointF> points(std::optional<double> goal, int days)
{
    if (!goal || !(*goal > 0) || days <= 0)
        return {};
    return {QPointF(1 - kHalfDay, *goal), QPointF(days + kHalfDay, *goal)};
}

Range range(const DietGraphData& data, int nutrient, std::optional<double> goal)
{
    double hi = data.highest(nutrient);
    if (!points(goal, data.rowCount()).isEmpty())
        hi = std::max(hi, *goal);
    return {std::min(0.0, data.lowest(nutrient)), hi};
}

} // namespace GoalLine
