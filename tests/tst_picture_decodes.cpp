// SPDX-License-Identifier: GPL-3.0-or-later
// What a loaded picture holds: the pixels skipped by RLE codes and those of top-down files,
// decodes scaled to a bound that keep the natural size, metafiles played at their size, captures
// that measure and draw at their logical size, stretched drawing, shared copies, and a picture
// decoded again from its file only from the bytes it was first decoded from.

#include "tst_picture.h"

#include "pictures/Picture.h"
#include "pictures/SharpDecode.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace platform;
using namespace picturetests;

namespace {

QImage pixels(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void TestPicture::skippedRlePixelsAreDeterministic()
{
    SKIP_WITHOUT_TESTDATA();
    const QString path = corpusFile("bmp/bmpsuite/q/pal8rlecut.bmp");
    const QImage first = pixels(LoadPicture(path).image());
    // Leave dirty memory of the same size behind for the second decode to land on.
    {
        QImage dirt(first.size(), QImage::Format_Indexed8);
        dirt.fill(0xAB);
    }
    const QImage second = pixels(LoadPicture(path).image());
    QVERIFY(!first.isNull());
    QCOMPARE(first, second);

    // The pixels the RLE codes skip take palette entry 0 (purple in this file); all others
    // match the complete RLE picture.
    const QImage complete = pixels(LoadPicture(corpusFile("bmp/bmpsuite/g/pal8rle.bmp")).image());
    QCOMPARE(complete.size(), first.size());
    const QRgb paletteZero = qRgb(0x80, 0x00, 0xFF);
    int skipped = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QRgb pixel = first.pixel(x, y);
            if (pixel == paletteZero)
                ++skipped;
            else
                QCOMPARE(pixel, complete.pixel(x, y));
        }
    }
    QVERIFY(skipped > 100);
}

void TestPicture::topDownBmpIsTheRightWayUp()
{
    SKIP_WITHOUT_TESTDATA();
    const QImage bottomUp = pixels(LoadPicture(corpusFile("bmp/bmpsuite/g/pal8.bmp")).image());
    const QImage topDown =
            pixels(LoadPicture(corpusFile("bmp/bmpsuite/g/pal8topdown.bmp")).image());
    QVERIFY(!bottomUp.isNull());
    QCOMPARE(topDown, bottomUp);
    QVERIFY(bottomUp != bottomUp.mirrored()); // the comparison can tell up from down
}

void TestPicture::scaledDecode_data()
{
    SKIP_WITHOUT_TESTDATA();
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("bound");
    QTest::addColumn<QSize>("decoded");
    QTest::addColumn<QSize>("himetric");

    const QSize thumbnail(119, 89); // a thumbnail cell of 1785 x 1340 twips
    const QSize big6000(158750, 105833);
    QTest::newRow("24 MP JPEG, thumbnail") << corpusFile("jpeg/gen-big_gradient_6000x4000.jpg")
                                           << thumbnail << QSize(119, 79) << big6000;
    // Without a bound, the largest exact JPEG scale within 4096: 1/2.
    QTest::newRow("24 MP JPEG, default") << corpusFile("jpeg/gen-big_gradient_6000x4000.jpg")
                                         << QSize() << QSize(3000, 2000) << big6000;
    QTest::newRow("48 MP JPEG, default") << corpusFile("jpeg/gen-big_gradient_8000x6000.jpg")
                                         << QSize() << QSize(4000, 3000) << QSize(211667, 158750);
    QTest::newRow("portrait JPEG, thumbnail") << corpusFile("jpeg/recurser-Portrait_8.jpg")
                                              << thumbnail << QSize(59, 89) << QSize(31750, 47625);
    QTest::newRow("portrait JPEG, exact half") << corpusFile("jpeg/recurser-Portrait_8.jpg")
                                               << QSize(600, 900) << QSize(600, 900)
                                               << QSize(31750, 47625);
    QTest::newRow("turned JPEG, thumbnail") << corpusFile("jpeg/recurser-Landscape_6.jpg")
                                            << thumbnail << QSize(119, 79) << QSize(47625, 31750);
    QTest::newRow("BMP, thumbnail") << corpusFile("bmp/bmpsuite/g/rgb24.bmp") << thumbnail
                                    << QSize(119, 59) << QSize(3360, 1693);
    QTest::newRow("GIF, half") << corpusFile("gif/pillow/test.colors.gif") << QSize(404, 404)
                               << QSize(404, 303) << QSize(21352, 16034);
    QTest::newRow("BMP, bound larger: not upscaled")
            << corpusFile("bmp/bmpsuite/g/rgb24.bmp") << QSize(1000, 1000) << QSize(127, 64)
            << QSize(3360, 1693);
    QTest::newRow("GIF 65535x1, default") << corpusFile("gif/pygif/max-width.gif") << QSize()
                                          << QSize(4096, 1) << QSize(1733947, 26);
    QTest::newRow("zero bound: one pixel") << corpusFile("gif/pillow/hopper.gif") << QSize(0, 0)
                                           << QSize(1, 1) << QSize(3387, 3387);
}

