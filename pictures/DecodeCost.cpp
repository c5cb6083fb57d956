// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/DecodeCost.h"

#include <QPainter>
#include <QPainterPath>
#include <QThread>

#include <algorithm>

namespace platform::formats {

namespace {

// Nanoseconds a pixel and a compressed byte, measured here with the decoders as the loader
// drives them (libpng and libwebp making the picture smaller as they go, libheif whole). PNG
// inflates every byte and unfilters every row; WebP and HEIF decode a whole video frame, where the
// pixels (prediction, transforms, colour conversion) and the entropy-coded bytes both count. Of a
// HEIF picture in tiles, the tiles are decoded side by side, a core each (the parallel part of
// the pixels' cost, and the bytes'); putting them together and turning them into RGB is not.
struct Rates
{
    double perPixel;         // on one core, whatever the cores
    double perPixelParallel; // divided among the cores a picture in tiles gets
    double perByte;          // divided too
};

Rates RatesOf(Format format)
{
    switch (format) {
    case Format::Png:
        return {11, 0, 9};
    case Format::Webp:
        return {10, 0, 20};
    case Format::Heif:
        return {38, 20, 80};
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
    case Format::PlaceableWmf:
    case Format::Unknown:
        break;
    }
    return {0, 0, 0};
}

} // namespace

double PredictedDecodeMilliseconds(Format format, const QSize &stored, qint64 bytes, int tiles)
{
    if (stored.isEmpty())
        return 0;
    return PredictedDecodeMilliseconds(format, double(stored.width()) * double(stored.height()), bytes, tiles);
}

double PredictedDecodeMilliseconds(Format format, double pixels, qint64 bytes, int tiles)
{
    if (!isDecodedWhole(format) || pixels <= 0)
        return 0;
    const Rates rates = RatesOf(format);
    const int cores = format == Format::Heif ? std::clamp(QThread::idealThreadCount(), 1, std::max(1, tiles)) : 1;
    return (rates.perPixel * pixels + (rates.perPixelParallel * pixels + rates.perByte * double(bytes)) / cores) / 1e6;
}

QImage StandInImage(const QSize &pixels)
{
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(0xEE, 0xEE, 0xE8));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = image.width(), h = image.height();
    const double unit = std::min(w, h);
    painter.setPen(QPen(QColor(0xC8, 0xC8, 0xC0), std::max(1.0, unit / 40)));
    painter.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    painter.setPen(Qt::NoPen);
    // The sun, up on the right.
    painter.setBrush(QColor(0xF2, 0xD4, 0x8A));
    painter.drawEllipse(QPointF(w * 0.68, h * 0.36), unit * 0.11, unit * 0.11);
    // The hill, across the bottom.
    QPainterPath hill;
    hill.moveTo(w * 0.12, h * 0.80);
    hill.quadTo(w * 0.38, h * 0.30, w * 0.62, h * 0.80);
    hill.closeSubpath();
    painter.setBrush(QColor(0xB8, 0xD4, 0xB0));
    painter.drawPath(hill);
    return image;
}

QImage BrokenCardImage(const QSize &pixels)
{
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(0xC4, 0xC4, 0xC4));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = image.width(), h = image.height();
    const double unit = std::min(w, h);
    // A small picture (a frame, a sun, a hill) in the middle, torn down a zigzag with its right
    // half dropped a little.
    const QRectF frame(w / 2 - unit * 0.36, h / 2 - unit * 0.28, unit * 0.72, unit * 0.56);
    QPainterPath tear;
    tear.moveTo(frame.center().x() + unit * 0.04, frame.top());
    for (int k = 1; k <= 4; ++k)
        tear.lineTo(frame.center().x() + (k % 2 ? -1 : 1) * unit * 0.04, frame.top() + frame.height() * k / 4);
    QPainterPath left;
    left.moveTo(frame.topLeft());
    left.connectPath(tear);
    left.lineTo(frame.bottomLeft());
    left.closeSubpath();
    QPainterPath whole;
    whole.addRect(frame);
    const QPainterPath right = whole.subtracted(left);
    const QPen outline(QColor(0x70, 0x70, 0x70), std::max(1.0, unit / 45));
    for (const auto &[half, offset] : {std::pair{left, QPointF()}, std::pair{right, QPointF(unit * 0.05, unit * 0.06)}}) {
        painter.save();
        painter.translate(offset);
        painter.setClipPath(half);
        painter.fillRect(frame, QColor(0xF4, 0xF4, 0xF4));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xA0, 0xA0, 0xA0));
        painter.drawEllipse(QPointF(frame.left() + frame.width() * 0.72, frame.top() + frame.height() * 0.3),
                            unit * 0.06, unit * 0.06);
        QPainterPath hill;
        hill.moveTo(frame.left(), frame.bottom());
        hill.quadTo(frame.left() + frame.width() * 0.35, frame.top() + frame.height() * 0.2, frame.left() + frame.width() * 0.7,
                    frame.bottom());
        hill.closeSubpath();
        painter.drawPath(hill);
        painter.setClipping(false);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(half);
        painter.restore();
    }
    return image;
}

} // namespace platform::formats
