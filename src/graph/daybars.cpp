#include "graph/daybars.h"

#include <QChart>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QToolTip>
#include <QValueAxis>
#include <cmath>

DayBars::DayBars(QChart* chart, QValueAxis* dayAxis, QValueAxis* valueAxis)
    : QGraphicsItem(chart), m_chart(chart), m_dayAxis(dayAxis), m_valueAxis(valueAxis)
{
    setAcceptHoverEvents(true);
    // Over the grid lines, where the series are.
    setZValue(4);
    const auto moved = [this] {
        prepareGeometryChange();
        update();
    };
    QObject::connect(chart, &QChart::plotAreaChanged, chart, moved);
    QObject::connect(dayAxis, &QValueAxis::rangeChanged, chart, moved);
    QObject::connect(valueAxis, &QValueAxis::rangeChanged, chart, moved);
}

void DayBars::setValues(const QVector<std::optional<double>>& values, bool bars)
{
    m_values = values;
    m_showBars = bars;
    // A line's points give their own tips.
    setAcceptHoverEvents(bars);
    update();
}

void DayBars::setColors(const QPen& pen, const QBrush& brush)
{
    m_pen = pen;
    m_brush = brush;
    update();
}

QRectF DayBars::boundingRect() const
{
    return mapFromParent(m_chart->plotArea()).boundingRect();
}

QPointF DayBars::toPosition(const QPointF& value) const
{
    const QRectF area = m_chart->plotArea();
    const double days = m_dayAxis->max() - m_dayAxis->min();
    const double amounts = m_valueAxis->max() - m_valueAxis->min();
    return QPointF(area.left() + (value.x() - m_dayAxis->min()) / (days > 0 ? days : 1) * area.width(),
                   area.bottom() - (value.y() - m_valueAxis->min()) / (amounts > 0 ? amounts : 1) * area.height());
}

QPointF DayBars::toValue(const QPointF& position) const
{
    const QRectF area = m_chart->plotArea();
    return QPointF(m_dayAxis->min() + (position.x() - area.left()) / area.width() * (m_dayAxis->max() - m_dayAxis->min()),
                   m_valueAxis->min() +
                       (area.bottom() - position.y()) / area.height() * (m_valueAxis->max() - m_valueAxis->min()));
}

void DayBars::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF area = m_chart->plotArea();
    // Bars thinner than a pixel of the device (years of days on a screen) are
    // widened to one and drawn without smoothing, so that they show in full
    // colour where smoothing would leave a pale haze.
    const double pixel = 1.0 / std::max(1e-9, std::abs(painter->deviceTransform().m11()));
    QVector<QRectF> bars, invalid;
    bars.reserve(m_values.size());
    bool thin = false;
    for (int row = 0; row < m_values.size(); ++row) {
        if (!m_values[row])
            continue;
        const double day = row + 1;
        if (!std::isfinite(*m_values[row])) {
            const double left = toPosition(QPointF(day - kHalfWidth, 0)).x();
            const double right = toPosition(QPointF(day + kHalfWidth, 0)).x();
            invalid.append(QRectF(left, area.top(), std::max(right - left, pixel), area.height()));
            continue;
        }
        if (!m_showBars)
            continue;
        QRectF bar = QRectF(toPosition(QPointF(day - kHalfWidth, *m_values[row])),
                            toPosition(QPointF(day + kHalfWidth, 0)))
                         .normalized();
        if (bar.width() < pixel) {
            thin = true;
            bar.setWidth(pixel);
        }
        bar = bar.intersected(area);
        if (!bar.isEmpty())
            bars.append(bar);
    }
    painter->save();
    painter->setClipRect(area);
    // Bars narrower than their outline are drawn without it.
    const bool outlined = !bars.isEmpty() && bars.first().width() > 3 * m_pen.widthF();
    painter->setPen(outlined ? m_pen : Qt::NoPen);
    painter->setBrush(thin ? m_pen.brush() : m_brush);
    painter->setRenderHint(QPainter::Antialiasing, !thin);
    painter->drawRects(bars);
    // A day whose sum is not a number: hatched in red from top to bottom.
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(QColor(0xcc, 0, 0), Qt::BDiagPattern));
    painter->drawRects(invalid);
    painter->restore();
}

void DayBars::hoverMoveEvent(QGraphicsSceneHoverEvent* event)
{
    const QString tip = tipAt ? tipAt(toValue(mapToParent(event->pos()))) : QString();
    QWidget* view = event->widget() ? event->widget()->parentWidget() : nullptr;
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->screenPos(), tip, view);
}

void DayBars::hoverLeaveEvent(QGraphicsSceneHoverEvent*)
{
    QToolTip::hideText();
}
