// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextSlots.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/History.h"
#include "platform/ControlLayout.h"
#include "platform/EventLoop.h"
#include "platform/SpokenText.h"
#include "platform/Touch.h"

namespace text {

platform::RichTextBox *SelectedTextSlot(Form1 &form)
{
    const int index = Module1::SelectedIndex;
    return index >= 0 && index < static_cast<int>(form.Text1.size()) ? form.Text1[index] : nullptr;
}

void TypingLineToSlot(Form1 &form, platform::RichTextBox &slot)
{
    slot.setText(form.Text2->text());
    slot.setProperty(platform::ReadingsProperty, form.Text2->property(platform::ReadingsProperty));
}

void SlotToTypingLine(Form1 &form, const platform::RichTextBox *slot)
{
    form.Text2->setText(slot ? slot->text() : QString());
    form.Text2->setProperty(platform::ReadingsProperty, slot ? slot->property(platform::ReadingsProperty) : QVariant());
}

bool EditingOn()
{
    return Module1::EditMode.toInt() == 1;
}

TextSlotsController::TextSlotsController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    for (platform::RichTextBox *slot : form.Text1) {
        connect(slot, &platform::RichTextBox::mouseDown, this, &TextSlotsController::PressSlot);
        connect(slot, &platform::RichTextBox::mouseMove, this, &TextSlotsController::DragSlot);
        connect(slot, &platform::RichTextBox::change, this, &TextSlotsController::TextChanged);
        // A text carried and let go.
        connect(slot, &platform::RichTextBox::mouseUp, this, [this] { history::GestureEnded(m_form); });
        platform::KeepTapsStill(slot);
    }
}

void TextSlotsController::PressSlot(int index, const platform::PointerEvent &event)
{
    platform::YieldingHandler handler;
    Form1 &f = m_form;
    platform::RichTextBox &slot = *f.Text1[index];
    f.HasSelection = 1;
    Module1::SelectedKind = 2;
    Poster::ClearSelectionBorders(f);
    f.GrabX = platform::RoundInt16(event.x);
    f.GrabY = platform::RoundInt16(event.y);
    slot.setBorderStyle(1);
    platform::BringToFront(&slot);
    if (EditingOn()) {
        // The words typed so far belong to the slot selected before; a handler that runs during
        // the yield still sees that slot as the selected one.
        if (platform::RichTextBox *before = SelectedTextSlot(f))
            TypingLineToSlot(f, *before);
        platform::Yield();
        SlotToTypingLine(f, &slot);
    }
    Module1::SelectedIndex = static_cast<std::int16_t>(index);
}

void TextSlotsController::DragSlot(int index, const platform::PointerEvent &event)
{
    if (EditingOn() || event.buttons == Qt::NoButton)
        return;
    platform::RichTextBox &slot = *m_form.Text1[index];
    Poster::DragStep(m_form, slot, event.x, event.y);
    if (!Poster::IsPlaced(slot))
        Poster::GiveStandardSize(slot);
    Module1::SelectedIndex = static_cast<std::int16_t>(index);
}

void TextSlotsController::TextChanged(int index)
{
    platform::RichTextBox &slot = *m_form.Text1[index];
    if (!Poster::IsPlaced(slot))
        Poster::GiveStandardSize(slot);
    // The desktop's keyboard typed into the slot (what handlers write in is part of their own
    // gesture, and the history takes no step while editing is on or a step is put back).
    history::GestureEnded(m_form, history::Gesture::Typing);
}

} // namespace text
