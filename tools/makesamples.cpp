// makesamples: draws the sample pictures that ship in samples/ so that the program has
// something to show on first start.
//
// Usage: makesamples <output folder>
//
// Every picture is described once as a short list of flat shapes (rectangles, ellipses,
// polygons, thick lines) in its own logical coordinates. Raster pictures are painted from
// that list with QPainter and written as 24-bit BMP, RLE8/RLE4 BMP, GIF or JPEG; vector
// pictures are written as placeable Windows metafiles. The BMP, RLE, GIF and WMF writers
// are the small hand-written encoders of the tests (tests/support/PictureFiles.h; Qt cannot
// write RLE, GIF or WMF), so the output is the same, byte for byte, on every run.

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QList>
#include <QtCore/QPointF>
#include <QtCore/QRectF>
#include <QtCore/QString>
#include <QtCore/QTextStream>
#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPen>
#include <QtGui/QPolygonF>
#include <QtGui/QTransform>

#include "tests/support/ExifJpeg.h"
#include "tests/support/PictureFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kDotsPerMeter = 3780; // 96 dots per inch

// ---------------------------------------------------------------------------------------
// Colours: bright and flat, with one dark ink for the outlines.

const QColor kInk(0x2b, 0x22, 0x33);
const QColor kWhite(0xff, 0xff, 0xff);
const QColor kSky(0xbd, 0xe6, 0xff);
const QColor kYellow(0xff, 0xd4, 0x3b);
const QColor kOrange(0xff, 0x92, 0x2b);
const QColor kLightOrange(0xff, 0xa9, 0x4d);
const QColor kRed(0xfa, 0x52, 0x52);
const QColor kPink(0xff, 0x8f, 0xab);
const QColor kDeepPink(0xf0, 0x65, 0x95);
const QColor kGreen(0x51, 0xcf, 0x66);
const QColor kLightGreen(0x8c, 0xe9, 0x9a);
const QColor kDarkGreen(0x2f, 0x9e, 0x44);
const QColor kBlue(0x4d, 0xab, 0xf7);
const QColor kLightBlue(0xa5, 0xd8, 0xff);
const QColor kPurple(0xb1, 0x97, 0xfc);
const QColor kBrown(0xa9, 0x5c, 0x2e);
const QColor kSand(0xff, 0xe0, 0x8a);
const QColor kGrey(0x86, 0x8e, 0x96);
const QColor kLightGrey(0xde, 0xe2, 0xe6);

// ---------------------------------------------------------------------------------------
// A picture: a background colour and a list of shapes in logical units.

struct Shape {
    enum Kind { Rect, Ellipse, Polygon, Line };
    Kind kind = Rect;
    QColor fill;      // invalid: not filled
    QColor outline;   // invalid: no outline
    double width = 0; // outline or line width
    QRectF rect;      // Rect, Ellipse
    QPolygonF points; // Polygon, Line
};

class Picture {
public:
    Picture(double width, double height, QColor background)
        : m_size(width, height), m_background(background) {}

    QSizeF size() const { return m_size; }
    QColor background() const { return m_background; }
    const std::vector<Shape>& shapes() const { return m_shapes; }

    // The outline used by the shapes added next (an invalid colour: none).
    void setOutline(QColor colour, double width) {
        m_outline = colour;
        m_width = width;
    }
    void noOutline() { m_outline = QColor(); }
    QColor outline() const { return m_outline; }
    double outlineWidth() const { return m_width; }

    void rect(double x, double y, double w, double h, QColor fill) {
        add({Shape::Rect, fill, m_outline, m_width, QRectF(x, y, w, h), {}});
    }
    void ellipse(double cx, double cy, double rx, double ry, QColor fill) {
        add({Shape::Ellipse, fill, m_outline, m_width, QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry), {}});
    }
    void circle(double cx, double cy, double r, QColor fill) { ellipse(cx, cy, r, r, fill); }
    void polygon(const QPolygonF& points, QColor fill) {
        add({Shape::Polygon, fill, m_outline, m_width, {}, points});
    }
    // A thick line with round ends through the points (raster pictures only).
    void line(const QPolygonF& points, QColor colour, double width) {
        add({Shape::Line, QColor(), colour, width, {}, points});
    }

private:
    void add(Shape shape) { m_shapes.push_back(std::move(shape)); }

    QSizeF m_size;
    QColor m_background;
    QColor m_outline = kInk;
    double m_width = 8;
    std::vector<Shape> m_shapes;
};

// --- geometry helpers ------------------------------------------------------------------

QPolygonF ellipsePoints(double cx, double cy, double rx, double ry, double angleDeg, int n = 72) {
    QPolygonF points;
    const double a = angleDeg * kPi / 180;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / n;
        const double x = rx * std::cos(t);
        const double y = ry * std::sin(t);
        points << QPointF(cx + x * std::cos(a) - y * std::sin(a), cy + x * std::sin(a) + y * std::cos(a));
    }
    return points;
}

// Points on an elliptic arc; angles in degrees, 0 = right, 90 = down.
QPolygonF arcPoints(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int n = 24) {
    QPolygonF points;
    for (int i = 0; i <= n; ++i) {
        const double t = (fromDeg + (toDeg - fromDeg) * i / n) * kPi / 180;
        points << QPointF(cx + rx * std::cos(t), cy + ry * std::sin(t));
    }
    return points;
}

