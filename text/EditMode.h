// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text-editing mode, switched on and off by Command21. Switched on, the pictures and texts
// placed on the poster give way to the on-screen keyboard and the typing line Text2, which holds
// the text of the selected text slot; the buttons that would leave the step, end the program
// or change the poster's elements are disabled. Switched off, the poster comes back, the keys
// are put away 7680 twips below their places and out of sight, and the typing line is written
// into the selected slot, even when nothing was typed.
//
// EditMode runs 3 (never switched on; the keys are still hidden) -> 1 (on) -> 0 (off) -> 1 ...
// The menu's "終了(&Q)" stays usable throughout.

#include <QObject>

#include <array>

class Form1;

namespace text {

class EditModeController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditModeController)
public:
    explicit EditModeController(Form1 &form, QObject *parent = nullptr);

    static const QString OpenCaption;  // "もじ の へんしゅう"
    static const QString CloseCaption; // "はりつけ に もどる"

    // The keys lie this far below their places while editing is off.
    static constexpr double KeyShift = 7680;

    void SwitchEditing(); // Command21 click

private:
    void Open(bool firstTime);
    void Close();
    void ShowPlaced(bool shown);
    void EnableButtons(bool enabled);

    Form1 &m_form;
    std::array<bool, 71> m_shownWhenPutAway{}; // each key's visibility when editing was switched off
};

} // namespace text
