// SPDX-License-Identifier: GPL-3.0-or-later
// The raster sample pictures: flat shapes with dark outlines on a background, painted at the
// size of their files (Output.h).

#include "tools/samples/Pictures.h"

#include <QPointF>

#include <algorithm>
#include <cmath>

namespace samples {

namespace {

// The outline of an apple: a circle a little wider than high, dented at the stem and, less, at
// the bottom.
QPolygonF appleBody(double cx, double cy, double r)
{
    QPolygonF points;
    const int n = 120;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * Pi * i / n; // 0 at the top, clockwise
        const double top = std::min(t, 2 * Pi - t);
        const double bottom = std::abs(t - Pi);
        const double rr = r * (1 - 0.20 * std::exp(-std::pow(top / 0.45, 2)) -
                               0.07 * std::exp(-std::pow(bottom / 0.35, 2)));
        points << QPointF(cx + 1.08 * rr * std::sin(t), cy - rr * std::cos(t));
    }
    return points;
}

} // namespace

Drawing Sun()
{
    Drawing drawing(800, 600, Sky);
    drawing.setOutline(Ink, 9);
    const double cx = 400, cy = 300;
    for (int k = 0; k < 12; ++k) {
        const double a = k * 30 * Pi / 180, half = 10 * Pi / 180;
        QPolygonF ray;
        ray << QPointF(cx + 160 * std::cos(a - half), cy + 160 * std::sin(a - half))
            << QPointF(cx + 255 * std::cos(a), cy + 255 * std::sin(a))
            << QPointF(cx + 160 * std::cos(a + half), cy + 160 * std::sin(a + half));
        drawing.polygon(ray, k % 2 ? Orange : LightOrange);
    }
    drawing.circle(cx, cy, 165, Yellow);
    HappyFace(drawing, cx, cy + 10, 1.2);
    Cloud(drawing, 125, 500, 1.1);
    Cloud(drawing, 690, 105, 0.9);
    return drawing;
}

Drawing Flower()
{
    Drawing drawing(600, 800, QColor(0xff, 0xf4, 0xc2));
    drawing.setOutline(Ink, 9);
    drawing.rect(-20, 660, 640, 160, LightGreen);
    QPolygonF stem;
    for (int i = 0; i <= 20; ++i) {
        const double y = 330 + (700 - 330) * i / 20.0;
        stem << QPointF(300 + 18 * std::sin((y - 330) / 110), y);
    }
    drawing.line(stem, Ink, 38);
    drawing.line(stem, Green, 20);
    drawing.polygon(EllipsePoints(225, 560, 80, 30, -30), Green);
    drawing.polygon(EllipsePoints(385, 500, 80, 30, 30), Green);
    drawing.noOutline();
    drawing.line(QPolygonF{{165, 595}, {280, 530}}, DarkGreen, 7);
    drawing.line(QPolygonF{{325, 465}, {440, 535}}, DarkGreen, 7);
    drawing.setOutline(Ink, 9);
    for (int k = 0; k < 8; ++k) {
        const double a = k * 45;
        const double t = a * Pi / 180;
        drawing.polygon(EllipsePoints(300 + 120 * std::cos(t), 300 + 120 * std::sin(t), 85, 52, a),
                    k % 2 ? DeepPink : Pink);
    }
    drawing.circle(300, 300, 85, Yellow);
    HappyFace(drawing, 300, 305, 0.75, Cheeks::None);
    // Small flowers in the grass.
    for (const QPointF c : {QPointF(90, 715), QPointF(510, 735)})
        Daisy(drawing, c, 1, White, Yellow);
    return drawing;
}

Drawing House()
{
    Drawing drawing(960, 800, QColor(0xa5, 0xd8, 0xff));
    drawing.setOutline(Ink, 9);
    // Sun in the corner.
    for (int k = 0; k < 8; ++k) {
        const double a = k * 45 * Pi / 180;
        drawing.line(QPolygonF{{840 + 80 * std::cos(a), 115 + 80 * std::sin(a)},
                           {840 + 110 * std::cos(a), 115 + 110 * std::sin(a)}},
                 Orange, 14);
    }
    drawing.circle(840, 115, 58, Yellow);
    Cloud(drawing, 170, 120, 1.0);
    drawing.rect(-20, 620, 1000, 200, LightGreen);
    QPolygonF path;
    path << QPointF(440, 650) << QPointF(520, 650) << QPointF(600, 810) << QPointF(360, 810);
    drawing.polygon(path, Sand);
    drawing.rect(590, 190, 64, 140, QColor(0xc0, 0x72, 0x4a));
    drawing.rect(260, 360, 440, 290, QColor(0xff, 0xf3, 0xbf));
    QPolygonF roof;
    roof << QPointF(215, 385) << QPointF(480, 165) << QPointF(745, 385);
    drawing.polygon(roof, Red);
    drawing.circle(480, 300, 36, LightBlue);
    drawing.rect(430, 490, 100, 160, Brown);
    drawing.circle(510, 575, 9, Yellow);
    for (double x : {300.0, 560.0}) {
        drawing.rect(x, 420, 100, 90, Blue);
        drawing.line(QPolygonF{{x + 50, 420}, {x + 50, 510}}, Ink, 8);
        drawing.line(QPolygonF{{x, 465}, {x + 100, 465}}, Ink, 8);
        drawing.rect(x - 8, 505, 116, 18, Red);
    }
    // Flowers beside the path.
    for (const QPointF c : {QPointF(120, 700), QPointF(220, 740), QPointF(760, 700), QPointF(860, 745)}) {
        drawing.line(QPolygonF{c, c + QPointF(0, 40)}, DarkGreen, 7);
        drawing.circle(c.x(), c.y(), 20, c.x() < 480 ? Pink : Yellow);
    }
    return drawing;
}

