// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The small picture of a poster its file keeps for the shelf of posters: drawn from what the file
// keeps (the paper, the still picture, the slots, the finished poster) and the pictures the slots
// show, on the writer's thread. The GUI thread only takes the pictures (shared, not copied).

#include "pictures/Picture.h"
#include "posterfile/PosterFile.h"

#include <QImage>
#include <QRectF>

#include <array>

class Form1;

namespace history {

struct ThumbnailScene
{
    QRectF area; // the poster area, in twips of the main window's client area
    std::array<platform::Picture, posterfile::PictureSlotCount> pictures; // as the slots show them
};

ThumbnailScene TakeThumbnailScene(const Form1 &form);

// At most posterfile::ThumbnailSize, the poster area's shape. Safe on any thread.
QImage DrawThumbnail(const posterfile::Poster &poster, const ThumbnailScene &scene);

} // namespace history
