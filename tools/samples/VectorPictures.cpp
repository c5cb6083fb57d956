// SPDX-License-Identifier: GPL-3.0-or-later
// The vector sample pictures, written as metafiles: no background, only ellipses, rectangles
// and polygons (thick lines are bands, BandPoints()).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <cmath>

namespace samples {

Drawing Kite()
{
    Drawing drawing(1500, 2000, QColor());
    drawing.setOutline(Ink, 30);
    QPolygonF tailPath;
    for (int i = 0; i <= 30; ++i) {
        const double f = i / 30.0;
        tailPath << QPointF(750 + 150 * f + 90 * std::sin(f * 2.5 * Pi), 1350 + 600 * f);
    }
    drawing.noOutline();
    drawing.polygon(BandPoints(tailPath, 14), Ink);
    drawing.setOutline(Ink, 24);
    const QColor bows[] = {Pink, Orange, Purple};
    for (int k = 0; k < 3; ++k) {
        const QPointF c = tailPath[7 + 8 * k];
        QPolygonF left, right;
        left << c << c + QPointF(-110, -60) << c + QPointF(-110, 60);
        right << c << c + QPointF(110, -60) << c + QPointF(110, 60);
        drawing.polygon(left, bows[k]);
        drawing.polygon(right, bows[k]);
        drawing.circle(c.x(), c.y(), 24, bows[k]);
    }
    drawing.setOutline(Ink, 30);
    const QPointF centre(750, 650), top(750, 80), rightTip(1260, 650), bottom(750, 1350), leftTip(240, 650);
    drawing.polygon(QPolygonF{top, rightTip, centre}, Red);
    drawing.polygon(QPolygonF{rightTip, bottom, centre}, Yellow);
    drawing.polygon(QPolygonF{bottom, leftTip, centre}, Blue);
    drawing.polygon(QPolygonF{leftTip, top, centre}, Green);
    return drawing;
}

Drawing Snowman()
{
    Drawing drawing(1600, 2000, QColor());
    drawing.setOutline(Ink, 30);
    for (double side : {-1.0, 1.0}) {
        QPolygonF arm;
        arm << QPointF(800 + side * 300, 900) << QPointF(800 + side * 640, 700)
            << QPointF(800 + side * 655, 725) << QPointF(800 + side * 320, 950);
        drawing.polygon(arm, Brown);
    }
    drawing.ellipse(800, 1550, 480, 400, White);
    drawing.ellipse(800, 970, 360, 310, White);
    drawing.ellipse(800, 500, 260, 240, White);
    drawing.rect(540, 700, 520, 90, Red);
    drawing.rect(860, 740, 110, 300, Red);
    drawing.rect(520, 255, 560, 60, QColor(0x34, 0x3a, 0x40));
    drawing.rect(620, 20, 360, 240, QColor(0x34, 0x3a, 0x40));
    drawing.rect(620, 190, 360, 60, Blue);
    drawing.noOutline();
    drawing.circle(705, 440, 34, Ink);
    drawing.circle(895, 440, 34, Ink);
    for (int k = 0; k < 5; ++k) {
        const double t = (35 + 27.5 * k) * Pi / 180;
        drawing.circle(800 + 120 * std::cos(t), 540 + 95 * std::sin(t), 17, Ink);
    }
    drawing.setOutline(Ink, 24);
    QPolygonF carrot;
    carrot << QPointF(800, 470) << QPointF(800, 530) << QPointF(1010, 515);
    drawing.polygon(carrot, Orange);
    for (double y : {930.0, 1080.0, 1400.0})
        drawing.circle(800, y, 40, Ink);
    return drawing;
}

Drawing Ladybug()
{
    Drawing drawing(2000, 1500, QColor());
    drawing.setOutline(Ink, 30);
    drawing.polygon(EllipsePoints(1000, 800, 920, 520, -12, 96), Green);
    drawing.noOutline();
    drawing.polygon(BandPoints(QPolygonF{{150, 980}, {1850, 620}}, 26), DarkGreen);
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k < 3; ++k) {
            const double y = 600 + 230 * k;
            const QPolygonF leg{{1000 + side * 300, y}, {1000 + side * 520, y - 60 + 60 * k}};
            drawing.polygon(BandPoints(leg, 40), Ink);
        }
        const QPolygonF feeler{{1000 + side * 60, 300}, {1000 + side * 160, 140}, {1000 + side * 230, 110}};
        drawing.polygon(BandPoints(feeler, 30), Ink);
        drawing.circle(1000 + side * 235, 110, 40, Ink);
    }
    drawing.setOutline(Ink, 30);
    drawing.ellipse(1000, 340, 220, 170, QColor(0x34, 0x3a, 0x40));
    drawing.ellipse(1000, 820, 400, 480, Red);
    drawing.noOutline();
    drawing.polygon(BandPoints(QPolygonF{{1000, 420}, {1000, 1290}}, 30), Ink);
    for (const QPointF c : {QPointF(820, 620), QPointF(1180, 620), QPointF(760, 880), QPointF(1240, 880),
                            QPointF(870, 1110), QPointF(1130, 1110)})
        drawing.circle(c.x(), c.y(), 70, Ink);
    for (double side : {-1.0, 1.0}) {
        drawing.circle(1000 + side * 90, 290, 45, White);
        drawing.circle(1000 + side * 90, 300, 22, Ink);
    }
    return drawing;
}

} // namespace samples
