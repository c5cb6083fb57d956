// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// keyboardPointer: the pointer from the keyboard. The arrow keys and the number pad (its
// diagonals too) move the pointer by 8 logical pixels a press, 40 with Shift, and again at each
// repeat of a key held down; Space, Enter and the number pad's Enter are the left button, down
// while the key is down, so that holding one while moving drags (and with clickToCarry a tap
// picks up and the next tap puts down). Tab and Shift+Tab take the pointer to the centre of the
// next or previous control of the active window, in reading order (top to bottom, then left to
// right; each gallery cell and each key of the on-screen keyboard is a control of its own).
//
// While a text box has the keyboard focus these keys type and move the caret as they always do;
// the pointer keys are then the same keys with Ctrl held. In a dialog (print, save, a message
// box: Qt's own, not the program's windows) Enter keeps its meaning there, the default button or
// the button with the focus, and Space alone is the button.

#include "access/SyntheticMouse.h"

#include <QObject>

class QKeyEvent;
class QWidget;

namespace accessibility {

class KeyPointer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyPointer)
public:
    // Steps of the pointer keys, in logical pixels.
    static constexpr int Step = 8;
    static constexpr int ShiftStep = 40;

    // Watches the whole application from now on.
    explicit KeyPointer(QObject *parent = nullptr);

    // The controls Tab walks through in a window, in their order.
    static QList<QWidget *> ControlsInReadingOrder(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(const QKeyEvent *key);
    bool keyReleased(const QKeyEvent *key);
    void jump(int direction);

    SyntheticMouse m_mouse;
    int m_buttonKey = 0; // the key holding the button down
};

} // namespace accessibility
