// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keyboard input that the program injects: key event records as the older desktop defined them,
// our own translation of a virtual key to the scan code a JIS keyboard sends, and the state of
// the shift and kana lock keys. Injected events go, in order, to the kana input method of the
// text box that has the focus (KanaInputMethod.h).

#include "input/KeyCodes.h"

#include <QObject>
#include <QVector>

#include <cstdint>

namespace platform {

// One keyboard event, in the keyboard variant of the older desktop's input record.
struct KeyEventRecord
{
    std::uint32_t type = InputKeyboard;
    std::uint16_t virtualKey = 0;
    std::uint16_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t extraInfo = 0;

    bool keyUp() const { return (flags & KeyEventKeyUp) != 0; }
    bool operator==(const KeyEventRecord &) const = default;
};

// The scan code (set 1, without an extended prefix) a Japanese 106/109 keyboard sends for a
// virtual key, as the older desktop's "virtual key to scan code" translation gives it; 0 for a
// key that keyboard has not.
std::uint16_t ScanCodeOf(std::uint16_t virtualKey);

// Injects count records, in order, as one uninterrupted run of keyboard input. recordSize must
// be sizeof(KeyEventRecord) and every record of the keyboard type; otherwise nothing is
// injected. Returns the number of records injected.
unsigned SendInput(unsigned count, const KeyEventRecord *records, int recordSize);

// Injects a single keyboard event (the older desktop's single-event call).
void SendKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo);

// The toggle state of the kana lock key: on after an odd number of presses.
bool KanaLockOn();

// Reports every run of injected records, after they have been delivered.
class KeyInjectionMonitor final : public QObject
{
    Q_OBJECT
public:
    static KeyInjectionMonitor &instance();

signals:
    void injected(const QVector<platform::KeyEventRecord> &records);

private:
    using QObject::QObject;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::KeyEventRecord)
