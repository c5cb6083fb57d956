// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// A rectangle of the surface's pixels in logical pixels, rounded outwards.
QRect LogicalPixels(const QRect &pixels)
{
    if (pixels.isEmpty())
        return {};
    return QRect(pixels.topLeft() / CaptureDensity,
                 (pixels.bottomRight() + QPoint(CaptureDensity, CaptureDensity)) / CaptureDensity - QPoint(1, 1));
}

} // namespace

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
    m_shownPicture = QImage();
    clearSurface();
    update();
}

void PictureBox::ensureSurface()
{
    const QSize pixels = surfaceSize();
    if (m_surface.size() == pixels)
        return;
    m_surface = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_surface.setDevicePixelRatio(CaptureDensity);
    m_surface.fill(Qt::transparent);
    m_shownSurface = QImage();
    // Tiles of a surface of another size no longer fit.
    m_journal = SurfaceTiles();
    m_inked.assign(SurfaceTiles::TilesUnder(QRect(QPoint(0, 0), pixels), pixels).size(), false);
}

bool PictureBox::hasDots() const
{
    return std::find(m_inked.begin(), m_inked.end(), true) != m_inked.end();
}

void PictureBox::clearSurface()
{
    // Only the tiles drawn on hold anything, so a surface with no dot costs nothing to clear.
    bool cleared = false;
    for (std::size_t tile = 0; tile < m_inked.size(); ++tile) {
        if (!m_inked[tile])
            continue;
        if (m_keepsJournal && !m_journal.contains(int(tile)))
            m_journal.keep(int(tile), m_surface);
        const QRect area = SurfaceTiles::TileRect(int(tile), m_surface.size());
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::memset(m_surface.scanLine(y) + area.left() * 4, 0, std::size_t(area.width()) * 4);
        m_inked[tile] = false;
        cleared = true;
    }
    if (cleared && !m_shownSurface.isNull())
        m_shownSurface.fill(Qt::transparent);
}

void PictureBox::setKeepsJournal(bool keep)
{
    m_keepsJournal = keep;
    m_journal = SurfaceTiles();
}

SurfaceTiles PictureBox::takeJournal()
{
    return std::exchange(m_journal, SurfaceTiles());
}

void PictureBox::journalTiles(const QRect &pixels)
{
    for (int tile : SurfaceTiles::TilesUnder(pixels, m_surface.size())) {
        if (m_keepsJournal && !m_journal.contains(tile))
            m_journal.keep(tile, m_surface);
        m_inked[std::size_t(tile)] = true;
    }
}

void PictureBox::exchangeTiles(SurfaceTiles &tiles)
{
    if (tiles.isEmpty())
        return;
    ensureSurface();
    const QRect changed = tiles.exchangeWith(m_surface);
    for (int tile : SurfaceTiles::TilesUnder(changed, m_surface.size()))
        m_inked[std::size_t(tile)] = SurfaceTiles::IsInked(tile, m_surface);
    const QRect logical = LogicalPixels(changed);
    shrinkIntoShown(logical);
    update(logical);
}

const QImage &PictureBox::shownSurface(qreal ratio)
{
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_shownSurface.size() != pixels || !qFuzzyCompare(m_shownSurface.devicePixelRatio(), ratio)) {
        // Only what is drawn is shrunk: a clear shown copy, then the tiles that hold dots.
        m_shownSurface = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_shownSurface.setDevicePixelRatio(ratio);
        m_shownSurface.fill(Qt::transparent);
        QRect inked;
        for (std::size_t tile = 0; tile < m_inked.size(); ++tile) {
            if (m_inked[tile])
                inked |= SurfaceTiles::TileRect(int(tile), m_surface.size());
        }
        shrinkIntoShown(LogicalPixels(inked));
    }
    return m_shownSurface;
}

void PictureBox::shrinkIntoShown(const QRect &logical)
{
    const QRect area = logical & rect();
    if (m_shownSurface.isNull() || area.isEmpty())
        return;
    const qreal ratio = m_shownSurface.devicePixelRatio();
    QImage part = m_surface.copy(QRect(area.topLeft() * CaptureDensity, area.size() * CaptureDensity))
                      .scaled((QSizeF(area.size()) * ratio).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    part.setDevicePixelRatio(ratio);
    QPainter painter(&m_shownSurface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(area.topLeft()), part);
}

void PictureBox::drawPicture(QPainter &painter, qreal ratio)
{
    const QImage &image = m_picture.image();
    if (m_picture.kind() != Picture::Kind::Raster || qFuzzyCompare(image.devicePixelRatio(), ratio)) {
        m_picture.drawUnscaled(painter, QPointF(0, 0));
        return;
    }
    const QSize pixels = (m_picture.logicalSize() * ratio).toSize();
    if (m_shownPicture.size() != pixels || !qFuzzyCompare(m_shownPicture.devicePixelRatio(), ratio)) {
        m_shownPicture = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_shownPicture.setDevicePixelRatio(ratio);
    }
    painter.drawImage(QPointF(0, 0), m_shownPicture);
}

void PictureBox::drawCircle(double x, double y, double radius, const QColor &lineColor, const QColor &fillColor)
{
    ensureSurface();
    const double r = radius / TwipsPerPixel;
    const QPointF centre(x / TwipsPerPixel, y / TwipsPerPixel);
    const int reach = static_cast<int>(r) + 2;
    const QRect touched(centre.toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
    journalTiles(QRect(touched.topLeft() * CaptureDensity, touched.size() * CaptureDensity));
    QPainter painter(&m_surface);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lineColor, 1.0));
    painter.setBrush(fillColor);
    painter.drawEllipse(centre, r, r);
    // The pixel under the centre is the dot's whatever its size: a dot smaller than a pixel
    // would otherwise show as a pale smudge spread over the pixels around its centre.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(std::floor(centre.x()), std::floor(centre.y()), 1, 1), lineColor);
    painter.end();
    shrinkIntoShown(touched);
    update(touched);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), m_back.isValid() ? m_back : palette().color(QPalette::Base));
    // The device painted on: the screen's backing store, or the image of a capture, which the
    // widget's paint is redirected to.
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    drawPicture(painter, ratio);
    if (!hasDots())
        return;
    if (qFuzzyCompare(ratio, qreal(CaptureDensity)))
        painter.drawImage(QPointF(0, 0), m_surface);
    else
        painter.drawImage(QPointF(0, 0), shownSurface(ratio));
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A surface of another size is dropped, dots and all, as a new one would be clear; the next
    // dot makes one of the right size.
    if (!m_surface.isNull() && m_surface.size() != surfaceSize()) {
        m_surface = QImage();
        m_shownSurface = QImage();
        m_journal = SurfaceTiles();
        m_inked.clear();
    }
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