void TestPicture::scaledDecode()
{
    QFETCH(QString, file);
    QFETCH(QSize, bound);
    QFETCH(QSize, decoded);
    QFETCH(QSize, himetric);
    const Picture picture = LoadPicture(file, bound);
    QCOMPARE(picture.himetricSize(), himetric);
    const QImage image = picture.image();
    QCOMPARE(image.size(), decoded);
    // The long side measures the natural size exactly.
    const QSizeF logical = picture.logicalSize();
    const QSizeF measured = image.deviceIndependentSize();
    if (logical.width() >= logical.height())
        QCOMPARE(measured.width(), logical.width());
    else
        QCOMPARE(measured.height(), logical.height());
}

void TestPicture::scaledJpegLooksLikeTheFullDecode()
{
    SKIP_WITHOUT_TESTDATA();
    const QString path = corpusFile("jpeg/recurser-Landscape_6.jpg");
    const QImage thumbnail = pixels(LoadPicture(path, QSize(119, 89)).image());
    const QImage reference = pixels(LoadPicture(path).image().scaled(
            thumbnail.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QCOMPARE(reference.size(), thumbnail.size());
    qint64 difference = 0;
    for (int y = 0; y < thumbnail.height(); ++y) {
        for (int x = 0; x < thumbnail.width(); ++x) {
            const QRgb a = thumbnail.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b))
                    + qAbs(qBlue(a) - qBlue(b));
        }
    }
    const double perPixel = double(difference) / (thumbnail.width() * thumbnail.height());
    QVERIFY2(perPixel < 12.0, qPrintable(QString::number(perPixel)));
}

