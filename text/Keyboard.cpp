// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Keyboard.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "platform/EventLoop.h"
#include "input/KanaInputMethod.h"
#include "input/KeyInjection.h"

#include <array>
#include <vector>

namespace text {

namespace {

constexpr KeyAction Char(std::uint16_t key)
{
    return {KeyKind::Character, key};
}

constexpr KeyAction Shifted(std::uint16_t key, const char16_t *lastKana)
{
    return {KeyKind::Shifted, key, lastKana};
}

constexpr KeyAction Function(std::uint16_t key, const char16_t *lastKana, bool endsWait)
{
    return {KeyKind::Function, key, lastKana, endsWait, endsWait};
}

constexpr const char16_t *Empty = u"";

using namespace platform::vk;

// Indexes as the keys are numbered; every kana sits on the key that carries it in the JIS
// kana layout, digits on the numeric keypad.
constexpr std::array<KeyAction, 71> Keys = {
    Char(0x33), Char(0x45), Char(0x34), Char(0x35), Char(0x36), // あいうえお
    Char(0x54), Char(0x47), Char(0x48), Char(0xBA), Char(0x42), // かきくけこ
    Char(0x58), Char(0x44), Char(0x52), Char(0x50), Char(0x43), // さしすせそ
    Char(0x51), Char(0x41), Char(0x5A), Char(0x57), Char(0x53), // たちつてと
    Char(0x55), Char(0x49), Char(0x31), Char(0xBC), Char(0x4B), // なにぬねの
    Char(0x46), Char(0x56), Char(0x32), Char(0xDE), Char(0xBD), // はひふへほ
    Char(0x4A), Char(0x4E), Char(0xDD), Char(0xBF), Char(0x4D), // まみむめも
    Char(0x37), Char(0x38), Char(0x39),                         // やゆよ
    KeyAction{KeyKind::Voiced, 0xC0, nullptr, false, true},     // 38 " ゛"
    KeyAction{KeyKind::SemiVoiced, 0xDB, nullptr, false, true}, // 39 " ゜"
    Char(0x4F), Char(0x4C), Char(0xBE), Char(0xBB), Char(0xE2), // らりるれろ
    Char(0x30),                                                 // 45 わ
    Shifted(0x30, u"を"),                                       // 46 を
    Char(0x59),                                                 // 47 ん
    Shifted(0xBC, Empty),                                       // 48 、
    Shifted(0xBE, Empty),                                       // 49 。
    KeyAction{KeyKind::Small, 0, nullptr, true, true},          // 50 "こ　もじ"
    Char(0x61), Char(0x62), Char(0x63), Char(0x64), Char(0x65), // １..５
    Char(0x66), Char(0x67), Char(0x68), Char(0x69), Char(0x60), // ６..９ ０
    Function(Convert, nullptr, true),                           // 61 "漢　　字"
    KeyAction{KeyKind::Function, Space, Empty, false, false},   // 62 the space bar
    Function(Back, Empty, true),                                // 63 "←"
    Function(Return, Empty, true),                              // 64 "ＯＫ"
    Function(F7, Empty, true),                                  // 65 "カタカナ"
    Function(F6, Empty, true),                                  // 66 "ひらがな"
    Shifted(0xDC, u"ー"),                                       // 67 ー
    Function(Delete, Empty, true),                              // 68 "け　　す"
    KeyAction{KeyKind::KanaLock, Kana, Empty, true, true},      // 69 "カナ入力きりかえ"
    KeyAction{KeyKind::Next, 0, nullptr, true, true},           // 70 "つぎ"
};

// The kana that take a voicing mark from the keyboard, and those that take the semi-voicing one.
const QString VoicedKana = QStringLiteral("かきくけこさしすせそたちつてとはひふへほ");
const QString SemiVoicedKana = QStringLiteral("はひふへほ");

} // namespace

const KeyAction &KeyOf(int index)
{
    return Keys.at(static_cast<std::size_t>(index));
}

std::uint16_t SmallKeyOf(const QString &kana)
{
    static const QString Kana = QStringLiteral("あいうえおつやゆよ");
    static constexpr std::uint16_t SmallKeys[] = {0x33, 0x45, 0x34, 0x35, 0x36, 0x5A, 0x37, 0x38, 0x39};
    const qsizetype at = kana.size() == 1 ? Kana.indexOf(kana) : -1;
    return at < 0 ? 0 : SmallKeys[at];
}

void ToggleKanaLock()
{
    const auto scan = static_cast<std::uint8_t>(platform::ScanCodeOf(Kana));
    platform::SendKeyEvent(Kana, scan, platform::KeyEventExtendedKey, 0);
    platform::SendKeyEvent(Kana, scan, platform::KeyEventExtendedKey | platform::KeyEventKeyUp, 0);
    platform::Yield();
}

void SendKeyEvents(int count, const std::uint16_t keys[], const int ups[])
{
    std::vector<platform::KeyEventRecord> records(static_cast<std::size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        platform::KeyEventRecord &record = records[static_cast<std::size_t>(k)];
        record.type = platform::InputKeyboard;
        record.virtualKey = keys[k];
        record.scanCode = platform::ScanCodeOf(keys[k]);
        record.flags = ups[k] ? platform::KeyEventExtendedKey | platform::KeyEventKeyUp : platform::KeyEventExtendedKey;
        record.time = 0;
        record.extraInfo = 0;
    }
    platform::SendInput(static_cast<unsigned>(count), records.data(), sizeof(platform::KeyEventRecord));
}

KeyboardController::KeyboardController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    for (platform::KeyLabel *key : form.Label1) {
        connect(key, &platform::KeyLabel::mouseDown, this,
                [this](int i) { m_form.Label1[i]->setAppearance(platform::KeyLabel::Etched); });
        connect(key, &platform::KeyLabel::mouseUp, this,
                [this](int i) { m_form.Label1[i]->setAppearance(platform::KeyLabel::Raised); });
        connect(key, &platform::KeyLabel::click, this, &KeyboardController::KeyClick);
    }
    connect(form.Check1, &QCheckBox::toggled, this, &KeyboardController::Check1Click);
}

