// SPDX-License-Identifier: GPL-3.0-or-later
// Animals of the program's own pictures: friendly faces and whole animals in flat shapes with
// dark outlines. Penguin() and Butterfly() are vector pictures (no background, no thick lines).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <cmath>

namespace samples {

namespace {

const QColor Tan(0xf2, 0xc1, 0x8a);
const QColor Cream(0xff, 0xf3, 0xe0);
const QColor BearBrown(0xc2, 0x86, 0x52);
const QColor Dark(0x34, 0x3a, 0x40);
const QColor PigPink(0xff, 0xc2, 0xd1);

// Two round eyes with a shine.
void Eyes(Drawing &drawing, double cx, double cy, double apart, double rx, double ry)
{
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    drawing.noOutline();
    for (double side : {-1.0, 1.0}) {
        drawing.ellipse(cx + side * apart, cy, rx, ry, Ink);
        drawing.circle(cx + side * apart + rx * 0.3, cy - ry * 0.35, rx * 0.38, White);
    }
    drawing.setOutline(outline, width);
}

// The "w" mouth under a nose: two small arcs meeting at the middle.
void MuzzleMouth(Drawing &drawing, double cx, double cy, double size, double width)
{
    drawing.line(QPolygonF{{cx, cy - size * 0.9}, {cx, cy}}, Ink, width);
    drawing.line(ArcPoints(cx - size, cy, size, size * 0.8, 0, 160), Ink, width);
    drawing.line(ArcPoints(cx + size, cy, size, size * 0.8, 20, 180), Ink, width);
}

// A dark nose with a shine, and the mouth under it.
void NoseAndMouth(Drawing &drawing, double cx, double noseY, double size)
{
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    drawing.noOutline();
    drawing.ellipse(cx, noseY, size * 1.2, size * 0.85, Ink);
    drawing.ellipse(cx - size * 0.3, noseY - size * 0.28, size * 0.35, size * 0.2, White);
    MuzzleMouth(drawing, cx, noseY + size * 1.75, size * 0.95, 9);
    drawing.setOutline(outline, width);
}

void PinkCheeks(Drawing &drawing, double cx, double cy, double apart, double rx)
{
    const QColor outline = drawing.outline();
    const double width = drawing.outlineWidth();
    drawing.noOutline();
    for (double side : {-1.0, 1.0})
        drawing.ellipse(cx + side * apart, cy, rx, rx * 0.62, Pink);
    drawing.setOutline(outline, width);
}

} // namespace

Drawing Dog()
{
    Drawing drawing(800, 800, QColor(0xff, 0xf4, 0xc2));
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0})
        drawing.polygon(EllipsePoints(400 + side * 245, 400, 95, 185, side * 18), Brown);
    drawing.ellipse(400, 420, 255, 245, Tan);
    drawing.noOutline();
    drawing.ellipse(490, 335, 85, 75, QColor(0xd9, 0x9a, 0x5e));
    drawing.setOutline(Ink, 11);
    drawing.ellipse(400, 545, 135, 100, Cream);
    Eyes(drawing, 400, 380, 100, 30, 40);
    drawing.ellipse(400, 610, 34, 42, Pink);
    drawing.line(QPolygonF{{400, 585}, {400, 630}}, DeepPink, 6);
    drawing.noOutline();
    drawing.ellipse(400, 575, 40, 16, Cream);
    NoseAndMouth(drawing, 400, 495, 40);
    PinkCheeks(drawing, 400, 500, 185, 38);
    return drawing;
}

Drawing Rabbit()
{
    Drawing drawing(600, 800, QColor(0xd3, 0xf9, 0xd8));
    drawing.setOutline(Ink, 9);
    drawing.rect(-20, 690, 640, 130, LightGreen);
    drawing.ellipse(300, 690, 165, 110, White);
    for (double side : {-1.0, 1.0}) {
        drawing.polygon(EllipsePoints(300 + side * 85, 200, 55, 165, side * 12), White);
        drawing.noOutline();
        drawing.polygon(EllipsePoints(300 + side * 85, 215, 26, 115, side * 12), Pink);
        drawing.setOutline(Ink, 9);
    }
    drawing.circle(300, 455, 180, White);
    HappyFace(drawing, 300, 470, 0.9);
    drawing.noOutline();
    drawing.ellipse(300, 475, 18, 12, DeepPink);
    drawing.setOutline(Ink, 9);
    for (const QPointF c : {QPointF(90, 745), QPointF(520, 755)})
        Daisy(drawing, c, 0.9, Yellow, Orange);
    return drawing;
}