QPolygonF starPoints(double cx, double cy, double outer, double inner, int tips, double rotationDeg) {
    QPolygonF points;
    for (int i = 0; i < 2 * tips; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double t = (rotationDeg + 180.0 * i / tips) * kPi / 180;
        points << QPointF(cx + r * std::cos(t), cy + r * std::sin(t));
    }
    return points;
}

QPolygonF roundRectPoints(double x, double y, double w, double h, double r) {
    QPolygonF points;
    const QPointF corners[4] = {{x + w - r, y + r}, {x + w - r, y + h - r}, {x + r, y + h - r}, {x + r, y + r}};
    for (int c = 0; c < 4; ++c) {
        const double from = -90 + 90 * c;
        for (int i = 0; i <= 8; ++i) {
            const double t = (from + 90.0 * i / 8) * kPi / 180;
            points << corners[c] + QPointF(r * std::cos(t), r * std::sin(t));
        }
    }
    return points;
}

// A band of the given width along a polyline, as a polygon (a "thick line" that a
// metafile can hold as one POLYGON record).
QPolygonF bandPoints(const QPolygonF& path, double width) {
    QPolygonF left, right;
    for (int i = 0; i < path.size(); ++i) {
        const QPointF a = path[std::max(0, i - 1)];
        const QPointF b = path[std::min<int>(int(path.size()) - 1, i + 1)];
        const QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        const QPointF n = len > 0 ? QPointF(-d.y() / len, d.x() / len) * (width / 2) : QPointF();
        left << path[i] + n;
        right.prepend(path[i] - n);
    }
    return left + right;
}

QPolygonF wavePoints(double x0, double x1, double y, double amplitude, double wavelength, double bottom) {
    QPolygonF points;
    const int n = int((x1 - x0) / 10);
    for (int i = 0; i <= n; ++i) {
        const double x = x0 + (x1 - x0) * i / n;
        points << QPointF(x, y + amplitude * std::sin(2 * kPi * (x - x0) / wavelength));
    }
    points << QPointF(x1, bottom) << QPointF(x0, bottom);
    return points;
}

// --- reusable parts --------------------------------------------------------------------

// A fluffy cloud: overlapping circles with only the outer outline showing.
void cloud(Picture& pic, double cx, double cy, double s, QColor colour = kWhite) {
    struct Puff { double dx, dy, r; };
    const Puff puffs[] = {{-70, 10, 45}, {-20, -25, 58}, {45, -10, 50}, {85, 15, 38}, {0, 20, 50}};
    const QColor outline = pic.outline();
    const double width = pic.outlineWidth();
    pic.setOutline(outline, width * 2);
    for (const Puff& p : puffs)
        pic.circle(cx + p.dx * s, cy + p.dy * s, p.r * s, colour);
    pic.noOutline();
    for (const Puff& p : puffs)
        pic.circle(cx + p.dx * s, cy + p.dy * s, p.r * s, colour);
    pic.setOutline(outline, width);
}

// Two eyes with a shine, pink cheeks and a smile.
void happyFace(Picture& pic, double cx, double cy, double s, bool cheeks = true) {
    const QColor outline = pic.outline();
    const double width = pic.outlineWidth();
    pic.noOutline();
    for (double side : {-1.0, 1.0}) {
        pic.ellipse(cx + side * 55 * s, cy - 30 * s, 16 * s, 24 * s, kInk);
        pic.circle(cx + side * 55 * s + 5 * s, cy - 38 * s, 6 * s, kWhite);
        if (cheeks)
            pic.ellipse(cx + side * 88 * s, cy + 28 * s, 26 * s, 16 * s, kPink);
    }
    pic.line(arcPoints(cx, cy + 5 * s, 50 * s, 42 * s, 25, 155), kInk, 11 * s);
    pic.setOutline(outline, width);
}

// ---------------------------------------------------------------------------------------
// The raster pictures.

Picture sun() {
    Picture pic(800, 600, kSky);
    pic.setOutline(kInk, 9);
    const double cx = 400, cy = 300;
    for (int k = 0; k < 12; ++k) {
        const double a = k * 30 * kPi / 180, half = 10 * kPi / 180;
        QPolygonF ray;
        ray << QPointF(cx + 160 * std::cos(a - half), cy + 160 * std::sin(a - half))
            << QPointF(cx + 255 * std::cos(a), cy + 255 * std::sin(a))
            << QPointF(cx + 160 * std::cos(a + half), cy + 160 * std::sin(a + half));
        pic.polygon(ray, k % 2 ? kOrange : kLightOrange);
    }
    pic.circle(cx, cy, 165, kYellow);
    happyFace(pic, cx, cy + 10, 1.2);
    cloud(pic, 125, 500, 1.1);
    cloud(pic, 690, 105, 0.9);
    return pic;
}

