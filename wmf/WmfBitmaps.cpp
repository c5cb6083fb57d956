// The player's drawing of the bitmap records.

#include "wmf/WmfPlayerPrivate.h"

#include "wmf/WmfDib.h"

#include <QPainter>

namespace platform::wmf::detail {

// Draws a DIB into the target rectangle. bottomUpSource: the source rectangle's y counts
// from the bitmap's last row (StretchDIBits), not its first.
void Player::bitmap(QByteArrayView dib, bool paletteIndices, quint32 rop, const QRectF &dest,
                    QRect source, bool bottomUpSource, bool flipX, bool flipY)
{
    const Palette *palette = m_dc.palette ? std::get_if<Palette>(m_dc.palette.get()) : nullptr;
    if (dest.isEmpty() || !spend(4, dest))
        return;
    QImage image = decodeDib(dib, paletteIndices, palette);
    if (image.isNull())
        return;
    if (bottomUpSource)
        source.moveTop(image.height() - source.top() - source.height());
    source = source.isValid() ? source.intersected(image.rect()) : image.rect();
    if (source.isEmpty())
        return;
    image = image.copy(source);
    if (flipX || flipY)
        image = image.mirrored(flipX, flipY);
    constexpr quint32 SrcCopy = 0x00CC0020;
    constexpr quint32 SrcAnd = 0x008800C6;
    constexpr quint32 SrcPaint = 0x00EE0086;
    constexpr quint32 SrcInvert = 0x00660046;
    constexpr quint32 NotSrcCopy = 0x00330008;
    m_painter.save();
    switch (rop) {
    case SrcAnd: m_painter.setCompositionMode(QPainter::CompositionMode_Multiply); break;
    case SrcPaint: m_painter.setCompositionMode(QPainter::CompositionMode_Lighten); break;
    case SrcInvert: m_painter.setCompositionMode(QPainter::CompositionMode_Difference); break;
    case NotSrcCopy: image.invertPixels(); break;
    case SrcCopy:
    default: break;
    }
    m_painter.drawImage(dest, image);
    m_painter.restore();
}

// PATBLT and the bitmap records without a bitmap: the brush, black or white over a rectangle.
void Player::patternBlt(quint32 rop, const QRectF &rect)
{
    constexpr quint32 PatCopy = 0x00F00021;
    constexpr quint32 Blackness = 0x00000042;
    constexpr quint32 Whiteness = 0x00FF0062;
    if (rect.isEmpty() || !spend(4, rect))
        return;
    if (rop == PatCopy)
        m_painter.fillRect(rect, brush());
    else if (rop == Blackness)
        m_painter.fillRect(rect, Qt::black);
    else if (rop == Whiteness)
        m_painter.fillRect(rect, Qt::white);
}

// The target rectangle of a bitmap record from x, y, width, height, and whether it mirrors.
QRectF Player::destination(qreal x, qreal y, qreal width, qreal height, bool *flipX, bool *flipY) const
{
    const QPointF a = map(x, y);
    const QPointF b = map(x + width, y + height);
    *flipX = b.x() < a.x();
    *flipY = b.y() < a.y();
    return QRectF(a, b).normalized();
}

void Player::dibRecord(const Params &p, Function function)
{
    bool flipX = false;
    bool flipY = false;
    switch (function) {
    case StretchDib: {
        if (!p.has(11))
            return;
        const QRectF dest = destination(p.s16(10), p.s16(9), p.s16(8), p.s16(7), &flipX, &flipY);
        const QRect source(p.s16(6), p.s16(5), p.s16(4), p.s16(3));
        bitmap(p.rest(11), p.u16(2) == 1, p.u32(0), dest, source, true, flipX, flipY);
        break;
    }
    case DibStretchBlt: {
        const bool withBitmap = p.has(10 + 8) && isDibHeaderSize(p.u32(10));
        if (!withBitmap) {
            if (p.has(10))
                patternBlt(p.u32(0), destination(p.s16(9), p.s16(8), p.s16(7), p.s16(6), &flipX, &flipY));
            return;
        }
        const QRectF dest = destination(p.s16(9), p.s16(8), p.s16(7), p.s16(6), &flipX, &flipY);
        const QRect source(p.s16(5), p.s16(4), p.s16(3), p.s16(2));
        bitmap(p.rest(10), false, p.u32(0), dest, source, false, flipX, flipY);
        break;
    }
    case DibBitBlt: {
        const bool withBitmap = p.has(8 + 8) && isDibHeaderSize(p.u32(8));
        if (!withBitmap) {
            if (p.has(7))
                patternBlt(p.u32(0), destination(p.s16(6), p.s16(5), p.s16(4), p.s16(3), &flipX, &flipY));
            return;
        }
        const QRectF dest = destination(p.s16(7), p.s16(6), p.s16(5), p.s16(4), &flipX, &flipY);
        const QRect source(p.s16(3), p.s16(2), p.s16(5), p.s16(4));
        bitmap(p.rest(8), false, p.u32(0), dest, source, false, flipX, flipY);
        break;
    }
    default:
        break;
    }
}

} // namespace platform::wmf::detail
