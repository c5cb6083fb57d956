// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A mouse pointer about four times the usual size, for children with low vision: a black arrow
// with a white rim, drawn by the program at the screen's density so that it stays sharp.

#include <QCursor>

namespace platform {

// The arrow's height in logical pixels (the usual pointer is about 24).
inline constexpr int BigCursorHeight = 96;

// The big arrow; its hot spot is the arrow's tip.
QCursor BigArrowCursor(qreal devicePixelRatio);

// With on, every window of the program shows the big arrow (an application override cursor, so
// Qt's own dialogs show it too); with off, the usual pointers again.
void UseBigCursor(bool on);

} // namespace platform