Picture flower() {
    Picture pic(600, 800, QColor(0xff, 0xf4, 0xc2));
    pic.setOutline(kInk, 9);
    pic.rect(-20, 660, 640, 160, kLightGreen);
    QPolygonF stem;
    for (int i = 0; i <= 20; ++i) {
        const double y = 330 + (700 - 330) * i / 20.0;
        stem << QPointF(300 + 18 * std::sin((y - 330) / 110), y);
    }
    pic.line(stem, kInk, 38);
    pic.line(stem, kGreen, 20);
    pic.polygon(ellipsePoints(225, 560, 80, 30, -30), kGreen);
    pic.polygon(ellipsePoints(385, 500, 80, 30, 30), kGreen);
    pic.noOutline();
    pic.line(QPolygonF{{165, 595}, {280, 530}}, kDarkGreen, 7);
    pic.line(QPolygonF{{325, 465}, {440, 535}}, kDarkGreen, 7);
    pic.setOutline(kInk, 9);
    for (int k = 0; k < 8; ++k) {
        const double a = k * 45;
        const double t = a * kPi / 180;
        pic.polygon(ellipsePoints(300 + 120 * std::cos(t), 300 + 120 * std::sin(t), 85, 52, a),
                    k % 2 ? kDeepPink : kPink);
    }
    pic.circle(300, 300, 85, kYellow);
    happyFace(pic, 300, 305, 0.75, false);
    // Small flowers in the grass.
    for (const QPointF c : {QPointF(90, 715), QPointF(510, 735)}) {
        for (int k = 0; k < 5; ++k) {
            const double t = (k * 72 - 90) * kPi / 180;
            pic.circle(c.x() + 22 * std::cos(t), c.y() + 22 * std::sin(t), 16, kWhite);
        }
        pic.circle(c.x(), c.y(), 13, kYellow);
    }
    return pic;
}

Picture house() {
    Picture pic(960, 800, QColor(0xa5, 0xd8, 0xff));
    pic.setOutline(kInk, 9);
    // Sun in the corner.
    for (int k = 0; k < 8; ++k) {
        const double a = k * 45 * kPi / 180;
        pic.line(QPolygonF{{840 + 80 * std::cos(a), 115 + 80 * std::sin(a)},
                           {840 + 110 * std::cos(a), 115 + 110 * std::sin(a)}},
                 kOrange, 14);
    }
    pic.circle(840, 115, 58, kYellow);
    cloud(pic, 170, 120, 1.0);
    pic.rect(-20, 620, 1000, 200, kLightGreen);
    QPolygonF path;
    path << QPointF(440, 650) << QPointF(520, 650) << QPointF(600, 810) << QPointF(360, 810);
    pic.polygon(path, kSand);
    pic.rect(590, 190, 64, 140, QColor(0xc0, 0x72, 0x4a));
    pic.rect(260, 360, 440, 290, QColor(0xff, 0xf3, 0xbf));
    QPolygonF roof;
    roof << QPointF(215, 385) << QPointF(480, 165) << QPointF(745, 385);
    pic.polygon(roof, kRed);
    pic.circle(480, 300, 36, kLightBlue);
    pic.rect(430, 490, 100, 160, kBrown);
    pic.circle(510, 575, 9, kYellow);
    for (double x : {300.0, 560.0}) {
        pic.rect(x, 420, 100, 90, kBlue);
        pic.line(QPolygonF{{x + 50, 420}, {x + 50, 510}}, kInk, 8);
        pic.line(QPolygonF{{x, 465}, {x + 100, 465}}, kInk, 8);
        pic.rect(x - 8, 505, 116, 18, kRed);
    }
    // Flowers beside the path.
    for (const QPointF c : {QPointF(120, 700), QPointF(220, 740), QPointF(760, 700), QPointF(860, 745)}) {
        pic.line(QPolygonF{c, c + QPointF(0, 40)}, kDarkGreen, 7);
        pic.circle(c.x(), c.y(), 20, c.x() < 480 ? kPink : kYellow);
    }
    return pic;
}

Picture tree() {
    Picture pic(600, 900, QColor(0xc5, 0xf0, 0xff));
    pic.setOutline(kInk, 9);
    cloud(pic, 470, 90, 0.7);
    pic.ellipse(300, 980, 460, 220, kLightGreen);
    QPolygonF trunk;
    trunk << QPointF(240, 810) << QPointF(272, 760) << QPointF(280, 450) << QPointF(320, 450)
          << QPointF(328, 760) << QPointF(360, 810);
    pic.polygon(trunk, kBrown);
    struct Puff { double x, y, r; };
    const Puff puffs[] = {{300, 360, 170}, {170, 440, 110}, {430, 440, 110}, {185, 280, 115},
                          {415, 280, 115}, {300, 200, 125}, {300, 480, 110}};
    pic.setOutline(kInk, 18);
    for (const Puff& p : puffs)
        pic.circle(p.x, p.y, p.r, kGreen);
    pic.noOutline();
    for (const Puff& p : puffs)
        pic.circle(p.x, p.y, p.r, kGreen);
    pic.setOutline(kInk, 8);
    for (const QPointF c : {QPointF(210, 300), QPointF(350, 230), QPointF(420, 400), QPointF(260, 450),
                            QPointF(160, 450), QPointF(330, 360)}) {
        pic.circle(c.x(), c.y(), 24, kRed);
        pic.noOutline();
        pic.circle(c.x() - 8, c.y() - 8, 7, kWhite);
        pic.setOutline(kInk, 8);
    }
    pic.circle(120, 800, 18, kYellow);
    pic.circle(480, 820, 18, kPink);
    return pic;
}

