// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/Access.h"

#include "access/Carry.h"
#include "access/Dwell.h"
#include "access/KeyPointer.h"
#include "access/Scan.h"
#include "access/ScreenReader.h"
#include "platform/Narrator.h"
#include "settings/Settings.h"

namespace accessibility {

void Install(Form1 &form, QObject *parent)
{
    // A screen reader's actions for what others drag, with every setting.
    AddPlacingActions(form);
    // The keys make mouse events that the carrying then sees like any others.
    // Scanning picks up and puts down with the carrying's own code.
    CarryFilter *carry = nullptr;
    if (settings::Current().clickToCarry || settings::Current().scan != 0)
        carry = new CarryFilter(form, parent);
    if (settings::Current().keyboardPointer)
        new KeyPointer(parent);
    if (settings::Current().dwell > 0)
        new DwellClicker(settings::Current().dwell, parent);
    // Made last, so that it sees the switch's keys and clicks before the others.
    if (settings::Current().scan != 0)
        new Scanner(form, *carry, parent->findChild<platform::Narrator *>(), parent);
}

} // namespace accessibility
