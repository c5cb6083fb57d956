// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SurfaceTiles.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

int TilesAcross(QSize surface)
{
    return (surface.width() + SurfaceTiles::TileSide - 1) / SurfaceTiles::TileSide;
}

int TilesDown(QSize surface)
{
    return (surface.height() + SurfaceTiles::TileSide - 1) / SurfaceTiles::TileSide;
}

// The raw pixels of a rectangle of surface, row after row.
QByteArray RawPixels(const QImage &surface, const QRect &area)
{
    const qsizetype rowBytes = qsizetype(area.width()) * 4;
    QByteArray raw(rowBytes * area.height(), Qt::Uninitialized);
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(raw.data() + y * rowBytes, surface.constScanLine(area.top() + y) + area.left() * 4, rowBytes);
    return raw;
}

QByteArray Compressed(int tile, const QImage &surface);

} // namespace

qint64 SurfaceTiles::byteCost() const
{
    qint64 bytes = 0;
    for (const auto &[tile, pixels] : m_tiles)
        bytes += pixels.capacity() + qint64(sizeof(int) + sizeof(QByteArray) + 32); // the map's node
    return bytes;
}

QRect SurfaceTiles::TileRect(int tile, QSize surface)
{
    const int across = TilesAcross(surface);
    if (across == 0)
        return {};
    const QRect whole(QPoint(0, 0), surface);
    return QRect((tile % across) * TileSide, (tile / across) * TileSide, TileSide, TileSide) & whole;
}

std::vector<int> SurfaceTiles::TilesUnder(const QRect &pixels, QSize surface)
{
    std::vector<int> tiles;
    const QRect area = pixels & QRect(QPoint(0, 0), surface);
    if (area.isEmpty())
        return tiles;
    const int across = TilesAcross(surface);
    for (int row = area.top() / TileSide; row <= area.bottom() / TileSide; ++row) {
        for (int column = area.left() / TileSide; column <= area.right() / TileSide; ++column)
            tiles.push_back(row * across + column);
    }
    return tiles;
}

bool SurfaceTiles::IsInked(int tile, const QImage &surface)
{
    const QRect area = TileRect(tile, surface.size());
    if (area.isEmpty())
        return false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(surface.constScanLine(y)) + area.left();
        if (std::any_of(line, line + area.width(), [](quint32 pixel) { return pixel != 0; }))
            return true;
    }
    return false;
}

std::vector<int> SurfaceTiles::tiles() const
{
    std::vector<int> kept;
    kept.reserve(m_tiles.size());
    for (const auto &[tile, pixels] : m_tiles)
        kept.push_back(tile);
    return kept;
}

void SurfaceTiles::addLater(const SurfaceTiles &later)
{
    for (const auto &[tile, pixels] : later.m_tiles)
        m_tiles.emplace(tile, pixels); // a tile held already stays as it is
}

namespace {

// The pixels of tile compressed, or nothing for a clear tile (premultiplied transparent is all
// bits zero). qCompress leaves room for the worst case, which the array gives back.
QByteArray Compressed(int tile, const QImage &surface)
{
    if (!SurfaceTiles::IsInked(tile, surface))
        return {};
    QByteArray pixels = qCompress(RawPixels(surface, SurfaceTiles::TileRect(tile, surface.size())), 1);
    pixels.squeeze();
    return pixels;
}

} // namespace

void SurfaceTiles::keep(int tile, const QImage &surface)
{
    m_tiles[tile] = Compressed(tile, surface);
}

QRect SurfaceTiles::exchangeWith(QImage &surface)
{
    QRect changed;
    const QSize size = surface.size();
    if (size.isEmpty() || TilesAcross(size) * TilesDown(size) == 0)
        return changed;
    for (auto &[tile, pixels] : m_tiles) {
        const QRect area = TileRect(tile, size);
        if (area.isEmpty())
            continue;
        const QByteArray now = Compressed(tile, surface);
        const qsizetype rowBytes = qsizetype(area.width()) * 4;
        const QByteArray raw = pixels.isEmpty() ? QByteArray() : qUncompress(pixels);
        for (int y = 0; y < area.height(); ++y) {
            uchar *line = surface.scanLine(area.top() + y) + area.left() * 4;
            if (raw.size() == rowBytes * area.height())
                std::memcpy(line, raw.constData() + y * rowBytes, rowBytes);
            else
                std::memset(line, 0, rowBytes);
        }
        pixels = now;
        changed |= area;
    }
    return changed;
}

} // namespace platform
