#pragma once

// The kana lock of the program's input method, as the text-editing mode sees it.
// Stand-in until the keyboard's key injection arrives: the lock is a plain flag here.

namespace platform {

// Whether the kana lock is on (the input method types kana).
bool KanaLockOn();

// Stand-in only: turns the lock over, as one press and release of the kana lock key would.
void FlipKanaLock();

} // namespace platform
