// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Drawing.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "drawing/Form2.h"
#include "history/History.h"
#include "platform/ControlLayout.h"
#include "platform/EventLoop.h"

using platform::PictureBox;
using platform::PointerEvent;

DrawingController::DrawingController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    for (PictureBox *box : {form.Picture1, form.Picture2}) {
        connect(box, &PictureBox::mouseDown, this, [this, box](const PointerEvent &e) { PenDownOn(*box, e); });
        connect(box, &PictureBox::mouseMove, this, [this, box](const PointerEvent &e) { PenMoveOn(*box, e); });
        connect(box, &PictureBox::mouseUp, this, [this] { PenUp(); });
    }
    connect(form.HScroll1, &platform::ScrollBar::change, this, [this] { Poster::StartTimer(m_form); });
    connect(form.Timer1, &platform::Timer::tick, this, &DrawingController::TimerTick);
    connect(form.Command19, &QPushButton::clicked, this, &DrawingController::ClearPaper);
    connect(form.Command10, &QPushButton::clicked, this, &DrawingController::ClearPlacedPictures);
    connect(form.Command12, &QPushButton::clicked, this, [this] { OpenColorPicker(1); });
    connect(form.Command13, &QPushButton::clicked, this, [this] { OpenColorPicker(2); });
    connect(form.Command18, &QPushButton::clicked, this, [this] { OpenColorPicker(3); });
    connect(form.Command17, &QPushButton::clicked, this, [this] { OpenColorPicker(4); });
}

void DrawingController::PenDownOn(PictureBox &box, const PointerEvent &event)
{
    // Any button draws.
    m_form.PenDown = 1;
    DrawDot(box, event.x, event.y);
}

void DrawingController::PenMoveOn(PictureBox &box, const PointerEvent &event)
{
    // Moves are not joined by lines: a fast stroke is a chain of separate dots.
    if (m_form.PenDown == 1)
        DrawDot(box, event.x, event.y);
}

void DrawingController::PenUp()
{
    m_form.PenDown = 0;
    history::GestureEnded(m_form);
}

void DrawingController::DrawDot(PictureBox &box, double x, double y)
{
    m_form.BrushRadius = static_cast<std::int16_t>(m_form.HScroll1->value());
    // Both colours come from the pen button at every dot, so a new colour applies at once.
    const QColor pen = m_form.Command13->backColor();
    box.drawCircle(x, y, m_form.BrushRadius, pen, pen);
}

void DrawingController::TimerTick()
{
    m_form.TimerTicks = static_cast<std::int16_t>(m_form.TimerTicks + 1);
    if (m_form.TimerTicks == 5) {
        m_form.TimerTicks = 0;
        m_form.Timer1->setEnabled(false);
    }
}

void DrawingController::ClearPaper()
{
    platform::YieldingHandler handler;
    const QColor window = platform::Resolve(platform::WindowColor);
    m_form.Picture1->setBackColor(window);
    m_form.Command12->setBackColor(window);
    m_form.Picture1->setPicture(platform::Picture());
    platform::Yield();
    history::GestureEnded(m_form);
}

void DrawingController::ClearPlacedPictures()
{
    Poster::StartTimer(m_form);
    m_form.HasSelection = 0;
    const int selected = Module1::SelectedIndex;
    if (selected >= 0 && selected <= 10)
        m_form.Image3[selected]->setBorderStyle(0);
    m_form.Picture1->setPicture(platform::Picture());
    m_form.Picture1->hide();
    for (int i = 0; i < 10; ++i) {
        platform::ImageControl &slot = *m_form.Image3[i];
        slot.hide();
        slot.setTwipsHeight(Poster::PictureSlotHeight);
        slot.setTwipsWidth(Poster::PictureSlotWidth);
        slot.setTwipsLeft(Poster::FreeSlotLeft);
    }
    history::GestureEnded(m_form);
}

void DrawingController::OpenColorPicker(int target)
{
    Module1::ColorTarget = static_cast<std::int16_t>(target);
    if (!m_picker)
        m_picker = new Form2(m_form);
    // Modeless: the main window stays usable while the picker is open.
    m_picker->show();
    m_picker->raise();
}
