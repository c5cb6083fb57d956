// SPDX-License-Identifier: GPL-3.0-or-later
// The metafile player: the clip art of the corpus and the samples is drawn at its natural size,
// transparent around the drawing, Japanese text in its charset, sharp at any resolution, and
// like the reference renderings looked at when they were made; broken and hostile files end
// quickly with as much as was valid.
//
// TOVIMARU_WRITE_REFERENCES=<folder> writes the reference renderings anew into that folder
// instead of comparing with them.

#include "TestPaths.h"
#include "TestSupport.h"
#include "pictures/Picture.h"
#include "wmf/WmfPlayer.h"
#include "wmf/WmfText.h"
#include "tests/support/PictureFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <QtTest>

using namespace platform;

namespace {

QString corpusFolder()
{
    return testing::TestdataPath(QStringLiteral("images"));
}

QString corpusFile(const QString &relative)
{
    return corpusFolder() + QLatin1Char('/') + relative;
}

QString sampleFile(const QString &name)
{
    return testing::SourcePath(QStringLiteral("samples/")) + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool hasCorpus()
{
    return testing::HasTestdata();
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    const QImage pixels = argb(image);
    int count = 0;
    const QRect within = area.intersected(pixels.rect());
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x)
            count += test(pixels.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

bool isOpaque(QRgb pixel)
{
    return qAlpha(pixel) == 255;
}

// --- Metafiles written here -------------------------------------------------------------------

using picturefiles::WmfRecord;
using picturefiles::WmfRecordWithBytes;

// A placeable metafile whose frame is (0,0)-(1000,1000) at 1000 units per inch (96 x 96 pixels)
// with the window set to the frame.
QByteArray metafile(const QByteArray &records, quint16 objects = 16)
{
    return picturefiles::Wmf({.right = 1000, .bottom = 1000, .unitsPerInch = 1000, .objects = objects},
                             WmfRecord(wmf::SetWindowOrg, {0, 0}) + WmfRecord(wmf::SetWindowExt, {1000, 1000})
                                     + records + WmfRecord(wmf::EndOfFile, {}));
}

QByteArray solidBrush(QRgb rgb)
{
    return WmfRecord(wmf::CreateBrushIndirect, {0, qint32(qRed(rgb) | (qGreen(rgb) << 8)), qBlue(rgb), 0});
}

// RECTANGLE from (left, top) to (right, bottom); the record stores them backwards.
QByteArray rectangle(int left, int top, int right, int bottom)
{
    return WmfRecord(wmf::Rectangle, {bottom, right, top, left});
}

QImage play(const QByteArray &bytes, const QSize &pixels = QSize(100, 100))
{
    const auto parsed = wmf::Metafile::parse(bytes);
    return parsed ? parsed->render(pixels) : QImage();
}

// The same metafile with the text of its text records replaced by spaces.
QByteArray withoutText(QByteArray bytes)
{
    qsizetype at = 22 + 18;
    while (at + 6 <= bytes.size()) {
        const quint32 words = qFromLittleEndian<quint32>(bytes.constData() + at);
        const quint16 function = qFromLittleEndian<quint16>(bytes.constData() + at + 4);
        if (words < 3 || function == wmf::EndOfFile)
            break;
        if (function == wmf::TextOut) {
            const int count = qFromLittleEndian<qint16>(bytes.constData() + at + 6);
            bytes.replace(at + 8, count, QByteArray(count, ' '));
        } else if (function == wmf::ExtTextOut) {
            const int count = qFromLittleEndian<qint16>(bytes.constData() + at + 10);
            const quint16 options = qFromLittleEndian<quint16>(bytes.constData() + at + 12);
            const qsizetype string = at + 14 + ((options & 6) ? 8 : 0);
            bytes.replace(string, count, QByteArray(count, ' '));
        }
        at += qsizetype(words) * 2;
    }
    return bytes;
}

// Pixels that differ by more than the tolerance of anti-aliasing and font rendering, in parts per
// thousand, and the mean difference per channel.
struct Difference
{
    int permille = 0;
    double mean = 0;
};

Difference compare(const QImage &a, const QImage &b)
{
    const QImage x = argb(a);
    const QImage y = argb(b);
    qint64 different = 0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            const int d = std::max({qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                                    qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))});
            different += d > 64 ? 1 : 0;
            sum += d;
        }
    }
    const qint64 total = qint64(x.width()) * x.height();
    return {int(different * 1000 / std::max<qint64>(total, 1)), sum / std::max<qint64>(total, 1)};
}

} // namespace

