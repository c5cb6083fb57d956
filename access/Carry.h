// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// clickToCarry: a click on what can be dragged picks it up, and the next click puts it down.
//
// A click is a left press and its release within the desktop's drag distance. On a picture slot
// (also the one laid over a gallery cell) or a text slot that is not being edited, its release
// is kept from the slot: the slot then holds a button that no hand holds. Every move of the
// pointer, over whatever control, goes to the slot as a move with the left button held, exactly
// as during a drag (the slot's own handlers grow it onto the poster, stop it at the edges, bring
// it to the front), until the next click: its press is kept from the control under it, and its
// release goes to the slot, which puts it down as a release there would. Escape puts the poster
// back as it was before the pick-up. While an element is carried the pointer is a closed hand and
// a thick dashed frame lies around the element.
//
// On the paper of step 1 and on the finished poster of step 4 the same click starts a stroke of
// dots, and the next click ends it; Escape ends it too (the dots stay, as after a release).
//
// A press that moves further than the drag distance is a real drag and is left alone.

#include "history/PosterState.h"

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <QPointer>

class Form1;
class QMouseEvent;
#include <QWidget>

namespace accessibility {

class CarryFilter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CarryFilter)
public:
    // Watches the whole application from now on.
    explicit CarryFilter(Form1 &form, QObject *parent = nullptr);
    ~CarryFilter() override;

    // What is carried: the control its mouse events go to (a text slot's viewport), or nullptr.
    QWidget *carried() const { return m_target; }
    // Puts back what is carried, as Escape does.
    void cancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { None, Element, Stroke };
    Kind kindOf(const QObject *receiver) const;
    void pickUp();
    void putBack();
    void finish();
    // A mouse event to the carried control, at a point of the screen.
    void deliver(QEvent::Type type, QPointF global, Qt::MouseButton button, Qt::MouseButtons buttons);
    void placeFrame();

    Form1 &m_form;
    // A left press on something that can be carried, not yet released nor moved far.
    QPointer<QWidget> m_pressed;
    Kind m_pressedKind = Kind::None;
    QPointF m_pressedAt;
    history::PosterState m_before; // the poster before that press
    // What is carried, and whether the click that puts it down has pressed.
    QPointer<QWidget> m_target;
    Kind m_kind = Kind::None;
    bool m_putting = false;
    QPointF m_lastAt;
    bool m_sending = false;
    QPointer<QWidget> m_frame;
};

} // namespace accessibility
