#include "platform/EventLoop.h"

#include <QApplication>
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
// at the level that ran the handler, then delivers what was held, in order.
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
            qApp->installEventFilter(this);
            scheduleRelease();
        }
        ++m_depth;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        --m_depth;
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (!m_releasing && IsUserInput(event->type())
            && (receiver->isWidgetType() || qobject_cast<QWindow *>(receiver))) {
            m_held.push_back({QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone())});
            return true;
        }
        return false;
    }

private:
    using QObject::QObject;

    struct HeldEvent
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    void scheduleRelease()
    {
        QMetaObject::invokeMethod(this, [this] { release(); }, Qt::QueuedConnection);
    }

    // Runs when the outermost yielding handler returns, or as a posted call. Inside a yield or
    // a yielding handler the handler has not finished yet: try again later.
    void release()
    {
        if (!m_holding)
            return;
        if (m_depth > 0 || m_handlers > 0) {
            scheduleRelease();
            return;
        }
        qApp->removeEventFilter(this);
        m_holding = false;
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
    int m_depth = 0;    // yields running
    int m_handlers = 0; // yielding handlers running
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