Picture car() {
    Picture pic(1200, 680, QColor(0xd0, 0xeb, 0xff));
    pic.setOutline(kInk, 10);
    pic.circle(110, 100, 60, kYellow);
    cloud(pic, 430, 110, 0.9);
    cloud(pic, 980, 150, 1.1);
    pic.rect(-20, 520, 1240, 200, kGrey);
    pic.noOutline();
    for (int x = 30; x < 1200; x += 220)
        pic.rect(x, 610, 120, 18, kWhite);
    pic.setOutline(kInk, 10);
    QPolygonF cabin;
    cabin << QPointF(380, 340) << QPointF(470, 200) << QPointF(760, 200) << QPointF(860, 340);
    pic.polygon(cabin, kRed);
    pic.polygon(roundRectPoints(220, 320, 780, 180, 55), kRed);
    QPolygonF front, back;
    back << QPointF(425, 325) << QPointF(490, 228) << QPointF(605, 228) << QPointF(605, 325);
    front << QPointF(635, 325) << QPointF(635, 228) << QPointF(745, 228) << QPointF(815, 325);
    pic.polygon(back, kLightBlue);
    pic.polygon(front, kLightBlue);
    pic.line(QPolygonF{{620, 340}, {620, 470}}, kInk, 8);
    pic.rect(655, 370, 50, 14, kLightGrey);
    pic.ellipse(980, 380, 18, 28, kYellow);
    pic.rect(214, 360, 24, 40, kOrange);
    for (double x : {400.0, 820.0}) {
        pic.circle(x, 500, 78, QColor(0x34, 0x3a, 0x40));
        pic.circle(x, 500, 34, kLightGrey);
    }
    return pic;
}

Picture fish() {
    Picture pic(1000, 700, QColor(0x74, 0xc0, 0xfc));
    pic.setOutline(kInk, 9);
    pic.polygon(wavePoints(-20, 1020, 630, 12, 500, 720), kSand);
    for (double x : {110.0, 190.0, 880.0}) {
        QPolygonF weed;
        for (int i = 0; i <= 16; ++i) {
            const double y = 640 - 300 * i / 16.0 * (x == 190 ? 0.7 : 1.0);
            weed << QPointF(x + 18 * std::sin(i / 2.5), y);
        }
        pic.polygon(bandPoints(weed, 34), kGreen);
    }
    QPolygonF tail, fin;
    tail << QPointF(670, 340) << QPointF(870, 200) << QPointF(830, 340) << QPointF(870, 480);
    pic.polygon(tail, kYellow);
    fin << QPointF(380, 215) << QPointF(470, 130) << QPointF(580, 215);
    pic.polygon(fin, kYellow);
    pic.ellipse(470, 340, 240, 155, kOrange);
    pic.noOutline();
    for (const QPointF c : {QPointF(520, 270), QPointF(600, 330), QPointF(540, 410), QPointF(450, 340)})
        pic.circle(c.x(), c.y(), 20, kLightOrange);
    pic.setOutline(kInk, 9);
    pic.polygon(ellipsePoints(520, 380, 60, 28, 35), kYellow);
    pic.circle(340, 300, 40, kWhite);
    pic.noOutline();
    pic.circle(330, 302, 20, kInk);
    pic.circle(324, 294, 7, kWhite);
    pic.line(arcPoints(300, 360, 45, 30, 40, 140), kInk, 10);
    pic.setOutline(kInk, 6);
    for (const QPointF c : {QPointF(200, 250), QPointF(170, 170), QPointF(215, 95), QPointF(770, 110)})
        pic.circle(c.x(), c.y(), c.y() / 12 + 6, QColor(0xe7, 0xf5, 0xff));
    return pic;
}

Picture catFace() {
    Picture pic(800, 800, QColor(0xff, 0xe3, 0xec));
    pic.setOutline(kInk, 11);
    for (double side : {-1.0, 1.0}) {
        QPolygonF ear, inner;
        ear << QPointF(400 + side * 250, 360) << QPointF(400 + side * 210, 90) << QPointF(400 + side * 40, 240);
        inner << QPointF(400 + side * 215, 300) << QPointF(400 + side * 200, 150) << QPointF(400 + side * 110, 240);
        pic.polygon(ear, kLightOrange);
        pic.polygon(inner, kPink);
    }
    pic.ellipse(400, 450, 295, 255, kLightOrange);
    pic.noOutline();
    for (double dx : {-50.0, 0.0, 50.0}) {
        QPolygonF stripe;
        stripe << QPointF(400 + dx - 16, 198) << QPointF(400 + dx + 16, 198) << QPointF(400 + dx, 270);
        pic.polygon(stripe, kOrange);
    }
    pic.ellipse(400, 545, 120, 80, QColor(0xff, 0xf0, 0xe0));
    for (double side : {-1.0, 1.0}) {
        pic.ellipse(400 + side * 105, 420, 36, 50, kInk);
        pic.circle(400 + side * 105 + 10, 404, 13, kWhite);
        pic.ellipse(400 + side * 190, 520, 40, 24, kPink);
    }
    QPolygonF nose;
    nose << QPointF(372, 505) << QPointF(428, 505) << QPointF(400, 538);
    pic.setOutline(kInk, 7);
    pic.polygon(nose, kDeepPink);
    pic.line(arcPoints(370, 545, 30, 28, 0, 150), kInk, 9);
    pic.line(arcPoints(430, 545, 30, 28, 30, 180), kInk, 9);
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k < 3; ++k) {
            pic.line(QPolygonF{{400 + side * 150, 540.0 + k * 22},
                               {400 + side * 330, 510.0 + k * 45}},
                     kInk, 7);
        }
    }
    return pic;
}

QPolygonF appleBody(double cx, double cy, double r) {
    QPolygonF points;
    const int n = 120;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / n; // 0 at the top, clockwise
        const double top = std::min(t, 2 * kPi - t);
        const double bottom = std::abs(t - kPi);
        const double rr = r * (1 - 0.20 * std::exp(-std::pow(top / 0.45, 2)) -
                               0.07 * std::exp(-std::pow(bottom / 0.35, 2)));
        points << QPointF(cx + 1.08 * rr * std::sin(t), cy - rr * std::cos(t));
    }
    return points;
}

