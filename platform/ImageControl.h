// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The image control: a picture stretched to its size, decoded again off the GUI thread when it
// is shown larger than it was decoded, if it is to be kept sharp.

#include "platform/Control.h"

#include "pictures/Picture.h"

#include <QImage>

#include <memory>

namespace platform {

class SharpDecode;

// An image control: shows its picture stretched to its own size, with an optional single-line
// border. What it paints on the screen comes from a copy of the picture scaled once to its size,
// so that moving it, or anything over it, repaints by copying pixels.
//
// A picture decoded smaller than it may come to be shown (a gallery thumbnail) can name the file
// it came from. While the control keeps it sharp, every change of its size that asks for more
// pixels than the picture holds (its shown size times CaptureDensity) has the file decoded again
// at that size off the GUI thread, shown once it is ready; settle() makes the picture as sharp as
// the size asks before it returns, which the poster capture relies on. Only the picture shown is
// decoded again: once the file no longer holds it (written over, replaced, cut or removed), the
// control keeps the picture it has, at the pixels it has.
class ImageControl final : public Control<QWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(QImage picture READ pictureImage)
public:
    explicit ImageControl(QWidget *parent = nullptr);
    ~ImageControl() override;
    const Picture &picture() const { return m_picture; }
    // Shows picture; the control no longer names a file to decode it from.
    void setPicture(const Picture &picture);
    // Shows picture, decoded from the file at path, perhaps at a smaller size; sharpness is not
    // kept until setKeepSharp(true).
    void setPicture(const Picture &picture, const QString &path);
    QImage pictureImage() const { return m_picture.image(); }
    // The file the picture was decoded from, empty when it names none.
    const QString &sourcePath() const { return m_source; }
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

    void setKeepSharp(bool keep);
    bool keepsSharp() const { return m_keepSharp; }
    // True when no sharper decode is wanted or on its way.
    bool isSettled() const;
    // Makes the picture shown as sharp as the control's size asks: waits for the decode on its way
    // or makes it now. Does nothing for a control that does not keep its picture sharp.
    void settle();

signals:
    void mouseDown(int index, const platform::PointerEvent &event);
    void mouseMove(int index, const platform::PointerEvent &event);
    void mouseUp(int index, const platform::PointerEvent &event);
    // A sharper decode of the picture is now shown.
    void sharpened(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage scaledFor(qreal devicePixelRatio);
    QSize wantedPixels() const;
    void askForSharpness();   // once the handler that changed the size has returned
    void startSharpening();
    void dropSharpening();
    void showSharp(const Picture &picture);

    Picture m_picture;
    int m_borderStyle = 0;
    QString m_source;               // the file the picture came from, if it is to be kept sharp
    bool m_keepSharp = false;
    bool m_sharpFailed = false;     // the file could not be decoded again, or holds another picture
                                    // now: not tried again
    bool m_askQueued = false;
    std::shared_ptr<SharpDecode> m_decode; // the sharper decode on its way
    QImage m_screenCopy;            // the picture scaled to the control on the screen
};

} // namespace platform
