// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The teacher's options for children who cannot hold a button while they move, or who use only
// a keyboard or point without pressing: clickToCarry (Carry.h), keyboardPointer (KeyPointer.h),
// dwell (Dwell.h) and switch scanning (Scan.h). Each watches the whole application and drives
// the controls with the mouse events a mouse would make; with all off none is installed. With
// every setting, a screen reader can place and take off pictures and texts (ScreenReader.h).

class Form1;
class QObject;

namespace accessibility {

// Installs what the settings ask for over the main window, and the screen reader's actions; the
// filters are children of parent.
void Install(Form1 &form, QObject *parent);

} // namespace accessibility
