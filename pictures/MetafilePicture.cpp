// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureData.h"

#include "pictures/PictureFormats.h"
#include "wmf/WmfPlayer.h"

#include <algorithm>
#include <optional>

namespace platform::loading {

namespace {

// Metafile renderings kept per picture: the two latest sizes (a gallery cell, or a slot on the
// screen and its capture), each at most this large; a bigger one is played each time it is drawn.
constexpr size_t KeptRenders = 2;
constexpr qint64 MaxKeptRenderBytes = qint64(8) << 20;

} // namespace

QImage metafileRender(const Picture::Data &data, const QSize &pixels, int slack)
{
    {
        const std::lock_guard lock(data.renderMutex);
        for (size_t i = 0; i < data.renders.size(); ++i) {
            const QSize kept = data.renders[i].size();
            if (qAbs(kept.width() - pixels.width()) <= slack && qAbs(kept.height() - pixels.height()) <= slack) {
                std::rotate(data.renders.begin(), data.renders.begin() + qsizetype(i),
                            data.renders.begin() + qsizetype(i) + 1);
                return data.renders.front();
            }
        }
    }
    // Played without the lock: another thread drawing the same picture meanwhile may play it
    // too, which costs time but nothing else.
    const QImage render = data.metafile->render(pixels, densityOf(pixels, data.logical));
    if (!render.isNull() && render.sizeInBytes() <= MaxKeptRenderBytes) {
        const std::lock_guard lock(data.renderMutex);
        data.renders.insert(data.renders.begin(), render);
        if (data.renders.size() > KeptRenders)
            data.renders.resize(KeptRenders);
    }
    return render;
}

std::shared_ptr<Picture::Data> loadMetafile(const QByteArray &bytes, const QSize &decodeBound)
{
    const std::optional<formats::MetafileHeader> header = formats::readPlaceableMetafile(bytes);
    if (!header)
        return nullptr;
    std::optional<wmf::Metafile> metafile = wmf::Metafile::parse(bytes);
    if (!metafile)
        return nullptr;
    auto data = std::make_shared<Picture::Data>();
    data->kind = Picture::Kind::Metafile;
    data->himetric = header->himetric;
    data->logical = header->logicalPixels;
    data->metafile = std::make_shared<const wmf::Metafile>(std::move(*metafile));
    // Drawn, not decoded: a thumbnail is played at the size of its cell, enlarged or reduced.
    const QSize natural = header->logicalPixels.toSize().expandedTo(QSize(1, 1));
    data->metafilePixels = decodeBound.isValid()
            ? header->logicalPixels.scaled(QSizeF(decodeLimit(decodeBound)), Qt::KeepAspectRatio)
                      .toSize()
                      .expandedTo(QSize(1, 1))
            : fitWithin(natural, decodeLimit(decodeBound));
    // A thumbnail is played here, on the thread that loads it, rather than at its first paint.
    if (decodeBound.isValid())
        metafileRender(*data, data->metafilePixels);
    return data;
}

} // namespace platform::loading
