// The player's drawing of lines, shapes and regions.

#include "wmf/WmfPlayerPrivate.h"

#include <QPainter>

#include <cmath>

namespace platform::wmf::detail {

void Player::polygon(const QPolygonF &polygon)
{
    if (polygon.size() < 2 || !spend(polygon.size(), strokeBounds(polygon.boundingRect())))
        return;
    prepare(true);
    m_painter.drawPolygon(polygon, m_dc.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
}

void Player::polyline(const QPolygonF &line)
{
    if (line.size() < 2 || !spend(line.size(), strokeBounds(line.boundingRect())))
        return;
    prepare(false);
    m_painter.drawPolyline(line);
}

void Player::shape(const QRectF &rect, Function function, qreal rx, qreal ry)
{
    if (!spend(4, strokeBounds(rect)))
        return;
    prepare(true);
    if (function == Ellipse)
        m_painter.drawEllipse(rect);
    else if (function == RoundRect)
        m_painter.drawRoundedRect(rect, rx, ry);
    else
        m_painter.drawRect(rect);
}

// ARC, PIE and CHORD: the part of the ellipse in rect counter-clockwise from the radial
// through start to the radial through end, as seen on the target.
void Player::arc(const Params &p, Function function)
{
    if (!p.has(8))
        return;
    const QRectF rect = mapRect(p.s16(7), p.s16(6), p.s16(5), p.s16(4));
    const QPointF start = map(p.s16(3), p.s16(2));
    const QPointF end = map(p.s16(1), p.s16(0));
    if (rect.width() <= 0 || rect.height() <= 0 || !spend(64, strokeBounds(rect)))
        return;
    const QPointF centre = rect.center();
    const auto angleOf = [&](const QPointF &point) {
        const qreal dx = (point.x() - centre.x()) / (rect.width() / 2);
        const qreal dy = (point.y() - centre.y()) / (rect.height() / 2);
        return (dx == 0 && dy == 0) ? 0.0 : std::atan2(-dy, dx) * 180 / M_PI;
    };
    const qreal from = angleOf(start);
    qreal sweep = angleOf(end) - from;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (function == Pie) {
        path.moveTo(centre);
        path.arcTo(rect, from, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(rect, from);
        path.arcTo(rect, from, sweep);
        if (function == Chord)
            path.closeSubpath();
    }
    prepare(function != Arc);
    m_painter.drawPath(path);
}

void Player::fillRegion(const ObjectRef &regionObject, const QBrush &fill)
{
    const auto *region = regionObject ? std::get_if<Region>(regionObject.get()) : nullptr;
    if (!region || region->rects.empty())
        return;
    const QPainterPath path = regionPath(*region);
    if (!spend(qint64(region->rects.size()) * 4, path.boundingRect()))
        return;
    m_painter.fillPath(path, fill);
}

} // namespace platform::wmf::detail