void TestPicture::metafileIsPlayedAtItsSize()
{
    SKIP_WITHOUT_TESTDATA();
    const QString path = corpusFile("wmf/libwmf-sample.wmf");
    const Picture picture = LoadPicture(path);
    QCOMPARE(picture.kind(), Picture::Kind::Metafile);
    // (2217 - -934) x 96 / 1000 by (1144 - -1684) x 96 / 1000
    QCOMPARE(picture.logicalSize(), QSizeF(302.496, 271.488));
    const QImage played = picture.image();
    QCOMPARE(played.size(), QSize(302, 271));
    QVERIFY(qAbs(played.deviceIndependentSize().width() - 302.496) < 1e-6);
    // The skier is drawn; around him the sheet stays clear.
    QCOMPARE(qAlpha(played.pixel(5, 5)), 0);
    QVERIFY(qAlpha(played.pixel(150, 130)) > 0);

    // A thumbnail is played at its cell's size, whichever way it has to be scaled.
    QCOMPARE(LoadPicture(path, QSize(119, 89)).image().size(), QSize(99, 89));
    QCOMPARE(LoadPicture(path, QSize(1190, 890)).image().size(), QSize(992, 890));

    QImage target(50, 50, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    const QImage before = target;
    QPainter painter(&target);
    picture.drawStretched(painter, QRectF(0, 0, 50, 50));
    painter.end();
    QVERIFY(target != before);
    QCOMPARE(target.pixel(1, 1), qRgb(255, 255, 255));
}

void TestPicture::captureMeasuresItsLogicalSize()
{
    QImage capture(2828, 1996, QImage::Format_ARGB32_Premultiplied);
    capture.fill(Qt::white);
    capture.setDevicePixelRatio(4);
    const Picture picture = Picture::fromImage(capture);
    QCOMPARE(picture.kind(), Picture::Kind::Raster);
    QCOMPARE(picture.logicalSize(), QSizeF(707, 499));
    // Like every raster picture: 707 x 2540 / 96 = 18706.04, 499 x 2540 / 96 = 13202.71.
    QCOMPARE(picture.himetricSize(), QSize(18706, 13203));
    QCOMPARE(picture.image().size(), QSize(2828, 1996));
    QCOMPARE(picture.image().devicePixelRatio(), 4.0);
}

void TestPicture::nullImageGivesTheEmptyPicture()
{
    const Picture picture = Picture::fromImage(QImage());
    QVERIFY(picture.isEmpty());
    QCOMPARE(picture.kind(), Picture::Kind::Empty);
    QCOMPARE(picture.himetricSize(), QSize(0, 0));
    QVERIFY(picture.image().isNull());
}

void TestPicture::captureDrawsPixelExactOnItsDensity()
{
    // Noise, so that any resampling shows.
    QImage capture(2828, 1996, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < capture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(capture.scanLine(y));
        for (int x = 0; x < capture.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = 0xFF000000u | (state >> 8);
        }
    }
    capture.setDevicePixelRatio(4);
    const Picture picture = Picture::fromImage(capture);

    QImage device(2828, 1996, QImage::Format_RGB32);
    device.setDevicePixelRatio(4);
    device.fill(Qt::black);
    QPainter painter(&device);
    picture.drawUnscaled(painter, QPointF(0, 0));
    painter.end();
    device.setDevicePixelRatio(1);
    capture.setDevicePixelRatio(1);
    QCOMPARE(device, capture);
}

void TestPicture::drawStretchedFillsTheTarget()
{
    QImage twoColours(2, 1, QImage::Format_RGB32);
    twoColours.setPixel(0, 0, qRgb(255, 0, 0));
    twoColours.setPixel(1, 0, qRgb(0, 0, 255));
    const Picture picture = Picture::fromImage(twoColours);

    QImage target(120, 60, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    picture.drawStretched(painter, QRectF(10, 10, 100, 40));
    painter.end();
    QCOMPARE(target.pixel(12, 12), qRgb(255, 0, 0));
    QCOMPARE(target.pixel(107, 47), qRgb(0, 0, 255));
    QCOMPARE(target.pixel(9, 30), qRgb(255, 255, 255));
    QCOMPARE(target.pixel(110, 30), qRgb(255, 255, 255));
    QCOMPARE(target.pixel(60, 50), qRgb(255, 255, 255));
    // Smoothly stretched: the middle blends the two colours.
    const QRgb middle = target.pixel(60, 30);
    QVERIFY(qRed(middle) > 40 && qBlue(middle) > 40);
}

void TestPicture::copiesShareOnePictureObject()
{
    SKIP_WITHOUT_TESTDATA();
    const QString path = corpusFile("bmp/bmpsuite/g/pal8.bmp");
    const Picture loaded = LoadPicture(path);
    const Picture copy = loaded;
    QVERIFY(copy.isSameObject(loaded));
    QVERIFY(!LoadPicture(path).isSameObject(loaded));
    QVERIFY(Picture().isEmpty());
    QCOMPARE(Picture().himetricSize(), QSize(0, 0));
}

void TestPicture::sharperDecodeOnlyFromTheBytesShown()
{
    const QString path = m_dir.filePath(QStringLiteral("chosen.bmp"));
    const QByteArray name = QFile::encodeName(path);
    QImage green(1600, 1200, QImage::Format_RGB32);
    green.fill(QColor(0, 200, 0));
    QImage magenta(green.size(), QImage::Format_RGB32);
    magenta.fill(QColor(220, 0, 220));
    QVERIFY(green.save(path, "BMP"));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    written.close();

    const Picture shown = LoadPicture(path, QSize(160, 120));
    QCOMPARE(shown.image().size(), QSize(160, 120));
    QCOMPARE(shown.sourceIdentity(), IdentityOf(bytes));
    QVERIFY(!Picture::fromImage(green).sourceIdentity().isValid());
    const QSize target(800, 600);
    const auto sharper = [&](const Picture &picture) { return SharpDecode::Start(path, picture, target)->result(); };

    // The same bytes are decoded again, whatever the file's times say.
    const Picture sharp = sharper(shown);
    QCOMPARE(sharp.image().size(), target);
    QCOMPARE(sharp.image().pixelColor(400, 300), QColor(0, 200, 0));
    QCOMPARE(sharp.sourceIdentity(), shown.sourceIdentity());
    struct stat before = {};
    QCOMPARE(::stat(name.constData(), &before), 0);
    QCOMPARE(::utimensat(AT_FDCWD, name.constData(), nullptr, 0), 0); // touched
    QCOMPARE(sharper(shown).image().size(), target);

    // Half of it written over with another picture of the same kind, as a write still going on
    // leaves it, its length and times set back: the two halves are never shown together.
    QByteArray other;
    QBuffer buffer(&other);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && magenta.save(&buffer, "BMP"));
    QCOMPARE(other.size(), bytes.size());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(bytes.size() / 2));
    QCOMPARE(file.write(other.mid(bytes.size() / 2)), bytes.size() - bytes.size() / 2);
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
    QVERIFY(sharper(shown).isEmpty());

    // Nor is anything decoded for a picture that was not read from a file.
    QVERIFY(green.save(path, "BMP"));
    QVERIFY(sharper(Picture::fromImage(green)).isEmpty());
}

QTEST_MAIN(TestPicture)
