// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BigCursor.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace platform {

namespace {

// The classic arrow on a grid of 19 units' height: the tip at (0, 0).
constexpr QPointF ArrowShape[] = {{0, 0}, {0, 16}, {4, 12.5}, {7, 18.5}, {9.5, 17.5}, {6.5, 11.5}, {11.5, 11.5}};
constexpr double ArrowUnits = 19;

} // namespace

QCursor BigArrowCursor(qreal devicePixelRatio)
{
    const double unit = BigCursorHeight / ArrowUnits;
    const double rim = 3; // logical pixels of white round the black
    const int side = static_cast<int>(std::ceil(BigCursorHeight + 2 * rim));
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QPainterPath arrow;
    arrow.moveTo(ArrowShape[0] * unit);
    for (const QPointF &corner : ArrowShape)
        arrow.lineTo(corner * unit);
    arrow.closeSubpath();
    arrow.translate(rim, rim);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2 * rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    painter.setPen(Qt::NoPen);
    painter.drawPath(arrow);
    painter.end();
    return QCursor(pixmap, static_cast<int>(rim), static_cast<int>(rim));
}

void UseBigCursor(bool on)
{
    static bool used = false;
    if (on == used)
        return;
    used = on;
    if (!on) {
        QGuiApplication::restoreOverrideCursor();
        return;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    QGuiApplication::setOverrideCursor(BigArrowCursor(screen ? screen->devicePixelRatio() : 1.0));
}

} // namespace platform