Drawing Tree()
{
    Drawing drawing(600, 900, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 9);
    Cloud(drawing, 470, 90, 0.7);
    drawing.ellipse(300, 980, 460, 220, LightGreen);
    QPolygonF trunk;
    trunk << QPointF(240, 810) << QPointF(272, 760) << QPointF(280, 450) << QPointF(320, 450)
          << QPointF(328, 760) << QPointF(360, 810);
    drawing.polygon(trunk, Brown);
    struct Puff { double x, y, r; };
    const Puff puffs[] = {{300, 360, 170}, {170, 440, 110}, {430, 440, 110}, {185, 280, 115},
                          {415, 280, 115}, {300, 200, 125}, {300, 480, 110}};
    drawing.setOutline(Ink, 18);
    for (const Puff &p : puffs)
        drawing.circle(p.x, p.y, p.r, Green);
    drawing.noOutline();
    for (const Puff &p : puffs)
        drawing.circle(p.x, p.y, p.r, Green);
    drawing.setOutline(Ink, 8);
    for (const QPointF c : {QPointF(210, 300), QPointF(350, 230), QPointF(420, 400), QPointF(260, 450),
                            QPointF(160, 450), QPointF(330, 360)}) {
        drawing.circle(c.x(), c.y(), 24, Red);
        drawing.noOutline();
        drawing.circle(c.x() - 8, c.y() - 8, 7, White);
        drawing.setOutline(Ink, 8);
    }
    drawing.circle(120, 800, 18, Yellow);
    drawing.circle(480, 820, 18, Pink);
    return drawing;
}

Drawing Car()
{
    Drawing drawing(1200, 680, QColor(0xd0, 0xeb, 0xff));
    drawing.setOutline(Ink, 10);
    drawing.circle(110, 100, 60, Yellow);
    Cloud(drawing, 430, 110, 0.9);
    Cloud(drawing, 980, 150, 1.1);
    drawing.rect(-20, 520, 1240, 200, Grey);
    drawing.noOutline();
    for (int x = 30; x < 1200; x += 220)
        drawing.rect(x, 610, 120, 18, White);
    drawing.setOutline(Ink, 10);
    QPolygonF cabin;
    cabin << QPointF(380, 340) << QPointF(470, 200) << QPointF(760, 200) << QPointF(860, 340);
    drawing.polygon(cabin, Red);
    drawing.polygon(RoundRectPoints(220, 320, 780, 180, 55), Red);
    QPolygonF front, back;
    back << QPointF(425, 325) << QPointF(490, 228) << QPointF(605, 228) << QPointF(605, 325);
    front << QPointF(635, 325) << QPointF(635, 228) << QPointF(745, 228) << QPointF(815, 325);
    drawing.polygon(back, LightBlue);
    drawing.polygon(front, LightBlue);
    drawing.line(QPolygonF{{620, 340}, {620, 470}}, Ink, 8);
    drawing.rect(655, 370, 50, 14, LightGrey);
    drawing.ellipse(980, 380, 18, 28, Yellow);
    drawing.rect(214, 360, 24, 40, Orange);
    for (double x : {400.0, 820.0}) {
        drawing.circle(x, 500, 78, QColor(0x34, 0x3a, 0x40));
        drawing.circle(x, 500, 34, LightGrey);
    }
    return drawing;
}