class TestWmf : public QObject
{
    Q_OBJECT

private slots:
    void clipArt_data();
    void clipArt();
    void shiftJisTextIsDrawn();
    void charsets_data();
    void charsets();
    void referenceRenders_data();
    void referenceRenders();
    void drawnAtTheDeviceResolution();
    void repaintsReuseTheRendering();
    void deviceContext_data();
    void deviceContext();
    void hostileFiles_data();
    void hostileFiles();
    void corpusAndRegressionFilesEnd_data();
    void corpusAndRegressionFilesEnd();
};

// --- Clip art of the corpus and the samples ---------------------------------------------------

void TestWmf::clipArt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("pixels");        // image() at the natural size, rounded
    QTest::addColumn<QPointF>("transparentAt"); // a point of the frame, in fractions, left empty
    // The samples of the program: shapes on nothing.
    QTest::newRow("kite") << sampleFile(QStringLiteral("kite.wmf")) << QSize(144, 192) << QPointF(0.05, 0.05);
    QTest::newRow("ladybug") << sampleFile(QStringLiteral("ladybug.wmf")) << QSize(192, 144) << QPointF(0.02, 0.03);
    QTest::newRow("snowman") << sampleFile(QStringLiteral("Snowman.WMF")) << QSize(154, 192) << QPointF(0.05, 0.5);
    if (!hasCorpus())
        return;
    const auto corpus = [](const char *name, QSize pixels, QPointF empty) {
        QTest::newRow(name) << corpusFile(QStringLiteral("wmf/") + QLatin1String(name)) << pixels << empty;
    };
    corpus("libwmf-2doorvan.wmf", QSize(318, 116), QPointF(0.02, 0.95));
    corpus("libwmf-anim0002.wmf", QSize(395, 364), QPointF(0.5, 0.05));
    corpus("libwmf-ant.wmf", QSize(211, 137), QPointF(0.05, 0.05));
    corpus("libwmf-arrow01.wmf", QSize(169, 158), QPointF(0.1, 0.05));
    corpus("libwmf-sample.wmf", QSize(302, 271), QPointF(0.05, 0.05));
    corpus("libwmf-sample2.wmf", QSize(300, 129), QPointF(0.05, 0.9));
    corpus("libwmf-fjftest.wmf", QSize(794, 1123), QPointF(0.02, 0.98));
    corpus("libwmf-cell.wmf", QSize(1055, 817), QPointF(-1, -1)); // a white sheet
    corpus("libwmf-fulltest.wmf", QSize(1056, 816), QPointF(0.02, 0.02));
    corpus("libwmf-Eg.wmf", QSize(600, 300), QPointF(-1, -1)); // a filled background
    corpus("libwmf-formula1.wmf", QSize(222, 41), QPointF(0.99, 0.05));
    corpus("libwmf-formula2.wmf", QSize(175, 61), QPointF(0.99, 0.05));
    corpus("libwmf-formula3.wmf", QSize(656, 58), QPointF(0.99, 0.05));
    corpus("libwmf-formula4.wmf", QSize(245, 70), QPointF(0.99, 0.05));
    corpus("own-sjis-text.wmf", QSize(192, 96), QPointF(0.005, 0.005));
    corpus("own-stretchdib.wmf", QSize(192, 192), QPointF(0.02, 0.02));
    corpus("pillow-drawing.wmf", QSize(110, 110), QPointF(0.05, 0.05));
}

