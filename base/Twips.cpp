// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Twips.h"

#include <cmath>

namespace platform {

std::int16_t RoundInt16(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= -32768.0)
        return -32768;
    if (value >= 32767.0)
        return 32767;
    // nearbyint honours the default rounding mode, round-half-to-even.
    return static_cast<std::int16_t>(std::nearbyint(value));
}

int TwipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

QRect TwipsToPixelRect(double left, double top, double width, double height)
{
    // Edges are rounded, not the size, so that controls that touch in twips touch on screen.
    const int x = TwipsToPixels(left);
    const int y = TwipsToPixels(top);
    const int right = TwipsToPixels(left + width);
    const int bottom = TwipsToPixels(top + height);
    return QRect(x, y, std::max(0, right - x), std::max(0, bottom - y));
}

double PixelsToTwips(double pixels)
{
    return pixels * TwipsPerPixel;
}

double HimetricToTwips(double himetric)
{
    return himetric * TwipsPerInch / HimetricPerInch;
}

double TwipsToHimetric(double twips)
{
    return twips * HimetricPerInch / TwipsPerInch;
}

int PixelsToHimetric(int pixels)
{
    return static_cast<int>(std::lround(pixels * HimetricPerInch / 96.0));
}

} // namespace platform
