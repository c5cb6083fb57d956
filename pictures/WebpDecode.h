// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// WebP pictures (moreFormats) decoded by libwebp directly, made smaller by libwebp itself while it
// decodes (each pixel the mean of the area it covers), so that a thumbnail never holds the
// picture at its natural size. A picture with an alpha channel comes out premultiplied.
//
// The caller checks the file and its size first (PictureFormats.h); this only decodes.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace platform::webp {

// The still WebP in bytes at size: QImage::Format_ARGB32_Premultiplied when the picture has an
// alpha channel, Format_RGB32 otherwise. A size larger than the picture's on either side gives
// its natural size. A null image when the file is broken or cut short; nothing for an animation,
// whose first frame is left to Qt's reader.
std::optional<QImage> Decode(const QByteArray &bytes, const QSize &size);

} // namespace platform::webp
