// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureFormats.h"

#include "base/ByteReads.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>

namespace platform::formats {

namespace {

using bytes::s16At;
using bytes::s32At;
using bytes::u16At;
using bytes::u32At;

quint8 byteAt(QByteArrayView b, qsizetype offset)
{
    return static_cast<quint8>(b[offset]);
}

bool startsWith(QByteArrayView bytes, const char *signature, qsizetype length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), signature, size_t(length)) == 0;
}

// --- BMP -------------------------------------------------------------------------------------

bool isSoundBmp(QByteArrayView b)
{
    constexpr qsizetype FileHeaderSize = 14;
    if (b.size() < FileHeaderSize + 4)
        return false;
    const qint64 pixelOffset = u32At(b, 10);
    const qint64 headerSize = u32At(b, 14);
    // The header and the start of the pixels lie within the file (else Qt's decoder would seek
    // past the end of the data to look for them).
    if (FileHeaderSize + headerSize > b.size() || pixelOffset >= b.size())
        return false;

    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = 0; // BI_RGB
    if (headerSize == 12) { // OS/2 1.x core header: 16-bit sizes, never compressed
        width = u16At(b, 18);
        height = u16At(b, 20);
        bitCount = u16At(b, 24);
    } else if (headerSize >= 16) {
        width = s32At(b, 18);
        height = s32At(b, 22);
        bitCount = u16At(b, 28);
        if (headerSize >= 20)
            compression = u32At(b, 30);
    } else {
        return false;
    }

    // OS/2 2.x's 64-byte header gives 3 and 4 other meanings (Huffman 1D, RLE24) than Windows
    // headers (BITFIELDS, JPEG).
    const bool os2Header = headerSize == 64;
    const bool runLength = compression == 1 || compression == 2 || (os2Header && compression == 4);
    if (runLength)
        return height > 0; // the RLE codes walk the rows bottom-up: a top-down RLE is corrupt

    const bool uncompressed =
        compression == 0 || (!os2Header && (compression == 3 || compression == 6));
    if (!uncompressed)
        return true; // embedded JPEG/PNG, Huffman...: Qt decides
    if (width <= 0 || height == 0 || bitCount <= 0 || bitCount > 64)
        return false;
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 rows = height < 0 ? -height : height;
    // A short file would leave Qt's decoder with rows of whatever the allocator gave it.
    return rows <= (b.size() - pixelOffset) / stride;
}

} // namespace

// --- JPEG ---------------------------------------------------------------------------------------

JpegWalk walkJpegSegments(QByteArrayView b, const std::function<bool(quint8, QByteArrayView)> &visit)
{
    if (!startsWith(b, "\xFF\xD8", 2))
        return JpegWalk::Broken;
    const qsizetype size = b.size();
    qsizetype pos = 2; // after SOI
    while (true) {
        const void *ff = std::memchr(b.data() + pos, 0xFF, size_t(size - pos));
        if (!ff)
            return JpegWalk::Broken;
        pos = static_cast<const char *>(ff) - b.data();
        while (pos < size && byteAt(b, pos) == 0xFF) // fill bytes
            ++pos;
        if (pos >= size)
            return JpegWalk::Broken;
        const quint8 marker = byteAt(b, pos++);
        if (marker == 0xD9) // EOI
            return JpegWalk::Complete;
        const bool standalone = marker == 0x00 // stuffed byte in a scan
                || (marker >= 0xD0 && marker <= 0xD7) // RSTn
                || marker == 0x01 || marker == 0xD8; // TEM, a stray SOI
        if (standalone)
            continue;
        if (size - pos < 2)
            return JpegWalk::Broken;
        const quint16 length = qFromBigEndian<quint16>(b.data() + pos);
        if (length < 2 || length > size - pos)
            return JpegWalk::Broken;
        if (!visit(marker, b.sliced(pos + 2, length - 2)))
            return JpegWalk::Stopped;
        pos += length;
    }
}

