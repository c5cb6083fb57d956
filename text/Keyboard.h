// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The on-screen hiragana keyboard: 71 keys (Label1) that type into the typing line what a JIS
// kana keyboard would, through the input method, one key stroke per click; the check box Check1
// that makes it accept one character at a time until "つぎ" is pressed.

#include <QObject>

#include <cstdint>

class Form1;
class QWidget;

namespace text {

// What a key does when clicked.
enum class KeyKind {
    Character,  // a kana or a digit: its key, with LastKana := its caption
    Shifted,    // を、。ー: its key with shift held
    Voiced,     // " ゛" after a kana that takes it
    SemiVoiced, // " ゜" after a kana of the は row
    Small,      // "こ　もじ": the small form of the kana typed last
    Function,   // conversion and editing keys
    KanaLock,   // "カナ入力きりかえ"
    Next,       // "つぎ": ends a wait
};

struct KeyAction
{
    KeyKind kind;
    std::uint16_t key = 0;           // virtual key, 0 for none
    const char16_t *lastKana = nullptr; // Shifted and Function keys: the new LastKana; nullptr keeps it
    bool endsWait = false;           // WaitForNext := 0 afterwards
    bool passesGate = false;         // works while the keyboard waits for "つぎ"
};

// The key table: what Label1(index) does, index 0..70.
const KeyAction &KeyOf(int index);

// The shifted key that types the small form of a kana, or 0 when it has none.
std::uint16_t SmallKeyOf(const QString &kana);

// Presses and releases the kana lock key through the single-event call, then lets pending
// events run, so that the kana lock state has changed when it returns.
void ToggleKanaLock();

// Injects count key events, in order and in one call: keys[k] down (ups[k] = 0) or up.
void SendKeyEvents(int count, const std::uint16_t keys[], const int ups[]);

class KeyboardController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyboardController)
public:
    explicit KeyboardController(Form1 &form, QObject *parent = nullptr);

    void KeyClick(int index);   // a click on Label1(index)
    void Check1Click();         // Check1 ticked or unticked
    // Gives target the input focus, then sends key down and key up.
    void PressKey(std::uint16_t key, QWidget &target);

private:
    void SendShifted(std::uint16_t key);

    Form1 &m_form;
};

} // namespace text
