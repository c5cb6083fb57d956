// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/PictureFiles.h"

#include <algorithm>
#include <cstdint>

namespace picturefiles {

namespace {

// Fields in little-endian order, appended.
void put16(QByteArray &out, unsigned value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void put32(QByteArray &out, quint32 value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

} // namespace

// --- BMP -------------------------------------------------------------------------------------

QByteArray Bmp(const BmpHeader &header, const QByteArray &pixels)
{
    QByteArray out;
    const quint32 offset = 14 + 40 + 4 * quint32(header.palette.size());
    out.append("BM", 2);
    put32(out, offset + quint32(pixels.size()));
    put16(out, 0);
    put16(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, quint32(header.width));
    put32(out, quint32(header.height));
    put16(out, 1); // planes
    put16(out, header.bitCount);
    put32(out, quint32(header.compression));
    put32(out, header.imageSizeGiven ? quint32(pixels.size()) : 0);
    put32(out, quint32(header.dotsPerMetre));
    put32(out, quint32(header.dotsPerMetre));
    put32(out, header.coloursUsed.value_or(quint32(header.palette.size())));
    put32(out, 0); // every colour is important
    for (QRgb colour : header.palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append(char(0));
    }
    out.append(pixels);
    return out;
}

QByteArray Bmp24(const QImage &image, qint32 dotsPerMetre)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int stride = (rgb.width() * 3 + 3) & ~3;
    QByteArray data;
    data.reserve(stride * rgb.height());
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            data.append(char(qBlue(line[x])));
            data.append(char(qGreen(line[x])));
            data.append(char(qRed(line[x])));
        }
        for (int pad = rgb.width() * 3; pad < stride; ++pad)
            data.append(char(0));
    }
    return Bmp({.width = rgb.width(), .height = rgb.height(), .dotsPerMetre = dotsPerMetre}, data);
}

QByteArray BmpRle(const IndexedImage &image, int bits, qint32 dotsPerMetre)
{
    if (bits == 4 && image.palette.size() > 16)
        return {};
    // Two pixels of a byte at 4 bits a pixel, the first in the high half.
    const auto pair = [bits](quint8 a, quint8 b) -> char {
        return bits == 8 ? char(a) : char((a << 4) | (b & 0x0f));
    };
    QByteArray data;
    for (int y = image.height - 1; y >= 0; --y) {
        const quint8 *row = image.pixels.data() + size_t(y) * image.width;
        const int w = image.width;
        const auto runAt = [&](int i) {
            int n = 1;
            while (i + n < w && n < 255 && row[i + n] == row[i])
                ++n;
            return n;
        };
        const auto emitRuns = [&](int from, int to) { // encoded mode
            while (from < to) {
                const int n = std::min(runAt(from), to - from);
                data.append(char(n));
                data.append(pair(row[from], row[from]));
                from += n;
            }
        };
        int i = 0;
        while (i < w) {
            if (runAt(i) >= 3) {
                emitRuns(i, i + runAt(i));
                i += runAt(i);
                continue;
            }
            int j = i; // gather pixels that do not repeat much
            while (j < w && j - i < 255 && runAt(j) < 3)
                j += std::min(runAt(j), 255 - (j - i));
            const int n = j - i;
            if (n < 3) {
                emitRuns(i, j);
            } else { // absolute mode, padded to a 16-bit boundary
                data.append(char(0));
                data.append(char(n));
                int bytes = 0;
                if (bits == 8) {
                    for (int k = 0; k < n; ++k, ++bytes)
                        data.append(char(row[i + k]));
                } else {
                    for (int k = 0; k < n; k += 2, ++bytes)
                        data.append(pair(row[i + k], k + 1 < n ? row[i + k + 1] : 0));
                }
                if (bytes % 2)
                    data.append(char(0));
            }
            i = j;
        }
        data.append(char(0)); // end of line
        data.append(char(0));
    }
    data.append(char(0)); // end of bitmap
    data.append(char(1));
    return Bmp({.width = image.width,
                .height = image.height,
                .bitCount = quint16(bits),
                .compression = bits == 8 ? BmpCompression::Rle8 : BmpCompression::Rle4,
                .palette = image.palette,
                .dotsPerMetre = dotsPerMetre},
               data);
}

// --- GIF -------------------------------------------------------------------------------------

