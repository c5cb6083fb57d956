// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sample picture as a drawing: a background colour and a list of flat shapes (rectangles,
// ellipses, polygons, thick lines) in the drawing's own logical units. A drawing is described
// once and written in any format (Output.h): painted for the raster files, recorded shape by
// shape for the metafiles.

#include <QColor>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>

#include <numbers>
#include <vector>

namespace samples {

inline constexpr double Pi = std::numbers::pi;

// Bright, flat colours, with one dark ink for the outlines.
inline const QColor Ink(0x2b, 0x22, 0x33);
inline const QColor White(0xff, 0xff, 0xff);
inline const QColor Sky(0xbd, 0xe6, 0xff);
inline const QColor Yellow(0xff, 0xd4, 0x3b);
inline const QColor Orange(0xff, 0x92, 0x2b);
inline const QColor LightOrange(0xff, 0xa9, 0x4d);
inline const QColor Red(0xfa, 0x52, 0x52);
inline const QColor Pink(0xff, 0x8f, 0xab);
inline const QColor DeepPink(0xf0, 0x65, 0x95);
inline const QColor Green(0x51, 0xcf, 0x66);
inline const QColor LightGreen(0x8c, 0xe9, 0x9a);
inline const QColor DarkGreen(0x2f, 0x9e, 0x44);
inline const QColor Blue(0x4d, 0xab, 0xf7);
inline const QColor LightBlue(0xa5, 0xd8, 0xff);
inline const QColor Purple(0xb1, 0x97, 0xfc);
inline const QColor Brown(0xa9, 0x5c, 0x2e);
inline const QColor Sand(0xff, 0xe0, 0x8a);
inline const QColor Grey(0x86, 0x8e, 0x96);
inline const QColor LightGrey(0xde, 0xe2, 0xe6);

struct Shape
{
    enum Kind { Rect, Ellipse, Polygon, Line };
    Kind kind = Rect;
    QColor fill;      // invalid: not filled
    QColor outline;   // invalid: no outline
    double width = 0; // outline or line width
    QRectF rect;      // Rect, Ellipse
    QPolygonF points; // Polygon, Line
};

class Drawing final
{
public:
    // An invalid background: none (the metafiles draw only their shapes).
    Drawing(double width, double height, QColor background);

    QSizeF size() const { return m_size; }
    QColor background() const { return m_background; }
    const std::vector<Shape> &shapes() const { return m_shapes; }

    // The outline of the shapes added next (an invalid colour: none); at first the ink, 8 wide.
    void setOutline(QColor colour, double width);
    void noOutline() { m_outline = QColor(); }
    QColor outline() const { return m_outline; }
    double outlineWidth() const { return m_width; }

    void rect(double x, double y, double w, double h, QColor fill);
    void ellipse(double cx, double cy, double rx, double ry, QColor fill);
    void circle(double cx, double cy, double r, QColor fill) { ellipse(cx, cy, r, r, fill); }
    void polygon(const QPolygonF &points, QColor fill);
    // A thick line with round ends through the points (raster pictures only: a metafile holds a
    // band, BandPoints(), as a polygon instead).
    void line(const QPolygonF &points, QColor colour, double width);

private:
    QSizeF m_size;
    QColor m_background;
    QColor m_outline = Ink;
    double m_width = 8;
    std::vector<Shape> m_shapes;
};

// --- Geometry: outlines as polygons. Angles in degrees, 0 = right, 90 = down. ---------------

// An ellipse turned by angleDeg, as n points.
QPolygonF EllipsePoints(double cx, double cy, double rx, double ry, double angleDeg, int n = 72);
// Points on an elliptic arc.
QPolygonF ArcPoints(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int n = 24);
QPolygonF StarPoints(double cx, double cy, double outer, double inner, int tips, double rotationDeg);
QPolygonF RoundRectPoints(double x, double y, double w, double h, double r);
// A band of the given width along a polyline, as a polygon (a "thick line" that a metafile can
// hold as one POLYGON record).
QPolygonF BandPoints(const QPolygonF &path, double width);
// A quadratic Bézier curve from a to c pulled towards b, as n + 1 points.
QPolygonF CurvePoints(QPointF a, QPointF b, QPointF c, int n = 16);
// Waves along y from x0 to x1, closed below at bottom.
QPolygonF WavePoints(double x0, double x1, double y, double amplitude, double wavelength, double bottom);

// --- Parts several drawings share --------------------------------------------------------------

// A fluffy cloud: overlapping circles with only the outer outline showing.
void Cloud(Drawing &drawing, double cx, double cy, double scale, QColor colour = White);

// A small flower of five round petals, scale 1 about 80 units across.
void Daisy(Drawing &drawing, QPointF centre, double scale, QColor petals, QColor middle);

enum class Cheeks { Pink, None };
// Two eyes with a shine, a smile, and pink cheeks or none.
void HappyFace(Drawing &drawing, double cx, double cy, double scale, Cheeks cheeks = Cheeks::Pink);

} // namespace samples
