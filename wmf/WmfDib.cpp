#include "wmf/WmfDib.h"

#include "wmf/WmfPlayerPrivate.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace platform::wmf::detail {

bool isDibHeaderSize(quint32 size)
{
    return size == 12 || (size >= 40 && size <= 124);
}

// An embedded DIB decoded by Qt's BMP reader, after its header and sizes have been checked and
// a file header put in front. paletteIndices: the colour table holds 16-bit indexes into the
// selected palette (DIB_PAL_COLORS) rather than colours.
QImage decodeDib(QByteArrayView dib, bool paletteIndices, const Palette *palette)
{
    if (dib.size() < 16)
        return {};
    const quint32 headerSize = u32At(dib, 0);
    if (!isDibHeaderSize(headerSize) || headerSize > quint32(dib.size()))
        return {};
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    quint32 sizeImage = 0;
    quint32 colorsUsed = 0;
    if (headerSize == 12) {
        width = u16At(dib, 4);
        height = u16At(dib, 6);
        bitCount = u16At(dib, 10);
    } else {
        width = s32At(dib, 4);
        height = s32At(dib, 8);
        bitCount = u16At(dib, 14);
        compression = u32At(dib, 16);
        sizeImage = u32At(dib, 20);
        colorsUsed = u32At(dib, 32);
    }
    const qint64 rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || width > MaxDibSide || rows > MaxDibSide
        || width * rows > MaxDibPixels)
        return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24
        && bitCount != 32)
        return {};
    if (colorsUsed > 256 || (bitCount <= 8 && colorsUsed > (1u << bitCount)))
        return {};
    const qint64 colors = bitCount <= 8 ? (colorsUsed ? colorsUsed : (1u << bitCount)) : colorsUsed;
    const bool bitFields = headerSize == 40 && (compression == 3 || compression == 6);
    const qint64 maskBytes = bitFields ? (compression == 3 ? 12 : 16) : 0;
    const qint64 entryBytes = paletteIndices ? 2 : (headerSize == 12 ? 3 : 4);
    const qint64 tableBytes = maskBytes + colors * entryBytes;
    if (headerSize + tableBytes > dib.size())
        return {};
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 available = dib.size() - headerSize - tableBytes;
    qint64 pixelBytes = 0;
    const bool runLength = (compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4);
    if (compression == 0 || bitFields)
        pixelBytes = stride * rows;
    else if (runLength)
        pixelBytes = sizeImage ? std::min<qint64>(sizeImage, available) : available;
    else
        return {};
    if (runLength && height < 0)
        return {};

    // A BMP file: file header, the info header, a colour table of RGBQUADs, then the pixels,
    // cut to their exact length (a reader given the next record's bytes too shifts the picture)
    // or padded with zeros where the record ends early.
    QByteArray table;
    if (paletteIndices && colors > 0) {
        table.resize(colors * 4);
        for (qint64 i = 0; i < colors; ++i) {
            const quint16 index = u16At(dib, headerSize + maskBytes + 2 * i);
            QRgb rgb = qRgb(index & 0xFF, index & 0xFF, index & 0xFF);
            if (palette && index < palette->colors.size())
                rgb = palette->colors[index];
            table[4 * i] = char(qBlue(rgb));
            table[4 * i + 1] = char(qGreen(rgb));
            table[4 * i + 2] = char(qRed(rgb));
            table[4 * i + 3] = 0;
        }
        table.prepend(dib.sliced(headerSize, maskBytes).toByteArray());
    } else {
        table = dib.sliced(headerSize, tableBytes).toByteArray();
    }
    QByteArray pixels = dib.sliced(headerSize + tableBytes, std::min(pixelBytes, available)).toByteArray();
    if (pixels.size() < pixelBytes)
        pixels.append(QByteArray(pixelBytes - pixels.size(), '\0'));

    QByteArray file(14, '\0');
    const qint64 offset = 14 + headerSize + table.size();
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian(quint32(offset + pixels.size()), file.data() + 2);
    qToLittleEndian(quint32(offset), file.data() + 10);
    file += dib.first(headerSize).toByteArray();
    if (paletteIndices && headerSize >= 40 && colorsUsed == 0 && bitCount <= 8)
        qToLittleEndian(quint32(colors), file.data() + 14 + 32);
    file += table;
    file += pixels;

    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    // Run-length codes may skip pixels: cleared, they are palette index 0 every time.
    QImage image;
    const QImage::Format format = reader.imageFormat();
    if (format != QImage::Format_Invalid) {
        image = QImage(int(width), int(rows), format);
        if (image.isNull())
            return {};
        image.fill(0);
    }
    if (!reader.read(&image) || image.isNull())
        return {};
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

} // namespace platform::wmf::detail