void TestWmf::clipArt()
{
    QFETCH(QString, path);
    QFETCH(QSize, pixels);
    QFETCH(QPointF, transparentAt);
    const Picture picture = LoadPicture(path);
    QCOMPARE(picture.kind(), Picture::Kind::Metafile);
    const QImage image = picture.image();
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    // Something is drawn, opaque...
    const int opaque = countPixels(image, image.rect(), isOpaque);
    QVERIFY2(opaque > image.width() * image.height() / 200, qPrintable(QString::number(opaque)));
    // ...and nothing where the metafile draws nothing.
    if (transparentAt.x() >= 0) {
        const QPoint at(int(transparentAt.x() * (pixels.width() - 1)),
                        int(transparentAt.y() * (pixels.height() - 1)));
        QCOMPARE(qAlpha(argb(image).pixel(at)), 0);
    }
}

// --- Text -------------------------------------------------------------------------------------

void TestWmf::shiftJisTextIsDrawn()
{
    SKIP_WITHOUT_TESTDATA();
    // A rectangle, then "ひらがな" (TEXTOUT) and "あいうえお ABC" (EXTTEXTOUT) in red, Shift_JIS,
    // in "ＭＳ ゴシック", a face this machine does not have.
    const QByteArray bytes = readAll(corpusFile(QStringLiteral("wmf/own-sjis-text.wmf")));
    const QSize pixels(768, 384);
    const QImage withText = play(bytes, pixels);
    const QImage blank = play(withoutText(bytes), pixels);
    QVERIFY(!withText.isNull() && !blank.isNull());
    const auto red = [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; };
    // Each line holds its glyphs: red strokes where the text is, none once it is spaces.
    const QRect firstLine(40, 40, 400, 130);   // "ひらがな" at (200, 200) units, 24 px high
    const QRect secondLine(40, 190, 700, 130); // "あいうえお ABC" at (200, 800)
    QVERIFY2(countPixels(withText, firstLine, red) > 2000, "ひらがな is missing");
    QVERIFY2(countPixels(withText, secondLine, red) > 3000, "あいうえお ABC is missing");
    QCOMPARE(countPixels(blank, withText.rect(), red), 0);
    // The four kana of the first line are four separate glyphs, not one box: the columns with
    // red in them form at least four runs.
    int runs = 0;
    bool inRun = false;
    for (int x = firstLine.left(); x <= firstLine.right(); ++x) {
        const bool hasRed = countPixels(withText, QRect(x, firstLine.top(), 1, firstLine.height()), red) > 0;
        runs += hasRed && !inRun ? 1 : 0;
        inRun = hasRed;
    }
    QVERIFY2(runs >= 4, qPrintable(QString::number(runs)));
}

