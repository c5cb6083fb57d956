// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/PosterCapture.h"

#include "platform/Controls.h"
#include "base/Twips.h"

#include <QImage>
#include <QTextEdit>
#include <QWidget>

#include <utility>
#include <vector>

namespace output {

platform::Picture CapturePoster(QWidget *mainClient)
{
    return GrabWindowArea(mainClient, PosterRect.left(), PosterRect.top(), PosterRect.width(), PosterRect.height());
}

platform::Picture GrabWindowArea(QWidget *client, int left, int top, int width, int height)
{
    QImage bitmap(QSize(width, height) * platform::CaptureDensity, QImage::Format_RGB32);
    bitmap.setDevicePixelRatio(platform::CaptureDensity);
    // Parts of the rectangle outside the client area stay black.
    bitmap.fill(Qt::black);
    const QRect inside = QRect(left, top, width, height) & client->rect();
    // A picture still being decoded for the size it is shown at is finished first, so that no
    // blurred stand-in reaches print or a saved file.
    for (auto *image : client->findChildren<platform::ImageControl *>()) {
        if (image->isVisible() && image->geometry().intersects(inside))
            image->settle();
    }
    // The text box with the focus shows its caret on the screen; the poster does not.
    std::vector<std::pair<QTextEdit *, int>> carets;
    for (auto *text : client->findChildren<QTextEdit *>()) {
        if (text->cursorWidth() != 0) {
            carets.emplace_back(text, text->cursorWidth());
            text->setCursorWidth(0);
        }
    }
    if (!inside.isEmpty()) {
        client->render(&bitmap, inside.topLeft() - QPoint(left, top), QRegion(inside),
                       QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    for (const auto &[text, width] : carets)
        text->setCursorWidth(width);
    return BitmapToPicture(bitmap);
}

platform::Picture BitmapToPicture(const QImage &bitmap)
{
    return platform::Picture::fromImage(bitmap);
}

} // namespace output