Picture apple() {
    Picture pic(800, 900, QColor(0xff, 0xf9, 0xdb));
    pic.setOutline(kInk, 12);
    pic.noOutline();
    pic.ellipse(400, 800, 250, 45, QColor(0xf2, 0xe2, 0xa0));
    pic.setOutline(kInk, 12);
    QPolygonF stem;
    stem << QPointF(385, 300) << QPointF(400, 140) << QPointF(432, 135) << QPointF(412, 300);
    pic.polygon(stem, kBrown);
    pic.polygon(appleBody(400, 520, 290), QColor(0xf0, 0x3e, 0x3e));
    pic.polygon(ellipsePoints(530, 185, 105, 45, -25), kGreen);
    pic.line(QPolygonF{{440, 220}, {610, 150}}, kDarkGreen, 8);
    pic.noOutline();
    pic.polygon(ellipsePoints(270, 420, 40, 85, 25), QColor(0xff, 0xc9, 0xc9));
    pic.circle(300, 530, 16, QColor(0xff, 0xc9, 0xc9));
    return pic;
}

Picture star() {
    Picture pic(800, 800, QColor(0x1f, 0x2a, 0x60));
    pic.setOutline(kInk, 7);
    const QColor pale(0xff, 0xf3, 0xbf);
    for (const QPointF c : {QPointF(95, 110), QPointF(690, 95), QPointF(110, 640), QPointF(700, 690),
                            QPointF(640, 360), QPointF(250, 60)}) {
        pic.polygon(starPoints(c.x(), c.y(), 38, 16, 5, -90), pale);
    }
    pic.noOutline();
    for (const QPointF c : {QPointF(400, 40), QPointF(40, 380), QPointF(760, 500), QPointF(300, 760),
                            QPointF(540, 760), QPointF(560, 60)})
        pic.circle(c.x(), c.y(), 7, pale);
    pic.setOutline(kInk, 14);
    pic.polygon(starPoints(400, 430, 320, 150, 5, -90), kYellow);
    happyFace(pic, 400, 440, 1.0);
    return pic;
}

Picture balloons() {
    Picture pic(600, 900, QColor(0xc5, 0xf6, 0xfa));
    pic.setOutline(kInk, 9);
    cloud(pic, 470, 760, 0.8);
    struct Balloon { double x, y; QColor colour; };
    const Balloon list[] = {{300, 230, kYellow}, {165, 360, kRed}, {435, 340, kBlue}};
    for (const Balloon& b : list) {
        QPolygonF string;
        for (int i = 0; i <= 12; ++i) {
            const double f = i / 12.0;
            string << QPointF(b.x + (300 - b.x) * f + 12 * std::sin(f * 3 * kPi), b.y + 150 + (830 - b.y - 150) * f);
        }
        pic.line(string, kInk, 5);
    }
    for (const Balloon& b : list) {
        QPolygonF knot;
        knot << QPointF(b.x, b.y + 130) << QPointF(b.x + 20, b.y + 158) << QPointF(b.x - 20, b.y + 158);
        pic.polygon(knot, b.colour);
        pic.ellipse(b.x, b.y, 115, 140, b.colour);
        pic.noOutline();
        pic.polygon(ellipsePoints(b.x - 50, b.y - 55, 20, 42, 30), kWhite);
        pic.setOutline(kInk, 9);
    }
    return pic;
}

Picture rainbow() {
    Picture pic(1280, 640, kLightBlue);
    pic.setOutline(kInk, 9);
    pic.circle(130, 110, 60, kYellow);
    const QColor bands[] = {QColor(0xff, 0x6b, 0x6b), kLightOrange, QColor(0xff, 0xe0, 0x66),
                            QColor(0x69, 0xdb, 0x7c), kBlue, kPurple};
    double r = 520;
    for (const QColor& c : bands) {
        pic.ellipse(640, 600, r, r, c);
        r -= 55;
    }
    pic.ellipse(640, 600, r, r, kLightBlue);
    pic.rect(-20, 590, 1320, 80, kLightGreen);
    cloud(pic, 250, 570, 1.3);
    cloud(pic, 1030, 570, 1.3);
    cloud(pic, 1140, 150, 0.7);
    return pic;
}

Picture boat() {
    Picture pic(1000, 720, QColor(0xc5, 0xf0, 0xff));
    pic.setOutline(kInk, 9);
    pic.circle(120, 110, 62, kYellow);
    cloud(pic, 800, 110, 0.9);
    pic.line(arcPoints(230, 250, 30, 22, 200, 340, 10), kInk, 7);
    pic.line(arcPoints(290, 250, 30, 22, 200, 340, 10), kInk, 7);
    pic.polygon(wavePoints(-20, 1020, 500, 14, 250, 740), QColor(0x33, 0x9a, 0xf0));
    pic.rect(492, 150, 18, 330, kBrown);
    QPolygonF sail, jib, flag;
    sail << QPointF(522, 175) << QPointF(522, 440) << QPointF(740, 440);
    jib << QPointF(480, 205) << QPointF(480, 440) << QPointF(320, 440);
    flag << QPointF(510, 150) << QPointF(585, 172) << QPointF(510, 195);
    pic.polygon(flag, kRed);
    pic.polygon(sail, kWhite);
    pic.polygon(jib, kYellow);
    QPolygonF hull;
    hull << QPointF(230, 460) << QPointF(790, 460) << QPointF(700, 575) << QPointF(310, 575);
    pic.polygon(hull, kOrange);
    for (double x : {400.0, 510.0, 620.0})
        pic.circle(x, 505, 20, kLightBlue);
    pic.polygon(wavePoints(-20, 1020, 590, 16, 200, 740), kBlue);
    return pic;
}