Drawing Bear()
{
    Drawing drawing(800, 800, QColor(0xd0, 0xeb, 0xff));
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0}) {
        drawing.circle(400 + side * 210, 195, 88, BearBrown);
        drawing.noOutline();
        drawing.circle(400 + side * 210, 200, 50, Tan);
        drawing.setOutline(Ink, 11);
    }
    drawing.ellipse(400, 440, 285, 255, BearBrown);
    drawing.ellipse(400, 545, 125, 95, Cream);
    Eyes(drawing, 400, 395, 105, 30, 38);
    NoseAndMouth(drawing, 400, 505, 38);
    PinkCheeks(drawing, 400, 510, 190, 40);
    return drawing;
}

Drawing Pig()
{
    Drawing drawing(800, 720, QColor(0xff, 0xf9, 0xdb));
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0}) {
        QPolygonF ear;
        ear << QPointF(400 + side * 120, 175) << QPointF(400 + side * 270, 70) << QPointF(400 + side * 280, 250);
        drawing.polygon(ear, PigPink);
    }
    drawing.ellipse(400, 390, 290, 250, PigPink);
    Eyes(drawing, 400, 320, 120, 26, 34);
    drawing.ellipse(400, 450, 105, 72, Pink);
    drawing.noOutline();
    for (double side : {-1.0, 1.0})
        drawing.ellipse(400 + side * 38, 450, 17, 26, DeepPink);
    drawing.line(ArcPoints(400, 525, 60, 42, 30, 150), Ink, 10);
    PinkCheeks(drawing, 400, 440, 200, 36);
    return drawing;
}

Drawing Chick()
{
    Drawing drawing(800, 720, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 10);
    Cloud(drawing, 650, 110, 0.8);
    drawing.rect(-20, 600, 840, 140, LightGreen);
    for (double side : {-1.0, 1.0})
        drawing.polygon(EllipsePoints(400 + side * 28, 118, 22, 55, side * 25), Yellow);
    drawing.circle(400, 330, 210, Yellow);
    drawing.polygon(EllipsePoints(225, 370, 45, 80, 35), QColor(0xff, 0xc9, 0x2e));
    drawing.polygon(EllipsePoints(575, 370, 45, 80, -35), QColor(0xff, 0xc9, 0x2e));
    Eyes(drawing, 400, 290, 75, 22, 30);
    QPolygonF beak;
    beak << QPointF(360, 345) << QPointF(440, 345) << QPointF(400, 395);
    drawing.polygon(beak, Orange);
    PinkCheeks(drawing, 400, 350, 130, 28);
    // The shell it came out of.
    QPolygonF shell;
    for (int i = 0; i <= 10; ++i)
        shell << QPointF(160 + 48 * i, i % 2 ? 420 : 470);
    shell << ArcPoints(400, 470, 245, 190, 0, 180, 30);
    drawing.polygon(shell, White);
    return drawing;
}

Drawing Frog()
{
    Drawing drawing(800, 700, QColor(0x74, 0xc0, 0xfc));
    drawing.setOutline(Ink, 10);
    drawing.polygon(EllipsePoints(400, 600, 360, 95, 0), DarkGreen);
    drawing.noOutline();
    QPolygonF notch;
    notch << QPointF(400, 600) << QPointF(720, 520) << QPointF(780, 600);
    drawing.polygon(notch, QColor(0x74, 0xc0, 0xfc));
    drawing.setOutline(Ink, 10);
    for (double side : {-1.0, 1.0})
        drawing.ellipse(400 + side * 200, 555, 80, 45, Green);
    drawing.ellipse(400, 400, 270, 185, Green);
    drawing.noOutline();
    drawing.ellipse(400, 470, 170, 100, LightGreen);
    drawing.setOutline(Ink, 10);
    for (double side : {-1.0, 1.0}) {
        drawing.circle(400 + side * 135, 225, 80, Green);
        drawing.circle(400 + side * 135, 225, 52, White);
        drawing.noOutline();
        drawing.circle(400 + side * 135, 230, 26, Ink);
        drawing.circle(400 + side * 135 + 9, 220, 9, White);
        drawing.setOutline(Ink, 10);
    }
    drawing.line(ArcPoints(400, 330, 150, 95, 20, 160), Ink, 11);
    PinkCheeks(drawing, 400, 390, 190, 36);
    return drawing;
}

