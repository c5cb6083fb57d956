// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a camera's EXIF block in a JPEG says that matters for showing the photo: which way up it
// was held (the orientation tag, 1 to 8), and the small JPEG of it that cameras and phones store
// for previews. The block is found by walking the file's markers up to the first scan, bounds-
// checked against the data, and parsed by libexif; a missing or malformed block gives the
// defaults (upright, no thumbnail).

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>

namespace platform::exif {

struct Facts
{
    int orientation = 1;  // 1 to 8, as the tag defines them; 1 when absent or out of range
    QByteArray thumbnail; // the embedded JPEG as stored (in the photo's stored orientation)
};

// The payload of the first APP1 segment that starts with "Exif\0\0" among the segments before
// the first scan of a JPEG; empty when there is none or the markers before it do not hold
// together.
QByteArrayView FindExifSegment(QByteArrayView jpeg);

// The facts of a JPEG's EXIF block (see above).
Facts ReadFacts(QByteArrayView jpeg);

// Whether the orientation turns the picture by a quarter, so that its stored width is its height
// when shown (5 to 8).
constexpr bool SwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// A size as stored turned as the orientation shows it, and back (the same for both).
QSize Oriented(const QSize &stored, int orientation);

// The stored pixels turned upright as the orientation says: mirrored, turned, or both.
QImage Upright(const QImage &stored, int orientation);

} // namespace platform::exif
