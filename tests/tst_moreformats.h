// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Today's formats, one test program built from two files: tst_moreformats.cpp holds the loader's
// formats with and without the option, the gallery's order and the transparent PNG, and main();
// tst_moreformats_helpers.cpp the decoding helpers going wrong and phones' photos placed, printed
// and saved.

#include "TestPaths.h"
#include "PosterPointer.h"
#include "PrintedPoster.h"
#include "TestSupport.h"
#include "tests/support/ExifJpeg.h"
#include "tests/support/ModernPictures.h"
#include "tests/support/PictureFiles.h"

#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/DecoderPool.h"
#include "pictures/Exif.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <thread>

using modernpictures::HeifCodec;
using platform::LoadPicture;
using platform::Picture;

namespace moreformats {

// Four quarters, red, green, blue and white, so that every turn and mirror tells apart.
inline QImage Quarters(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, QColor(230, 30, 30));
    painter.fillRect(w, 0, size.width() - w, h, QColor(30, 200, 30));
    painter.fillRect(0, h, w, size.height() - h, QColor(30, 30, 230));
    painter.fillRect(w, h, size.width() - w, size.height() - h, QColor(250, 250, 250));
    return image;
}

// A red square in the middle half of a transparent picture: clip art.
inline QImage ClipArt(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(size.width() / 4, size.height() / 4, size.width() / 2, size.height() / 2, Qt::red);
    return image;
}

inline bool Near(QColor seen, QColor want, int tolerance = 40)
{
    return qAbs(seen.red() - want.red()) < tolerance && qAbs(seen.green() - want.green()) < tolerance
            && qAbs(seen.blue() - want.blue()) < tolerance;
}

// The colours at the centres of the four quarters of an image.
inline QList<QColor> QuarterColours(const QImage &image)
{
    const int x1 = image.width() / 4, x2 = 3 * image.width() / 4;
    const int y1 = image.height() / 4, y2 = 3 * image.height() / 4;
    return {image.pixelColor(x1, y1), image.pixelColor(x2, y1), image.pixelColor(x1, y2), image.pixelColor(x2, y2)};
}

inline bool SameQuarters(const QImage &a, const QImage &b)
{
    const QList<QColor> x = QuarterColours(a), y = QuarterColours(b);
    for (int k = 0; k < 4; ++k) {
        if (!Near(x[k], y[k]))
            return false;
    }
    return true;
}

enum class Kind { Png, Webp, Heic, Avif };
enum class PhotoFile { Heic, Jpeg, Png }; // a phone's photo as its camera writes it

inline QByteArray Encoded(Kind kind, const QImage &image, const modernpictures::HeifOptions &heif = {})
{
    switch (kind) {
    case Kind::Png: return modernpictures::Png(image);
    case Kind::Webp: return modernpictures::Webp(image, 90);
    case Kind::Heic: {
        modernpictures::HeifOptions options = heif;
        options.codec = HeifCodec::Hevc;
        return modernpictures::Heif(image, options);
    }
    case Kind::Avif: {
        modernpictures::HeifOptions options = heif;
        options.codec = HeifCodec::Av1;
        return modernpictures::Heif(image, options);
    }
    }
    return {};
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A PNG whose header says width x height, its checksum mended, so that only its size is wrong.
inline QByteArray PngClaiming(QByteArray png, quint32 width, quint32 height)
{
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    quint32 crc = 0xFFFFFFFFu; // CRC-32 of the chunk's type and data
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    qToBigEndian(~crc, png.data() + 29);
    return png;
}

inline Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

inline frmList *Registration()
{
    return qobject_cast<frmList *>(testing::TopLevel(QStringLiteral("frmList")));
}

inline const QColor PaperColour(0xC0, 0xFF, 0xFF);

// Quarters with a chequerboard of black and white over the middle fifth of each side, its squares
// 1/333 of the long side: some four pixels of the capture where a photo is placed, under one
// pixel of a phone's thumbnail, where they blur into grey.
inline QImage Detailed(const QSize &size)
{
    QImage image = Quarters(size);
    QPainter painter(&image);
    const int square = std::max(size.width(), size.height()) / 333;
    const QRect middle(size.width() * 2 / 5, size.height() * 2 / 5, size.width() / 5, size.height() / 5);
    for (int y = 0; y < middle.height(); y += square) {
        for (int x = 0; x < middle.width(); x += square)
            painter.fillRect(middle.x() + x, middle.y() + y, square, square, (x + y) / square % 2 ? Qt::black : Qt::white);
    }
    return image;
}

// How sharply the chequerboard of Detailed is seen in image (the picture alone): the standard
// deviation of the lightness over the middle of the board, some 120 where black and white are
// apart, 0 where they are blurred into grey.
inline double BoardContrast(const QImage &image)
{
    const QRect board(image.width() * 9 / 20, image.height() * 9 / 20, image.width() / 10, image.height() / 10);
    double sum = 0, squares = 0;
    for (int y = board.top(); y <= board.bottom(); ++y) {
        for (int x = board.left(); x <= board.right(); ++x) {
            const double lightness = image.pixelColor(x, y).lightness();
            sum += lightness;
            squares += lightness * lightness;
        }
    }
    const double count = double(board.width()) * board.height(), mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

} // namespace moreformats

using namespace moreformats;

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(PhotoFile)

class TestMoreFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void eachFormatLoadsOnlyWithTheOption_data();
    void eachFormatLoadsOnlyWithTheOption();
    void damagedOrCostlyFilesGiveTheEmptyPicture_data();
    void damagedOrCostlyFilesGiveTheEmptyPicture();
    void phoneHeicIsUpright();
    void regressionFilesLoadOrAreRefused();
    void galleryListsTodaysFormatsInOrder_data();
    void galleryListsTodaysFormatsInOrder();
    void aPictureRefusedHidesNoneAfterIt_data();
    void aPictureRefusedHidesNoneAfterIt();
    void transparentPngShowsThePaper();
    void decodersGoingWrongLeaveTheOthers();
    void aHangingDecodeHoldsUpOnlyTheCapture_data();
    void aHangingDecodeHoldsUpOnlyTheCapture();
    void phonePhotoAppearsAndPrintsSharp_data();
    void phonePhotoAppearsAndPrintsSharp();

private:
    void startInFolder(const QString &folder, bool moreFormats);
    QTemporaryDir m_dir;
};
