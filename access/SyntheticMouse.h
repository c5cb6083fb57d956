// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Mouse events made by the program, sent to a window as the desktop would send them: the window
// then hands them to the control under the point (or to the one a button went down on), with
// Qt's own hover, press and click handling.

#include <QEvent>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QWindow>

namespace accessibility {

class SyntheticMouse
{
public:
    // The pointer as it is now: where the desktop puts it, or where the last event sent left it.
    QPoint pos() const;
    bool held() const { return m_held; }

    // The pointer to a point of the screen (the desktop's pointer follows where it can), and a
    // move there to the window under it, with the left button held if it is.
    void moveTo(QPoint global);
    // The left button down or up where the pointer is.
    void press();
    void release();
    // A click and the double click that follows it, where the pointer is.
    void doubleClick();

    // Whether a move the desktop reports is only the echo of a moveTo() (the desktop's own pointer
    // following it, perhaps after a few more keys); such a move has been delivered already.
    bool isEcho(QPoint global);
    // The pointer was seen there (a mouse moved it).
    void seen(QPoint global);

private:
    // pressedIn: the window a release goes to.
    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QWindow *pressedIn = nullptr);

    QPoint m_pos;
    bool m_known = false;
    bool m_held = false;
    QList<QPoint> m_echoes; // where the desktop has yet to report the pointer moved to
    QPointer<QWindow> m_pressedIn; // the window the button went down on
};

} // namespace accessibility