QByteArray Gif(const IndexedImage &image)
{
    int tableBits = 1;
    while ((1 << tableBits) < int(image.palette.size()))
        ++tableBits;
    QByteArray out("GIF89a");
    put16(out, unsigned(image.width));
    put16(out, unsigned(image.height));
    out.append(char(0x80 | (7 << 4) | (tableBits - 1)));
    out.append(char(0)); // background colour index
    out.append(char(0)); // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < int(image.palette.size()) ? image.palette[i] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append(char(0x2c)); // image descriptor
    put16(out, 0);
    put16(out, 0);
    put16(out, unsigned(image.width));
    put16(out, unsigned(image.height));
    out.append(char(0)); // no local table, not interlaced

    const int minCodeSize = std::max(2, tableBits);
    out.append(char(minCodeSize));
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;

    QByteArray packed;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    const auto writeCode = [&](int code, int size) {
        bitBuffer |= quint32(code) << bitCount;
        bitCount += size;
        while (bitCount >= 8) {
            packed.append(char(bitBuffer & 0xff));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };

    // next[code * 256 + pixel]: the code for "code's string + pixel", 0 if none yet.
    std::vector<quint16> next(4096 * 256, 0);
    int codeSize = minCodeSize + 1;
    int lastCode = endCode; // the highest code in use
    writeCode(clearCode, codeSize);
    int current = -1;
    for (quint8 pixel : image.pixels) {
        if (current < 0) {
            current = pixel;
            continue;
        }
        if (const quint16 found = next[size_t(current) * 256 + pixel]) {
            current = found;
            continue;
        }
        writeCode(current, codeSize);
        next[size_t(current) * 256 + pixel] = quint16(++lastCode);
        if (lastCode >= (1 << codeSize) && codeSize < 12)
            ++codeSize;
        if (lastCode == 4095) {
            writeCode(clearCode, codeSize);
            std::fill(next.begin(), next.end(), 0);
            codeSize = minCodeSize + 1;
            lastCode = endCode;
        }
        current = pixel;
    }
    if (current >= 0) {
        writeCode(current, codeSize);
        // The decoder adds one more table entry on reading that code, and may widen.
        if (lastCode + 1 >= (1 << codeSize) && codeSize < 12)
            ++codeSize;
    }
    writeCode(endCode, codeSize);
    if (bitCount > 0)
        packed.append(char(bitBuffer & 0xff));

    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, packed.size() - at);
        out.append(char(n));
        out.append(packed.constData() + at, n);
    }
    out.append(char(0));    // end of image data
    out.append(char(0x3b)); // trailer
    return out;
}

// --- Windows metafiles -----------------------------------------------------------------------

QByteArray WmfRecord(quint16 function, const QList<qint32> &words)
{
    QByteArray out;
    put32(out, quint32(3 + words.size()));
    put16(out, function);
    for (qint32 word : words)
        put16(out, quint16(word));
    return out;
}

QByteArray WmfRecordWithBytes(quint16 function, const QList<qint32> &words, const QByteArray &tail)
{
    QByteArray out = WmfRecord(function, words) + tail;
    if (out.size() % 2)
        out.append('\0');
    const quint32 size = quint32(out.size() / 2);
    for (int b = 0; b < 4; ++b)
        out[b] = char((size >> (8 * b)) & 0xff);
    return out;
}

QByteArray Wmf(const WmfHeader &header, const QByteArray &records)
{
    QByteArray out;
    put32(out, 0x9AC6CDD7);
    put16(out, 0); // no handle
    put16(out, quint16(header.left));
    put16(out, quint16(header.top));
    put16(out, quint16(header.right));
    put16(out, quint16(header.bottom));
    put16(out, header.unitsPerInch);
    put32(out, 0);
    quint16 checksum = 0; // of the ten words before it
    for (int i = 0; i < 20; i += 2)
        checksum ^= quint16(quint8(out[i]) | (quint8(out[i + 1]) << 8));
    put16(out, checksum);

    put16(out, header.type);
    put16(out, header.headerWords);
    put16(out, 0x0300); // version
    put32(out, header.fileWords);
    put16(out, header.objects);
    put32(out, header.largestRecordWords);
    put16(out, 0);
    return out + records;
}

} // namespace picturefiles
