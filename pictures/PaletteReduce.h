// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

namespace platform {

// A palette picture (8 or 1 bits a pixel) made smaller without a 32-bit copy of the whole
// picture: every pixel of the result is the mean of the box of source pixels it covers, read
// through the palette. A large box is sampled on an even grid of at most 8 x 8 of its pixels,
// so that a thumbnail of a huge bitmap costs no pass over all of it. A size larger than the
// picture's is scaled smoothly instead.
QImage ReducePalettePicture(const QImage &source, const QSize &size);

} // namespace platform
