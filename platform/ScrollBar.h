#pragma once

// The scroll bar: a control in twips that reports every change of its value.

#include "platform/Control.h"

#include <QScrollBar>

namespace platform {

// A horizontal or vertical scroll bar; "change" fires on every change of its value, by the
// user or by code.
class ScrollBar final : public Control<QScrollBar>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
    int smallChange() const { return singleStep(); }
    int largeChange() const { return pageStep(); }

signals:
    void change();
};

} // namespace platform
