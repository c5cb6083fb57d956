// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// PNG pictures (moreFormats) decoded by libpng directly, row by row, and made smaller as the rows
// come: each row is added into one row of sums of the result, so that a thumbnail of a
// 25-megapixel picture never holds more than a row of it. Every colour type and bit depth comes
// out as 8 bits a channel (16-bit samples rounded, not cut), with its transparency (an alpha
// channel or a tRNS chunk) premultiplied; a picture with none is opaque 32-bit. No gamma or
// colour conversion is made, as Qt's reader makes none.
//
// The caller checks the file and its size first (PictureFormats.h); this only decodes.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace platform::png {

// The PNG in bytes at size, each pixel of the result the mean of the box of source pixels it
// covers: QImage::Format_ARGB32_Premultiplied when the picture has transparency, Format_RGB32
// otherwise. A size larger than the picture's on either side gives its natural size. A null
// image when the file is broken or cut short; nothing for an interlaced file, which is left to
// Qt's reader.
std::optional<QImage> Decode(const QByteArray &bytes, const QSize &size);

} // namespace platform::png
