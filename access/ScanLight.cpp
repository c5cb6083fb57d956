// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/ScanLight.h"

#include "access/Overlay.h"
#include "base/Fonts.h"

#include <QPainter>

namespace accessibility {

ScanLight::ScanLight(QWidget *window) : QWidget(window)
{
    MakeOverlay(this, "qt_scan_light");
    setAttribute(Qt::WA_NoSystemBackground);
}

void ScanLight::lightUp(QRect global, Shape shape)
{
    m_shape = shape;
    const QRect local(parentWidget()->mapFromGlobal(global.topLeft()), global.size());
    if (shape == Shape::Frame)
        setGeometry(local.adjusted(-Width, -Width, Width, Width));
    else if (global.width() <= 1)
        setGeometry(local.left() - Width / 2, local.top(), Width, local.height());
    else
        setGeometry(local.left(), local.top() - Width / 2, local.width(), Width);
    raise();
    show();
    update();
}

void ScanLight::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_shape == Shape::Line) {
        painter.fillRect(rect(), Qt::black);
        painter.fillRect(rect().width() == Width ? rect().adjusted(3, 0, -2, 0) : rect().adjusted(0, 3, 0, -2), Qt::yellow);
        return;
    }
    const QRect r = rect();
    // Rings from the outside in, each drawn as four bands.
    const struct { int from, width; QColor colour; } rings[] = {{0, 3, Qt::black}, {3, 4, Qt::yellow}, {7, 2, Qt::black}};
    for (const auto &ring : rings) {
        const QRect outer = r.adjusted(ring.from, ring.from, -ring.from, -ring.from);
        painter.fillRect(outer.left(), outer.top(), outer.width(), ring.width, ring.colour);
        painter.fillRect(outer.left(), outer.bottom() - ring.width + 1, outer.width(), ring.width, ring.colour);
        painter.fillRect(outer.left(), outer.top(), ring.width, outer.height(), ring.colour);
        painter.fillRect(outer.right() - ring.width + 1, outer.top(), ring.width, outer.height(), ring.colour);
    }
}

ScanOwnChoice::ScanOwnChoice(const QString &caption, QWidget *window) : QLabel(caption, window)
{
    MakeOverlay(this, "qt_scan_choice");
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(2);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setFont(platform::MakeFont(platform::FontFace::RoundedGothic, 20, platform::FontStyle::Bold));
}

} // namespace accessibility
