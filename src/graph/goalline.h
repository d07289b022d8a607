#pragma once

#include <QList>
#include <QPointF>
#include <optional>

class DietGraphData;

// The "Goal" line of the diet graph: when the nutrient shown has a daily goal
// above 0, a level line at the goal across every day, from the outer edge of
// the first day's bar to that of the last (days sit at 1, 2, ... on the axis).
namespace GoalLine {

// The line's two ends; none without a goal above 0 or without days.
QList<QPointF> points(std::optional<double> goal, int days);

// The sums the value axis must take in: from the lowest sum (or 0, when no
// sum is below it) to the highest sum, or to the goal when it is higher, so
// that the line is always in view.
struct Range
{
    double lo;
    double hi;
};
Range range(const DietGraphData& data, int nutrient, std::optional<double> goal);

} // namespace GoalLine
