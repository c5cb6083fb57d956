// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rules about the poster's slots that the wizard, the gallery, the texts and the clear buttons
// share. A picture slot or text slot whose left edge lies at 9300 twips or more is not placed:
// it lies in the side panel right of the poster.

#include "form/Form1.h"
#include "platform/Controls.h"
#include "base/Twips.h"

namespace Poster {

inline constexpr double PlacedLimit = 9300;

// Standard sizes of slots that are not placed.
inline constexpr double PictureSlotWidth = 1785;
inline constexpr double PictureSlotHeight = 1340;
inline constexpr double TextSlotWidth = 3855;
inline constexpr double TextSlotHeight = 615;
inline constexpr double TextSlotFontSize = 24;

// Where a text slot waits in the side panel, and where the wizard and "クリア" send it back.
inline constexpr double TextHomeLeft = 11040;
inline constexpr double TextHomeTop(int index) { return 2520.0 + 720.0 * index; }

// Left edge that makes a picture slot free again.
inline constexpr double FreeSlotLeft = 9500;

template<class Slot>
bool IsPlaced(const Slot &slot)
{
    return slot.twipsLeft() < PlacedLimit;
}

// A picture slot back at 1785 x 1340 (height first, as the program has always set it).
void GiveStandardSize(platform::ImageControl &slot);
// A text slot back at 3855 x 615 with font size 24. The order of the three properties follows
// the callers: height, width, font size.
void GiveStandardSize(platform::RichTextBox &slot);

// Starts the tick counter of Timer1 if it is idle.
void StartTimer(Form1 &form);

// Takes the selection border off every picture slot and every text slot 0..9.
void ClearSelectionBorders(Form1 &form);

// One step of dragging a picture slot or a text slot: the pointer is at (x, y) twips inside the
// slot and was picked up at (GrabX, GrabY) of the form. The slot's top, left, height and width
// are read once, as whole twips, and all four edge tests use those values, so a slot may pass
// an edge of the window (its outer size) by one step and then moves no further that way.
template<class Slot>
void DragStep(Form1 &form, Slot &slot, double x, double y);

template<class Slot>
void DragStep(Form1 &form, Slot &slot, double x, double y)
{
    const std::int16_t T = platform::RoundInt16(slot.twipsTop());
    const std::int16_t L = platform::RoundInt16(slot.twipsLeft());
    const std::int16_t H = platform::RoundInt16(slot.twipsHeight());
    const std::int16_t W = platform::RoundInt16(slot.twipsWidth());
    const float dy = static_cast<float>(y - form.GrabY);
    const float dx = static_cast<float>(x - form.GrabX);
    if (dy < 0 && T > 0)
        slot.setTwipsTop(T + dy);
    if (dx < 0 && L > 0)
        slot.setTwipsLeft(L + dx);
    if (dy > 0 && form.twipsHeight() - H > T)
        slot.setTwipsTop(T + dy);
    if (dx > 0 && form.twipsWidth() - W > L)
        slot.setTwipsLeft(L + dx);
}

} // namespace Poster
