// The metafile read into records, and the player's walk over them.

#include "wmf/WmfPlayer.h"

#include "wmf/WmfDib.h"
#include "wmf/WmfPlayerPrivate.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::wmf {

namespace {

constexpr qsizetype PlaceableHeaderSize = 22;
constexpr qsizetype MetaHeaderSize = 18;
constexpr qsizetype RecordHeaderSize = 6;
constexpr quint32 PlaceableKey = 0x9AC6CDD7;

using bytes::s16At;
using bytes::u16At;
using bytes::u32At;

} // namespace

namespace detail {

void Player::run()
{
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_baseClip.addRect(m_target);
    if (m_painter.hasClipping())
        m_baseClip = m_baseClip.intersected(m_painter.clipPath());
    applyClip();
    const QByteArrayView bytes = m_file.bytes();
    for (const Record &record : m_file.records()) {
        if (m_exhausted)
            break;
        play(record.function, Params(bytes.sliced(record.offset, record.size)));
    }
}

void Player::play(quint16 function, const Params &p)
{
    switch (function) {
    // The window: the part of the logical space that fills the target.
    case SetWindowOrg:
        if (p.has(2))
            m_dc.windowOrg = QPointF(p.s16(1), p.s16(0));
        break;
    case SetWindowExt:
        if (p.has(2) && p.s16(0) != 0 && p.s16(1) != 0)
            m_dc.windowExt = QPointF(p.s16(1), p.s16(0));
        break;
    case OffsetWindowOrg:
        if (p.has(2))
            m_dc.windowOrg += QPointF(p.s16(1), p.s16(0));
        break;
    case ScaleWindowExt:
        if (p.has(4) && p.s16(0) != 0 && p.s16(2) != 0) {
            const qreal x = m_dc.windowExt.x() * p.s16(3) / p.s16(2);
            const qreal y = m_dc.windowExt.y() * p.s16(1) / p.s16(0);
            if (x != 0 && y != 0 && std::abs(x) < 1e9 && std::abs(y) < 1e9)
                m_dc.windowExt = QPointF(x, y);
        }
        break;
    // The viewport and the mapping mode belong to the device the picture is played on,
    // which places the frame on the target; a metafile setting them would only move its
    // drawing off the target.
    case SetViewportOrg:
    case SetViewportExt:
    case OffsetViewportOrg:
    case ScaleViewportExt:
    case SetMapMode:
        break;

    case SaveDC:
        if (m_saved.size() < size_t(MaxSavedStates))
            m_saved.push_back(m_dc);
        else
            ++m_lostSaves;
        break;
    case RestoreDC: {
        // Negative: that many states back; positive: the state of that number.
        const int which = p.s16(0);
        const int depth = int(m_saved.size()) + m_lostSaves;
        const int target = which < 0 ? depth + which : which - 1;
        if (target < 0 || target >= depth)
            break;
        if (target >= int(m_saved.size())) {
            // A state saved beyond the cap was never kept: the last kept one stands in.
            m_lostSaves = target - int(m_saved.size());
            m_dc = m_saved.back();
        } else {
            m_lostSaves = 0;
            m_dc = m_saved[size_t(target)];
            m_saved.resize(size_t(target));
        }
        applyClip();
        break;
    }

    // Objects.
    case CreatePenIndirect:
        if (p.has(5))
            addObject(Pen{p.u16(0), p.s16(1), p.u32(3)});
        else
            addObject(std::monostate{});
        break;
    case CreateBrushIndirect:
        if (p.has(4))
            addObject(Brush{p.u16(0), p.u32(1), p.u16(3), {}});
        else
            addObject(std::monostate{});
        break;
    case DibCreatePatternBrush: {
        Brush brush;
        brush.style = 5;
        const bool indices = p.u16(0) != 3 && p.u16(1) == 1; // BS_PATTERN is always RGB
        const Palette *palette = m_dc.palette ? std::get_if<Palette>(m_dc.palette.get()) : nullptr;
        brush.pattern = decodeDib(p.rest(2), indices, palette);
        if (brush.pattern.width() * qint64(brush.pattern.height()) > 256 * 256)
            brush.pattern = brush.pattern.copy(0, 0, 256, 256); // a pattern tile, not a picture
        addObject(std::move(brush));
        break;
    }
    case CreateFontIndirect:
        createFont(p);
        break;
    case CreatePalette:
        createPalette(p);
        break;
    case CreateRegion:
        createRegion(p);
        break;
    case CreatePatternBrush:
        addObject(Brush{1, 0, 0, {}}); // old device-dependent bitmaps: drawn as no brush
        break;
    case SelectObject: {
        const ObjectRef selected = object(p.u16(0));
        if (!selected)
            break;
        if (std::holds_alternative<Pen>(*selected))
            m_dc.pen = selected;
        else if (std::holds_alternative<Brush>(*selected))
            m_dc.brush = selected;
        else if (std::holds_alternative<Font>(*selected))
            m_dc.font = selected;
        else if (std::holds_alternative<Region>(*selected))
            selectClipRegion(std::get_if<Region>(selected.get()));
        break;
    }
    case SelectPalette: {
        const ObjectRef selected = object(p.u16(0));
        if (selected && std::holds_alternative<Palette>(*selected))
            m_dc.palette = selected;
        break;
    }
    case DeleteObject: {
        const int index = p.u16(0);
        if (size_t(index) < m_objects.size() && m_objects[size_t(index)]) {
            m_objects[size_t(index)] = nullptr;
            m_freeSlots.insert(index);
        }
        break;
    }

    // The state of drawing.
    case SetBkColor:
        m_dc.bkColor = p.u32(0);
        break;
    case SetBkMode:
        m_dc.bkMode = p.u16(0);
        break;
    case SetTextColor:
        m_dc.textColor = p.u32(0);
        break;
    case SetTextAlign:
        m_dc.textAlign = p.u16(0);
        break;
    case SetPolyFillMode:
        m_dc.fillMode = p.u16(0);
        break;
    case SetRop2:
        m_dc.rop2 = p.u16(0);
        break;
    case SetTextCharExtra:
        m_dc.charExtra = std::clamp<int>(p.s16(0), -1000, 1000);
        break;
    case SetRelAbs:
    case SetStretchBltMode:
    case SetTextJustification:
    case SetMapperFlags:
    case SetLayout:
    case RealizePalette:
    case SetPalEntries:
    case ResizePalette:
    case AnimatePalette:
    case Escape:
        break;

    // Clipping.
    case IntersectClipRect:
        if (p.has(4))
            intersectClip(mapReversedRect(p, 0));
        break;
    case ExcludeClipRect:
        if (p.has(4))
            excludeClip(mapReversedRect(p, 0));
        break;
    case OffsetClipRgn:
        if (p.has(2) && m_dc.clip.active) {
            const QPointF by(p.s16(1) * scaleX(), p.s16(0) * scaleY());
            m_dc.clip.rect.translate(by);
            m_dc.clip.path.translate(by);
            applyClip();
        }
        break;
    case SelectClipRegion: {
        const ObjectRef selected = object(p.u16(0));
        selectClipRegion(selected ? std::get_if<Region>(selected.get()) : nullptr);
        break;
    }

    // Lines and shapes.
    case MoveTo:
        if (p.has(2))
            m_dc.position = QPointF(p.s16(1), p.s16(0));
        break;
    case LineTo:
        if (p.has(2)) {
            const QPointF to(p.s16(1), p.s16(0));
            polyline(QPolygonF{map(m_dc.position.x(), m_dc.position.y()), map(to.x(), to.y())});
            m_dc.position = to;
        }
        break;
    case Polygon:
    case Polyline: {
        const int count = std::clamp<int>(p.s16(0), 0, (p.words() - 1) / 2);
        const QPolygonF shape = points(p, 1, count);
        if (function == Polygon)
            polygon(shape);
        else
            polyline(shape);
        break;
    }
    case PolyPolygon: {
        const int polygons = p.u16(0);
        if (!p.has(1 + qint64(polygons)))
            break;
        int available = (p.words() - 1 - polygons) / 2;
        int at = 1 + polygons;
        QPainterPath path;
        path.setFillRule(m_dc.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        qint64 total = 0;
        for (int i = 0; i < polygons && available > 0; ++i) {
            const int count = std::min<int>(p.u16(1 + i), available);
            QPolygonF shape = points(p, at, count);
            if (!shape.isEmpty())
                shape << shape.first();
            path.addPolygon(shape);
            at += 2 * count;
            available -= count;
            total += count;
        }
        if (total > 0 && spend(total, strokeBounds(path.boundingRect()))) {
            prepare(true);
            m_painter.drawPath(path);
        }
        break;
    }
    case Rectangle:
    case Ellipse:
        if (p.has(4))
            shape(mapReversedRect(p, 0), Function(function));
        break;
    case RoundRect:
        if (p.has(6))
            shape(mapReversedRect(p, 2), RoundRect, std::abs(p.s16(1) * scaleX()) / 2,
                  std::abs(p.s16(0) * scaleY()) / 2);
        break;
    case Arc:
    case Pie:
    case Chord:
        arc(p, Function(function));
        break;
    case SetPixel:
        if (p.has(4)) {
            const QPointF at = map(p.s16(3), p.s16(2));
            const QRectF pixel(at, QSizeF(std::max(1.0, std::abs(scaleX())), std::max(1.0, std::abs(scaleY()))));
            if (spend(1, pixel))
                m_painter.fillRect(pixel, color(p.u32(0)));
        }
        break;
    case FillRegion:
        if (p.has(2)) {
            const ObjectRef fill = object(p.u16(1));
            if (fill && std::holds_alternative<Brush>(*fill)) {
                const ObjectRef saved = m_dc.brush;
                m_dc.brush = fill;
                fillRegion(object(p.u16(0)), brush());
                m_dc.brush = saved;
            }
        }
        break;
    case PaintRegion:
        fillRegion(object(p.u16(0)), brush());
        break;
    case FrameRegion:
    case InvertRegion:
    case FloodFill:
    case ExtFloodFill:
        break;

    // Text.
    case TextOut: {
        const int count = std::clamp<int>(p.s16(0), 0, MaxTextBytes);
        const int after = 1 + (count + 1) / 2;
        if (!p.has(after + 2))
            break;
        text(QPointF(p.s16(after + 1), p.s16(after)), p.bytes(1, count), nullptr, 0, 0, QRectF());
        break;
    }
    case ExtTextOut: {
        if (!p.has(4))
            break;
        const QPointF at(p.s16(1), p.s16(0));
        const int count = std::clamp<int>(p.s16(2), 0, MaxTextBytes);
        const quint16 options = p.u16(3);
        int stringAt = 4;
        QRectF box;
        if (options & 0x0006) {
            if (!p.has(8))
                break;
            box = mapRect(p.s16(4), p.s16(5), p.s16(6), p.s16(7));
            stringAt = 8;
        }
        const QByteArrayView string = p.bytes(stringAt, count);
        const int dxAt = stringAt + (count + 1) / 2;
        text(at, string, &p, dxAt, options, box);
        break;
    }

    // Bitmaps.
    case StretchDib:
    case DibStretchBlt:
    case DibBitBlt:
        dibRecord(p, Function(function));
        break;
    case PatBlt:
        if (p.has(6)) {
            bool flipX = false;
            bool flipY = false;
            patternBlt(p.u32(0), destination(p.s16(5), p.s16(4), p.s16(3), p.s16(2), &flipX, &flipY));
        }
        break;
    case BitBlt:
    case StretchBlt:
        break; // device-dependent bitmaps of the 16-bit platform: not drawn

    default:
        break;
    }
}

} // namespace detail

std::optional<Metafile> Metafile::parse(QByteArrayView bytes)
{
    Metafile metafile;
    qsizetype pos = 0;
    if (bytes.size() >= PlaceableHeaderSize && u32At(bytes, 0) == PlaceableKey) {
        metafile.m_placeable = true;
        const int left = s16At(bytes, 6);
        const int top = s16At(bytes, 8);
        const int right = s16At(bytes, 10);
        const int bottom = s16At(bytes, 12);
        metafile.m_frame = QRect(QPoint(left, top), QSize(right - left, bottom - top));
        metafile.m_unitsPerInch = u16At(bytes, 14);
        pos = PlaceableHeaderSize;
    }
    if (bytes.size() - pos < MetaHeaderSize)
        return std::nullopt;
    const quint16 type = u16At(bytes, pos);
    const quint16 headerWords = u16At(bytes, pos + 2);
    if ((type != 1 && type != 2) || headerWords != MetaHeaderSize / 2)
        return std::nullopt;
    metafile.m_objectSlots = u16At(bytes, pos + 10);
    pos += MetaHeaderSize;

    metafile.m_bytes = bytes.toByteArray();
    bool windowOrgSeen = false;
    bool windowExtSeen = false;
    QPoint windowOrg;
    QSize windowExt;
    while (bytes.size() - pos >= RecordHeaderSize && int(metafile.m_records.size()) < MaxRecords) {
        const quint32 words = u32At(bytes, pos);
        const quint16 function = u16At(bytes, pos + 4);
        // A size below 3 words would not move past the record itself.
        if (words < 3 || qint64(words) > (bytes.size() - pos) / 2)
            break;
        if (function == EndOfFile)
            break;
        const qsizetype size = qsizetype(words) * 2;
        Record record;
        record.function = function;
        record.offset = quint32(pos + RecordHeaderSize);
        record.size = quint32(size - RecordHeaderSize);
        metafile.m_records.push_back(record);
        if (!metafile.m_placeable && record.size >= 4) {
            const qint16 y = s16At(bytes, record.offset);
            const qint16 x = s16At(bytes, record.offset + 2);
            if (function == SetWindowOrg && !windowOrgSeen) {
                windowOrg = QPoint(x, y);
                windowOrgSeen = true;
            } else if (function == SetWindowExt && !windowExtSeen) {
                windowExt = QSize(x, y);
                windowExtSeen = true;
            }
        }
        pos += size;
    }
    if (!metafile.m_placeable)
        metafile.m_frame = windowExtSeen ? QRect(windowOrg, windowExt) : QRect(0, 0, 1024, 1024);
    return metafile;
}

void Metafile::play(QPainter &painter, const QRectF &target) const
{
    // A hair line is one logical pixel, or one device pixel where that is wider.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    playWithHairline(painter, target, std::max(1.0, ratio > 0 ? 1.0 / ratio : 1.0));
}

void Metafile::playWithHairline(QPainter &painter, const QRectF &target, qreal hairline) const
{
    if (target.isEmpty() || !target.isValid() || m_frame.width() == 0 || m_frame.height() == 0)
        return;
    painter.save();
    detail::Player(*this, painter, target, hairline).run();
    painter.restore();
}

QImage Metafile::render(const QSize &pixels, qreal pixelRatio) const
{
    if (pixels.isEmpty() || qint64(pixels.width()) * pixels.height() > MaxDibPixels * 4
        || pixelRatio <= 0)
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    // Played in device pixels (a painter scales badly to a ratio below 1), with hair lines one
    // logical pixel wide, or one device pixel where that is wider.
    QPainter painter(&image);
    playWithHairline(painter, QRectF(QPointF(0, 0), QSizeF(pixels)), std::max(1.0, pixelRatio));
    painter.end();
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

} // namespace platform::wmf
