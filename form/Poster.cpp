// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/Poster.h"

#include "form/Form1.h"

namespace Poster {

void GiveStandardSize(platform::ImageControl &slot)
{
    slot.setTwipsHeight(PictureSlotHeight);
    slot.setTwipsWidth(PictureSlotWidth);
}

void GiveStandardSize(platform::RichTextBox &slot)
{
    slot.setTwipsHeight(TextSlotHeight);
    slot.setTwipsWidth(TextSlotWidth);
    slot.setFontSize(TextSlotFontSize);
}

void StartTimer(Form1 &form)
{
    if (form.TimerTicks <= 0) {
        form.TimerTicks = 1;
        form.Timer1->setEnabled(true);
    }
}

void ClearSelectionBorders(Form1 &form)
{
    for (int i = 0; i < 10; ++i) {
        form.Text1[i]->setBorderStyle(0);
        form.Image3[i]->setBorderStyle(0);
    }
}

} // namespace Poster
