// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files of today's picture formats (moreFormats), for the tests, the benchmarks and the fuzz
// targets' seeds: PNG and WebP as Qt writes them, HEIC and AVIF through libheif's encoders (x265
// and aom here), with a rotation as phones record it, an EXIF block and a thumbnail as phones
// store them.

#include <QByteArray>
#include <QImage>

namespace modernpictures {

// image as a PNG (with its alpha, if any) or as a WebP of the given quality; empty when Qt cannot.
QByteArray Png(const QImage &image);
QByteArray Webp(const QImage &image, int quality = 80);

enum class HeifCodec { Hevc, Av1 }; // HEIC, AVIF

struct HeifOptions
{
    HeifCodec codec = HeifCodec::Hevc;
    int quality = 80;
    // Which way up the stored pixels are seen, 1 to 8 as EXIF counts: written as the file's
    // rotation and mirroring (irot, imir), and into an EXIF block as well when exifOrientation.
    int orientation = 1;
    bool exifOrientation = false;
    // A thumbnail of the picture fitted in this square, 0 for none.
    int thumbnailSide = 0;
    // The encoder's fastest setting (for large pictures in the benchmarks), not its default.
    bool fast = false;
    // Bits a sample: 8, or 10 or 12 as in AVIF and in the HDR photos of phones.
    int bitDepth = 8;
};

// image (its alpha kept, if any) in a HEIF container; empty when no encoder is there.
QByteArray Heif(const QImage &image, const HeifOptions &options = {});

// image (without alpha) as phones store a photo: a 'grid' item whose output is the picture's
// size, of hidden tiles of tileSide square, row by row, the right and bottom ones filled out by
// repeating the picture's edge pixels; the rotation and mirroring on the grid, the EXIF block and
// the thumbnail as Heif() writes them. Empty when no encoder is there, when the grid would need
// more than 256 tiles a side, or when a tile or the thumbnail is under 64 pixels a side (libheif
// then writes a grid of its own, which this does not take apart).
QByteArray HeifGrid(const QImage &image, const HeifOptions &options = {}, int tileSide = 512);

// Whether libheif here has an encoder for the codec.
bool CanEncode(HeifCodec codec);

} // namespace modernpictures
