// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The paper and the pen: round dots drawn on the paper of step 1 and on the finished poster of
// step 4, the dot size bar, the tick counter of Timer1, the clear buttons of steps 1 and 2, and
// the four colour buttons that open the colour picker.

#include "drawing/Form2.h"
#include "platform/Controls.h"

#include <QObject>
#include <QPointer>

class Form1;

class DrawingController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DrawingController)
public:
    explicit DrawingController(Form1 &form, QObject *parent = nullptr);

    // The colour picker while it exists (created on first use, destroyed when closed by its frame).
    Form2 *colorPicker() const { return m_picker; }

    void PenDownOn(platform::PictureBox &box, const platform::PointerEvent &event);
    void PenMoveOn(platform::PictureBox &box, const platform::PointerEvent &event);
    void PenUp();
    void TimerTick();          // Timer1: stops itself on the fourth tick after a start
    void ClearPaper();         // Command19 "クリア" of step 1
    void ClearPlacedPictures(); // Command10 "クリア" of step 2
    void OpenColorPicker(int target);

private:
    void DrawDot(platform::PictureBox &box, double x, double y);

    Form1 &m_form;
    QPointer<Form2> m_picker;
};