namespace {

// --- GIF -------------------------------------------------------------------------------------

// The position after a chain of data sub-blocks (length byte, data) ended by a zero length;
// nothing when the data ends first.
std::optional<qsizetype> skipSubBlocks(QByteArrayView b, qsizetype pos)
{
    while (pos < b.size()) {
        const quint8 length = byteAt(b, pos);
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return std::nullopt;
}

qsizetype colorTableBytes(quint8 packedFields)
{
    return (packedFields & 0x80) ? qsizetype(3) << ((packedFields & 0x07) + 1) : 0;
}

// Only the first image matters: it is all the picture shows, so an animation cut short after its
// first frame still loads.
bool isCompleteGifFirstImage(QByteArrayView b)
{
    constexpr qsizetype ScreenDescriptorEnd = 13;
    if (b.size() < ScreenDescriptorEnd)
        return false;
    qsizetype pos = ScreenDescriptorEnd + colorTableBytes(byteAt(b, 10));
    while (pos < b.size()) {
        switch (byteAt(b, pos)) {
        case 0x21: { // extension: introducer, label, sub-blocks
            const auto next = skipSubBlocks(b, pos + 2);
            if (!next)
                return false;
            pos = *next;
            break;
        }
        case 0x2C: { // image descriptor (10 bytes), local colour table, LZW code size, data
            constexpr qsizetype DescriptorSize = 10;
            if (b.size() - pos < DescriptorSize)
                return false;
            pos += DescriptorSize + colorTableBytes(byteAt(b, pos + 9));
            if (pos >= b.size())
                return false;
            // Codes start one bit wider than the minimum code size and stop at 12 bits, so a
            // minimum above 11 cannot even express its clear code.
            if (byteAt(b, pos) > 11)
                return false;
            return skipSubBlocks(b, pos + 1).has_value();
        }
        default: // the trailer before any image, or not a block at all
            return false;
        }
    }
    return false;
}

// --- PNG and WebP ----------------------------------------------------------------------------

constexpr char PngSignature[] = "\x89PNG\r\n\x1A\n";

// The chunks from the signature to IEND: each one's length (4 bytes, big-endian), type (4),
// data and CRC (4) within the data, IHDR first and at least one IDAT.
bool isCompletePng(QByteArrayView b)
{
    qsizetype pos = 8;
    bool first = true, pixels = false;
    while (b.size() - pos >= 12) {
        const qint64 length = qFromBigEndian<quint32>(b.data() + pos);
        const QByteArrayView type = b.sliced(pos + 4, 4);
        if (length > b.size() - pos - 12)
            return false;
        if (first && (type != "IHDR" || length != 13))
            return false;
        first = false;
        if (type == "IDAT")
            pixels = true;
        if (type == "IEND")
            return pixels;
        pos += 12 + qsizetype(length);
    }
    return false;
}

// RIFF, its size, WEBP, then the first chunk: the simple lossy (VP8), lossless (VP8L) or
// extended (VP8X) format. Whatever follows the RIFF's size is ignored, as by libwebp.
bool isCompleteWebp(QByteArrayView b)
{
    if (b.size() < 20)
        return false;
    const qint64 riffSize = u32At(b, 4);
    if (riffSize < 12 || riffSize > b.size() - 8)
        return false;
    const QByteArrayView first = b.sliced(12, 4);
    return first == "VP8 " || first == "VP8L" || first == "VP8X";
}

// An ISO base media file whose first box is "ftyp" and names one of HEIF's brands for still
// pictures: HEVC (heic, heix, and mif1, msf1 with it), or AV1 (avif, avis).
bool isHeifFileType(QByteArrayView b)
{
    if (b.size() < 16 || b.sliced(4, 4) != "ftyp")
        return false;
    const qint64 boxSize = qFromBigEndian<quint32>(b.data());
    if (boxSize < 16 || boxSize > b.size())
        return false;
    static constexpr std::array<QByteArrayView, 10> brands = {"heic", "heix", "heim", "heis", "hevc",
                                                              "hevx", "mif1", "msf1", "avif", "avis"};
    // The major brand, then the compatible ones after the minor version.
    for (qsizetype pos = 8; pos + 4 <= boxSize; pos += pos == 8 ? 8 : 4) {
        if (std::find(brands.begin(), brands.end(), b.sliced(pos, 4)) != brands.end())
            return true;
    }
    return false;
}

std::atomic_bool moreFormats{false};

// --- WMF -------------------------------------------------------------------------------------

bool hasSoundRecords(QByteArrayView b, qsizetype pos)
{
    constexpr qsizetype RecordHeaderSize = 6; // uint32 size in 16-bit words, uint16 function
    constexpr quint32 MinRecordWords = 3;
    while (b.size() - pos >= RecordHeaderSize) {
        const quint32 words = u32At(b, pos);
        const quint16 function = u16At(b, pos + 4);
        // A size below 3 words would not move past the record itself, and a player trusting it
        // would loop for ever.
        if (words < MinRecordWords || qint64(words) > (b.size() - pos) / 2)
            return false;
        if (function == 0x0000) // META_EOF
            return true;
        pos += qsizetype(words) * 2;
    }
    return false;
}

} // namespace

bool isPlausibleNaturalSize(const QSizeF &px)
{
    return px.width() > 0 && px.height() > 0 && px.width() <= MaxNaturalSide
            && px.height() <= MaxNaturalSide && px.width() * px.height() <= MaxNaturalArea;
}

Format sniffFormat(QByteArrayView bytes)
{
    if (startsWith(bytes, "BM", 2))
        return Format::Bmp;
    if (startsWith(bytes, "\xFF\xD8", 2))
        return Format::Jpeg;
    if (startsWith(bytes, "GIF87a", 6) || startsWith(bytes, "GIF89a", 6))
        return Format::Gif;
    if (startsWith(bytes, "\xD7\xCD\xC6\x9A", 4))
        return Format::PlaceableWmf;
    if (!MoreFormats())
        return Format::Unknown;
    if (startsWith(bytes, PngSignature, 8))
        return Format::Png;
    if (startsWith(bytes, "RIFF", 4) && bytes.size() >= 12 && bytes.sliced(8, 4) == "WEBP")
        return Format::Webp;
    if (isHeifFileType(bytes))
        return Format::Heif;
    return Format::Unknown;
}

QByteArray qtFormatName(Format format)
{
    switch (format) {
    case Format::Bmp:
        return QByteArrayLiteral("bmp");
    case Format::Jpeg:
        return QByteArrayLiteral("jpeg");
    case Format::Gif:
        return QByteArrayLiteral("gif");
    case Format::Png:
        return QByteArrayLiteral("png");
    case Format::Webp:
        return QByteArrayLiteral("webp");
    case Format::Heif:
    case Format::PlaceableWmf:
    case Format::Unknown:
        break;
    }
    return {};
}

void SetMoreFormats(bool on)
{
    moreFormats = on;
}

bool MoreFormats()
{
    return moreFormats;
}

bool isDecodedWhole(Format format)
{
    return format == Format::Png || format == Format::Webp || format == Format::Heif;
}

namespace {

// Whether a JPEG is complete and asks no more of libjpeg than a real photo does. A progressive
// file, or a sequential one whose components come in separate scans, is decoded through a buffer
// of every DCT coefficient of the image (2 bytes each, 64 per 8 x 8 block of each component),
// whatever scale is asked for, and every scan walks that buffer again.
bool isSoundJpeg(QByteArrayView b)
{
    bool progressive = false;
    qint64 blocks = 0; // 8 x 8 blocks of all components, padded to whole MCUs
    qint64 scans = 0;
    const JpegWalk walk = walkJpegSegments(b, [&](quint8 marker, QByteArrayView payload) {
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && blocks == 0 && payload.size() >= 6) {
            // SOFn: precision, height, width, components, then 3 bytes per component.
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            const qint64 height = qFromBigEndian<quint16>(payload.data() + 1);
            const qint64 width = qFromBigEndian<quint16>(payload.data() + 3);
            const int components = byteAt(payload, 5);
            if (payload.size() < 6 + 3 * components) {
                blocks = -1; // a frame header cut short
                return false;
            }
            int hMax = 1, vMax = 1;
            for (int c = 0; c < components; ++c) {
                const quint8 sampling = byteAt(payload, 7 + 3 * c);
                hMax = std::max(hMax, sampling >> 4);
                vMax = std::max(vMax, sampling & 15);
            }
            const qint64 mcuColumns = (width + 8 * hMax - 1) / (8 * hMax);
            const qint64 mcuRows = (height + 8 * vMax - 1) / (8 * vMax);
            for (int c = 0; c < components; ++c) {
                const quint8 sampling = byteAt(payload, 7 + 3 * c);
                blocks += mcuColumns * std::max(1, sampling >> 4) * mcuRows * std::max(1, sampling & 15);
            }
        } else if (marker == 0xDA) {
            ++scans;
        }
        return true;
    });
    if (walk != JpegWalk::Complete)
        return false;
    // The whole-image buffer; none for a single-scan sequential file.
    const qint64 coefficientBytes = progressive || scans > 1 ? blocks * 64 * 2 : 0;
    return scans <= MaxJpegScans && coefficientBytes <= MaxPictureBytes
            && coefficientBytes * scans <= MaxJpegScanWork;
}

} // namespace

