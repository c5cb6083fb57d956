// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sample pictures, one drawing each, in the drawing's own units: the raster pictures
// (RasterPictures.cpp), painted with a background and thick lines, and the vector pictures
// (VectorPictures.cpp), which have no background and only ellipses, rectangles and polygons,
// since they are written as metafiles.

#include "tools/samples/Drawing.h"

namespace samples {

// Raster pictures.
Drawing Sun();      // sun and clouds
Drawing Flower();
Drawing House();
Drawing Tree();     // an apple tree
Drawing Car();
Drawing Fish();
Drawing CatFace();
Drawing Apple();
Drawing Star();     // a smiling star
Drawing Balloons(); // three balloons
Drawing Rainbow();
Drawing Boat();     // a sailing boat

// Vector pictures.
Drawing Kite();
Drawing Snowman();
Drawing Ladybug(); // a ladybird on a leaf

} // namespace samples
