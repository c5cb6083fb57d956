// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ExifJpeg.h"

#include <QBuffer>
#include <QtEndian>

namespace exifjpeg {

QByteArray Encode(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

QByteArray App1Segment(const QByteArray &tiff)
{
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff.left(65533 - 6);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xFF));
    return segment + payload;
}

QByteArray WithExif(const QByteArray &jpeg, int orientation, const QByteArray &thumbnail, ByteOrder order)
{
    const bool intel = order == ByteOrder::Intel;
    QByteArray tiff;
    const auto put16 = [&](int offset, quint16 value) {
        uchar bytes[2];
        intel ? qToLittleEndian(value, bytes) : qToBigEndian(value, bytes);
        tiff.replace(offset, 2, reinterpret_cast<const char *>(bytes), 2);
    };
    const auto put32 = [&](int offset, quint32 value) {
        uchar bytes[4];
        intel ? qToLittleEndian(value, bytes) : qToBigEndian(value, bytes);
        tiff.replace(offset, 4, reinterpret_cast<const char *>(bytes), 4);
    };
    // An entry of a directory at offset: tag, type (3 SHORT, 4 LONG), count 1, value.
    const auto entry = [&](int offset, quint16 tag, quint16 type, quint32 value) {
        put16(offset, tag);
        put16(offset + 2, type);
        put32(offset + 4, 1);
        put32(offset + 8, 0);
        if (type == 3)
            put16(offset + 8, quint16(value));
        else
            put32(offset + 8, value);
    };
    const int ifd0Entries = orientation ? 1 : 0;
    const int ifd0 = 8;
    const int ifd1 = ifd0 + 2 + 12 * ifd0Entries + 4;
    const int ifd1Entries = thumbnail.isEmpty() ? 0 : 3;
    const int thumbnailOffset = ifd1 + 2 + 12 * ifd1Entries + 4;
    tiff.resize(thumbnailOffset, '\0');
    tiff[0] = tiff[1] = intel ? 'I' : 'M';
    put16(2, 42);
    put32(4, ifd0);
    put16(ifd0, quint16(ifd0Entries));
    if (orientation)
        entry(ifd0 + 2, 0x0112, 3, quint32(orientation));
    put32(ifd0 + 2 + 12 * ifd0Entries, thumbnail.isEmpty() ? 0 : quint32(ifd1));
    if (!thumbnail.isEmpty()) {
        put16(ifd1, quint16(ifd1Entries));
        entry(ifd1 + 2, 0x0103, 3, 6); // compression: JPEG
        entry(ifd1 + 14, 0x0201, 4, quint32(thumbnailOffset));
        entry(ifd1 + 26, 0x0202, 4, quint32(thumbnail.size()));
        put32(ifd1 + 38, 0);
        tiff += thumbnail;
    }
    return jpeg.left(2) + App1Segment(tiff) + jpeg.mid(2);
}

QByteArray ExifOnly(const QByteArray &tiff)
{
    return QByteArray("\xFF\xD8", 2) + App1Segment(tiff) + QByteArray("\xFF\xD9", 2);
}

} // namespace exifjpeg