bool isStructurallySound(Format format, QByteArrayView bytes)
{
    switch (format) {
    case Format::Bmp:
        return isSoundBmp(bytes);
    case Format::Jpeg:
        return isSoundJpeg(bytes);
    case Format::Gif:
        return isCompleteGifFirstImage(bytes);
    case Format::Png:
        return isCompletePng(bytes);
    case Format::Webp:
        return isCompleteWebp(bytes);
    case Format::Heif:
    case Format::PlaceableWmf:
    case Format::Unknown:
        break;
    }
    return false;
}

std::optional<MetafileHeader> readPlaceableMetafile(QByteArrayView b)
{
    constexpr qsizetype PlaceableHeaderSize = 22;
    constexpr qsizetype MetaHeaderSize = 18;
    if (sniffFormat(b) != Format::PlaceableWmf || b.size() < PlaceableHeaderSize + MetaHeaderSize)
        return std::nullopt;

    // The checksum at offset 20 is not checked: it covers only these 20 bytes, which are checked
    // for sense below anyway, and says nothing about the records that follow, which the walk
    // checks. libwmf ignores it as well and plays such files.
    const int left = s16At(b, 6);
    const int top = s16At(b, 8);
    const int right = s16At(b, 10);
    const int bottom = s16At(b, 12);
    const int unitsPerInch = u16At(b, 14);
    // An inverted box is refused rather than mirrored or normalised: the box is the only source
    // of the size and placement of the drawing, and a writer that got its corners the wrong way
    // round cannot be trusted with the rest of it.
    if (unitsPerInch == 0 || right <= left || bottom <= top)
        return std::nullopt;

    // In int, not int16: 32767 - (-32768) is the full 16-bit range.
    const int width = right - left;
    const int height = bottom - top;
    MetafileHeader header;
    header.logicalPixels = QSizeF(width * 96.0 / unitsPerInch, height * 96.0 / unitsPerInch);
    header.himetric = QSize(int(std::lround(width * 2540.0 / unitsPerInch)),
                            int(std::lround(height * 2540.0 / unitsPerInch)));
    if (!isPlausibleNaturalSize(header.logicalPixels) || header.himetric.isEmpty())
        return std::nullopt;

    // METAHEADER: type 1 (memory) or 2 (disk), header size 9 words. Its file-size field is not
    // needed: the record walk bounds everything by the real data.
    const quint16 type = u16At(b, PlaceableHeaderSize);
    const quint16 headerWords = u16At(b, PlaceableHeaderSize + 2);
    if ((type != 1 && type != 2) || headerWords != MetaHeaderSize / 2)
        return std::nullopt;
    if (!hasSoundRecords(b, PlaceableHeaderSize + MetaHeaderSize))
        return std::nullopt;
    return header;
}

