// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/Resize.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/History.h"
#include "platform/EventLoop.h"

namespace images {

namespace {

// The new height and width from the ones a slot reports, read as whole twips before anything
// changes; false when either would pass the most a size can be read back as.
template<class Slot>
bool ScaledSize(const Slot &slot, double factor, float &height, float &width)
{
    const double h = platform::RoundInt16(slot.twipsHeight()) * factor;
    const double w = platform::RoundInt16(slot.twipsWidth()) * factor;
    if (h > ResizeController::MostTwips || w > ResizeController::MostTwips)
        return false;
    height = static_cast<float>(h);
    width = static_cast<float>(w);
    return true;
}

} // namespace

ResizeController::ResizeController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(form.Command1, &QPushButton::clicked, this, &ResizeController::Smaller);
    connect(form.Command2, &QPushButton::clicked, this, &ResizeController::Bigger);
    connect(form.Command9, &QPushButton::clicked, this, &ResizeController::ClearTexts);
}

void ResizeController::Smaller()
{
    Resize(SmallerFactor, -FontStep);
    history::GestureEnded(m_form, history::Gesture::SizeButton);
}

void ResizeController::Bigger()
{
    Resize(BiggerFactor, FontStep);
    history::GestureEnded(m_form, history::Gesture::SizeButton);
}

void ResizeController::Resize(double factor, int fontStep)
{
    platform::YieldingHandler handler;
    Form1 &f = m_form;
    if (f.HasSelection == 0)
        return;
    Poster::StartTimer(f);
    const int index = Module1::SelectedIndex;
    float height = 0, width = 0;
    if (Module1::SelectedKind == 1 && index >= 0 && index < static_cast<int>(f.Image3.size())) {
        platform::ImageControl &slot = *f.Image3[index];
        if (!ScaledSize(slot, factor, height, width))
            return;
        slot.setTwipsHeight(height);
        slot.setTwipsWidth(width);
    } else if (Module1::SelectedKind == 2 && index >= 0 && index < static_cast<int>(f.Text1.size())) {
        platform::RichTextBox &slot = *f.Text1[index];
        const int points = platform::RoundInt16(slot.fontSize()) + fontStep;
        if (points < LeastFontSize || !ScaledSize(slot, factor, height, width))
            return;
        slot.setFontSize(points);
        // The text takes on its new font before the box gets the size computed from the one it
        // had before.
        platform::Yield();
        slot.setTwipsHeight(height);
        slot.setTwipsWidth(width);
    }
}

void ResizeController::ClearTexts()
{
    Form1 &f = m_form;
    Poster::StartTimer(f);
    f.HasSelection = 0;
    // The text slot of that number loses its border whatever was selected; picture borders stay.
    const int selected = Module1::SelectedIndex;
    if (selected >= 0 && selected < static_cast<int>(f.Text1.size()))
        f.Text1[selected]->setBorderStyle(0);
    f.Picture1->setPicture(platform::Picture());
    f.Picture1->hide();
    for (int i = 0; i < static_cast<int>(f.Text1.size()); ++i) {
        platform::RichTextBox &slot = *f.Text1[i];
        slot.setTwipsLeft(Poster::TextHomeLeft);
        slot.setTwipsTop(Poster::TextHomeTop(i));
        // A change of font size never resizes a text slot, so the order of the three does not
        // matter here.
        Poster::GiveStandardSize(slot);
    }
    history::GestureEnded(f);
}

} // namespace images
