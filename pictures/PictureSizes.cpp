// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureData.h"

#include "base/Twips.h"

#include <cmath>

namespace platform::loading {

QSize himetricOf(const QSizeF &logicalPixels)
{
    const auto himetric = [](qreal pixels) {
        return int(std::lround(TwipsToHimetric(PixelsToTwips(pixels))));
    };
    return QSize(himetric(logicalPixels.width()), himetric(logicalPixels.height()));
}

QSize decodeLimit(const QSize &decodeBound)
{
    const QSize maximum(MaxDecodedSide, MaxDecodedSide);
    if (!decodeBound.isValid())
        return maximum;
    return decodeBound.boundedTo(maximum).expandedTo(QSize(1, 1));
}

bool fitsWithin(const QSize &size, const QSize &limit)
{
    return size.width() <= limit.width() && size.height() <= limit.height();
}

QSize fitWithin(const QSize &size, const QSize &limit)
{
    if (fitsWithin(size, limit))
        return size;
    return size.scaled(limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

qreal densityOf(const QSize &pixels, const QSizeF &logical)
{
    // By the long side: the short one of a very wide picture may have been rounded up to 1.
    return logical.width() >= logical.height() ? pixels.width() / logical.width()
                                               : pixels.height() / logical.height();
}

} // namespace platform::loading