std::optional<QSize> headerSize(Format format, QByteArrayView b)
{
    if (b.size() < 32)
        return std::nullopt;
    QSize size;
    if (format == Format::Png && startsWith(b, PngSignature, 8) && b.sliced(12, 4) == "IHDR") {
        const quint32 width = qFromBigEndian<quint32>(b.data() + 16), height = qFromBigEndian<quint32>(b.data() + 20);
        if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
            return std::nullopt;
        size = QSize(int(width), int(height));
    } else if (format == Format::Webp) {
        const QByteArrayView chunk = b.sliced(12, 4);
        if (chunk == "VP8 " && quint8(b[23]) == 0x9D && quint8(b[24]) == 0x01 && quint8(b[25]) == 0x2A)
            size = QSize(u16At(b, 26) & 0x3FFF, u16At(b, 28) & 0x3FFF);
        else if (chunk == "VP8L" && quint8(b[20]) == 0x2F)
            size = QSize(int(u32At(b, 21) & 0x3FFF) + 1, int((u32At(b, 21) >> 14) & 0x3FFF) + 1);
        else if (chunk == "VP8X")
            size = QSize(int(u32At(b, 24) & 0xFFFFFF) + 1, int(u32At(b, 27) & 0xFFFFFF) + 1);
    }
    if (size.isEmpty())
        return std::nullopt;
    return size;
}

} // namespace platform::formats
