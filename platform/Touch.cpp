// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Touch.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QPointingDevice>
#include <QStyleHints>

namespace platform {

namespace {

class TapFilter final : public QObject
{
public:
    static TapFilter &instance()
    {
        static auto *filter = new TapFilter;
        return *filter;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_still = IsFromTouchOrPen(mouse) ? watched : nullptr;
            m_pressedAt = mouse->globalPosition();
            break;
        }
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_still != watched || mouse->buttons() == Qt::NoButton || !IsFromTouchOrPen(mouse))
                break;
            if ((mouse->globalPosition() - m_pressedAt).manhattanLength()
                < QGuiApplication::styleHints()->startDragDistance()) {
                return true;
            }
            m_still = nullptr; // a drag from here on
            break;
        }
        case QEvent::MouseButtonRelease:
            m_still = nullptr;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QObject> m_still; // the control a finger pressed and has not yet moved far on
    QPointF m_pressedAt;
};

} // namespace

bool IsFromTouchOrPen(const QMouseEvent *event)
{
    const QPointingDevice *device = event->pointingDevice();
    return device && device->type() != QInputDevice::DeviceType::Mouse
           && device->type() != QInputDevice::DeviceType::Unknown;
}

void KeepTapsStill(QWidget *control)
{
    // A text box gets its mouse events through its viewport.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control))
        area->viewport()->installEventFilter(&TapFilter::instance());
    control->installEventFilter(&TapFilter::instance());
}

} // namespace platform
