// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The little of a HEIF file's boxes the loader reads itself, before libheif decodes anything:
// whether its primary picture is a grid of tiles, and of how many. A phone stores its photos as
// a grid of tiles (512 x 512 pixels each), which libheif decodes side by side on as many threads
// as the machine has, where a picture coded whole is decoded on one: the same pixels cost half
// the time on two cores. What a file's decode is allowed to cost counts that (DecodeCost.h).

#include <QByteArrayView>

namespace platform::heif {

// The number of tiles the primary picture's grid references, or 1 when the primary picture is
// not a grid, or when the boxes cannot be read (libheif then judges the file itself).
int PrimaryTiles(QByteArrayView file);

} // namespace platform::heif
