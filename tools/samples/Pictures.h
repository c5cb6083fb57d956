// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sample pictures and the program's own pictures, one drawing each, in the drawing's own
// units: the raster pictures, painted with a background and thick lines, and the vector
// pictures, which have no background and only ellipses, rectangles and polygons, since they are
// written as metafiles. The samples' drawings are in RasterPictures.cpp and VectorPictures.cpp,
// the others by theme in AnimalPictures.cpp, FoodPictures.cpp, VehiclePictures.cpp and
// SeasonPictures.cpp.

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

// Animals: raster, then vector.
Drawing Dog();
Drawing Rabbit();
Drawing Bear();
Drawing Pig();
Drawing Chick(); // out of its egg
Drawing Frog();  // on a lily pad
Drawing Panda();
Drawing Whale();
Drawing Penguin();
Drawing Butterfly();

// Fruit and sweets: raster, then vector.
Drawing Strawberry();
Drawing Banana(); // a bunch of three
Drawing Grapes();
Drawing Watermelon(); // two slices
Drawing Mandarins();
Drawing Cake(); // a birthday cake with candles
Drawing IceCream();
Drawing Cherries();

// Vehicles and weather: raster, then vector.
Drawing Train();
Drawing Bus();
Drawing Aeroplane();
Drawing Rocket();
Drawing Moon(); // a sleeping crescent
Drawing Rain(); // a smiling cloud
Drawing Umbrella();

// School and the seasons: raster, then vector.
Drawing SchoolBag();
Drawing Clock(); // an alarm clock
Drawing Books();
Drawing CherryBlossom();
Drawing Sunflower();
Drawing Present();
Drawing ChristmasTree();
Drawing Pencil();
Drawing Acorns();

} // namespace samples
