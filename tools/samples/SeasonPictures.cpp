// SPDX-License-Identifier: GPL-3.0-or-later
// School things and the seasons of the program's own pictures. Pencil() and Acorns() are vector
// pictures (no background, no thick lines).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <cmath>

namespace samples {

namespace {

const QColor BagRed(0xe0, 0x31, 0x31);
const QColor DarkRed(0xb0, 0x20, 0x20);
const QColor Gold(0xfc, 0xc4, 0x19);
const QColor Blossom(0xff, 0xc9, 0xde);
const QColor SeedBrown(0x8a, 0x4b, 0x20);
const QColor Bark(0x7a, 0x4a, 0x2a);

// A cherry blossom petal: an oval pointing away from its flower, notched at its tip.
QPolygonF PetalPoints(double cx, double cy, double length, double width, double angleDeg)
{
    QPolygonF points;
    const double a = angleDeg * Pi / 180;
    const int n = 60;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * Pi * i / n; // 0 at the tip
        const double fromTip = std::min(t, 2 * Pi - t);
        const double dent = 1 - 0.22 * std::exp(-std::pow(fromTip / 0.22, 2));
        const double x = length * std::cos(t) * dent;
        const double y = width * std::sin(t) * dent;
        points << QPointF(cx + x * std::cos(a) - y * std::sin(a), cy + x * std::sin(a) + y * std::cos(a));
    }
    return points;
}

void SakuraFlower(Drawing &drawing, double cx, double cy, double size, double turnDeg)
{
    for (int k = 0; k < 5; ++k) {
        const double a = turnDeg + 72 * k;
        const double t = a * Pi / 180;
        drawing.polygon(PetalPoints(cx + size * 0.55 * std::cos(t), cy + size * 0.55 * std::sin(t), size * 0.6, size * 0.42, a),
                        Blossom);
    }
    drawing.circle(cx, cy, size * 0.2, DeepPink);
}

// A point of a thing drawn along an axis from a to b: u along (0 at a), v across, in units.
QPointF Along(QPointF a, QPointF b, double u, double v)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    const QPointF along = d / length, across(-along.y(), along.x());
    return a + along * u + across * v;
}

} // namespace

Drawing SchoolBag()
{
    Drawing drawing(700, 800, QColor(0xff, 0xf9, 0xdb));
    drawing.setOutline(Ink, 11);
    drawing.line(ArcPoints(350, 170, 80, 100, 180, 360), Ink, 40);
    drawing.line(ArcPoints(350, 170, 80, 100, 180, 360), BagRed, 22);
    drawing.polygon(RoundRectPoints(120, 160, 460, 580, 70), BagRed);
    drawing.polygon(RoundRectPoints(100, 140, 500, 400, 80), DarkRed);
    drawing.noOutline();
    drawing.polygon(BandPoints(QPolygonF{{140, 180}, {140, 500}, {560, 500}, {560, 180}}, 8), Gold);
    drawing.setOutline(Ink, 11);
    drawing.polygon(RoundRectPoints(300, 490, 100, 100, 20), Gold);
    drawing.circle(350, 540, 18, DarkRed);
    drawing.rect(200, 640, 300, 20, DarkRed);
    return drawing;
}

Drawing Clock()
{
    Drawing drawing(700, 800, QColor(0xd3, 0xf9, 0xd8));
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0}) {
        drawing.line(QPolygonF{{350 + side * 150, 650}, {350 + side * 220, 740}}, Ink, 18);
        drawing.polygon(ArcPoints(350 + side * 190, 175, 95, 85, 180 + (side > 0 ? 30 : 0), 330 + (side > 0 ? 30 : 0), 20), Yellow);
    }
    drawing.line(QPolygonF{{350, 110}, {350, 160}}, Ink, 16);
    drawing.circle(350, 100, 22, Yellow);
    drawing.circle(350, 430, 270, Blue);
    drawing.circle(350, 430, 215, White);
    drawing.noOutline();
    for (int k = 0; k < 12; ++k) {
        const double t = k * 30 * Pi / 180;
        const double r = k % 3 == 0 ? 16 : 9;
        drawing.circle(350 + 180 * std::cos(t), 430 + 180 * std::sin(t), r, k % 3 == 0 ? Red : Ink);
    }
    drawing.line(QPolygonF{{350, 430}, {350 - 80, 430 - 60}}, Ink, 20);
    drawing.line(QPolygonF{{350, 430}, {350 + 110, 430 - 95}}, Ink, 14);
    drawing.circle(350, 430, 20, Red);
    return drawing;
}

