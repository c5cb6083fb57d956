// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/samples/Drawing.h"

#include <QPointF>

#include <algorithm>
#include <cmath>

namespace samples {

Drawing::Drawing(double width, double height, QColor background)
    : m_size(width, height)
    , m_background(background)
{
}

void Drawing::setOutline(QColor colour, double width)
{
    m_outline = colour;
    m_width = width;
}

void Drawing::rect(double x, double y, double w, double h, QColor fill)
{
    m_shapes.push_back({Shape::Rect, fill, m_outline, m_width, QRectF(x, y, w, h), {}});
}

void Drawing::ellipse(double cx, double cy, double rx, double ry, QColor fill)
{
    m_shapes.push_back({Shape::Ellipse, fill, m_outline, m_width, QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry), {}});
}

void Drawing::polygon(const QPolygonF &points, QColor fill)
{
    m_shapes.push_back({Shape::Polygon, fill, m_outline, m_width, {}, points});
}

void Drawing::line(const QPolygonF &points, QColor colour, double width)
{
    m_shapes.push_back({Shape::Line, QColor(), colour, width, {}, points});
}

// --- Geometry --------------------------------------------------------------------------------

QPolygonF EllipsePoints(double cx, double cy, double rx, double ry, double angleDeg, int n)
{
    QPolygonF points;
    const double a = angleDeg * Pi / 180;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * Pi * i / n;
        const double x = rx * std::cos(t);
        const double y = ry * std::sin(t);
        points << QPointF(cx + x * std::cos(a) - y * std::sin(a), cy + x * std::sin(a) + y * std::cos(a));
    }
    return points;
}

QPolygonF ArcPoints(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int n)
{
    QPolygonF points;
    for (int i = 0; i <= n; ++i) {
        const double t = (fromDeg + (toDeg - fromDeg) * i / n) * Pi / 180;
        points << QPointF(cx + rx * std::cos(t), cy + ry * std::sin(t));
    }
    return points;
}

QPolygonF StarPoints(double cx, double cy, double outer, double inner, int tips, double rotationDeg)
{
    QPolygonF points;
    for (int i = 0; i < 2 * tips; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double t = (rotationDeg + 180.0 * i / tips) * Pi / 180;
        points << QPointF(cx + r * std::cos(t), cy + r * std::sin(t));
    }
    return points;
}

QPolygonF RoundRectPoints(double x, double y, double w, double h, double r)
{
    QPolygonF points;
    const QPointF corners[4] = {{x + w - r, y + r}, {x + w - r, y + h - r}, {x + r, y + h - r}, {x + r, y + r}};
    for (int c = 0; c < 4; ++c) {
        const double from = -90 + 90 * c;
        for (int i = 0; i <= 8; ++i) {
            const double t = (from + 90.0 * i / 8) * Pi / 180;
            points << corners[c] + QPointF(r * std::cos(t), r * std::sin(t));
        }
    }
    return points;
}

QPolygonF BandPoints(const QPolygonF &path, double width)
{
    QPolygonF left, right;
    for (int i = 0; i < path.size(); ++i) {
        const QPointF a = path[std::max(0, i - 1)];
        const QPointF b = path[std::min<int>(int(path.size()) - 1, i + 1)];
        const QPointF d = b - a;
        const double length = std::hypot(d.x(), d.y());
        const QPointF normal = length > 0 ? QPointF(-d.y() / length, d.x() / length) * (width / 2) : QPointF();
        left << path[i] + normal;
        right.prepend(path[i] - normal);
    }
    return left + right;
}

QPolygonF CurvePoints(QPointF a, QPointF b, QPointF c, int n)
{
    QPolygonF points;
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        points << (1 - t) * (1 - t) * a + 2 * (1 - t) * t * b + t * t * c;
    }
    return points;
}

QPolygonF WavePoints(double x0, double x1, double y, double amplitude, double wavelength, double bottom)
{
    QPolygonF points;
    const int n = int((x1 - x0) / 10);
    for (int i = 0; i <= n; ++i) {
        const double x = x0 + (x1 - x0) * i / n;
        points << QPointF(x, y + amplitude * std::sin(2 * Pi * (x - x0) / wavelength));
    }
    points << QPointF(x1, bottom) << QPointF(x0, bottom);
    return points;
}

// --- Parts several drawings share --------------------------------------------------------------

void Cloud(Drawing &drawing, double cx, double cy, double scale, QColor colour)
{
    struct Puff
    {
        double dx, dy, r;
    };
    const Puff puffs[] = {{-70, 10, 45}, {-20, -25, 58}, {45, -10, 50}, {85, 15, 38}, {0, 20, 50}};
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    // Every puff with an outline twice as wide, then every puff again without one: the second
    // pass covers the inner half of each outline and the outlines inside the cloud, so that only
    // the cloud's outer edge keeps one, as wide as the others.
    drawing.setOutline(outline, width * 2);
    for (const Puff &p : puffs)
        drawing.circle(cx + p.dx * scale, cy + p.dy * scale, p.r * scale, colour);
    drawing.noOutline();
    for (const Puff &p : puffs)
        drawing.circle(cx + p.dx * scale, cy + p.dy * scale, p.r * scale, colour);
    drawing.setOutline(outline, width);
}

void Daisy(Drawing &drawing, QPointF centre, double scale, QColor petals, QColor middle)
{
    for (int k = 0; k < 5; ++k) {
        const double t = (k * 72 - 90) * Pi / 180;
        drawing.circle(centre.x() + 22 * scale * std::cos(t), centre.y() + 22 * scale * std::sin(t), 16 * scale, petals);
    }
    drawing.circle(centre.x(), centre.y(), 13 * scale, middle);
}

void HappyFace(Drawing &drawing, double cx, double cy, double scale, Cheeks cheeks)
{
    const double s = scale;
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    drawing.noOutline();
    for (double side : {-1.0, 1.0}) {
        drawing.ellipse(cx + side * 55 * s, cy - 30 * s, 16 * s, 24 * s, Ink);
        drawing.circle(cx + side * 55 * s + 5 * s, cy - 38 * s, 6 * s, White);
        if (cheeks == Cheeks::Pink)
            drawing.ellipse(cx + side * 88 * s, cy + 28 * s, 26 * s, 16 * s, Pink);
    }
    drawing.line(ArcPoints(cx, cy + 5 * s, 50 * s, 42 * s, 25, 155), Ink, 11 * s);
    drawing.setOutline(outline, width);
}

} // namespace samples
