// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Picture files that pass every check of their header but would cost a decoder seconds and
// gigabytes, made for the tests and the loader's benchmark.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

#include "tests/support/PictureFiles.h"

namespace testing {

// A BMP with a 40-byte info header, an 8-byte palette (black, white) and the given pixel bytes.
inline QByteArray bmpFile(qint32 width, qint32 height, quint16 bitCount, quint32 compression,
                          const QByteArray &pixelBytes)
{
    return picturefiles::Bmp({.width = width,
                              .height = height,
                              .bitCount = bitCount,
                              .compression = picturefiles::BmpCompression(compression),
                              .palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                              .coloursUsed = bitCount <= 8 ? 2u : 0u,
                              .imageSizeGiven = false},
                             pixelBytes);
}

// A small progressive JPEG as Qt writes one (libjpeg's usual ten scans), of noise so that every
// scan has data.
inline QByteArray progressiveJpeg()
{
    QImage image(64, 48, QImage::Format_RGB32);
    QRandomGenerator random(5);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    return writer.write(image) ? buffer.data() : QByteArray();
}

// A JPEG with the width and height of its frame header (the marker FF C0 of a baseline file,
// FF C2 of a progressive one) replaced.
inline QByteArray jpegClaiming(QByteArray bytes, quint16 width, quint16 height, quint8 frameMarker = 0xC0)
{
    const char marker[2] = {'\xFF', char(frameMarker)};
    const qsizetype frame = bytes.indexOf(QByteArrayView(marker, 2));
    if (frame < 0)
        return {};
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    return bytes;
}

// The progressive JPEG claiming another size.
inline QByteArray progressiveJpegClaiming(quint16 width, quint16 height)
{
    return jpegClaiming(progressiveJpeg(), width, height, 0xC2);
}

// A progressive JPEG whose last scan (its header and data) is repeated until it has that many.
inline QByteArray jpegWithScans(QByteArray bytes, int scans)
{
    const qsizetype last = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    const qsizetype end = bytes.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
    if (last < 0 || end < last)
        return {};
    const QByteArray scan = bytes.mid(last, end - last);
    const int has = int(bytes.count(QByteArrayView("\xFF\xDA", 2)));
    QByteArray more;
    for (int k = has; k < scans; ++k)
        more += scan;
    return bytes.insert(end, more);
}

} // namespace testing