void TestWmf::charsets_data()
{
    QTest::addColumn<int>("charset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("bytesPerCharacter");
    QTest::newRow("Shift_JIS") << int(wmf::ShiftJisCharset) << QByteArray("\x82\xd0\x82\xe7 A\x93\xfa")
                               << QStringLiteral("ひら A日") << QList<int>{2, 2, 1, 1, 2};
    QTest::newRow("Shift_JIS half-width kana") << int(wmf::ShiftJisCharset) << QByteArray("\xb1\xb2")
                                               << QStringLiteral("ｱｲ") << QList<int>{1, 1};
    QTest::newRow("Shift_JIS cut after a lead byte") << int(wmf::ShiftJisCharset) << QByteArray("A\x82")
                                                     << QStringLiteral("A\uFFFD") << QList<int>{1, 1};
    QTest::newRow("ANSI") << int(wmf::AnsiCharset) << QByteArray("caf\xe9 \x80")
                          << QStringLiteral("café €") << QList<int>{1, 1, 1, 1, 1, 1};
    QTest::newRow("Cyrillic") << int(wmf::RussianCharset) << QByteArray("\xc4\xe0")
                              << QStringLiteral("Да") << QList<int>{1, 1};
    QTest::newRow("Hangul") << int(wmf::HangulCharset) << QByteArray("\xc7\xd1")
                            << QStringLiteral("한") << QList<int>{2};
    QTest::newRow("Symbol") << int(wmf::SymbolCharset) << QByteArray("Dp\xa3")
                            << QStringLiteral("Δπ≤") << QList<int>{1, 1, 1};
}

void TestWmf::charsets()
{
    QFETCH(int, charset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QList<int>, bytesPerCharacter);
    const std::vector<wmf::TextUnit> units = wmf::DecodeText(bytes, charset, false);
    QCOMPARE(wmf::JoinText(units), text);
    QList<int> lengths;
    for (const wmf::TextUnit &unit : units)
        lengths << unit.bytes;
    QCOMPARE(lengths, bytesPerCharacter);
}

// --- Reference renderings ---------------------------------------------------------------------

void TestWmf::referenceRenders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reference");
    QTest::newRow("kite") << sampleFile(QStringLiteral("kite.wmf")) << QStringLiteral("kite");
    QTest::newRow("ladybug") << sampleFile(QStringLiteral("ladybug.wmf")) << QStringLiteral("ladybug");
    if (!hasCorpus())
        return;
    for (const char *name : {"libwmf-sample", "libwmf-fjftest", "libwmf-fulltest", "libwmf-formula2",
                             "own-sjis-text", "own-stretchdib"})
        QTest::newRow(name) << corpusFile(QStringLiteral("wmf/%1.wmf").arg(QLatin1String(name)))
                            << QString::fromLatin1(name);
}

void TestWmf::referenceRenders()
{
    QFETCH(QString, path);
    QFETCH(QString, reference);
    // As a gallery cell shows it: fitted into 119 x 89 pixels.
    const QImage render = LoadPicture(path, QSize(119, 89)).image();
    QVERIFY(!render.isNull());
    const QByteArray writeTo = qgetenv("TOVIMARU_WRITE_REFERENCES");
    if (!writeTo.isEmpty()) {
        QImage file = argb(render);
        file.setDevicePixelRatio(1);
        QVERIFY(file.save(QString::fromLocal8Bit(writeTo) + QLatin1Char('/') + reference + ".png"));
        return;
    }
    const QImage expected(testing::SourcePath(QStringLiteral("tests/reference/")) + reference + ".png");
    QVERIFY2(!expected.isNull(), qPrintable(reference));
    QCOMPARE(render.size(), expected.size());
    // Anti-aliasing and glyph rendering may shift by a pixel here and there; a wrong shape,
    // colour or position changes much more.
    const Difference difference = compare(render, expected);
    QVERIFY2(difference.permille <= 20 && difference.mean <= 6,
             qPrintable(QStringLiteral("%1‰ differ, mean %2").arg(difference.permille).arg(difference.mean)));
}

// --- Resolution and reuse ---------------------------------------------------------------------

