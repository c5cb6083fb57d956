// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The teacher's options for children who cannot hold a button while they move, or who use only
// a keyboard or point without pressing: clickToCarry (Carry.h), keyboardPointer (KeyPointer.h),
// dwell (Dwell.h) and switch scanning (Scan.h). Each watches the whole application and drives
// the controls with the mouse events a mouse would make; with all off nothing is installed.

class Form1;
class QObject;

namespace accessibility {

// Installs what the settings ask for over the main window; the filters are children of parent.
void Install(Form1 &form, QObject *parent);

} // namespace accessibility
