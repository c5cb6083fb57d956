#pragma once

// Picture files that pass every check of their header but would cost a decoder seconds and
// gigabytes, made for the tests and the loader's benchmark.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

namespace testing {

// A BMP with a 40-byte info header, an 8-byte palette and the given pixel bytes.
inline QByteArray bmpFile(qint32 width, qint32 height, quint16 bitCount, quint32 compression,
                          const QByteArray &pixelBytes)
{
    constexpr int PixelOffset = 14 + 40 + 8;
    QByteArray bytes(PixelOffset, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    const auto put32 = [](QByteArray &into, qsizetype offset, quint32 value) { qToLittleEndian(value, into.data() + offset); };
    const auto put16 = [](QByteArray &into, qsizetype offset, quint16 value) { qToLittleEndian(value, into.data() + offset); };
    put32(bytes, 2, quint32(PixelOffset + pixelBytes.size()));
    put32(bytes, 10, PixelOffset);
    put32(bytes, 14, 40);
    put32(bytes, 18, quint32(width));
    put32(bytes, 22, quint32(height));
    put16(bytes, 26, 1);
    put16(bytes, 28, bitCount);
    put32(bytes, 30, compression);
    put32(bytes, 46, bitCount <= 8 ? 2 : 0);
    put32(bytes, 58, 0x00FFFFFF); // palette: black, white
    return bytes + pixelBytes;
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
