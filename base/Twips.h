// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Units of the program. Positions and sizes of controls are twips (1440 per inch) held as
// single-precision numbers; the layout assumes 15 twips per logical pixel (96 dpi). Picture
// files report their natural size in HIMETRIC (0.01 mm).

#include <QRect>
#include <QRectF>
#include <cstdint>

namespace platform {

inline constexpr double TwipsPerPixel = 15.0;
inline constexpr double TwipsPerInch = 1440.0;
inline constexpr double HimetricPerInch = 2540.0;

// Device pixels per logical pixel of every poster capture and of the drawing surfaces of the
// two picture boxes. The poster is 707 x 499 logical pixels; at 4 a capture holds 2828 x 1996
// pixels, which puts about 250 dots per inch on the printable width of an A4 landscape page
// (the screen's 96 dpi would give only about 63). A capture then costs 22.6 MB of memory.
inline constexpr int CaptureDensity = 4;

// Every "read a position or size for arithmetic" of the program goes through this: round to a
// whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), like the original platform's
// conversion to a 16-bit integer. Values outside -32768..32767 are clamped rather than
// overflowing; NaN gives 0.
std::int16_t RoundInt16(double value);

// Twips <-> logical pixels, for placing widgets. A pixel position is the twips value divided by
// 15 and rounded to the nearest pixel (halves away from zero, like the original windowing layer).
int TwipsToPixels(double twips);
QRect TwipsToPixelRect(double left, double top, double width, double height);
double PixelsToTwips(double pixels);

// HIMETRIC <-> twips: twips = HIMETRIC x 1440 / 2540.
double HimetricToTwips(double himetric);
double TwipsToHimetric(double twips);

// Natural size of a raster picture: it is shown at 96 dpi, one pixel = 2540 / 96 HIMETRIC.
int PixelsToHimetric(int pixels);

} // namespace platform
