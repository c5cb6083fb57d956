// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a Picture holds, and the sizing rules its loaders share: for the picture library's own
// files, not for its users.

#include "pictures/Picture.h"

#include <QImage>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <mutex>
#include <vector>

namespace platform {

namespace wmf {
class Metafile;
}

struct Picture::Data
{
    Kind kind = Kind::Empty;
    QSize himetric;       // natural size
    QSizeF logical;       // natural size in logical pixels (96 dpi)
    QImage image;         // Raster: the pixels, devicePixelRatio = decoded / natural
    std::shared_ptr<const wmf::Metafile> metafile; // Metafile: its records, for playing them
    QSize metafilePixels; // Metafile: the pixel size image() gives it
    bool preview = false; // Raster: a stored thumbnail, not a decode of the picture (isPreview())
    bool standIn = false; // Raster: a stand-in drawing, not the picture at all (isStandIn())
    ContentIdentity source; // of the file's bytes it was decoded from (sourceIdentity())

    // Metafile: the latest renderings, most recent first, so that repainting a gallery cell or a
    // picture slot does not play the records again. Shared by the copies of the picture, which
    // may live on several threads.
    mutable std::mutex renderMutex;
    mutable std::vector<QImage> renders;
};

namespace loading {

QSize himetricOf(const QSizeF &logicalPixels);
// The largest pixel size a picture is decoded or rendered at: the caller's bound (a thumbnail
// cell, say), never more than MaxDecodedSide on either side.
QSize decodeLimit(const QSize &decodeBound);
bool fitsWithin(const QSize &size, const QSize &limit);
// size scaled down to fit limit, keeping its proportions; never scaled up, never below 1 x 1.
QSize fitWithin(const QSize &size, const QSize &limit);
// Pixels per logical pixel of a picture of logical size held at pixels.
qreal densityOf(const QSize &pixels, const QSizeF &logical);

// The metafile of data played at pixels, from the renderings kept when one is within slack
// pixels of it (drawing stretched takes one a pixel off; image() wants its size exactly).
QImage metafileRender(const Picture::Data &data, const QSize &pixels, int slack = 0);
// A placeable metafile's picture: its records checked and kept, a thumbnail (decodeBound valid)
// played at once; nullptr when the file is not one.
std::shared_ptr<Picture::Data> loadMetafile(const QByteArray &bytes, const QSize &decodeBound);

} // namespace loading

} // namespace platform
