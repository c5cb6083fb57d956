// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ten text slots Text1(0..9): pressing one selects it (the selection it shares with the
// picture slots), dragging it with any mouse button moves it, and a slot that lies in the side
// panel keeps the standard size 3855 x 615 at 24 points whatever its text, after every change of
// its text and every drag step. A slot on the poster sizes itself to its text.
//
// While text editing is on, a press hands the typing line over: the words typed so far go to
// the slot selected before, and the typing line takes up the pressed slot's text.

#include "platform/Controls.h"

#include <QObject>

class Form1;

namespace text {

// The text slot numbered SelectedIndex, or nullptr when that number names no text slot (the
// overflow picture slot 10 after a picture was picked).
platform::RichTextBox *SelectedTextSlot(Form1 &form);

// The typing line's text written into a slot, and a slot's text (none without a slot) into the
// typing line; the readings of converted text go with it (SpokenText.h).
void TypingLineToSlot(Form1 &form, platform::RichTextBox &slot);
void SlotToTypingLine(Form1 &form, const platform::RichTextBox *slot);

// Whether text editing is on (EditMode, kept as the text of a number, is 1).
bool EditingOn();

class TextSlotsController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextSlotsController)
public:
    explicit TextSlotsController(Form1 &form, QObject *parent = nullptr);

    void PressSlot(int index, const platform::PointerEvent &event); // Text1 mouse-down
    void DragSlot(int index, const platform::PointerEvent &event);  // Text1 mouse-move
    void TextChanged(int index);                                    // Text1 change

private:
    Form1 &m_form;
};

} // namespace text
