// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Cheap looks at the bytes of a picture file before any decoder sees them: which format the
// content is, whether a raster file is complete and sound enough to hand to Qt, and the natural
// size of a placeable metafile. Every read is bounds-checked against the data; nothing here
// allocates or takes longer than one pass over the bytes.

#include <QByteArrayView>
#include <QSize>
#include <QSizeF>

#include <functional>
#include <optional>

namespace platform::formats {

// The most one picture may cost: its file's bytes, and each image buffer decoded from it.
inline constexpr qint64 MaxPictureBytes = qint64(256) << 20;

// The largest natural size taken seriously, in logical pixels: a side up to 65535 (the largest a
// GIF or a 16-bit coordinate can express) and an area up to 16384 x 16384 (Qt's own ceiling for
// BMP and GIF headers). Beyond that a header is lying, or the picture is useless on a poster.
inline constexpr double MaxNaturalSide = 65535.0;
inline constexpr double MaxNaturalArea = 16384.0 * 16384.0;

bool isPlausibleNaturalSize(const QSizeF &logicalPixels);

// A progressive JPEG from a camera or an editor has about ten scans; a few dozen is the most any
// encoder writes. Each scan of a progressive file walks its whole coefficient buffer once: the
// buffer's bytes times the scans bound the decoding time (16 passes over the largest buffer
// allowed, some 4 GiB, is a second or so).
inline constexpr int MaxJpegScans = 100;
inline constexpr qint64 MaxJpegScanWork = 16 * MaxPictureBytes;

// Png, Webp and Heif (HEIC, HEIF and AVIF: one container, HEVC or AV1 inside) are today's
// formats a teacher may add (moreFormats); the loader takes them only while SetMoreFormats(true).
enum class Format { Unknown, Bmp, Jpeg, Gif, PlaceableWmf, Png, Webp, Heif };

// Whether the loader takes today's formats as well as the designed ones: off at start, and while
// off sniffFormat calls their files Unknown, so that none of their decoders ever runs. Set once,
// before the first load (the program's start-up does it from its settings).
void SetMoreFormats(bool on);
bool MoreFormats();

// The format the first bytes announce, with the same signatures Qt's handlers and libheif look
// for; the file name plays no part. A metafile without the placeable header is Unknown.
Format sniffFormat(QByteArrayView bytes);

// The name QImageReader::format() gives the formats Qt decodes; empty for the others (libheif
// decodes Heif).
QByteArray qtFormatName(Format format);

// The formats that have no reduced decode (JPEG's 1/2, 1/4, 1/8) and cost a decoder dearly for
// each pixel: PNG (inflating and unfiltering every row), WebP and HEIF (a whole video frame). A
// picture of these is decoded whole whatever size it is shown at, so their natural size is held
// to the largest photos phones take: 50 megapixels (8192 x 6144 and less).
inline constexpr double MaxWholeDecodeArea = 8192.0 * 6144.0;
bool isDecodedWhole(Format format);

// The size a PNG or WebP file's header gives (PNG's IHDR; WebP's VP8, VP8L or VP8X header), from
// its first 32 bytes; nothing for other formats or a header that does not say. Taken as it is:
// the file's other checks still come when it is read whole.
std::optional<QSize> headerSize(Format format, QByteArrayView head);

// False when a raster file is cut short or has a header no loader should trust:
// - BMP: an uncompressed file shorter than its pixel offset + rows x stride, or an RLE file
//   that claims top-down rows (RLE bitmaps are always bottom-up);
// - JPEG: no end-of-image marker after the last segment (trailing bytes after it are fine), or
//   more work than any real photo asks for: more than MaxJpegScans scans, or (for a progressive
//   file, or components in separate scans, which libjpeg buffers whole at any scale) a
//   coefficient buffer beyond MaxPictureBytes, or that buffer times the scans beyond
//   MaxJpegScanWork;
// - GIF: the first image's data blocks end before their terminator, or no image at all;
// - PNG: no IHDR first, a chunk running past the data, or no IDAT before IEND (cut short);
// - WebP: a RIFF size past the data, or no VP8, VP8L or VP8X chunk first.
// HEIF's boxes are read by libheif itself (HeifDecode.h). Everything else (pixel data, palettes,
// LZW codes, compressed streams) is left to the decoders.
bool isStructurallySound(Format format, QByteArrayView bytes);

// Walks a JPEG's markers from SOI to EOI the way libjpeg does: segments are skipped by their
// length (so an FF D9 inside an embedded EXIF thumbnail does not count), bytes between markers
// are skipped (entropy-coded data, or the junk libjpeg warns about and skips too), and stuffed
// FF 00 and restart markers inside scans are passed over. visit sees each segment that has a
// length: its marker and its payload (after the length field); it returns false to stop the walk.
// Whatever follows EOI is ignored, so files with data appended after the picture still load.
enum class JpegWalk {
    Complete, // EOI reached
    Stopped,  // visit stopped it
    Broken,   // no SOI, cut short, or a segment length past the data
};
JpegWalk walkJpegSegments(QByteArrayView jpeg, const std::function<bool(quint8 marker, QByteArrayView payload)> &visit);

struct MetafileHeader
{
    QSize himetric;       // natural size, HIMETRIC
    QSizeF logicalPixels; // the same at 96 dpi
};

// The natural size of a metafile with the placeable (Aldus) header, once the header, the
// METAHEADER after it and the chain of records up to the end-of-file record have been checked.
// Nothing for a metafile without the placeable header, a zero, inverted or absurd bounding box,
// zero units per inch, a record size that is too small or runs past the data, or a missing
// end-of-file record.
std::optional<MetafileHeader> readPlaceableMetafile(QByteArrayView bytes);

} // namespace platform::formats
