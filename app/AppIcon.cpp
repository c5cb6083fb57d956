// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

void PaintAppIcon(QPainter &p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The paper, slightly tilted like a poster pinned to a wall.
    p.save();
    p.translate(32, 32);
    p.rotate(-6);
    p.setPen(QPen(QColor(0x30, 0x30, 0x60), 3));
    p.setBrush(QColor(0xFF, 0xF8, 0xD8));
    p.drawRoundedRect(QRectF(-26, -26, 52, 52), 6, 6);
    p.restore();

    // A sun at the top right.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x90, 0x20));
    for (int ray = 0; ray < 8; ++ray) {
        p.save();
        p.translate(42, 20);
        p.rotate(ray * 45);
        p.drawRoundedRect(QRectF(-2, -14, 4, 7), 2, 2);
        p.restore();
    }
    p.setBrush(QColor(0xFF, 0xD0, 0x20));
    p.drawEllipse(QPointF(42, 20), 7, 7);

    // A flower at the bottom left.
    p.setPen(QPen(QColor(0x20, 0x90, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 36), QPointF(22, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x60, 0x90));
    for (int petal = 0; petal < 5; ++petal) {
        p.save();
        p.translate(22, 32);
        p.rotate(petal * 72);
        p.drawEllipse(QPointF(0, -6), 4.5, 6);
        p.restore();
    }
    p.setBrush(QColor(0xFF, 0xE0, 0x40));
    p.drawEllipse(QPointF(22, 32), 3.5, 3.5);
}

QImage AppIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    PaintAppIcon(p, size);
    return image;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}
