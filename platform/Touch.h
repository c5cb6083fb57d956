// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Fingers and pens on the controls. Qt turns the first finger on a touch screen, and a pen,
// into mouse events (a second finger makes none), so every handler works with them as with the
// mouse; what a finger does differently is adjusted here, and nothing changes for a mouse.

class QMouseEvent;
class QWidget;

namespace platform {

// Whether a mouse event was made from a finger or a pen rather than by a mouse.
bool IsFromTouchOrPen(const QMouseEvent *event);

// A finger never lands still: on this control the moves of a finger or pen that stay within the
// desktop's drag distance of where it pressed are dropped, so that a tap is a click, not a drag.
void KeepTapsStill(QWidget *control);

} // namespace platform
