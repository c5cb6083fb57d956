// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/PosterThumbnail.h"

#include "base/Fonts.h"
#include "form/Form1.h"
#include "platform/Controls.h"

#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <numeric>

namespace history {

ThumbnailScene TakeThumbnailScene(const Form1 &form)
{
    const platform::PictureBox &paper = *form.Picture1;
    ThumbnailScene scene;
    scene.area = {paper.twipsLeft(), paper.twipsTop(), paper.twipsWidth(), paper.twipsHeight()};
    for (std::size_t i = 0; i < scene.pictures.size(); ++i) {
        // Shown on the poster, though the window itself may be gone (the last write, at the end).
        if (!form.Image3[i]->isHidden())
            scene.pictures[i] = form.Image3[i]->picture();
    }
    return scene;
}

namespace {

void DrawSurface(QPainter &painter, const QRectF &target, const posterfile::Surface &surface, const QImage &still)
{
    painter.fillRect(target, surface.back.isValid() ? surface.back : QColor(Qt::white));
    // The still picture and the dots stand at the area's top-left corner, unscaled on the screen.
    for (const QImage *image : {&still, &surface.picture, &surface.dots}) {
        if (image->isNull())
            continue;
        const QSizeF logical = image->deviceIndependentSize();
        painter.drawImage(QRectF(target.topLeft(), logical), *image);
    }
}

} // namespace

QImage DrawThumbnail(const posterfile::Poster &poster, const ThumbnailScene &scene)
{
    if (scene.area.isEmpty())
        return QImage();
    const QSizeF fitted = scene.area.size().scaled(QSizeF(posterfile::ThumbnailSize), Qt::KeepAspectRatio);
    QImage thumbnail(fitted.toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    // Logical pixels of the area (a twip is 1/15 of one) down to the small picture.
    const double scale = thumbnail.width() / (scene.area.width() / 15);
    painter.scale(scale, scale);
    const QRectF area(0, 0, scene.area.width() / 15, scene.area.height() / 15);
    if (poster.step == 4) {
        DrawSurface(painter, area, poster.finished, QImage());
        return thumbnail;
    }
    if (poster.step == 1 || poster.still.isNull())
        DrawSurface(painter, area, poster.paper, QImage());
    else
        painter.drawImage(QRectF(QPointF(), poster.still.deviceIndependentSize()), poster.still);
    if (poster.step == 1)
        return thumbnail;
    const auto inArea = [&scene](double left, double top, double width, double height) {
        return QRectF((left - scene.area.left()) / 15, (top - scene.area.top()) / 15, width / 15, height / 15);
    };
    // The pictures, backmost first, then the texts over them.
    std::array<std::size_t, posterfile::PictureSlotCount> pictures{};
    std::iota(pictures.begin(), pictures.end(), 0);
    std::ranges::sort(pictures, {}, [&poster](std::size_t i) { return poster.pictures[i].stacking; });
    for (std::size_t i : pictures) {
        const posterfile::PictureSlot &slot = poster.pictures[i];
        if (slot.shown)
            scene.pictures[i].drawStretched(painter, inArea(slot.left, slot.top, slot.width, slot.height));
    }
    std::array<std::size_t, posterfile::TextSlotCount> texts{};
    std::iota(texts.begin(), texts.end(), 0);
    std::ranges::sort(texts, {}, [&poster](std::size_t i) { return poster.texts[i].stacking; });
    for (std::size_t i : texts) {
        const posterfile::TextSlot &slot = poster.texts[i];
        if (!slot.shown)
            continue;
        const QRectF box = inArea(slot.left, slot.top, slot.width, slot.height);
        if (slot.back.isValid())
            painter.fillRect(box, slot.back);
        painter.setPen(slot.fore.isValid() ? slot.fore : QColor(Qt::black));
        QFont font = platform::MakeFont(platform::FontFace::PGothic, slot.fontSize);
        font.setPixelSize(std::max(1, qRound(slot.fontSize * 96 / 72))); // as the screen shows it
        painter.setFont(font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter.drawText(box, slot.text, option);
    }
    return thumbnail;
}

} // namespace history
