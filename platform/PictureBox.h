// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The picture box: the poster's drawing surface, with pointer events in twips.

#include "platform/Control.h"

#include "platform/SurfaceTiles.h"
#include "pictures/Picture.h"

#include <QImage>

#include <vector>

class QPainter;

namespace platform {

// A picture box: back colour, a picture shown unscaled from its top-left corner, and a drawing
// surface for dots. The surface holds its pixels at the capture density, so that dots are as
// sharp in a capture as the capture itself, and it survives repaints. Setting the back colour or
// the picture clears it, as a repaint would on the original desktop. The surface is made with
// the first dot, and a clear touches only the tiles that dots were drawn on, so a box that was
// never drawn on costs no more than its colour.
//
// On a device of another density (the screen) the surface and a picture of another density
// are shown shrunk as a capture is shown there (an ImageControl's smooth scaling): each pixel
// the average of the pixels it covers. So the paper shows its dots in the shape and colour that
// the capture of the next step will show. The surface's shrunk copy is kept in step with each
// dot. A dot, however small, covers the whole logical pixel under its centre in its colour, so
// the smallest dots show as solid pixels, on the screen as in the capture.
class PictureBox final : public Control<QWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QImage picture READ pictureImage)
public:
    explicit PictureBox(QWidget *parent = nullptr);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    QImage pictureImage() const { return m_picture.image(); }

    // A filled circle centred on (x, y) twips with the given radius in twips: filled with
    // fillColor and outlined one logical pixel wide in lineColor.
    void drawCircle(double x, double y, double radius, const QColor &lineColor, const QColor &fillColor);
    // The dots drawn since the last clear (transparent elsewhere), at the capture density: of
    // surfaceSize(), or null while no dot has been drawn on a surface of that size.
    const QImage &drawingSurface() const { return m_surface; }
    QSize surfaceSize() const { return size() * CaptureDensity; }
    bool hasDots() const;

    // While the box keeps a journal, every change of its surface (a dot, or a clear by a new
    // back colour or picture) first keeps the tiles it is about to change, once each, as they
    // were; takeJournal() hands them over and starts a fresh one.
    void setKeepsJournal(bool keep);
    bool keepsJournal() const { return m_keepsJournal; }
    SurfaceTiles takeJournal();
    // Writes the tiles into the surface and keeps what was there in them instead (outside the
    // journal), then repaints what changed.
    void exchangeTiles(SurfaceTiles &tiles);

signals:
    void mouseDown(const platform::PointerEvent &event);
    void mouseMove(const platform::PointerEvent &event);
    void mouseUp(const platform::PointerEvent &event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void ensureSurface(); // makes a clear one of the box's size when it has none of that size
    void clearSurface();
    // The surface and the picture at a device's density.
    const QImage &shownSurface(qreal ratio);
    void drawPicture(QPainter &painter, qreal ratio);
    // Shrinks the surface's pixels under a rectangle (logical pixels) into its shown copy.
    void shrinkIntoShown(const QRect &logical);
    // Keeps the tiles under a rectangle of the surface's pixels in the journal, if it is kept.
    void journalTiles(const QRect &pixels);


    QColor m_back, m_fore;
    Picture m_picture;
    QImage m_surface;
    QImage m_shownSurface; // m_surface at the screen's density
    QImage m_shownPicture; // m_picture's pixels at the screen's density
    bool m_keepsJournal = false;
    SurfaceTiles m_journal;
    std::vector<bool> m_inked; // tiles drawn on since the last clear
};

} // namespace platform