void KeyboardController::Check1Click()
{
    Module1::WaitForNext = 0;
    m_form.Label1[70]->setVisible(m_form.Check1->value() == 1);
}

void KeyboardController::PressKey(std::uint16_t key, QWidget &target)
{
    platform::SetInputFocus(&target);
    const std::uint16_t keys[] = {key, key};
    const int ups[] = {0, 1};
    SendKeyEvents(2, keys, ups);
}

void KeyboardController::SendShifted(std::uint16_t key)
{
    const std::uint16_t keys[] = {Shift, key, key, Shift};
    const int ups[] = {0, 0, 1, 1};
    SendKeyEvents(4, keys, ups);
}

void KeyboardController::KeyClick(int index)
{
    const KeyAction &action = KeyOf(index);
    if (Module1::WaitForNext == 1 && !action.passesGate)
        return;
    if (m_form.Check1->value() == 1)
        Module1::WaitForNext = 1;

    QString &lastKana = Module1::LastKana;
    switch (action.kind) {
    case KeyKind::Character:
        lastKana = m_form.Label1[index]->caption();
        PressKey(action.key, *m_form.Text2);
        break;
    case KeyKind::Shifted:
        lastKana = QString::fromUtf16(action.lastKana);
        SendShifted(action.key);
        break;
    case KeyKind::Voiced:
    case KeyKind::SemiVoiced: {
        const QString &takers = action.kind == KeyKind::Voiced ? VoicedKana : SemiVoicedKana;
        if (lastKana.size() == 1 && takers.contains(lastKana)) {
            lastKana.clear();
            PressKey(action.key, *m_form.Text2);
        }
        break;
    }
    case KeyKind::Small:
        if (const std::uint16_t small = SmallKeyOf(lastKana)) {
            PressKey(Back, *m_form.Text2); // takes back the kana just typed
            SendShifted(small);
        }
        break;
    case KeyKind::Function:
        if (action.lastKana)
            lastKana = QString::fromUtf16(action.lastKana);
        PressKey(action.key, *m_form.Text2);
        break;
    case KeyKind::KanaLock:
        lastKana.clear();
        ToggleKanaLock();
        break;
    case KeyKind::Next:
        break;
    }
    if (action.endsWait)
        Module1::WaitForNext = 0;
}

} // namespace text