// ---------------------------------------------------------------------------------------
// The vector pictures (no background, only ellipses, rectangles and polygons).

Picture kite() {
    Picture pic(1500, 2000, QColor());
    pic.setOutline(kInk, 30);
    QPolygonF tailPath;
    for (int i = 0; i <= 30; ++i) {
        const double f = i / 30.0;
        tailPath << QPointF(750 + 150 * f + 90 * std::sin(f * 2.5 * kPi), 1350 + 600 * f);
    }
    pic.noOutline();
    pic.polygon(bandPoints(tailPath, 14), kInk);
    pic.setOutline(kInk, 24);
    const QColor bows[] = {kPink, kOrange, kPurple};
    for (int k = 0; k < 3; ++k) {
        const QPointF c = tailPath[7 + 8 * k];
        QPolygonF left, right;
        left << c << c + QPointF(-110, -60) << c + QPointF(-110, 60);
        right << c << c + QPointF(110, -60) << c + QPointF(110, 60);
        pic.polygon(left, bows[k]);
        pic.polygon(right, bows[k]);
        pic.circle(c.x(), c.y(), 24, bows[k]);
    }
    pic.setOutline(kInk, 30);
    const QPointF centre(750, 650), top(750, 80), rightTip(1260, 650), bottom(750, 1350), leftTip(240, 650);
    pic.polygon(QPolygonF{top, rightTip, centre}, kRed);
    pic.polygon(QPolygonF{rightTip, bottom, centre}, kYellow);
    pic.polygon(QPolygonF{bottom, leftTip, centre}, kBlue);
    pic.polygon(QPolygonF{leftTip, top, centre}, kGreen);
    return pic;
}

Picture snowman() {
    Picture pic(1600, 2000, QColor());
    pic.setOutline(kInk, 30);
    for (double side : {-1.0, 1.0}) {
        QPolygonF arm;
        arm << QPointF(800 + side * 300, 900) << QPointF(800 + side * 640, 700)
            << QPointF(800 + side * 655, 725) << QPointF(800 + side * 320, 950);
        pic.polygon(arm, kBrown);
    }
    pic.ellipse(800, 1550, 480, 400, kWhite);
    pic.ellipse(800, 970, 360, 310, kWhite);
    pic.ellipse(800, 500, 260, 240, kWhite);
    pic.rect(540, 700, 520, 90, kRed);
    pic.rect(860, 740, 110, 300, kRed);
    pic.rect(520, 255, 560, 60, QColor(0x34, 0x3a, 0x40));
    pic.rect(620, 20, 360, 240, QColor(0x34, 0x3a, 0x40));
    pic.rect(620, 190, 360, 60, kBlue);
    pic.noOutline();
    pic.circle(705, 440, 34, kInk);
    pic.circle(895, 440, 34, kInk);
    for (int k = 0; k < 5; ++k) {
        const double t = (35 + 27.5 * k) * kPi / 180;
        pic.circle(800 + 120 * std::cos(t), 540 + 95 * std::sin(t), 17, kInk);
    }
    pic.setOutline(kInk, 24);
    QPolygonF carrot;
    carrot << QPointF(800, 470) << QPointF(800, 530) << QPointF(1010, 515);
    pic.polygon(carrot, kOrange);
    for (double y : {930.0, 1080.0, 1400.0})
        pic.circle(800, y, 40, kInk);
    return pic;
}

Picture ladybug() {
    Picture pic(2000, 1500, QColor());
    pic.setOutline(kInk, 30);
    pic.polygon(ellipsePoints(1000, 800, 920, 520, -12, 96), kGreen);
    pic.noOutline();
    pic.polygon(bandPoints(QPolygonF{{150, 980}, {1850, 620}}, 26), kDarkGreen);
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k < 3; ++k) {
            const double y = 600 + 230 * k;
            pic.polygon(bandPoints(QPolygonF{{1000 + side * 300, y}, {1000 + side * 520, y - 60 + 60 * k}}, 40), kInk);
        }
        pic.polygon(bandPoints(QPolygonF{{1000 + side * 60, 300}, {1000 + side * 160, 140}, {1000 + side * 230, 110}}, 30), kInk);
        pic.circle(1000 + side * 235, 110, 40, kInk);
    }
    pic.setOutline(kInk, 30);
    pic.ellipse(1000, 340, 220, 170, QColor(0x34, 0x3a, 0x40));
    pic.ellipse(1000, 820, 400, 480, kRed);
    pic.noOutline();
    pic.polygon(bandPoints(QPolygonF{{1000, 420}, {1000, 1290}}, 30), kInk);
    for (const QPointF c : {QPointF(820, 620), QPointF(1180, 620), QPointF(760, 880), QPointF(1240, 880),
                            QPointF(870, 1110), QPointF(1130, 1110)})
        pic.circle(c.x(), c.y(), 70, kInk);
    for (double side : {-1.0, 1.0}) {
        pic.circle(1000 + side * 90, 290, 45, kWhite);
        pic.circle(1000 + side * 90, 300, 22, kInk);
    }
    return pic;
}

// ---------------------------------------------------------------------------------------
// Raster output.

