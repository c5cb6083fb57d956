// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/Access.h"

#include "access/Carry.h"
#include "access/Dwell.h"
#include "access/KeyPointer.h"
#include "settings/Settings.h"

namespace accessibility {

void Install(Form1 &form, QObject *parent)
{
    // The keys make mouse events that the carrying then sees like any others.
    if (settings::Current().clickToCarry)
        new CarryFilter(form, parent);
    if (settings::Current().keyboardPointer)
        new KeyPointer(parent);
    if (settings::Current().dwell > 0)
        new DwellClicker(settings::Current().dwell, parent);
}

} // namespace accessibility