void TestWmf::drawnAtTheDeviceResolution()
{
    // Two quadrants side by side, blue and green, stretched into a slot drawn at the capture
    // density: the border between them is as sharp on the device as the device allows, not a
    // blur of an enlarged rendering at the natural size.
    const QByteArray bytes = metafile(solidBrush(qRgb(0, 0, 255)) + WmfRecord(wmf::SelectObject, {0})
                                      + WmfRecord(wmf::CreatePenIndirect, {5, 0, 0, 0, 0})
                                      + WmfRecord(wmf::SelectObject, {1}) + rectangle(0, 0, 500, 1000)
                                      + solidBrush(qRgb(0, 255, 0)) + WmfRecord(wmf::SelectObject, {2})
                                      + rectangle(500, 0, 1000, 1000));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("halves.wmf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Picture picture = LoadPicture(path);
    QCOMPARE(picture.image().size(), QSize(96, 96));

    QImage slot(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    slot.setDevicePixelRatio(4);
    slot.fill(Qt::white);
    QPainter painter(&slot);
    picture.drawStretched(painter, QRectF(0, 0, 500, 500)); // 5.2 times the natural size
    painter.end();
    const QImage pixels = argb(slot);
    int mixed = 0;
    for (int x = 0; x < 2000; ++x) {
        const QRgb p = pixels.pixel(x, 1000);
        const bool pure = p == qRgb(0, 0, 255) || p == qRgb(0, 255, 0);
        mixed += pure ? 0 : 1;
    }
    QVERIFY2(mixed <= 2, qPrintable(QString::number(mixed)));
}

void TestWmf::repaintsReuseTheRendering()
{
    const Picture picture = LoadPicture(sampleFile(QStringLiteral("ladybug.wmf")), QSize(119, 89));
    // The thumbnail is played when loaded; asking again gives those very pixels.
    QCOMPARE(picture.image().cacheKey(), picture.image().cacheKey());
    QImage cell(119, 89, QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    QPainter painter(&cell);
    picture.drawStretched(painter, QRectF(0, 0, 119, 89));
    painter.end();
    QCOMPARE(picture.image().cacheKey(), picture.image().cacheKey());
    QVERIFY(countPixels(cell, cell.rect(), isOpaque) > 1000);
}

// --- The device context, records written here -------------------------------------------------

void TestWmf::deviceContext_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<QPoint>("at");   // a pixel of the 100 x 100 rendering
    QTest::addColumn<QRgb>("colour"); // what it shows there (0: transparent)

    const QByteArray noPen = WmfRecord(wmf::CreatePenIndirect, {5, 0, 0, 0, 0}) + WmfRecord(wmf::SelectObject, {0});
    const QByteArray red = solidBrush(qRgb(255, 0, 0)) + WmfRecord(wmf::SelectObject, {1});
    QTest::newRow("filled rectangle") << noPen + red + rectangle(100, 100, 900, 900) << QPoint(50, 50)
                                      << qRgb(255, 0, 0);
    QTest::newRow("around it nothing") << noPen + red + rectangle(100, 100, 900, 900) << QPoint(5, 5) << QRgb(0);
    QTest::newRow("restored brush is the default white")
            << noPen + WmfRecord(wmf::SaveDC, {}) + red + WmfRecord(wmf::RestoreDC, {-1})
                       + rectangle(0, 0, 1000, 1000)
            << QPoint(50, 50) << qRgb(255, 255, 255);
    QTest::newRow("restore by number")
            << noPen + WmfRecord(wmf::SaveDC, {}) + red + WmfRecord(wmf::SaveDC, {})
                       + solidBrush(qRgb(0, 0, 255)) + WmfRecord(wmf::SelectObject, {2})
                       + WmfRecord(wmf::RestoreDC, {2}) + rectangle(0, 0, 1000, 1000)
            << QPoint(50, 50) << qRgb(255, 0, 0);
    QTest::newRow("deleted slot is reused") // the blue brush takes slot 1 again
            << noPen + red + WmfRecord(wmf::DeleteObject, {1}) + solidBrush(qRgb(0, 0, 255))
                       + WmfRecord(wmf::SelectObject, {1}) + rectangle(0, 0, 1000, 1000)
            << QPoint(50, 50) << qRgb(0, 0, 255);
    QTest::newRow("clip rectangle")
            << noPen + red + WmfRecord(wmf::IntersectClipRect, {500, 500, 0, 0}) + rectangle(0, 0, 1000, 1000)
            << QPoint(75, 75) << QRgb(0);
    QTest::newRow("inside the clip rectangle")
            << noPen + red + WmfRecord(wmf::IntersectClipRect, {500, 500, 0, 0}) + rectangle(0, 0, 1000, 1000)
            << QPoint(25, 25) << qRgb(255, 0, 0);
    QTest::newRow("excluded rectangle")
            << noPen + red + WmfRecord(wmf::ExcludeClipRect, {600, 600, 400, 400}) + rectangle(0, 0, 1000, 1000)
            << QPoint(50, 50) << QRgb(0);
    QTest::newRow("window mapping flips")
            << noPen + red + WmfRecord(wmf::SetWindowOrg, {1000, 0}) + WmfRecord(wmf::SetWindowExt, {-1000, 1000})
                       + rectangle(0, 0, 1000, 200) // the bottom fifth
            << QPoint(50, 95) << qRgb(255, 0, 0);
    QTest::newRow("palette index")
            << noPen + WmfRecord(wmf::CreatePalette, {0x300, 1, 0xFF00, 0x0000}) // red 0, green 255, blue 0
                       + WmfRecord(wmf::SelectPalette, {1}) + WmfRecord(wmf::CreateBrushIndirect, {0, 0, 0x0100, 0})
                       + WmfRecord(wmf::SelectObject, {2}) + rectangle(0, 0, 1000, 1000)
            << QPoint(50, 50) << qRgb(0, 255, 0);
    QTest::newRow("null brush") << noPen + WmfRecord(wmf::CreateBrushIndirect, {1, 0, 0, 0})
                                           + WmfRecord(wmf::SelectObject, {1}) + rectangle(0, 0, 1000, 1000)
                                << QPoint(50, 50) << QRgb(0);
    QTest::newRow("pie") << noPen + red + WmfRecord(wmf::Pie, {0, 500, 500, 1000, 1000, 1000, 0, 0})
                         << QPoint(75, 25) << qRgb(255, 0, 0); // the upper right quarter
    QTest::newRow("pie leaves the rest") << noPen + red + WmfRecord(wmf::Pie, {0, 500, 500, 1000, 1000, 1000, 0, 0})
                                         << QPoint(25, 75) << QRgb(0);
}

void TestWmf::deviceContext()
{
    QFETCH(QByteArray, records);
    QFETCH(QPoint, at);
    QFETCH(QRgb, colour);
    const QImage image = play(metafile(records));
    QVERIFY(!image.isNull());
    const QRgb pixel = argb(image).pixel(at);
    if (colour == 0)
        QCOMPARE(qAlpha(pixel), 0);
    else
        QCOMPARE(pixel, colour);
}

// --- Hostile and broken files -----------------------------------------------------------------

void TestWmf::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("drawsSomething");
    const QByteArray red = solidBrush(qRgb(255, 0, 0)) + WmfRecord(wmf::SelectObject, {0});

    QByteArray ellipses;
    for (int i = 0; i < 150000; ++i)
        ellipses += WmfRecord(wmf::Ellipse, {1000, 1000, 0, 0});
    QTest::newRow("150000 ellipses over the whole frame") << metafile(red + ellipses) << true;

    QTest::newRow("polygon claiming 32767 points") << metafile(red + WmfRecord(wmf::Polygon, {32767, 0, 0, 1000, 0, 500, 1000}))
                                                   << true;
    QByteArray polygons = red;
    for (int i = 0; i < 50; ++i)
        polygons += WmfRecordWithBytes(wmf::Polyline, {32000}, QByteArray(4 * 32000, '\x10'));
    QTest::newRow("polylines of 32000 points") << metafile(polygons) << false;
    QTest::newRow("poly-polygon counts beyond the record")
            << metafile(red + WmfRecord(wmf::PolyPolygon, {2, 65535, 65535, 0, 0, 1000, 0, 1000, 1000})) << true;

    QByteArray saves;
    for (int i = 0; i < 5000; ++i)
        saves += WmfRecord(wmf::SaveDC, {});
    QTest::newRow("5000 saved states, restored at once")
            << metafile(saves + red + WmfRecord(wmf::RestoreDC, {-4000}) + WmfRecord(wmf::RestoreDC, {1})
                        + rectangle(0, 0, 1000, 1000))
            << true;

    QByteArray objects;
    for (int i = 0; i < 70000; ++i)
        objects += WmfRecord(wmf::CreatePenIndirect, {0, 1, 0, 0, 0});
    QTest::newRow("70000 objects") << metafile(objects + red + rectangle(0, 0, 1000, 1000), 0) << true;
    QTest::newRow("select, delete objects out of range")
            << metafile(WmfRecord(wmf::SelectObject, {65535}) + WmfRecord(wmf::DeleteObject, {65535})
                        + WmfRecord(wmf::SelectPalette, {40000}) + WmfRecord(wmf::SelectClipRegion, {9}))
            << false;

    // A bitmap claiming 100000 x 100000 pixels, and one with its pixels cut off.
    QByteArray hugeDib(40, '\0');
    qToLittleEndian(quint32(40), hugeDib.data());
    qToLittleEndian(qint32(100000), hugeDib.data() + 4);
    qToLittleEndian(qint32(100000), hugeDib.data() + 8);
    qToLittleEndian(quint16(1), hugeDib.data() + 12);
    qToLittleEndian(quint16(24), hugeDib.data() + 14);
    QTest::newRow("bitmap of 100000 x 100000")
            << metafile(WmfRecordWithBytes(wmf::StretchDib, {0x20, 0xCC, 0, 100, 100, 0, 0, 1000, 1000, 0, 0}, hugeDib))
            << false;
    QByteArray shortDib = hugeDib;
    qToLittleEndian(qint32(64), shortDib.data() + 4);
    qToLittleEndian(qint32(64), shortDib.data() + 8);
    shortDib += QByteArray(100, '\xff');
    QTest::newRow("bitmap cut short") << metafile(WmfRecordWithBytes(wmf::StretchDib, {0x20, 0xCC, 0, 64, 64, 0, 0, 1000, 1000, 0, 0}, shortDib))
                                      << true;
    QByteArray paletteDib = hugeDib;
    qToLittleEndian(qint32(8), paletteDib.data() + 4);
    qToLittleEndian(qint32(8), paletteDib.data() + 8);
    qToLittleEndian(quint16(8), paletteDib.data() + 14);
    qToLittleEndian(quint32(100000), paletteDib.data() + 32); // colours used
    QTest::newRow("bitmap claiming 100000 colours")
            << metafile(WmfRecordWithBytes(wmf::StretchDib, {0x20, 0xCC, 0, 8, 8, 0, 0, 1000, 1000, 0, 0}, paletteDib + QByteArray(64, '\1')))
            << false;

    // Text: a count beyond the record, a font of absurd height, 4096 characters.
    const QByteArray font = WmfRecordWithBytes(wmf::CreateFontIndirect, {-32768, 32767, 3600, 0, 1000, 0x0101, 0x8001, 0, 0},
                                               QByteArray("Arial\0\0\0\0\0\0\0", 12));
    QTest::newRow("text count beyond the record")
            << metafile(WmfRecord(wmf::TextOut, {32767, 0x4141, 0x4141})) << false;
    QTest::newRow("font of height 32768")
            << metafile(font + WmfRecord(wmf::SelectObject, {0}) + WmfRecordWithBytes(wmf::TextOut, {4}, QByteArray("ABCD\x64\0\x64\0", 8)))
            << false;
    QTest::newRow("4096 characters with advances")
            << metafile(WmfRecordWithBytes(wmf::ExtTextOut, {500, 0, 4096, 0}, QByteArray(4096, 'W') + QByteArray(8192, '\1')))
            << true;

    // A region of many scans, most of them lies.
    QByteArray region;
    for (int i = 0; i < 3000; ++i)
        region += QByteArray("\x02\0", 2) + QByteArray("\0\0\x10\0", 4) + QByteArray("\0\0\x10\0", 4)
                + QByteArray("\x02\0", 2);
    QTest::newRow("region of 3000 scans")
            << metafile(red + WmfRecordWithBytes(wmf::CreateRegion, {0, 6, 0, 0, 0, 3000, 0, 0, 0, 1000, 1000}, region)
                        + WmfRecord(wmf::SelectClipRegion, {1}) + rectangle(0, 0, 1000, 1000))
            << true;

    QByteArray exclusions;
    for (int i = 0; i < 100000; ++i)
        exclusions += WmfRecord(wmf::ExcludeClipRect, {(i % 97) * 10 + 5, (i % 89) * 11 + 5, (i % 97) * 10, (i % 89) * 11});
    // The play ends once the clip has cost its budget, before the rectangle.
    QTest::newRow("100000 excluded rectangles") << metafile(red + exclusions + rectangle(0, 0, 1000, 1000)) << false;

    QByteArray texts;
    for (int i = 0; i < 30000; ++i) {
        QByteArray sized = WmfRecord(wmf::CreateFontIndirect, {-(10 + i % 500), 0, i % 3600, 0, 400, 0, 0, 0, 0})
                + QByteArray("Face\0\0", 6);
        qToLittleEndian(quint32(sized.size() / 2), sized.data());
        texts += sized + WmfRecord(wmf::SelectObject, {1}) + WmfRecordWithBytes(wmf::TextOut, {2}, QByteArray("Ab\x64\0\x64\0", 6))
                + WmfRecord(wmf::DeleteObject, {1});
    }
    QTest::newRow("30000 texts in fonts of 500 sizes") << metafile(red + texts) << true;

    QTest::newRow("window extent of 1 unit")
            << metafile(red + WmfRecord(wmf::SetWindowExt, {1, 1}) + rectangle(-32768, -32768, 32767, 32767)
                        + WmfRecord(wmf::CreatePenIndirect, {0, 32767, 0, 0, 0}) + WmfRecord(wmf::SelectObject, {1})
                        + WmfRecord(wmf::Polyline, {2, -32768, -32768, 32767, 32767}))
            << true;
    QTest::newRow("window extent 0 is ignored")
            << metafile(red + WmfRecord(wmf::SetWindowExt, {0, 0}) + rectangle(0, 0, 1000, 1000)) << true;
}

void TestWmf::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, drawsSomething);
    const QImage image = play(bytes, QSize(200, 200));
    QVERIFY(!image.isNull());
    const int opaque = countPixels(image, image.rect(), [](QRgb p) { return qAlpha(p) > 0; });
    QCOMPARE(opaque > 0, drawsSomething);
}