Drawing Panda()
{
    Drawing drawing(800, 800, QColor(0xd3, 0xf9, 0xd8));
    drawing.setOutline(Ink, 10);
    for (double x : {80.0, 700.0}) {
        drawing.rect(x - 28, -20, 56, 840, Green);
        for (double y : {160.0, 420.0, 680.0})
            drawing.rect(x - 34, y, 68, 16, DarkGreen);
    }
    for (double side : {-1.0, 1.0})
        drawing.circle(400 + side * 200, 210, 80, Dark);
    drawing.ellipse(400, 440, 275, 245, White);
    drawing.noOutline();
    for (double side : {-1.0, 1.0}) {
        drawing.polygon(EllipsePoints(400 + side * 105, 410, 58, 78, side * 35), Dark);
        drawing.circle(400 + side * 100, 400, 20, White);
        drawing.circle(400 + side * 100 + 6, 394, 8, Ink);
    }
    NoseAndMouth(drawing, 400, 505, 34);
    PinkCheeks(drawing, 400, 520, 185, 36);
    return drawing;
}

Drawing Whale()
{
    Drawing drawing(1000, 700, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.circle(110, 100, 60, Yellow);
    Cloud(drawing, 820, 100, 0.8);
    // The spout.
    drawing.line(QPolygonF{{420, 250}, {420, 150}}, LightBlue, 26);
    drawing.setOutline(Ink, 7);
    for (const QPointF c : {QPointF(420, 140), QPointF(360, 150), QPointF(480, 150), QPointF(330, 200), QPointF(510, 200)})
        drawing.circle(c.x(), c.y(), 22, LightBlue);
    drawing.setOutline(Ink, 10);
    QPolygonF tail;
    tail << QPointF(640, 430) << QPointF(780, 330) << QPointF(820, 230) << QPointF(870, 300)
         << QPointF(940, 270) << QPointF(880, 360) << QPointF(700, 500);
    drawing.polygon(tail, Blue);
    drawing.ellipse(430, 440, 300, 190, Blue);
    drawing.noOutline();
    drawing.polygon(ArcPoints(430, 440, 290, 180, 15, 165, 30), LightBlue);
    drawing.setOutline(Ink, 10);
    drawing.circle(260, 400, 22, Ink);
    drawing.line(ArcPoints(260, 430, 70, 45, 40, 140), Ink, 10);
    PinkCheeks(drawing, 430, 470, 235, 30);
    drawing.polygon(WavePoints(-20, 1020, 580, 14, 220, 720), QColor(0x33, 0x9a, 0xf0));
    return drawing;
}

// Vector pictures.

Drawing Penguin()
{
    Drawing drawing(1500, 2000, QColor());
    drawing.setOutline(Ink, 30);
    for (double side : {-1.0, 1.0})
        drawing.ellipse(750 + side * 190, 1850, 170, 80, Orange);
    for (double side : {-1.0, 1.0})
        drawing.polygon(EllipsePoints(750 + side * 470, 1150, 110, 330, side * -25), Dark);
    drawing.ellipse(750, 1150, 520, 720, Dark);
    drawing.noOutline();
    drawing.ellipse(750, 1280, 380, 560, White);
    drawing.circle(600, 700, 230, White);
    drawing.circle(900, 700, 230, White);
    drawing.circle(600, 680, 52, Ink);
    drawing.circle(900, 680, 52, Ink);
    drawing.circle(620, 655, 20, White);
    drawing.circle(920, 655, 20, White);
    drawing.ellipse(470, 820, 70, 42, Pink);
    drawing.ellipse(1030, 820, 70, 42, Pink);
    drawing.setOutline(Ink, 24);
    QPolygonF beak;
    beak << QPointF(650, 780) << QPointF(850, 780) << QPointF(750, 900);
    drawing.polygon(beak, Orange);
    return drawing;
}

Drawing Butterfly()
{
    Drawing drawing(2000, 1500, QColor());
    drawing.setOutline(Ink, 30);
    for (double side : {-1.0, 1.0}) {
        drawing.polygon(EllipsePoints(1000 + side * 330, 1000, 260, 200, side * 35), Yellow);
        drawing.polygon(EllipsePoints(1000 + side * 420, 560, 400, 330, side * -20), Pink);
        drawing.noOutline();
        drawing.circle(1000 + side * 470, 540, 130, Purple);
        drawing.circle(1000 + side * 470, 540, 60, White);
        drawing.circle(1000 + side * 350, 1030, 80, Orange);
        drawing.setOutline(Ink, 30);
        const QPolygonF feeler{{1000 + side * 40, 400}, {1000 + side * 130, 220}, {1000 + side * 230, 150}};
        drawing.noOutline();
        drawing.polygon(BandPoints(feeler, 30), Ink);
        drawing.circle(1000 + side * 235, 150, 45, Ink);
        drawing.setOutline(Ink, 30);
    }
    drawing.ellipse(1000, 850, 85, 430, Dark);
    drawing.circle(1000, 420, 120, Dark);
    drawing.noOutline();
    drawing.circle(955, 400, 24, White);
    drawing.circle(1045, 400, 24, White);
    return drawing;
}

} // namespace samples
