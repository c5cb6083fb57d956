// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Copies the poster area of the main window into a new picture, whenever the program needs the
// poster as one image: leaving step 1 and step 3, and before printing or saving.
//
// Instead of copying the screen, the area is rendered off-screen from the widgets, so a capture
// works on any display and headless, and holds exactly what the poster area shows: the visible
// picture box with its dots, or the still picture with every visible picture and text slot over
// it, and anything else lying over the area. A picture still being decoded again for the size
// it is shown at is finished first (platform::ImageControl::settle), so that no blurred stand-in
// reaches print or a saved file; with moreFormats the pointer shows the program busy meanwhile.
// A picture that could not be decoded stays as it is shown: its stand-in or thumbnail. What marks a text box being typed into (its caret, the block of
// a selected word) is left out, as the selection borders are. The capture is 707 x 499 logical
// pixels, held at
// platform::CaptureDensity pixels per logical pixel, so that print is not limited to the
// screen's resolution.

#include "pictures/Picture.h"

#include <QRect>

class QWidget;

namespace output {

// The poster rectangle in logical pixels of the main window's client area: the paper's
// rectangle (left 240, top 2760, 10605 x 7485 twips) at 15 twips per pixel.
inline constexpr QRect PosterRect(16, 184, 707, 499);

// A new picture of the poster area of the main window's client area.
platform::Picture CapturePoster(QWidget *mainClient);

// A new picture holding a copy of a rectangle (logical pixels) of a window's client area.
platform::Picture GrabWindowArea(QWidget *client, int left, int top, int width, int height);

// Wraps captured pixels as a picture object that owns them. The display is true colour, so a
// capture never carries a palette.
platform::Picture BitmapToPicture(const QImage &bitmap);

} // namespace output
