// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a drawing becomes a sample file: painted with QPainter at the file's size for the raster
// formats (with the colours reduced to a palette for RLE and GIF), or recorded shape by shape as
// a placeable metafile. The writers are those of the tests (tests/support/PictureFiles.h,
// ExifJpeg.h), so every run writes the same bytes.

#include "tools/samples/Drawing.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace samples {

enum class Format {
    Bmp24,     // 24 bits a pixel
    Rle8,      // 8-bit palette, RLE8 compressed
    Rle4,      // 4-bit palette (painted without antialiasing), RLE4 compressed
    Gif,       // GIF89a, 256 colours
    Jpeg,      // quality 90
    PhoneJpeg, // as a phone writes a photo taken held upright: the pixels stored on their side, an
               // EXIF block saying to turn them a quarter clockwise, and a small thumbnail
    Wmf,       // placeable metafile, 1000 units an inch
};

// The bytes of the file of drawing in format, a raster one of pixels; empty, with *error saying
// why, when the drawing cannot be written so.
QByteArray Encode(const Drawing &drawing, Format format, QSize pixels, QString *error);

} // namespace samples
