// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JPEG files as cameras and phones write them: an EXIF block (APP1) right after the start of the
// image, with the orientation tag and a small JPEG of the photo for previews. For the samples,
// the tests, the benchmarks and the fuzz targets; written by hand, in either byte order, so that
// the program's reader is checked against an independent writer.

#include <QByteArray>
#include <QImage>

namespace exifjpeg {

enum class ByteOrder { Intel, Motorola }; // "II" little-endian, "MM" big-endian

// The bytes of image as a JPEG of the given quality, as Qt writes it; empty when it cannot.
QByteArray Encode(const QImage &image, int quality = 85);

// The APP1 segment of an EXIF block holding tiff (cut to what a segment can hold).
QByteArray App1Segment(const QByteArray &tiff);

// jpeg with an EXIF block inserted after its SOI marker: orientation 1 to 8 in the photo's own
// directory (none when 0), and thumbnail (a JPEG; none when empty) in the second directory.
QByteArray WithExif(const QByteArray &jpeg, int orientation, const QByteArray &thumbnail,
                    ByteOrder order = ByteOrder::Intel);

// A JPEG of nothing but an EXIF block holding tiff: the start of the image, the APP1 segment and
// the end of the image, which is all a reader of EXIF blocks looks at.
QByteArray ExifOnly(const QByteArray &tiff);

} // namespace exifjpeg
