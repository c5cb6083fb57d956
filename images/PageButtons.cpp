// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/PageButtons.h"

#include "form/Form1.h"
#include "platform/ControlLayout.h"
#include "platform/Controls.h"

#include <QEvent>

namespace images {

namespace {

using platform::ControlKind;
using platform::ControlSpec;

// Under the last row of cells (which ends at 9860 twips), where no control of step 2 lies: the
// two columns of the gallery, one button each.
constexpr ControlSpec PageButtonTable[] = {
    {.name = "CommandPageUp", .kind = ControlKind::Button, .left = 11040, .top = 9900, .width = 1785,
     .height = 720, .caption = "▲", .face = platform::FontFace::RoundedGothic, .fontSize = 20.25,
     .fontStyle = platform::FontStyle::Bold, .visible = false},
    {.name = "CommandPageDown", .kind = ControlKind::Button, .left = 13080, .top = 9900, .width = 1785,
     .height = 720, .caption = "▼", .face = platform::FontFace::RoundedGothic, .fontSize = 20.25,
     .fontStyle = platform::FontStyle::Bold, .visible = false},
};

} // namespace

PageButtons::PageButtons(Form1 &form, QObject *parent) : QObject(parent), m_bar(form.VScroll1)
{
    platform::BuildControls(form.client(), PageButtonTable);
    m_up = platform::BuiltControl<platform::CommandButton>(form.client(), "CommandPageUp");
    m_down = platform::BuiltControl<platform::CommandButton>(form.client(), "CommandPageDown");
    connect(m_up, &QPushButton::clicked, this, &PageButtons::PageUp);
    connect(m_down, &QPushButton::clicked, this, &PageButtons::PageDown);
    form.VScroll1->installEventFilter(this);
    m_up->setVisible(form.VScroll1->isVisibleTo(form.client()));
    m_down->setVisible(m_up->isVisibleTo(form.client()));
}

void PageButtons::PageUp()
{
    m_bar->triggerAction(QAbstractSlider::SliderPageStepSub);
}

void PageButtons::PageDown()
{
    m_bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

bool PageButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar && m_up && m_down
        && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        const bool shown = event->type() == QEvent::ShowToParent;
        m_up->setVisible(shown);
        m_down->setVisible(shown);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace images
