#pragma once

// The on-screen keyboard's operations that the text-editing mode uses.
// Stand-in until the keyboard arrives.

namespace text {

// Presses and releases the kana lock key once, then lets pending events run.
void ToggleKanaLock();

} // namespace text
