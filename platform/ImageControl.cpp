// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ImageControl.h"

#include "pictures/SharpDecode.h"

#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

#include <utility>

namespace platform {

ImageControl::ImageControl(QWidget *parent) : Control(parent)
{
    // Moves arrive with or without a button held: the gallery reacts to a pointer passing over.
    setMouseTracking(true);
}

ImageControl::~ImageControl()
{
    dropSharpening();
}

void ImageControl::setPicture(const Picture &picture)
{
    setPicture(picture, QString());
}

void ImageControl::setPicture(const Picture &picture, const QString &path)
{
    dropSharpening();
    m_picture = picture;
    m_source = path;
    m_keepSharp = false;
    m_sharpFailed = false;
    m_screenCopy = QImage();
    update();
}

void ImageControl::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    update();
}

void ImageControl::setKeepSharp(bool keep)
{
    if (keep == m_keepSharp)
        return;
    m_keepSharp = keep;
    if (keep)
        startSharpening();
    else
        dropSharpening();
}

QSize ImageControl::wantedPixels() const
{
    // From the geometry, which a hidden control has too; its resize event comes only when shown.
    return SharpPixels(m_picture, size());
}

bool ImageControl::isSettled() const
{
    return !m_decode && (!m_keepSharp || m_sharpFailed || m_source.isEmpty()
                         || m_picture.kind() != Picture::Kind::Raster
                         || ServesSharply(m_picture, wantedPixels()));
}

void ImageControl::settle()
{
    startSharpening();
    if (m_decode) {
        const std::shared_ptr<SharpDecode> decode = std::exchange(m_decode, nullptr);
        showSharp(decode->result());
    }
}

void ImageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_screenCopy = QImage();
    // Height and width are set one after the other: one decode for both.
    if (m_keepSharp && !m_askQueued) {
        m_askQueued = true;
        QMetaObject::invokeMethod(this, &ImageControl::askForSharpness, Qt::QueuedConnection);
    }
}

void ImageControl::askForSharpness()
{
    m_askQueued = false;
    startSharpening();
}

// Starts the decode the size asks for, unless the picture serves already or it is on its way.
void ImageControl::startSharpening()
{
    if (!m_keepSharp || m_sharpFailed || m_source.isEmpty() || m_picture.kind() != Picture::Kind::Raster)
        return;
    const QSize want = wantedPixels();
    if (ServesSharply(m_picture, want)) {
        dropSharpening();
        return;
    }
    if (m_decode && SuitsSharply(m_decode->target(), want))
        return;
    dropSharpening();
    m_decode = SharpDecode::Start(m_source, m_picture, want);
    auto *watcher = new QFutureWatcher<Picture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, decode = m_decode] {
        watcher->deleteLater();
        if (m_decode == decode) {
            m_decode.reset();
            showSharp(decode->result());
        }
    });
    watcher->setFuture(m_decode->future());
}

void ImageControl::dropSharpening()
{
    if (m_decode)
        std::exchange(m_decode, nullptr)->cancel();
}

void ImageControl::showSharp(const Picture &picture)
{
    if (picture.isEmpty()) {
        m_sharpFailed = true; // the picture shown stays
        return;
    }
    m_picture = picture;
    m_screenCopy = QImage();
    update();
    emit sharpened(index());
}

// The picture at the control's size in device pixels: kept for the screen, made anew for other
// densities (a capture), where a picture decoded for that very size is used as it is.
QImage ImageControl::scaledFor(qreal devicePixelRatio)
{
    const QImage image = m_picture.image();
    const QSize pixels = (QSizeF(size()) * devicePixelRatio).toSize();
    if (image.size() == pixels || pixels.isEmpty())
        return image;
    const bool screen = qFuzzyCompare(devicePixelRatio, devicePixelRatioF());
    if (screen && m_screenCopy.size() == pixels)
        return m_screenCopy;
    QImage scaled = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    if (screen)
        m_screenCopy = scaled;
    return scaled;
}

void ImageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.kind() == Picture::Kind::Raster) {
        // The device painted on: the screen's backing store, or the image of a capture, which
        // the widget's paint is redirected to.
        const QPaintDevice *device = painter.paintEngine()->paintDevice();
        painter.drawImage(QRectF(rect()), scaledFor(device->devicePixelRatioF()));
    } else {
        m_picture.drawStretched(painter, QRectF(rect()));
    }
    if (m_borderStyle) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(index(), MakePointerEvent(event));
    event->accept();
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(index(), MakePointerEvent(event));
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(index(), MakePointerEvent(event));
    event->accept();
}

} // namespace platform
