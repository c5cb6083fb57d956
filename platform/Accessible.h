// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's controls as screen readers see them. Qt already reports
// command buttons as buttons and text boxes with their text; the keys of the on-screen
// keyboard, the colour swatches, the gallery cells and the poster's picture slots are labels and
// painted widgets, which a screen reader could see but not press. Each such class of control
// gets an accessibility interface of its own: a role (keys, swatches and gallery cells are
// buttons, slots and the paper are graphics), its caption as its name, and a press action that
// does what a click of the mouse on it does. The poster's text slots are seen as Qt sees its text
// edits (their text read and edited), through an interface of ours so that they too can offer
// further named actions, which the layers above give a control (what they do is theirs to know).

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Installs the interfaces for the controls whose interfaces are made from now on (a control's
// interface is made when a screen reader first asks for it), and takes them away again.
void InstallAccessibleControls();

// Does what the mouse does when it passes over control and clicks its centre: the pass goes to
// the control, the press and the release to whatever then lies on top at that point (over a
// gallery cell, the picture slot the pass laid there).
void PressLikeMouse(QWidget *control);

// Gives control one more action for screen readers, offered while available() says so. It runs
// after the screen reader's call has returned, as what it does may open a message box, which
// would hold the call until the box is closed. Does nothing to a control that has no interface
// of its own here.
void AddAccessibleAction(QWidget *control, const QString &name, std::function<bool()> available,
                         std::function<void()> run);

} // namespace platform
