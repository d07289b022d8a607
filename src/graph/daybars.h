#pragma once

#include <QGraphicsItem>
#include <QPen>
#include <QBrush>
#include <QVector>
#include <functional>
#include <optional>

class QChart;
class QValueAxis;

// The bars of the diet graph: one bar per day, drawn by one item in one call.
// Qt Charts' own bar series makes an item per bar, which takes seconds to build
// and to change for the thousands of days of a long range; this item looks the
// same and takes milliseconds. It follows the chart's axes and plot area.
class DayBars : public QGraphicsItem
{
public:
    DayBars(QChart* chart, QValueAxis* dayAxis, QValueAxis* valueAxis);

    // The sums of days 1, 2, ...; a day without a value has no bar, and a day
    // whose sum is not a number is marked across the whole plot as invalid.
    // Without bars (under a line) only those marks are drawn.
    void setValues(const QVector<std::optional<double>>& values, bool bars = true);
    void setColors(const QPen& pen, const QBrush& brush);
    // Half a bar's width, in days.
    static constexpr double kHalfWidth = 0.4;
    // Shows the tip of a point in value coordinates ("" for none) while the pointer is over the chart.
    std::function<QString(const QPointF&)> tipAt;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    QPointF toValue(const QPointF& position) const;
    QPointF toPosition(const QPointF& value) const;

    QChart* m_chart;
    QValueAxis* m_dayAxis;
    QValueAxis* m_valueAxis;
    QVector<std::optional<double>> m_values;
    bool m_showBars = true;
    QPen m_pen;
    QBrush m_brush;
};
