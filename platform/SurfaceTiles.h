// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pixels of a picture box's drawing surface kept in square tiles: what a stroke or a clear
// changed, as it was before. A tile that was wholly transparent is kept as nothing; any other
// is kept compressed, so that the few dots of a stroke cost a few kilobytes.

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <map>
#include <vector>

namespace platform {

class SurfaceTiles final
{
public:
    // The side of a tile, in the surface's own (capture density) pixels.
    static constexpr int TileSide = 64;

    bool isEmpty() const { return m_tiles.empty(); }
    int count() const { return static_cast<int>(m_tiles.size()); }
    bool contains(int tile) const { return m_tiles.count(tile) != 0; }
    // The memory the kept pixels take.
    qint64 byteCost() const;

    // The tiles kept, in order.
    std::vector<int> tiles() const;

    // Keeps the pixels of tile (numbered row by row) of surface.
    void keep(int tile, const QImage &surface);
    // Adds the tiles of later that this does not hold: what a surface held before two changes
    // in a row.
    void addLater(const SurfaceTiles &later);
    // Writes every kept tile into surface and keeps what was there instead; returns the tiles'
    // union, in the surface's pixels.
    QRect exchangeWith(QImage &surface);

    // The rectangle of tile in a surface of that size, in its pixels.
    static QRect TileRect(int tile, QSize surface);
    // The tiles a rectangle of the surface's pixels touches, in no particular order.
    static std::vector<int> TilesUnder(const QRect &pixels, QSize surface);
    // Whether tile of surface holds any pixel that is not wholly transparent.
    static bool IsInked(int tile, const QImage &surface);

private:
    std::map<int, QByteArray> m_tiles; // tile -> compressed pixels, empty for a clear tile
};

} // namespace platform
