#include "platform/ScrollBar.h"

namespace platform {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : Control(parent)
{
    setOrientation(orientation);
    connect(this, &QScrollBar::valueChanged, this, &ScrollBar::change);
}

} // namespace platform
