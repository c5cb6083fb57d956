// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SpeakButton.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "input/KanaInputMethod.h"
#include "platform/ControlLayout.h"
#include "platform/Controls.h"
#include "platform/Narrator.h"
#include "text/TextSlots.h"

#include <QEvent>

namespace text {

namespace {

// In the row of the working buttons, right of "おおきく" (which ends at 9735 twips) and left of
// "もじいろ" (from 11040), above the poster: no control of any step lies there.
constexpr platform::ControlSpec SpeakButtonTable[] = {
    {.name = "CommandSpeak", .kind = platform::ControlKind::Button, .left = 9900, .top = 1800, .width = 1035,
     .height = 735, .caption = "よむ", .face = platform::FontFace::RoundedGothic, .fontSize = 20.25,
     .fontStyle = platform::FontStyle::Bold, .visible = false},
};

} // namespace

SpeakButton::SpeakButton(Form1 &form, platform::Narrator &narrator, QObject *parent)
    : QObject(parent), m_form(form), m_narrator(narrator)
{
    platform::BuildControls(form.client(), SpeakButtonTable);
    m_button = platform::BuiltControl<platform::CommandButton>(form.client(), "CommandSpeak");
    connect(m_button, &QPushButton::clicked, this, &SpeakButton::Speak);
    m_editButton = form.Command21;
    form.Command21->installEventFilter(this);
    m_button->setVisible(form.Command21->isVisibleTo(form.client()));
}

void SpeakButton::Speak()
{
    Form1 &f = m_form;
    if (EditingOn()) {
        // What is being composed on the typing line is read with it.
        const platform::KanaInputMethod &method = platform::KanaInputMethod::instance();
        const bool composing = method.box() == f.Text2;
        m_narrator.sayTextOf(f.Text2, composing ? method.compositionText() : QString(),
                             composing ? method.composer().readings() : QStringList());
    } else if (Module1::SelectedKind == 2) {
        m_narrator.sayTextOf(SelectedTextSlot(f));
    }
}

bool SpeakButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editButton && m_button
        && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        m_button->setVisible(event->type() == QEvent::ShowToParent);
    return QObject::eventFilter(watched, event);
}

} // namespace text