QImage render(const Picture& pic, QSize pixels, bool antialias) {
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(pic.background());
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.scale(pixels.width() / pic.size().width(), pixels.height() / pic.size().height());
    for (const Shape& s : pic.shapes()) {
        if (s.outline.isValid())
            painter.setPen(QPen(s.outline, s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        else
            painter.setPen(Qt::NoPen);
        painter.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
        switch (s.kind) {
        case Shape::Rect: painter.drawRect(s.rect); break;
        case Shape::Ellipse: painter.drawEllipse(s.rect); break;
        case Shape::Polygon: painter.drawPolygon(s.points, Qt::OddEvenFill); break;
        case Shape::Line: painter.drawPolyline(s.points); break;
        }
    }
    painter.end();
    return image;
}

using Indexed = picturefiles::IndexedImage;

// Keeps the most frequent colours (ties: lower value first) and maps every other colour
// to its nearest kept colour. Flat pictures keep their exact colours; antialiased edges
// take the closest blends.
Indexed quantise(const QImage& image, int maxColours) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, long> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[line[x] & 0xffffff];
    }
    std::vector<std::pair<QRgb, long>> order(counts.begin(), counts.end());
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (int(order.size()) > maxColours)
        order.resize(maxColours);
    Indexed out;
    out.width = rgb.width();
    out.height = rgb.height();
    std::map<QRgb, uint8_t> lookup;
    for (const auto& [colour, count] : order) {
        lookup[colour] = uint8_t(out.palette.size());
        out.palette.push_back(colour);
    }
    out.pixels.reserve(size_t(out.width) * out.height);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] & 0xffffff;
            auto found = lookup.find(c);
            if (found == lookup.end()) {
                int best = 0;
                long bestDistance = -1;
                for (size_t i = 0; i < out.palette.size(); ++i) {
                    const long dr = qRed(c) - qRed(out.palette[i]);
                    const long dg = qGreen(c) - qGreen(out.palette[i]);
                    const long db = qBlue(c) - qBlue(out.palette[i]);
                    const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (bestDistance < 0 || d < bestDistance) {
                        bestDistance = d;
                        best = int(i);
                    }
                }
                found = lookup.emplace(c, uint8_t(best)).first;
            }
            out.pixels.push_back(found->second);
        }
    }
    return out;
}

QByteArray jpeg(const QImage& image) {
    const QByteArray bytes = exifjpeg::Encode(image, 90);
    if (bytes.isEmpty())
        throw std::runtime_error("JPEG: cannot write the picture");
    return bytes;
}

// ---------------------------------------------------------------------------------------
// Windows metafile output: Aldus placeable header, METAHEADER, records, end record.

class MetafileWriter {
public:
    explicit MetafileWriter(const Picture& pic) : m_pic(pic) {}

    QByteArray write(int unitsPerInch) {
        const int w = int(std::lround(m_pic.size().width()));
        const int h = int(std::lround(m_pic.size().height()));
        record(0x020B, {0, 0});                         // SETWINDOWORG (y, x)
        record(0x020C, {uint16_t(h), uint16_t(w)});      // SETWINDOWEXT (y, x)
        for (const Shape& s : m_pic.shapes())
            shape(s);
        // Let go of the last pen and brush.
        for (int i = 0; i < int(m_slots.size()); ++i) {
            if (m_slots[i])
                record(0x01F0, {uint16_t(i)}); // DELETEOBJECT
        }
        record(0x0000, {}); // end of file
        return picturefiles::Wmf({.right = qint16(w),
                                  .bottom = qint16(h),
                                  .unitsPerInch = quint16(unitsPerInch),
                                  .fileWords = uint32_t(9 + m_records.size() / 2),
                                  .objects = quint16(m_maxSlots),
                                  .largestRecordWords = m_maxRecord},
                                 m_records);
    }

private:
    struct Pen {
        bool null = true;
        QRgb colour = 0;
        int width = 0;
        bool operator==(const Pen&) const = default;
    };
    struct Brush {
        bool null = true;
        QRgb colour = 0;
        bool operator==(const Brush&) const = default;
    };

    void record(uint16_t function, const std::vector<uint16_t>& params) {
        m_records += picturefiles::WmfRecord(function, QList<qint32>(params.begin(), params.end()));
        m_maxRecord = std::max(m_maxRecord, 3 + uint32_t(params.size()));
    }

    int createObject() {
        for (int i = 0; i < int(m_slots.size()); ++i) {
            if (!m_slots[i]) {
                m_slots[i] = true;
                return i;
            }
        }
        m_slots.push_back(true);
        m_maxSlots = std::max(m_maxSlots, int(m_slots.size()));
        return int(m_slots.size()) - 1;
    }

    static uint16_t coord(double v) { return uint16_t(int16_t(std::lround(v))); }
    static uint16_t lowColour(QRgb c) { return uint16_t(qRed(c) | (qGreen(c) << 8)); }
    static uint16_t highColour(QRgb c) { return uint16_t(qBlue(c)); }

    void use(const Pen& pen) {
        if (m_penSlot >= 0 && pen == m_pen)
            return;
        record(0x02FA, {uint16_t(pen.null ? 5 : 0), uint16_t(pen.width), 0, // CREATEPENINDIRECT
                        lowColour(pen.colour), highColour(pen.colour)});
        const int slot = createObject();
        record(0x012D, {uint16_t(slot)}); // SELECTOBJECT
        if (m_penSlot >= 0) {
            record(0x01F0, {uint16_t(m_penSlot)}); // DELETEOBJECT
            m_slots[m_penSlot] = false;
        }
        m_penSlot = slot;
        m_pen = pen;
    }

