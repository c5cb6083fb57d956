// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What decoding a picture of today's formats whole will cost, told from its header and its size
// in bytes before a pixel is decoded, and what a gallery cell shows meanwhile when that is too
// long to wait for while a page is laid out.
//
// PNG, WebP and HEIF have no reduced decode (PictureFormats.h, isDecodedWhole): a thumbnail of a
// 24-megapixel photo costs as much as the whole photo, half a second to a second and a half of
// one core. A page of ten such cells would keep the child waiting for seconds, and one costly
// file would hold back every cell after it. A cell whose picture is predicted to take longer
// than MaxThumbnailDecodeMilliseconds (and that has no stored thumbnail to show) is laid out at
// once with the picture's true proportions and a stand-in drawing; the gallery has the picture
// decoded off the page's way and shows it when it comes. The designed formats never need this.

#include "pictures/PictureFormats.h"

#include <QImage>
#include <QSize>

namespace platform::formats {

// Milliseconds (measured on a two-core x86-64 of 2026 with the decoders this program uses) for
// decoding a picture of format, stored pixels and file bytes whole; a HEIF picture coded in
// tiles (HeifBoxes.h) is decoded on as many cores as there are, up to one a tile. 0 for the
// formats with a reduced decode, whose cost the loader's other bounds hold.
double PredictedDecodeMilliseconds(Format format, const QSize &stored, qint64 bytes, int tiles = 1);
// The same for pixels counted otherwise (the frames a HEIF picture's streams ask for).
double PredictedDecodeMilliseconds(Format format, double pixels, qint64 bytes, int tiles = 1);

// How much longer a HEIF picture of more than 8 bits a sample (phones' HDR photos, many AVIFs)
// is counted to take. libde265 decodes such samples without its vector code: a 12-megapixel HEIC
// of 10 bits took 2.2 times as long as the same picture of 8 bits, 0.91 of its prediction where
// the 8-bit one took 0.40; this keeps it at three quarters.
inline constexpr double DeepSampleFactor = 1.25;

// The longest decode a gallery cell waits for while its page is laid out.
inline constexpr double MaxThumbnailDecodeMilliseconds = 150;

// The stand-in drawing at pixels: a pale card with a small hill and sun, the shape of a
// picture still to come.
QImage StandInImage(const QSize &pixels);

// The card a gallery cell shows for a file that cannot be read, at pixels: grey, with a picture
// torn in two on it, so that something is seen to be there that cannot be shown.
QImage BrokenCardImage(const QSize &pixels);

} // namespace platform::formats
