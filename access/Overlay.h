// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the input library draws over a window's controls (the frame of what is carried, the
// dwell's ring, the scan's light) lets every click through to the controls beneath and never
// takes the keyboard.

#include <QWidget>

namespace accessibility {

inline void MakeOverlay(QWidget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
}

} // namespace accessibility
