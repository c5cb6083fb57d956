// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A phone's HEIC photo decoded by libde265 directly, without libheif in between. libheif
// decodes each tile of a grid with a decoder made for it, converts it into RGB planes of the
// whole picture's size, and leaves the putting together of its pixels to us: for a 24-megapixel
// photo those steps cost as much as decoding the video stream itself. Here each thread keeps one
// decoder for all the tiles it takes, and each tile goes straight into the 32-bit rows of a band
// of tiles, which is made smaller by area as it comes (AreaReduce.h) and converted from YCbCr
// once it is smaller. The thumbnail stored with a photo, a small picture coded whole, is
// decoded here too: libheif's set-up for it costs as much as decoding it.

#include <QImage>
#include <QSize>

namespace platform::heif {

struct HevcPicture;

// The picture upright, made smaller by area to size where that is smaller (an invalid size: the
// natural size); a null image when it cannot be decoded here (libheif may still).
QImage DecodeHevc(const HevcPicture &picture, const QSize &size = QSize());

} // namespace platform::heif
