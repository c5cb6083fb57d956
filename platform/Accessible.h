// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's controls as screen readers see them. Qt already reports
// command buttons as buttons and text boxes with their text; the keys of the on-screen
// keyboard, the colour swatches, the gallery cells and the poster's picture slots are labels and
// painted widgets, which a screen reader could see but not press. Each such class of control
// gets an accessibility interface of its own: a role (keys, swatches and gallery cells are
// buttons, slots and the paper are graphics), its caption as its name, and a press action that
// does what a click of the mouse on it does.

class QWidget;

namespace platform {

// Installs the interfaces for the controls whose interfaces are made from now on (a control's
// interface is made when a screen reader first asks for it), and takes them away again.
void InstallAccessibleControls();

// Does what the mouse does when it passes over control and clicks its centre: the pass goes to
// the control, the press and the release to whatever then lies on top at that point (over a
// gallery cell, the picture slot the pass laid there).
void PressLikeMouse(QWidget *control);

} // namespace platform
