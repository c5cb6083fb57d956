#include "platform/Control.h"

#include <QMouseEvent>

namespace platform {

void ApplyColors(QWidget *widget, const QColor &back, const QColor &fore)
{
    QPalette palette = widget->palette();
    if (back.isValid()) {
        for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
            palette.setColor(role, back);
    }
    if (fore.isValid()) {
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
            palette.setColor(QPalette::Active, role, fore);
            palette.setColor(QPalette::Inactive, role, fore);
        }
    }
    widget->setPalette(palette);
}

PointerEvent MakePointerEvent(const QMouseEvent *event)
{
    PointerEvent pointer;
    pointer.button = event->button();
    pointer.buttons = event->buttons();
    pointer.shift = event->modifiers();
    pointer.x = PixelsToTwips(event->position().x());
    pointer.y = PixelsToTwips(event->position().y());
    return pointer;
}

} // namespace platform