    void use(const Brush& brush) {
        if (m_brushSlot >= 0 && brush == m_brush)
            return;
        record(0x02FC, {uint16_t(brush.null ? 1 : 0), lowColour(brush.colour), // CREATEBRUSHINDIRECT
                        highColour(brush.colour), 0});
        const int slot = createObject();
        record(0x012D, {uint16_t(slot)});
        if (m_brushSlot >= 0) {
            record(0x01F0, {uint16_t(m_brushSlot)});
            m_slots[m_brushSlot] = false;
        }
        m_brushSlot = slot;
        m_brush = brush;
    }

    void shape(const Shape& s) {
        Pen pen;
        if (s.outline.isValid())
            pen = {false, s.outline.rgb(), int(std::lround(s.width))};
        Brush brush;
        if (s.fill.isValid())
            brush = {false, s.fill.rgb()};
        use(pen);
        use(brush);
        switch (s.kind) {
        case Shape::Rect:
        case Shape::Ellipse:
            record(s.kind == Shape::Rect ? 0x041B : 0x0418, // RECTANGLE, ELLIPSE
                   {coord(s.rect.bottom()), coord(s.rect.right()), coord(s.rect.top()), coord(s.rect.left())});
            break;
        case Shape::Polygon: {
            std::vector<uint16_t> params{uint16_t(s.points.size())};
            for (const QPointF& p : s.points) {
                params.push_back(coord(p.x()));
                params.push_back(coord(p.y()));
            }
            record(0x0324, params); // POLYGON
            break;
        }
        case Shape::Line:
            throw std::runtime_error("metafile pictures use bands, not lines");
        }
    }

    const Picture& m_pic;
    QByteArray m_records;
    uint32_t m_maxRecord = 3;
    std::vector<bool> m_slots;
    int m_maxSlots = 0;
    int m_penSlot = -1;
    int m_brushSlot = -1;
    Pen m_pen;
    Brush m_brush;
};

// ---------------------------------------------------------------------------------------

// PhoneJpeg: as a phone writes a photo taken held upright: the pixels stored on their side, an
// EXIF block saying to turn them a quarter clockwise, and a small thumbnail for previews.
enum class Format { Bmp24, Rle8, Rle4, Gif, Jpeg, PhoneJpeg, Wmf };

struct Sample {
    QString fileName;
    Format format;
    std::function<Picture()> draw;
    QSize pixels; // raster pictures
};

QByteArray encode(const Sample& sample) {
    const Picture pic = sample.draw();
    switch (sample.format) {
    case Format::Bmp24: return picturefiles::Bmp24(render(pic, sample.pixels, true), kDotsPerMeter);
    case Format::Rle8: return picturefiles::BmpRle(quantise(render(pic, sample.pixels, true), 256), 8, kDotsPerMeter);
    case Format::Rle4: {
        const QByteArray bytes = picturefiles::BmpRle(quantise(render(pic, sample.pixels, false), 16), 4, kDotsPerMeter);
        if (bytes.isEmpty())
            throw std::runtime_error("too many colours for a 4-bit bitmap");
        return bytes;
    }
    case Format::Gif: return picturefiles::Gif(quantise(render(pic, sample.pixels, true), 256));
    case Format::Jpeg: return jpeg(render(pic, sample.pixels, true));
    case Format::PhoneJpeg: {
        const QImage stored = render(pic, sample.pixels, true).transformed(QTransform().rotate(-90));
        const QImage thumbnail = stored.scaled(stored.size() / 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return exifjpeg::WithExif(jpeg(stored), 6, jpeg(thumbnail), exifjpeg::ByteOrder::Motorola);
    }
    case Format::Wmf: return MetafileWriter(pic).write(1000);
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: makesamples <output folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << "\n";
        return 1;
    }
    const std::vector<Sample> samples = {
        {QStringLiteral("SUN.BMP"), Format::Bmp24, sun, {400, 300}},
        {QStringLiteral("balloons.bmp"), Format::Bmp24, balloons, {240, 360}},
        {QStringLiteral("fish.dib"), Format::Bmp24, fish, {320, 224}},
        {QStringLiteral("HOUSE.RLE"), Format::Rle8, house, {480, 400}},
        {QStringLiteral("apple.rle"), Format::Rle4, apple, {320, 360}},
        {QStringLiteral("flower.jpg"), Format::Jpeg, flower, {360, 480}},
        {QStringLiteral("CAR.JPG"), Format::Jpeg, car, {600, 340}},
        {QStringLiteral("rainbow.JPG"), Format::Jpeg, rainbow, {640, 320}},
        {QStringLiteral("IMG_0412.JPG"), Format::PhoneJpeg, balloons, {360, 480}},
        {QStringLiteral("tree.gif"), Format::Gif, tree, {320, 480}},
        {QStringLiteral("STAR.GIF"), Format::Gif, star, {360, 360}},
        {QStringLiteral("little boat.GIF"), Format::Gif, boat, {500, 360}},
        {QString::fromUtf8("ねこ の かお.gif"), Format::Gif, catFace, {400, 400}},
        {QStringLiteral("kite.wmf"), Format::Wmf, kite, {}},
        {QStringLiteral("Snowman.WMF"), Format::Wmf, snowman, {}},
        {QStringLiteral("ladybug.wmf"), Format::Wmf, ladybug, {}},
    };
    try {
        for (const Sample& sample : samples) {
            const QByteArray bytes = encode(sample);
            QFile file(folder.filePath(sample.fileName));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
                err << "cannot write " << file.fileName() << "\n";
                return 1;
            }
            QTextStream(stdout) << sample.fileName << "  " << bytes.size() << " bytes\n";
        }
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}