Drawing Fish()
{
    Drawing drawing(1000, 700, QColor(0x74, 0xc0, 0xfc));
    drawing.setOutline(Ink, 9);
    drawing.polygon(WavePoints(-20, 1020, 630, 12, 500, 720), Sand);
    for (double x : {110.0, 190.0, 880.0}) {
        QPolygonF weed;
        for (int i = 0; i <= 16; ++i) {
            const double y = 640 - 300 * i / 16.0 * (x == 190 ? 0.7 : 1.0);
            weed << QPointF(x + 18 * std::sin(i / 2.5), y);
        }
        drawing.polygon(BandPoints(weed, 34), Green);
    }
    QPolygonF tail, fin;
    tail << QPointF(670, 340) << QPointF(870, 200) << QPointF(830, 340) << QPointF(870, 480);
    drawing.polygon(tail, Yellow);
    fin << QPointF(380, 215) << QPointF(470, 130) << QPointF(580, 215);
    drawing.polygon(fin, Yellow);
    drawing.ellipse(470, 340, 240, 155, Orange);
    drawing.noOutline();
    for (const QPointF c : {QPointF(520, 270), QPointF(600, 330), QPointF(540, 410), QPointF(450, 340)})
        drawing.circle(c.x(), c.y(), 20, LightOrange);
    drawing.setOutline(Ink, 9);
    drawing.polygon(EllipsePoints(520, 380, 60, 28, 35), Yellow);
    drawing.circle(340, 300, 40, White);
    drawing.noOutline();
    drawing.circle(330, 302, 20, Ink);
    drawing.circle(324, 294, 7, White);
    drawing.line(ArcPoints(300, 360, 45, 30, 40, 140), Ink, 10);
    drawing.setOutline(Ink, 6);
    for (const QPointF c : {QPointF(200, 250), QPointF(170, 170), QPointF(215, 95), QPointF(770, 110)})
        drawing.circle(c.x(), c.y(), c.y() / 12 + 6, QColor(0xe7, 0xf5, 0xff));
    return drawing;
}

Drawing CatFace()
{
    Drawing drawing(800, 800, QColor(0xff, 0xe3, 0xec));
    drawing.setOutline(Ink, 11);
    for (double side : {-1.0, 1.0}) {
        QPolygonF ear, inner;
        ear << QPointF(400 + side * 250, 360) << QPointF(400 + side * 210, 90) << QPointF(400 + side * 40, 240);
        inner << QPointF(400 + side * 215, 300) << QPointF(400 + side * 200, 150) << QPointF(400 + side * 110, 240);
        drawing.polygon(ear, LightOrange);
        drawing.polygon(inner, Pink);
    }
    drawing.ellipse(400, 450, 295, 255, LightOrange);
    drawing.noOutline();
    for (double dx : {-50.0, 0.0, 50.0}) {
        QPolygonF stripe;
        stripe << QPointF(400 + dx - 16, 198) << QPointF(400 + dx + 16, 198) << QPointF(400 + dx, 270);
        drawing.polygon(stripe, Orange);
    }
    drawing.ellipse(400, 545, 120, 80, QColor(0xff, 0xf0, 0xe0));
    for (double side : {-1.0, 1.0}) {
        drawing.ellipse(400 + side * 105, 420, 36, 50, Ink);
        drawing.circle(400 + side * 105 + 10, 404, 13, White);
        drawing.ellipse(400 + side * 190, 520, 40, 24, Pink);
    }
    QPolygonF nose;
    nose << QPointF(372, 505) << QPointF(428, 505) << QPointF(400, 538);
    drawing.setOutline(Ink, 7);
    drawing.polygon(nose, DeepPink);
    drawing.line(ArcPoints(370, 545, 30, 28, 0, 150), Ink, 9);
    drawing.line(ArcPoints(430, 545, 30, 28, 30, 180), Ink, 9);
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k < 3; ++k) {
            drawing.line(QPolygonF{{400 + side * 150, 540.0 + k * 22},
                               {400 + side * 330, 510.0 + k * 45}},
                     Ink, 7);
        }
    }
    return drawing;
}

Drawing Apple()
{
    Drawing drawing(800, 900, QColor(0xff, 0xf9, 0xdb));
    drawing.setOutline(Ink, 12);
    drawing.noOutline();
    drawing.ellipse(400, 800, 250, 45, QColor(0xf2, 0xe2, 0xa0));
    drawing.setOutline(Ink, 12);
    QPolygonF stem;
    stem << QPointF(385, 300) << QPointF(400, 140) << QPointF(432, 135) << QPointF(412, 300);
    drawing.polygon(stem, Brown);
    drawing.polygon(appleBody(400, 520, 290), QColor(0xf0, 0x3e, 0x3e));
    drawing.polygon(EllipsePoints(530, 185, 105, 45, -25), Green);
    drawing.line(QPolygonF{{440, 220}, {610, 150}}, DarkGreen, 8);
    drawing.noOutline();
    drawing.polygon(EllipsePoints(270, 420, 40, 85, 25), QColor(0xff, 0xc9, 0xc9));
    drawing.circle(300, 530, 16, QColor(0xff, 0xc9, 0xc9));
    return drawing;
}