void TestWmf::corpusAndRegressionFilesEnd_data()
{
    QTest::addColumn<QString>("path");
    QStringList folders{testing::SourcePath(QStringLiteral("tests/regressions/wmf"))};
    if (hasCorpus())
        folders << corpusFile(QStringLiteral("wmf")) << corpusFile(QStringLiteral("bad"));
    else
        qWarning("the test corpus is not here: only the regression files are replayed");
    int rows = 0;
    for (const QString &folder : folders) {
        QDirIterator it(folder, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String(".md")))
                continue;
            QTest::newRow(qPrintable(QDir(folder).dirName() + QLatin1Char('/') + it.fileName())) << path;
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("none") << QString();
}

void TestWmf::corpusAndRegressionFilesEnd()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no files to replay");
    // Every file, with or without the placeable header, through the player at a thumbnail's
    // size and at a capture's density, and through the picture loader. Each ends; a crash or a
    // hang would end the test program.
    const QByteArray bytes = readAll(path);
    if (const auto parsed = wmf::Metafile::parse(bytes)) {
        QVERIFY(!parsed->render(QSize(119, 89)).isNull());
        QVERIFY(!parsed->render(QSize(800, 600), 4).isNull());
    }
    const Picture picture = LoadPicture(path);
    if (picture.kind() == Picture::Kind::Metafile) {
        QImage slot(400, 300, QImage::Format_ARGB32_Premultiplied);
        slot.setDevicePixelRatio(4);
        slot.fill(Qt::transparent);
        QPainter painter(&slot);
        picture.drawStretched(painter, QRectF(0, 0, 100, 75));
    }
}

QTEST_MAIN(TestWmf)
#include "tst_wmf.moc"
