#pragma once

// The picture box: the poster's drawing surface, with pointer events in twips.

#include "platform/Control.h"

#include "pictures/Picture.h"

#include <QImage>

namespace platform {

// A picture box: back colour, a picture shown unscaled from its top-left corner, and a drawing
// surface for dots. The surface holds its pixels at the capture density, so that dots are as
// sharp in a capture as the capture itself, and it survives repaints. Setting the back colour or
// the picture clears it, as a repaint would on the original desktop.
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
    // The dots drawn since the last clear (transparent elsewhere), at the capture density.
    const QImage &drawingSurface() const { return m_surface; }

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
    bool ensureSurface(); // true when it had to be made anew (and so is clear)
    void clearSurface();

    QColor m_back, m_fore;
    Picture m_picture;
    QImage m_surface;
};

} // namespace platform
