// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/KeyPointer.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace accessibility {

namespace {

// Whether the keys now type into a text box.
bool TypingHasFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        return !line->isReadOnly();
    if (auto *edit = qobject_cast<QTextEdit *>(focus))
        return !edit->isReadOnly();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return !plain->isReadOnly();
    if (auto *combo = qobject_cast<QComboBox *>(focus))
        return combo->isEditable();
    return qobject_cast<QAbstractSpinBox *>(focus) != nullptr;
}

// The way a pointer key moves the pointer; none for another key.
QPoint Direction(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Left: return {-1, 0};
    case Qt::Key_Right: return {1, 0};
    case Qt::Key_Up: return {0, -1};
    case Qt::Key_Down: return {0, 1};
    default: break;
    }
    if (!(key->modifiers() & Qt::KeypadModifier))
        return {};
    // The number pad with Num Lock on, and its diagonals with Num Lock off.
    switch (key->key()) {
    case Qt::Key_4: return {-1, 0};
    case Qt::Key_6: return {1, 0};
    case Qt::Key_8: return {0, -1};
    case Qt::Key_2: return {0, 1};
    case Qt::Key_7: case Qt::Key_Home: return {-1, -1};
    case Qt::Key_9: case Qt::Key_PageUp: return {1, -1};
    case Qt::Key_1: case Qt::Key_End: return {-1, 1};
    case Qt::Key_3: case Qt::Key_PageDown: return {1, 1};
    default: return {};
    }
}

bool IsEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool IsButtonKey(int key)
{
    return key == Qt::Key_Space || IsEnterKey(key);
}

// Whether the keys go to one of Qt's dialogs (print, save, a message box): Enter is then the
// dialog's own, its default button or the button with the focus.
bool InDialog()
{
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
        window = QApplication::activeWindow();
    return qobject_cast<QDialog *>(window) != nullptr;
}

bool IsTabKey(int key)
{
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

QPoint Centre(const QWidget *control)
{
    return control->mapToGlobal(control->rect().center());
}

} // namespace

KeyPointer::KeyPointer(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

QList<QWidget *> KeyPointer::ControlsInReadingOrder(QWidget *window)
{
    // Every named control shown and enabled in the window (Qt's own parts are named qt_...),
    // those holding other controls left out.
    QList<QWidget *> found;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->window() != window || !widget->isVisible() || !widget->isEnabled()
            || widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_"))
            || widget->testAttribute(Qt::WA_TransparentForMouseEvents)) {
            continue;
        }
        found.append(widget);
    }
    QList<QWidget *> controls;
    for (QWidget *widget : found) {
        if (std::none_of(found.begin(), found.end(), [widget](QWidget *other) { return other != widget && widget->isAncestorOf(other); }))
            controls.append(widget);
    }
    const auto topLeft = [window](const QWidget *control) { return control->mapTo(window, QPoint(0, 0)); };
    std::stable_sort(controls.begin(), controls.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = topLeft(a), pb = topLeft(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    // A picture laid over a gallery cell is reached as the cell.
    QList<QWidget *> walk;
    for (QWidget *control : controls) {
        if (std::none_of(walk.begin(), walk.end(), [control](QWidget *before) { return Centre(before) == Centre(control); }))
            walk.append(control);
    }
    return walk;
}

bool KeyPointer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        // Each move is seen first by its window.
        if (watched->isWindowType()) {
            const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if (m_mouse.isEcho(at))
                return true;
            m_mouse.seen(at);
        }
        break;
    case QEvent::KeyPress:
        if (keyPressed(static_cast<QKeyEvent *>(event)))
            return true;
        break;
    case QEvent::KeyRelease:
        if (keyReleased(static_cast<QKeyEvent *>(event)))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool KeyPointer::keyPressed(const QKeyEvent *key)
{
    if (TypingHasFocus() && !(key->modifiers() & Qt::ControlModifier))
        return false;
    if (IsEnterKey(key->key()) && InDialog())
        return false;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    if (const QPoint way = Direction(key); !way.isNull()) {
        m_mouse.moveTo(m_mouse.pos() + way * (shift ? ShiftStep : Step));
        return true;
    }
    if (IsButtonKey(key->key())) {
        if (!key->isAutoRepeat() && !m_mouse.held()) {
            m_buttonKey = key->key();
            m_mouse.press();
        }
        return true;
    }
    if (IsTabKey(key->key())) {
        jump(key->key() == Qt::Key_Backtab || shift ? -1 : 1);
        return true;
    }
    return false;
}

bool KeyPointer::keyReleased(const QKeyEvent *key)
{
    if (key->key() == m_buttonKey && m_buttonKey != 0) {
        if (!key->isAutoRepeat()) {
            m_buttonKey = 0;
            m_mouse.release();
        }
        return true;
    }
    if (TypingHasFocus() && !(key->modifiers() & Qt::ControlModifier))
        return false;
    if (IsEnterKey(key->key()) && InDialog())
        return false;
    return !Direction(key).isNull() || IsButtonKey(key->key()) || IsTabKey(key->key());
}

void KeyPointer::jump(int direction)
{
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
        window = QApplication::activeWindow();
    if (!window) {
        QWidget *under = QApplication::widgetAt(m_mouse.pos());
        window = under ? under->window() : nullptr;
    }
    if (!window)
        return;
    const QList<QWidget *> controls = ControlsInReadingOrder(window);
    if (controls.isEmpty())
        return;
    const QPoint at = m_mouse.pos();
    qsizetype current = -1;
    for (qsizetype i = 0; i < controls.size() && current < 0; ++i) {
        if (Centre(controls[i]) == at)
            current = i;
    }
    // Else the control the pointer is on, the frontmost where controls overlap.
    for (QWidget *under = QApplication::widgetAt(at); under && current < 0; under = under->parentWidget())
        current = controls.indexOf(under);
    const qsizetype count = controls.size();
    const qsizetype next = current < 0 ? (direction > 0 ? 0 : count - 1) : (current + direction + count) % count;
    m_mouse.moveTo(Centre(controls[next]));
}

} // namespace accessibility
