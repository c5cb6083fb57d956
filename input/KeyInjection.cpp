// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/KeyInjection.h"

#include "input/KanaInputMethod.h"

#include <QCoreApplication>

namespace platform {

namespace {

struct KeyboardState
{
    bool shift = false;
    bool kanaLock = false;
};

KeyboardState &State()
{
    static KeyboardState state;
    return state;
}

// Delivers one event: the shift and kana lock keys change the keyboard's state, every key-down
// goes to the input method.
void Deliver(const KeyEventRecord &record)
{
    KeyboardState &state = State();
    const bool up = record.keyUp();
    switch (record.virtualKey) {
    case vk::Shift:
    case 0xA0: // left and right shift
    case 0xA1:
        state.shift = !up;
        return;
    case vk::Kana:
        if (!up)
            state.kanaLock = !state.kanaLock;
        return;
    default:
        break;
    }
    if (!up)
        KanaInputMethod::instance().keyDown(record.virtualKey, state.shift, state.kanaLock);
}

} // namespace

std::uint16_t ScanCodeOf(std::uint16_t virtualKey)
{
    // Letters in the order of the alphabet.
    static constexpr std::uint8_t Letters[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, // A..M
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C, // N..Z
    };
    // Numeric keypad 0..9.
    static constexpr std::uint8_t Numpad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    if (virtualKey >= '1' && virtualKey <= '9')
        return static_cast<std::uint16_t>(0x02 + (virtualKey - '1'));
    if (virtualKey == '0')
        return 0x0B;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return Letters[virtualKey - 'A'];
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad0 + 9)
        return Numpad[virtualKey - vk::Numpad0];
    switch (virtualKey) {
    case vk::Back: return 0x0E;
    case 0x09: return 0x0F; // tab
    case vk::Return: return 0x1C;
    case vk::Shift: return 0x2A;
    case 0x11: return 0x1D; // control
    case vk::Kana: return 0x70;
    case vk::Convert: return 0x79;
    case 0x1D: return 0x7B; // no-convert
    case 0x1B: return 0x01; // escape
    case vk::Space: return 0x39;
    case vk::Delete: return 0x53;
    case 0x70: case 0x71: case 0x72: case 0x73: case 0x74: case vk::F6: case vk::F7: case 0x77: case 0x78: case 0x79:
        return static_cast<std::uint16_t>(0x3B + (virtualKey - 0x70)); // F1..F10
    case 0xBA: return 0x28; // ":" key (け)
    case 0xBB: return 0x27; // ";" key (れ)
    case 0xBC: return 0x33; // "," key (ね)
    case 0xBD: return 0x0C; // "-" key (ほ)
    case 0xBE: return 0x34; // "." key (る)
    case 0xBF: return 0x35; // "/" key (め)
    case 0xC0: return 0x1A; // "@" key (゛)
    case 0xDB: return 0x1B; // "[" key (゜)
    case 0xDC: return 0x7D; // yen key (ー)
    case 0xDD: return 0x2B; // "]" key (む)
    case 0xDE: return 0x0D; // "^" key (へ)
    case 0xE2: return 0x73; // "\ _" key (ろ)
    default: return 0;
    }
}

unsigned SendInput(unsigned count, const KeyEventRecord *records, int recordSize)
{
    if (count == 0 || !records || recordSize != static_cast<int>(sizeof(KeyEventRecord)))
        return 0;
    for (unsigned k = 0; k < count; ++k) {
        if (records[k].type != InputKeyboard)
            return 0;
    }
    // Delivered at once and in order, so that nothing else can come between them.
    for (unsigned k = 0; k < count; ++k)
        Deliver(records[k]);
    emit KeyInjectionMonitor::instance().injected(QVector<KeyEventRecord>(records, records + count));
    return count;
}

void SendKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo)
{
    KeyEventRecord record;
    record.virtualKey = virtualKey;
    record.scanCode = scanCode;
    record.flags = flags;
    record.extraInfo = extraInfo;
    SendInput(1, &record, sizeof record);
}

bool KanaLockOn()
{
    return State().kanaLock;
}

KeyInjectionMonitor &KeyInjectionMonitor::instance()
{
    static auto *monitor = new KeyInjectionMonitor(QCoreApplication::instance());
    return *monitor;
}

} // namespace platform
