#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

PictureBox::PictureBox(QWidget *parent) : Control(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(const QColor &color)
{
    m_back = color;
    clearSurface();
    update();
}

void PictureBox::setForeColor(const QColor &color)
{
    m_fore = color;
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    clearSurface();
    update();
}

bool PictureBox::ensureSurface()
{
    const QSize pixels = size() * CaptureDensity;
    if (m_surface.size() == pixels)
        return false;
    m_surface = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_surface.setDevicePixelRatio(CaptureDensity);
    m_surface.fill(Qt::transparent);
    return true;
}

void PictureBox::clearSurface()
{
    if (!ensureSurface())
        m_surface.fill(Qt::transparent);
}

void PictureBox::drawCircle(double x, double y, double radius, const QColor &lineColor, const QColor &fillColor)
{
    ensureSurface();
    QPainter painter(&m_surface);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lineColor, 1.0));
    painter.setBrush(fillColor);
    const double r = radius / TwipsPerPixel;
    const QPointF centre(x / TwipsPerPixel, y / TwipsPerPixel);
    painter.drawEllipse(centre, r, r);
    const int reach = static_cast<int>(r) + 2;
    update(QRect(centre.toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1)));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), m_back.isValid() ? m_back : palette().color(QPalette::Base));
    m_picture.drawUnscaled(painter, QPointF(0, 0));
    if (!m_surface.isNull())
        painter.drawImage(QPointF(0, 0), m_surface);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Hidden widgets get their resize event late; a surface of the right size is kept.
    ensureSurface();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    // Qt grabs the mouse for the widget a button went down on, so its release comes back here
    // even when the pointer has left the box meanwhile.
    emit mouseDown(MakePointerEvent(event));
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(MakePointerEvent(event));
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(MakePointerEvent(event));
    event->accept();
}

} // namespace platform
