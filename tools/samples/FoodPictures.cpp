// SPDX-License-Identifier: GPL-3.0-or-later
// Fruit and sweets of the program's own pictures. Cherries() is a vector picture (no background,
// no thick lines).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <cmath>

namespace samples {

namespace {

const QColor StrawberryRed(0xf0, 0x3e, 0x3e);
const QColor GrapePurple(0x84, 0x5e, 0xf7);
const QColor Melon(0xff, 0x6b, 0x6b);
const QColor Rind(0x2f, 0x9e, 0x44);
const QColor PaleRind(0xd3, 0xf9, 0xd8);
const QColor Mandarin(0xff, 0x92, 0x2b);
const QColor Sponge(0xff, 0xe8, 0xa3);
const QColor Mint(0x96, 0xf2, 0xd7);

// A leaf: a pointed oval along the angle, with its middle vein.
void Leaf(Drawing &drawing, double cx, double cy, double length, double width, double angleDeg, QColor colour)
{
    const double t = angleDeg * Pi / 180;
    const QPointF along(std::cos(t), std::sin(t));
    const QPointF across(-along.y(), along.x());
    const QPointF c(cx, cy);
    const QPointF tip = c + along * length, base = c - along * length;
    QPolygonF leaf = CurvePoints(base, c + across * width * 1.6, tip);
    leaf << CurvePoints(tip, c - across * width * 1.6, base).mid(1);
    drawing.polygon(leaf, colour);
    if (drawing.outline().isValid()) {
        const QColor outline = drawing.outline();
        const double lineWidth = drawing.outlineWidth();
        drawing.noOutline();
        drawing.polygon(BandPoints(QPolygonF{base + along * length * 0.2, tip - along * length * 0.3}, lineWidth * 0.7),
                        DarkGreen);
        drawing.setOutline(outline, lineWidth);
    }
}

} // namespace

Drawing Strawberry()
{
    Drawing drawing(700, 800, QColor(0xff, 0xe3, 0xec));
    drawing.setOutline(Ink, 12);
    QPolygonF berry = ArcPoints(350, 330, 250, 150, 180, 360, 30);
    berry << CurvePoints({600, 330}, {590, 600}, {350, 720}).mid(1);
    berry << CurvePoints({350, 720}, {110, 600}, {100, 330}).mid(1);
    drawing.polygon(berry, StrawberryRed);
    drawing.noOutline();
    for (int row = 0; row < 5; ++row) {
        const double y = 330 + row * 75;
        const double half = 200 - row * 38;
        for (double x = 350 - half; x <= 350 + half + 1; x += 80)
            drawing.ellipse(x + (row % 2) * 40 - 20, y, 9, 14, Yellow);
    }
    drawing.polygon(EllipsePoints(240, 320, 30, 60, 30), QColor(0xff, 0x9a, 0x9a));
    drawing.setOutline(Ink, 12);
    drawing.rect(335, 60, 30, 130, DarkGreen);
    drawing.polygon(StarPoints(350, 200, 170, 55, 5, -54), Green);
    return drawing;
}

Drawing Banana()
{
    Drawing drawing(900, 700, QColor(0xe5, 0xdb, 0xff));
    drawing.setOutline(Ink, 11);
    drawing.ellipse(450, 590, 330, 55, QColor(0xd0, 0xbf, 0xff));
    for (int k = 0; k < 3; ++k) {
        const double dy = k * 70, dx = k * 30;
        QPolygonF banana = ArcPoints(470 + dx, 120 + dy, 360, 380, 150, 30, 36);
        banana << ArcPoints(470 + dx, 40 + dy, 330, 360, 35, 145, 36);
        drawing.polygon(banana, k == 1 ? QColor(0xff, 0xe0, 0x66) : Yellow);
    }
    drawing.noOutline();
    for (int k = 0; k < 3; ++k)
        drawing.circle(182 + k * 30, 280 + k * 70, 15, Brown);
    drawing.setOutline(Ink, 11);
    QPolygonF stem;
    stem << QPointF(760, 300) << QPointF(840, 170) << QPointF(880, 190) << QPointF(810, 330);
    drawing.polygon(stem, QColor(0x9b, 0xc5, 0x3d));
    return drawing;
}

Drawing Grapes()
{
    Drawing drawing(700, 800, QColor(0xff, 0xf9, 0xdb));
    drawing.setOutline(Ink, 10);
    drawing.rect(335, 70, 28, 120, Brown);
    Leaf(drawing, 470, 140, 120, 55, -20, Green);
    const int rows[] = {4, 4, 3, 3, 2, 1};
    for (int row = 0; row < 6; ++row) {
        for (int i = 0; i < rows[row]; ++i) {
            const double x = 350 + (i - (rows[row] - 1) / 2.0) * 100;
            const double y = 250 + row * 88;
            drawing.circle(x, y, 56, GrapePurple);
            drawing.noOutline();
            drawing.polygon(EllipsePoints(x - 18, y - 20, 10, 18, 40), QColor(0xd0, 0xbf, 0xff));
            drawing.setOutline(Ink, 10);
        }
    }
    return drawing;
}

Drawing Watermelon()
{
    Drawing drawing(900, 640, QColor(0xc5, 0xf6, 0xfa));
    drawing.setOutline(Ink, 11);
    drawing.circle(780, 110, 62, Yellow);
    const struct { double cx, cy, r, angle; } slices[] = {{300, 250, 250, -10}, {610, 330, 230, 12}};
    for (const auto &s : slices) {
        const double a = s.angle;
        drawing.polygon(ArcPoints(s.cx, s.cy, s.r, s.r, a, a + 180, 40), Rind);
        drawing.polygon(ArcPoints(s.cx, s.cy, s.r * 0.88, s.r * 0.88, a, a + 180, 40), PaleRind);
        drawing.polygon(ArcPoints(s.cx, s.cy, s.r * 0.8, s.r * 0.8, a, a + 180, 40), Melon);
        drawing.noOutline();
        for (int k = 0; k < 5; ++k) {
            const double t = (a + 30 + 30 * k) * Pi / 180;
            const double d = s.r * (k % 2 ? 0.35 : 0.55);
            drawing.polygon(EllipsePoints(s.cx + d * std::cos(t), s.cy + d * std::sin(t), 9, 16, a + 30 * k - 60), Ink);
        }
        drawing.setOutline(Ink, 11);
    }
    return drawing;
}

Drawing Mandarins()
{
    Drawing drawing(800, 640, QColor(0xd0, 0xeb, 0xff));
    drawing.setOutline(Ink, 12);
    drawing.ellipse(400, 560, 330, 55, QColor(0xa5, 0xd8, 0xff));
    drawing.ellipse(560, 420, 175, 150, Mandarin);
    drawing.ellipse(290, 340, 200, 175, Mandarin);
    drawing.noOutline();
    drawing.polygon(EllipsePoints(210, 290, 28, 55, 40), LightOrange);
    drawing.polygon(EllipsePoints(490, 380, 22, 45, 40), LightOrange);
    drawing.setOutline(Ink, 12);
    drawing.polygon(EllipsePoints(365, 160, 85, 36, -20), Green);
    drawing.rect(280, 150, 22, 40, Brown);
    drawing.circle(560, 275, 14, DarkGreen);
    return drawing;
}

Drawing Cake()
{
    Drawing drawing(800, 800, QColor(0xf3, 0xf0, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.ellipse(400, 690, 330, 70, White);
    drawing.rect(130, 420, 540, 250, Sponge);
    drawing.ellipse(400, 670, 270, 40, Sponge);
    drawing.noOutline();
    drawing.rect(136, 530, 528, 36, StrawberryRed);
    drawing.setOutline(Ink, 10);
    const QColor candles[] = {LightBlue, Pink, LightGreen};
    for (int k = 0; k < 3; ++k) {
        const double x = 270 + 130 * k;
        drawing.rect(x - 18, 230, 36, 190, candles[k]);
        drawing.polygon(EllipsePoints(x, 185, 22, 38, 0, 32), Orange);
        drawing.noOutline();
        drawing.ellipse(x, 195, 10, 20, Yellow);
        drawing.setOutline(Ink, 10);
    }
    QPolygonF cream = ArcPoints(400, 420, 270, 60, 180, 360, 30);
    for (int k = 0; k <= 9; ++k)
        cream << QPointF(670 - k * 60, k % 2 ? 500 : 465);
    drawing.polygon(cream, White);
    for (double x : {200.0, 300.0, 400.0, 500.0, 600.0}) {
        drawing.circle(x, 455 - (x == 400 ? 10 : 0), 28, StrawberryRed);
        drawing.noOutline();
        drawing.circle(x - 8, 447 - (x == 400 ? 10 : 0), 6, White);
        drawing.setOutline(Ink, 10);
    }
    return drawing;
}

Drawing IceCream()
{
    Drawing drawing(600, 850, QColor(0xff, 0xe3, 0xec));
    drawing.setOutline(Ink, 10);
    const double dy = 60; // room for the cherry's stem above the scoops
    QPolygonF cone;
    cone << QPointF(160, 420 + dy) << QPointF(440, 420 + dy) << QPointF(300, 760 + dy);
    drawing.polygon(cone, QColor(0xf5, 0xc0, 0x70));
    drawing.noOutline();
    for (int k = 1; k <= 3; ++k) {
        const double y = 420 + dy + k * 80;
        const double half = 140 * (1 - k * 80 / 340.0);
        drawing.polygon(BandPoints(QPolygonF{{300 - half, y}, {300 + half, y}}, 7), QColor(0xc0, 0x86, 0x40));
    }
    drawing.setOutline(Ink, 10);
    drawing.circle(300, 410 + dy, 135, Sponge);
    drawing.circle(300, 270 + dy, 125, Mint);
    drawing.circle(300, 150 + dy, 110, Pink);
    drawing.noOutline();
    const QColor sprinkles[] = {Yellow, Blue, Green, Orange, Purple, Red};
    for (int k = 0; k < 6; ++k) {
        const double t = (200 + 28 * k) * Pi / 180;
        drawing.polygon(EllipsePoints(300 + 70 * std::cos(t), 160 + dy + 60 * std::sin(t), 6, 14, 30 * k), sprinkles[k]);
    }
    drawing.setOutline(Ink, 10);
    drawing.line(CurvePoints({300, 45 + dy}, {305, 10 + dy}, {345, 0 + dy}), Ink, 10);
    drawing.circle(300, 50 + dy, 32, StrawberryRed);
    return drawing;
}

// Vector pictures.

Drawing Cherries()
{
    Drawing drawing(1500, 1600, QColor());
    drawing.setOutline(Ink, 30);
    drawing.noOutline();
    drawing.polygon(BandPoints(CurvePoints({420, 1150}, {520, 600}, {900, 250}), 36), DarkGreen);
    drawing.polygon(BandPoints(CurvePoints({1080, 1150}, {1020, 600}, {900, 250}), 36), DarkGreen);
    drawing.setOutline(Ink, 30);
    Leaf(drawing, 1080, 250, 220, 90, -15, Green);
    for (double x : {420.0, 1080.0}) {
        drawing.circle(x, 1260, 240, StrawberryRed);
        drawing.noOutline();
        drawing.polygon(EllipsePoints(x - 95, 1170, 40, 75, 40), QColor(0xff, 0xc9, 0xc9));
        drawing.setOutline(Ink, 30);
    }
    return drawing;
}

} // namespace samples
