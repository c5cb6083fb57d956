// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Picture files written by hand, field by field: BMP (plain, and run-length encoded at 8 or 4 bits
// a pixel), GIF and Windows metafiles, for the sample pictures, the tests, the benchmarks and the
// fuzz targets. Qt writes none of RLE, GIF and WMF, and these writers share no code with the
// program's readers, so the readers are checked against an independent writer. The same input
// gives the same bytes on every run. (JPEG files with an EXIF block: ExifJpeg.h.)

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

#include <optional>
#include <vector>

namespace picturefiles {

// --- BMP -------------------------------------------------------------------------------------

enum class BmpCompression : quint32 { None = 0, Rle8 = 1, Rle4 = 2 };

// What the file header (BITMAPFILEHEADER) and the 40-byte info header (BITMAPINFOHEADER) say.
struct BmpHeader
{
    qint32 width = 0;
    qint32 height = 0; // positive: the bottom row comes first
    quint16 bitCount = 24;
    BmpCompression compression = BmpCompression::None;
    std::vector<QRgb> palette;          // written after the info header, whatever the bit count
    std::optional<quint32> coloursUsed; // by default the palette's size
    bool imageSizeGiven = true;         // the size of the pixel data in the info header; else 0
    qint32 dotsPerMetre = 0;
};

// The headers, the palette and the pixel data as they are given.
QByteArray Bmp(const BmpHeader &header, const QByteArray &pixels);

// image at 24 bits a pixel, bottom row first, rows padded to four bytes.
QByteArray Bmp24(const QImage &image, qint32 dotsPerMetre = 0);

// A picture as indices into its palette, row by row, top row first.
struct IndexedImage
{
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette;
    std::vector<quint8> pixels;
};

// image run-length encoded at 8 bits (RLE8) or 4 bits (RLE4) a pixel: runs of three pixels or more
// in encoded mode, the rest in absolute mode. Empty when a 4-bit palette would need more than 16
// colours.
QByteArray BmpRle(const IndexedImage &image, int bits, qint32 dotsPerMetre = 0);

// --- GIF -------------------------------------------------------------------------------------

// GIF89a with one image the size of the screen, a global colour table and variable-length LZW
// codes (a clear code whenever the 4096 codes are used up).
QByteArray Gif(const IndexedImage &image);

// --- Windows metafiles -----------------------------------------------------------------------

// One record: its size in words, its function, and its parameters, each written as a 16-bit word.
QByteArray WmfRecord(quint16 function, const QList<qint32> &words);

// A record whose parameters end in bytes (text, a bitmap), padded to a whole word.
QByteArray WmfRecordWithBytes(quint16 function, const QList<qint32> &words, const QByteArray &tail);

// The placeable header (bounding box, units per inch, its checksum) and the METAHEADER. The sizes
// of the METAHEADER are written as given: a reader must not trust them.
struct WmfHeader
{
    qint16 left = 0;
    qint16 top = 0;
    qint16 right = 0;
    qint16 bottom = 0;
    quint16 unitsPerInch = 1440;
    quint16 type = 1; // in memory
    quint16 headerWords = 9;
    quint32 fileWords = 0;
    quint16 objects = 0;
    quint32 largestRecordWords = 0;
};

// A placeable metafile: the headers, then records as they are given.
QByteArray Wmf(const WmfHeader &header, const QByteArray &records);

} // namespace picturefiles
