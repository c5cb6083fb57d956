// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a screen reader's user does where others drag. Each gallery cell offers the action "はる":
// its picture goes onto the poster, centred on the place of a 3 x 3 grid over the paper that
// holds the fewest placed pictures and texts (the first such place in reading order), growing as
// a drag there grows it. Each placed picture and each placed text offers "もどす": it is taken off
// as a release in the side panel takes it off (a text goes back to its home place). Both are done
// with the mouse events a drag makes, sent to the controls a drag sends them to, so the
// subsystems' own handlers do the work (the pass that lays a slot over the cell, the eleventh
// picture refused, the one-time growth, the history's step). They change nothing a mouse user
// sees, and are there with every setting.

#include <QPoint>
#include <QString>

class Form1;

namespace accessibility {

inline const QString PlaceAction = QStringLiteral("はる");
inline const QString TakeOffAction = QStringLiteral("もどす");

void AddPlacingActions(Form1 &form);

// Where "はる" puts the centre of a picture now, in pixels of the main window's client area.
QPoint PlacingPoint(const Form1 &form);

} // namespace accessibility
