// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/SyntheticMouse.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

namespace accessibility {

namespace {

// Whether window is shown and belongs to owner (a window made for it, lying over it).
bool IsWindowOf(const QWindow *window, const QWindow *owner)
{
    if (!window || window == owner || !window->isVisible())
        return false;
    for (const QWindow *up = window->transientParent(); up; up = up->transientParent()) {
        if (up == owner)
            return true;
    }
    return false;
}

} // namespace

QPoint SyntheticMouse::pos() const
{
    return m_known ? m_pos : QCursor::pos();
}

void SyntheticMouse::moveTo(QPoint global)
{
    seen(global);
    send(QEvent::MouseMove, Qt::NoButton, m_held ? Qt::LeftButton : Qt::NoButton);
    // Where the desktop lets a program move its pointer, it then reports a move there itself.
    constexpr qsizetype EchoesKept = 32;
    if (m_echoes.size() == EchoesKept)
        m_echoes.removeFirst();
    m_echoes.append(global);
    QCursor::setPos(global);
}

void SyntheticMouse::seen(QPoint global)
{
    m_pos = global;
    m_known = true;
}

void SyntheticMouse::press()
{
    if (m_held)
        return;
    m_held = true;
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
}

void SyntheticMouse::release()
{
    if (!m_held)
        return;
    m_held = false;
    // The release may open a modal dialog and wait for it: clicks in there are new clicks.
    const QPointer<QWindow> pressedIn = m_pressedIn;
    m_pressedIn = nullptr;
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pressedIn);
}

void SyntheticMouse::doubleClick()
{
    press();
    release();
    m_held = true;
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
    release();
}

bool SyntheticMouse::isEcho(QPoint global)
{
    // The desktop reports them in order: those before it will not come any more.
    const qsizetype at = m_echoes.indexOf(global);
    if (at < 0)
        return false;
    m_echoes.remove(0, at + 1);
    return true;
}

void SyntheticMouse::send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QWindow *pressedIn)
{
    const QPoint global = pos();
    // While the button is held everything goes to the window it went down on, as with a mouse.
    // The active window first, where it lies under the pointer: the one the keys work in.
    QWindow *window = m_held ? m_pressedIn.data() : pressedIn;
    if (!window) {
        // A window just hidden (the colour picker after "OK") may keep the focus a while. A
        // window of the active one's own lying over it there (the colour picker, shown where no
        // window manager makes it active) is the one under the pointer.
        QWindow *active = QGuiApplication::focusWindow();
        QWindow *top = QGuiApplication::topLevelAt(global);
        window = active && active->isVisible() && active->geometry().contains(global) && !IsWindowOf(top, active) ? active : top;
    }
    // Where the desktop cannot tell (a hidden window still lies there for it), the last shown
    // window of the program there: a dialog is made after the window it belongs to.
    for (QWindow *top : QGuiApplication::topLevelWindows()) {
        if (!window && top->isVisible() && top->geometry().contains(global))
            window = top;
    }
    if (!window)
        return;
    // A modal dialog keeps every other window from the pointer (its own popups aside).
    if (const QWindow *modal = QGuiApplication::modalWindow()) {
        const QWindow *owner = window;
        while (owner && owner != modal)
            owner = owner->transientParent();
        if (!owner)
            return;
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        m_pressedIn = window;
    const QPointF local = window->mapFromGlobal(QPointF(global));
    QMouseEvent mouse(type, local, local, QPointF(global), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &mouse);
}

} // namespace accessibility