Drawing Star()
{
    Drawing drawing(800, 800, QColor(0x1f, 0x2a, 0x60));
    drawing.setOutline(Ink, 7);
    const QColor pale(0xff, 0xf3, 0xbf);
    for (const QPointF c : {QPointF(95, 110), QPointF(690, 95), QPointF(110, 640), QPointF(700, 690),
                            QPointF(640, 360), QPointF(250, 60)}) {
        drawing.polygon(StarPoints(c.x(), c.y(), 38, 16, 5, -90), pale);
    }
    drawing.noOutline();
    for (const QPointF c : {QPointF(400, 40), QPointF(40, 380), QPointF(760, 500), QPointF(300, 760),
                            QPointF(540, 760), QPointF(560, 60)})
        drawing.circle(c.x(), c.y(), 7, pale);
    drawing.setOutline(Ink, 14);
    drawing.polygon(StarPoints(400, 430, 320, 150, 5, -90), Yellow);
    HappyFace(drawing, 400, 440, 1.0);
    return drawing;
}

Drawing Balloons()
{
    Drawing drawing(600, 900, QColor(0xc5, 0xf6, 0xfa));
    drawing.setOutline(Ink, 9);
    Cloud(drawing, 470, 760, 0.8);
    struct Balloon { double x, y; QColor colour; };
    const Balloon list[] = {{300, 230, Yellow}, {165, 360, Red}, {435, 340, Blue}};
    for (const Balloon &b : list) {
        QPolygonF string;
        for (int i = 0; i <= 12; ++i) {
            const double f = i / 12.0;
            string << QPointF(b.x + (300 - b.x) * f + 12 * std::sin(f * 3 * Pi), b.y + 150 + (830 - b.y - 150) * f);
        }
        drawing.line(string, Ink, 5);
    }
    for (const Balloon &b : list) {
        QPolygonF knot;
        knot << QPointF(b.x, b.y + 130) << QPointF(b.x + 20, b.y + 158) << QPointF(b.x - 20, b.y + 158);
        drawing.polygon(knot, b.colour);
        drawing.ellipse(b.x, b.y, 115, 140, b.colour);
        drawing.noOutline();
        drawing.polygon(EllipsePoints(b.x - 50, b.y - 55, 20, 42, 30), White);
        drawing.setOutline(Ink, 9);
    }
    return drawing;
}

Drawing Rainbow()
{
    Drawing drawing(1280, 640, LightBlue);
    drawing.setOutline(Ink, 9);
    drawing.circle(130, 110, 60, Yellow);
    const QColor bands[] = {QColor(0xff, 0x6b, 0x6b), LightOrange, QColor(0xff, 0xe0, 0x66),
                            QColor(0x69, 0xdb, 0x7c), Blue, Purple};
    double r = 520;
    for (const QColor &c : bands) {
        drawing.ellipse(640, 600, r, r, c);
        r -= 55;
    }
    drawing.ellipse(640, 600, r, r, LightBlue);
    drawing.rect(-20, 590, 1320, 80, LightGreen);
    Cloud(drawing, 250, 570, 1.3);
    Cloud(drawing, 1030, 570, 1.3);
    Cloud(drawing, 1140, 150, 0.7);
    return drawing;
}

Drawing Boat()
{
    Drawing drawing(1000, 720, QColor(0xc5, 0xf0, 0xff));
    drawing.setOutline(Ink, 9);
    drawing.circle(120, 110, 62, Yellow);
    Cloud(drawing, 800, 110, 0.9);
    drawing.line(ArcPoints(230, 250, 30, 22, 200, 340, 10), Ink, 7);
    drawing.line(ArcPoints(290, 250, 30, 22, 200, 340, 10), Ink, 7);
    drawing.polygon(WavePoints(-20, 1020, 500, 14, 250, 740), QColor(0x33, 0x9a, 0xf0));
    drawing.rect(492, 150, 18, 330, Brown);
    QPolygonF sail, jib, flag;
    sail << QPointF(522, 175) << QPointF(522, 440) << QPointF(740, 440);
    jib << QPointF(480, 205) << QPointF(480, 440) << QPointF(320, 440);
    flag << QPointF(510, 150) << QPointF(585, 172) << QPointF(510, 195);
    drawing.polygon(flag, Red);
    drawing.polygon(sail, White);
    drawing.polygon(jib, Yellow);
    QPolygonF hull;
    hull << QPointF(230, 460) << QPointF(790, 460) << QPointF(700, 575) << QPointF(310, 575);
    drawing.polygon(hull, Orange);
    for (double x : {400.0, 510.0, 620.0})
        drawing.circle(x, 505, 20, LightBlue);
    drawing.polygon(WavePoints(-20, 1020, 590, 16, 200, 740), Blue);
    return drawing;
}

} // namespace samples