Drawing Books()
{
    Drawing drawing(800, 700, QColor(0xe7, 0xf5, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.rect(-20, 600, 840, 120, QColor(0xe0, 0xb0, 0x80));
    struct Book { double x, y, w, h; QColor colour; };
    const Book books[] = {{140, 480, 520, 120, Blue}, {180, 370, 460, 110, Red}, {120, 270, 500, 100, Green}};
    for (const Book &b : books) {
        drawing.rect(b.x + 30, b.y + 14, b.w - 30, b.h - 28, White);
        drawing.polygon(RoundRectPoints(b.x, b.y, 60, b.h, 18), b.colour);
        drawing.rect(b.x + 30, b.y, b.w - 30, 18, b.colour);
        drawing.rect(b.x + 30, b.y + b.h - 18, b.w - 30, 18, b.colour);
        drawing.noOutline();
        drawing.rect(b.x + 14, b.y + b.h / 2 - 10, 32, 20, Yellow);
        drawing.setOutline(Ink, 10);
    }
    // An apple on top.
    drawing.circle(470, 195, 70, QColor(0xf0, 0x3e, 0x3e));
    drawing.polygon(EllipsePoints(510, 110, 40, 18, -25), Green);
    drawing.rect(462, 100, 14, 40, Brown);
    return drawing;
}

Drawing CherryBlossom()
{
    Drawing drawing(900, 700, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.polygon(BandPoints(CurvePoints({-20, 560}, {400, 420}, {920, 160}, 20), 50), Bark);
    drawing.polygon(BandPoints(CurvePoints({400, 470}, {450, 300}, {380, 150}, 12), 28), Bark);
    SakuraFlower(drawing, 250, 440, 130, -90);
    SakuraFlower(drawing, 600, 320, 150, -80);
    SakuraFlower(drawing, 380, 170, 110, -100);
    SakuraFlower(drawing, 800, 480, 100, -90);
    drawing.setOutline(Ink, 7);
    for (const QPointF c : {QPointF(120, 150), QPointF(760, 110), QPointF(150, 640), QPointF(560, 610)})
        drawing.polygon(PetalPoints(c.x(), c.y(), 28, 20, c.x() / 3), Blossom);
    return drawing;
}

Drawing Sunflower()
{
    Drawing drawing(600, 900, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 9);
    drawing.circle(500, 90, 50, Yellow);
    drawing.rect(-20, 780, 640, 140, LightGreen);
    drawing.rect(285, 400, 30, 400, Green);
    drawing.polygon(EllipsePoints(200, 610, 90, 38, -25), Green);
    drawing.polygon(EllipsePoints(400, 540, 90, 38, 25), Green);
    for (int k = 0; k < 16; ++k) {
        const double a = k * 22.5;
        const double t = a * Pi / 180;
        drawing.polygon(EllipsePoints(300 + 150 * std::cos(t), 300 + 150 * std::sin(t), 70, 30, a), k % 2 ? Yellow : Gold);
    }
    drawing.circle(300, 300, 110, SeedBrown);
    HappyFace(drawing, 300, 305, 0.85, Cheeks::Pink);
    return drawing;
}

Drawing Present()
{
    Drawing drawing(800, 800, QColor(0xf3, 0xf0, 0xff));
    drawing.setOutline(Ink, 11);
    drawing.rect(170, 360, 460, 360, Blue);
    drawing.rect(140, 290, 520, 100, LightBlue);
    drawing.noOutline();
    drawing.rect(370, 395, 60, 320, Yellow);
    drawing.rect(375, 295, 50, 90, Yellow);
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0})
        drawing.polygon(EllipsePoints(400 + side * 95, 225, 100, 55, side * -25), Pink);
    drawing.polygon(QPolygonF{{390, 260}, {330, 330}, {300, 300}, {380, 250}}, DeepPink);
    drawing.polygon(QPolygonF{{410, 260}, {470, 330}, {500, 300}, {420, 250}}, DeepPink);
    drawing.circle(400, 250, 42, DeepPink);
    drawing.noOutline();
    for (const QPointF c : {QPointF(250, 500), QPointF(540, 470), QPointF(270, 650), QPointF(520, 640)})
        drawing.circle(c.x(), c.y(), 22, White);
    return drawing;
}

Drawing ChristmasTree()
{
    Drawing drawing(700, 900, QColor(0x1f, 0x2a, 0x60));
    drawing.setOutline(Ink, 10);
    drawing.rect(-20, 780, 740, 140, White);
    drawing.rect(305, 690, 90, 110, Brown);
    const double tiers[][3] = {{720, 290, 480}, {560, 240, 330}, {400, 180, 190}};
    for (const auto &tier : tiers) {
        QPolygonF triangle = CurvePoints({350 - tier[1], tier[0]}, {350, tier[0] + 40}, {350 + tier[1], tier[0]});
        triangle << QPointF(350, tier[2] - 130);
        drawing.polygon(triangle, Green);
    }
    const QColor baubles[] = {Red, Yellow, Blue, Pink, Orange, Purple, Red};
    const QPointF spots[] = {{270, 660}, {450, 640}, {350, 520}, {230, 500}, {460, 470}, {300, 360}, {410, 330}};
    for (int k = 0; k < 7; ++k)
        drawing.circle(spots[k].x(), spots[k].y(), 24, baubles[k]);
    drawing.polygon(StarPoints(350, 85, 75, 32, 5, -90), Yellow);
    drawing.noOutline();
    for (const QPointF c : {QPointF(80, 120), QPointF(600, 200), QPointF(120, 420), QPointF(620, 560),
                            QPointF(60, 700), QPointF(550, 60), QPointF(180, 250)})
        drawing.circle(c.x(), c.y(), 10, White);
    return drawing;
}

// Vector pictures.

Drawing Pencil()
{
    Drawing drawing(2000, 2000, QColor());
    drawing.setOutline(Ink, 30);
    const QPointF a(1700, 300), b(300, 1700); // from the eraser to the point
    const double half = 140;
    auto at = [&](double u, double v) { return Along(a, b, u, v); };
    const double total = std::hypot(1400, 1400);
    drawing.polygon(QPolygonF{at(0, -half), at(220, -half), at(220, half), at(0, half)}, Pink);
    drawing.polygon(QPolygonF{at(200, -half - 10), at(330, -half - 10), at(330, half + 10), at(200, half + 10)}, LightGrey);
    drawing.polygon(QPolygonF{at(330, -half), at(total - 380, -half), at(total - 380, half), at(330, half)}, Yellow);
    drawing.noOutline();
    drawing.polygon(QPolygonF{at(330, -35), at(total - 380, -35), at(total - 380, 35), at(330, 35)}, Gold);
    drawing.setOutline(Ink, 30);
    drawing.polygon(QPolygonF{at(total - 380, -half), at(total, 0), at(total - 380, half)}, Sand);
    drawing.polygon(QPolygonF{at(total - 130, -48), at(total, 0), at(total - 130, 48)}, Ink);
    return drawing;
}

Drawing Acorns()
{
    Drawing drawing(2000, 1600, QColor());
    drawing.setOutline(Ink, 30);
    struct Acorn { double x, y, angle; };
    for (const Acorn &acorn : {Acorn{700, 800, -15}, Acorn{1300, 880, 12}}) {
        // u along the acorn from the top of its stem (900 long), v across it.
        auto at = [&](double u, double v) {
            const double t = acorn.angle * Pi / 180;
            return QPointF(acorn.x + v * std::cos(t) - (u - 450) * std::sin(t), acorn.y + v * std::sin(t) + (u - 450) * std::cos(t));
        };
        QPolygonF nut;
        for (int i = 0; i <= 32; ++i) {
            const double s = Pi * i / 32; // down the right side, round the point, up the left
            nut << at(300 + 560 * std::sin(s), 280 * std::cos(s));
        }
        drawing.polygon(nut, LightOrange);
        drawing.polygon(QPolygonF{at(140, -30), at(-40, -40), at(-40, 40), at(140, 30)}, Brown);
        QPolygonF cap;
        for (int i = 0; i <= 32; ++i) {
            const double s = Pi * i / 32;
            cap << at(330 - 230 * std::sin(s), 320 * std::cos(s));
        }
        drawing.polygon(cap, Brown);
        drawing.noOutline();
        drawing.polygon(EllipsePoints(at(520, -150).x(), at(520, -150).y(), 40, 110, acorn.angle), QColor(0xff, 0xd8, 0xa8));
        drawing.setOutline(Ink, 30);
    }
    return drawing;
}

} // namespace samples
