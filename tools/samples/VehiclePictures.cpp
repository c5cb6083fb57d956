// SPDX-License-Identifier: GPL-3.0-or-later
// Vehicles and weather of the program's own pictures. Umbrella() is a vector picture (no
// background, no thick lines).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <algorithm>
#include <cmath>

namespace samples {

namespace {

const QColor Road(0x86, 0x8e, 0x96);
const QColor Tyre(0x34, 0x3a, 0x40);
const QColor Night(0x1f, 0x2a, 0x60);
const QColor PaleYellow(0xff, 0xf3, 0xbf);

void Wheel(Drawing &drawing, double cx, double cy, double r)
{
    drawing.circle(cx, cy, r, Tyre);
    drawing.circle(cx, cy, r * 0.45, LightGrey);
}

// Small stars and dots of a night sky.
void NightSky(Drawing &drawing, const std::initializer_list<QPointF> &stars, const std::initializer_list<QPointF> &dots)
{
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    drawing.setOutline(Ink, 6);
    for (const QPointF c : stars)
        drawing.polygon(StarPoints(c.x(), c.y(), 30, 13, 5, -90), PaleYellow);
    drawing.noOutline();
    for (const QPointF c : dots)
        drawing.circle(c.x(), c.y(), 6, PaleYellow);
    drawing.setOutline(outline, width);
}

} // namespace

Drawing Train()
{
    Drawing drawing(1200, 640, QColor(0xd0, 0xeb, 0xff));
    drawing.setOutline(Ink, 10);
    Cloud(drawing, 200, 110, 0.9);
    Cloud(drawing, 900, 90, 0.7);
    drawing.rect(-20, 520, 1240, 140, LightGreen);
    drawing.rect(-20, 540, 1240, 22, Road);
    drawing.noOutline();
    for (double x = 10; x < 1200; x += 70)
        drawing.rect(x, 562, 34, 26, Brown);
    drawing.setOutline(Ink, 10);
    // Two cars, the front one with a rounded nose.
    drawing.polygon(RoundRectPoints(90, 250, 500, 260, 40), Green);
    QPolygonF front = RoundRectPoints(620, 250, 520, 260, 40);
    for (QPointF &p : front) {
        if (p.x() > 1000)
            p.setX(1000 + (p.x() - 1000) * 1.3);
    }
    drawing.polygon(front, Green);
    drawing.rect(590, 330, 30, 120, Road);
    drawing.noOutline();
    drawing.rect(95, 420, 490, 30, Yellow);
    drawing.rect(625, 420, 540, 30, Yellow);
    drawing.setOutline(Ink, 10);
    for (double x : {130.0, 260.0, 390.0, 660.0, 790.0})
        drawing.polygon(RoundRectPoints(x, 290, 100, 90, 16), LightBlue);
    drawing.polygon(RoundRectPoints(930, 290, 150, 90, 16), LightBlue);
    drawing.circle(1150, 440, 22, Yellow);
    for (double x : {180.0, 500.0, 720.0, 1040.0})
        Wheel(drawing, x, 520, 46);
    return drawing;
}

Drawing Bus()
{
    Drawing drawing(1200, 700, QColor(0xc5, 0xf6, 0xfa));
    drawing.setOutline(Ink, 10);
    drawing.circle(1080, 100, 60, Yellow);
    Cloud(drawing, 300, 110, 0.9);
    drawing.rect(-20, 570, 1240, 150, Road);
    drawing.noOutline();
    for (double x = 30; x < 1200; x += 220)
        drawing.rect(x, 640, 120, 18, White);
    drawing.setOutline(Ink, 10);
    drawing.polygon(RoundRectPoints(110, 220, 980, 360, 60), Orange);
    drawing.noOutline();
    drawing.rect(116, 470, 968, 34, White);
    drawing.setOutline(Ink, 10);
    for (double x : {170.0, 350.0, 530.0, 710.0})
        drawing.polygon(RoundRectPoints(x, 270, 140, 130, 18), LightBlue);
    drawing.polygon(RoundRectPoints(900, 270, 130, 250, 18), LightBlue);
    drawing.line(QPolygonF{{965, 280}, {965, 510}}, Ink, 8);
    drawing.ellipse(1075, 500, 20, 30, Yellow);
    drawing.rect(90, 450, 30, 60, Red);
    for (double x : {300.0, 880.0})
        Wheel(drawing, x, 580, 72);
    return drawing;
}

Drawing Aeroplane()
{
    Drawing drawing(1000, 640, QColor(0xa5, 0xd8, 0xff));
    drawing.setOutline(Ink, 10);
    Cloud(drawing, 160, 520, 1.1);
    Cloud(drawing, 820, 540, 0.8);
    Cloud(drawing, 780, 100, 0.7);
    QPolygonF backWing, wing, tail, fin;
    backWing << QPointF(560, 270) << QPointF(640, 110) << QPointF(700, 110) << QPointF(660, 270);
    drawing.polygon(backWing, Blue);
    tail << QPointF(150, 300) << QPointF(100, 150) << QPointF(170, 150) << QPointF(260, 280);
    drawing.polygon(tail, Red);
    drawing.polygon(RoundRectPoints(110, 260, 720, 120, 60), White);
    QPolygonF nose = ArcPoints(800, 320, 130, 60, -90, 90, 24);
    drawing.polygon(nose, White);
    drawing.noOutline();
    drawing.rect(780, 266, 60, 108, White);
    drawing.setOutline(Ink, 10);
    drawing.polygon(ArcPoints(850, 310, 60, 40, -90, 0, 12) << QPointF(850, 310), LightBlue);
    for (double x : {330.0, 420.0, 510.0, 600.0, 690.0})
        drawing.circle(x, 305, 20, LightBlue);
    drawing.noOutline();
    drawing.rect(120, 345, 700, 14, Red);
    drawing.setOutline(Ink, 10);
    fin << QPointF(140, 330) << QPointF(60, 340) << QPointF(70, 370) << QPointF(200, 365);
    drawing.polygon(fin, Red);
    wing << QPointF(480, 340) << QPointF(640, 340) << QPointF(560, 560) << QPointF(480, 560);
    drawing.polygon(wing, Blue);
    return drawing;
}

Drawing Rocket()
{
    Drawing drawing(640, 900, Night);
    drawing.setOutline(Ink, 10);
    NightSky(drawing, {QPointF(90, 120), QPointF(540, 90), QPointF(80, 560), QPointF(560, 480)},
             {QPointF(200, 60), QPointF(480, 250), QPointF(120, 360), QPointF(560, 700), QPointF(60, 780)});
    drawing.circle(520, 800, 70, QColor(0xb1, 0x97, 0xfc));
    QPolygonF flame;
    flame << QPointF(250, 690) << QPointF(320, 880) << QPointF(390, 690);
    drawing.polygon(flame, Orange);
    drawing.noOutline();
    drawing.polygon(QPolygonF{{280, 690}, {320, 810}, {360, 690}}, Yellow);
    drawing.setOutline(Ink, 10);
    for (double side : {-1.0, 1.0}) {
        QPolygonF fin;
        fin << QPointF(320 + side * 90, 470) << QPointF(320 + side * 180, 640) << QPointF(320 + side * 170, 720)
            << QPointF(320 + side * 80, 640);
        drawing.polygon(fin, Red);
    }
    QPolygonF body = CurvePoints({230, 680}, {180, 300}, {320, 90}, 24);
    body << CurvePoints({320, 90}, {460, 300}, {410, 680}, 24).mid(1);
    drawing.polygon(body, White);
    QPolygonF tip = CurvePoints({262, 220}, {280, 150}, {320, 90}, 12);
    tip << CurvePoints({320, 90}, {360, 150}, {378, 220}, 12).mid(1);
    drawing.polygon(tip, Red);
    drawing.rect(240, 660, 160, 40, Road);
    drawing.circle(320, 380, 62, Blue);
    drawing.circle(320, 380, 40, LightBlue);
    return drawing;
}

Drawing Moon()
{
    Drawing drawing(800, 800, Night);
    drawing.setOutline(Ink, 12);
    NightSky(drawing, {QPointF(640, 130), QPointF(700, 520), QPointF(130, 700), QPointF(560, 690)},
             {QPointF(500, 60), QPointF(720, 330), QPointF(80, 90), QPointF(330, 740), QPointF(760, 760)});
    // A crescent: the outer circle's arc between its tips, then the inner circle's back.
    const double cx = 380, cy = 390, r = 300, d = 0.45 * r;
    const double inner = std::hypot(0.5 * r - d, 0.866 * r);
    const double tipAngle = std::atan2(0.866 * r, 0.5 * r - d) * 180 / Pi;
    QPolygonF moon = ArcPoints(cx, cy, r, r, 60, 300, 48);
    moon << ArcPoints(cx + d, cy, inner, inner, 360 - tipAngle, tipAngle, 48).mid(1);
    drawing.polygon(moon, Yellow);
    drawing.line(ArcPoints(190, 330, 36, 26, 20, 160), Ink, 10);
    drawing.line(ArcPoints(205, 440, 45, 34, 20, 140), Ink, 10);
    drawing.noOutline();
    drawing.ellipse(160, 390, 30, 18, Pink);
    drawing.setOutline(Ink, 8);
    Cloud(drawing, 560, 600, 0.7);
    return drawing;
}

Drawing Rain()
{
    Drawing drawing(800, 700, QColor(0xe7, 0xf5, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.ellipse(400, 650, 300, 45, LightBlue);
    for (const QPointF c : {QPointF(220, 420), QPointF(330, 500), QPointF(440, 430), QPointF(560, 510),
                            QPointF(660, 420), QPointF(170, 560), QPointF(610, 600)}) {
        QPolygonF drop = ArcPoints(c.x(), c.y(), 22, 22, -10, 190, 16);
        drop << QPointF(c.x(), c.y() - 50);
        drawing.polygon(drop, Blue);
    }
    Cloud(drawing, 400, 240, 2.3, QColor(0xde, 0xe2, 0xe6));
    HappyFace(drawing, 400, 250, 0.9);
    return drawing;
}

// Vector pictures.

Drawing Umbrella()
{
    Drawing drawing(1600, 1800, QColor());
    drawing.setOutline(Ink, 30);
    // The handle: a shaft and a hook, as bands.
    QPolygonF handle;
    handle << QPointF(800, 700) << QPointF(800, 1500);
    handle << ArcPoints(680, 1500, 120, 120, 0, 180, 16).mid(1);
    drawing.noOutline();
    drawing.polygon(BandPoints(handle, 90), Ink);
    drawing.polygon(BandPoints(handle, 40), Brown);
    drawing.setOutline(Ink, 30);
    // The canopy: a half ellipse with a scalloped edge, in coloured wedges between curved ribs.
    const double cx = 800, cy = 760, r = 650, h = 0.92 * r;
    const QPointF tip(cx, cy - h);
    const QColor wedges[] = {Red, Yellow, Blue, Green, Pink};
    auto ribX = [&](int i) { return cx - r + 2 * r * i / 5; };
    auto rib = [&](int i) { return CurvePoints(QPointF(ribX(i), cy), QPointF(cx + (ribX(i) - cx) * 1.15, cy - 0.6 * r), tip); };
    for (int i = 0; i < 5; ++i) {
        QPolygonF wedge = i == 0 ? ArcPoints(cx, cy, r, h, 180, 270) : rib(i);
        QPolygonF down = i == 4 ? ArcPoints(cx, cy, r, h, 270, 360) : rib(i + 1);
        if (i != 4)
            std::reverse(down.begin(), down.end());
        wedge << down.mid(1);
        wedge << CurvePoints(QPointF(ribX(i + 1), cy), QPointF((ribX(i) + ribX(i + 1)) / 2, cy - 90), QPointF(ribX(i), cy)).mid(1);
        drawing.polygon(wedge, wedges[i]);
    }
    drawing.circle(cx, cy - r * 0.92 - 30, 40, Yellow);
    for (const QPointF c : {QPointF(200, 1000), QPointF(1350, 1100), QPointF(1250, 1500), QPointF(330, 1600)}) {
        QPolygonF drop = ArcPoints(c.x(), c.y(), 60, 60, -10, 190, 16);
        drop << QPointF(c.x(), c.y() - 140);
        drawing.polygon(drop, LightBlue);
    }
    return drawing;
}

} // namespace samples
