// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EventLoop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <vector>

namespace platform {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

// Holds user input back from the moment a handler first yields until the event loop is back
// at the level that ran the handler, then delivers what was held, in order. A modal dialog that
// the handler opens meanwhile (a print or save dialog, a message box) runs an event loop of its
// own inside the handler: its input, and that of the windows it opens, goes through at once,
// while input for the windows under it is refused, as the dialog itself refuses it.
class InputHold final : public QObject
{
public:
    static InputHold &instance()
    {
        static auto *hold = new InputHold(qApp);
        return *hold;
    }

    bool holding() const { return m_holding; }

    void enterHandler() { ++m_handlers; }
    void leaveHandler()
    {
        if (--m_handlers == 0 && m_depth == 0 && m_holding)
            release();
    }

    void yieldOnce()
    {
        if (!m_holding) {
            m_holding = true;
            m_modalAtStart = QGuiApplication::modalWindow();
            qApp->installEventFilter(this);
        }
        ++m_depth;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        --m_depth;
        // A handler without the marker has its held input delivered when the event loop next
        // runs at the level that called it: one posted call, made once.
        if (m_depth == 0 && m_handlers == 0 && m_holding && !m_releasePosted) {
            m_releasePosted = true;
            QMetaObject::invokeMethod(this, [this] {
                m_releasePosted = false;
                release();
            }, Qt::QueuedConnection);
        }
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (m_releasing || !IsUserInput(event->type()))
            return false;
        QWindow *window = WindowOf(receiver);
        if (!window)
            return false;
        if (QWindow *dialog = openedDialog()) {
            // The dialog's input goes through; the windows under it get none, now or later.
            return !IsWithin(window, dialog);
        }
        m_held.push_back({QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

private:
    using QObject::QObject;

    struct HeldEvent
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    static QWindow *WindowOf(QObject *receiver)
    {
        if (auto *window = qobject_cast<QWindow *>(receiver))
            return window;
        if (receiver->isWidgetType()) {
            QWidget *top = static_cast<QWidget *>(receiver)->window();
            return top->windowHandle() ? top->windowHandle() : nullptr;
        }
        return nullptr;
    }

    // A window belongs to the dialog when it is the dialog, one of its children, a window the
    // dialog opened (transient for it), or a popup (a list of a combo box, a completer), which
    // only the window that has the input can open.
    static bool IsWithin(QWindow *window, QWindow *dialog)
    {
        const Qt::WindowType type = window->type();
        if (type == Qt::Popup || type == Qt::ToolTip)
            return true;
        for (QWindow *w = window; w; w = w->transientParent() ? w->transientParent() : w->parent()) {
            if (w == dialog)
                return true;
        }
        return false;
    }

    // The modal window that the handler opened after it first yielded, if one is shown.
    QWindow *openedDialog() const
    {
        QWindow *modal = QGuiApplication::modalWindow();
        return modal && modal != m_modalAtStart ? modal : nullptr;
    }

    // Runs when the outermost yielding handler returns, or as the posted call of a handler
    // without the marker. Inside a yield or a yielding handler the handler has not finished yet:
    // whichever of them ends last releases.
    void release()
    {
        if (!m_holding || m_depth > 0 || m_handlers > 0)
            return;
        qApp->removeEventFilter(this);
        m_holding = false;
        m_modalAtStart = nullptr;
        std::vector<HeldEvent> held = std::move(m_held);
        m_held.clear();
        m_releasing = true;
        for (HeldEvent &item : held) {
            if (item.receiver && !isBlockedByModal(item.receiver))
                QCoreApplication::sendEvent(item.receiver, item.event.get());
        }
        m_releasing = false;
    }

    // The handler may have opened a modal dialog meanwhile: input held for the windows under it
    // is dropped, as the dialog would have refused it.
    static bool isBlockedByModal(QObject *receiver)
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return false;
        if (auto *widget = qobject_cast<QWidget *>(receiver))
            return widget->window() != modal;
        if (auto *window = qobject_cast<QWindow *>(receiver))
            return window != modal->windowHandle();
        return true;
    }

    bool m_holding = false;
    bool m_releasing = false;
    bool m_releasePosted = false;
    int m_depth = 0;    // yields running
    int m_handlers = 0; // yielding handlers running
    QPointer<QWindow> m_modalAtStart; // a modal window already shown when the hold began
    std::vector<HeldEvent> m_held;
};

} // namespace

void Yield()
{
    InputHold::instance().yieldOnce();
}

bool IsHoldingInput()
{
    return InputHold::instance().holding();
}

YieldingHandler::YieldingHandler()
{
    InputHold::instance().enterHandler();
}

YieldingHandler::~YieldingHandler()
{
    InputHold::instance().leaveHandler();
}

void EndProgram()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

} // namespace platform
