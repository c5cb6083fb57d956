// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The event loop as the program's handlers see it.

namespace platform {

// Lets pending events run once, so that windows repaint and timers tick. User input that
// arrives meanwhile (mouse, keyboard, wheel) is held back and delivered, in order, only after
// the handler that yielded has returned to the event loop: a second wizard move can never start
// inside the first. A modal dialog that the handler opens after yielding (print, save, a
// message) takes its own input at once; the windows under it get none, as the dialog refuses it.
void Yield();

// True while user input is being held back for a handler that yielded.
bool IsHoldingInput();

// Marks a handler that yields: input held back during its yields is delivered as soon as the
// outermost such handler returns. A handler without it has its held input delivered when the
// event loop next runs at the level that called it.
class YieldingHandler final
{
public:
    YieldingHandler();
    ~YieldingHandler();
    YieldingHandler(const YieldingHandler &) = delete;
    YieldingHandler &operator=(const YieldingHandler &) = delete;
};

// Ends the program at once: every window is hidden and the event loop is told to exit. Nothing
// is asked and nothing is saved.
void EndProgram();

} // namespace platform
