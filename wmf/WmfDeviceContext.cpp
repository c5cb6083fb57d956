// The player's device context: the one it starts with, the bounds of the work of a play, the
// colours, pens and brushes it draws with, and clipping.

#include "wmf/WmfPlayerPrivate.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::wmf::detail {

namespace {

// GDI's stock objects: black hair-line pen, white brush, the system font.
const ObjectRef &stockPen()
{
    static const ObjectRef pen = std::make_shared<const Object>(Pen{});
    return pen;
}
const ObjectRef &stockBrush()
{
    static const ObjectRef brush = std::make_shared<const Object>(Brush{});
    return brush;
}

} // namespace

Player::Player(const Metafile &metafile, QPainter &painter, const QRectF &target, qreal hairline)
    : m_file(metafile), m_painter(painter), m_target(target), m_hairline(hairline)
{
    const QRect frame = metafile.frame();
    m_dc.windowOrg = QPointF(frame.topLeft());
    m_dc.windowExt = QPointF(std::max(1, frame.width()), std::max(1, frame.height()));
    m_dc.pen = stockPen();
    m_dc.brush = stockBrush();
    m_objects.resize(std::clamp(metafile.objectSlots(), 0, MaxObjects));
    for (int slot = 0; slot < int(m_objects.size()); ++slot)
        m_freeSlots.insert(m_freeSlots.end(), slot);
    m_areaBudget = std::max(1.0, target.width() * target.height()) * MaxOverdraw;
    // Text of height 0 takes the system font's 16 pixels at the picture's natural size.
    m_naturalScale = 1.0;
    if (metafile.unitsPerInch() > 0 && frame.width() > 0)
        m_naturalScale = target.width() * metafile.unitsPerInch() / (frame.width() * 96.0);
}

// --- Work bounds ---

// Counts work that is not drawing (building fonts, clip paths, regions) against the points
// of the play; false once the budget is used up, which ends the play.
bool Player::charge(qint64 points)
{
    m_points += points;
    if (m_points > MaxPointsPerPlay)
        m_exhausted = true;
    return !m_exhausted;
}

// Counts the work of one drawing and says whether it should be done: false when it cannot
// be seen (outside the clip) or the play has used up its budget, which ends the play.
bool Player::spend(qint64 points, const QRectF &bounds)
{
    charge(points);
    const QRectF clip = clipBounds().adjusted(-1, -1, 1, 1);
    if (!bounds.intersects(clip))
        return false;
    const QRectF visible = bounds.intersected(clip);
    m_area += visible.width() * visible.height();
    if (m_area > m_areaBudget)
        m_exhausted = true;
    return !m_exhausted;
}

QRectF Player::clipBounds() const
{
    if (!m_dc.clip.active)
        return m_target;
    return m_dc.clip.rectangular ? m_dc.clip.rect : m_dc.clip.path.boundingRect();
}

// --- Colours, pens, brushes ---

QColor Player::color(quint32 colorRef) const
{
    if ((colorRef >> 24) == 1) { // an index into the selected palette
        if (const auto *palette = m_dc.palette ? std::get_if<Palette>(m_dc.palette.get()) : nullptr) {
            const quint32 index = colorRef & 0xFFFF;
            if (index < palette->colors.size())
                return QColor(palette->colors[index]);
        }
        return QColor(Qt::black);
    }
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

qreal Player::penWidth() const
{
    const auto *pen = std::get_if<Pen>(m_dc.pen.get());
    if (!pen || (pen->style & 0x0F) == 5)
        return 0;
    // Never thinner than a hair line, and never wider than a few times the target.
    const qreal width = std::abs(pen->width) * std::abs(scaleX());
    return std::clamp(width, m_hairline, 2 * (m_target.width() + m_target.height()) + m_hairline);
}

QPen Player::pen() const
{
    const auto *pen = std::get_if<Pen>(m_dc.pen.get());
    if (!pen || (pen->style & 0x0F) == 5 || m_dc.rop2 == 11) // PS_NULL, R2_NOP
        return QPen(Qt::NoPen);
    QColor c = color(pen->color);
    if (m_dc.rop2 == 1)
        c = Qt::black; // R2_BLACK
    else if (m_dc.rop2 == 16)
        c = Qt::white; // R2_WHITE
    QPen result(c, penWidth());
    switch (pen->style & 0x0F) {
    case 1: result.setStyle(Qt::DashLine); break;
    case 2: result.setStyle(Qt::DotLine); break;
    case 3: result.setStyle(Qt::DashDotLine); break;
    case 4: result.setStyle(Qt::DashDotDotLine); break;
    default: result.setStyle(Qt::SolidLine); break;
    }
    switch (pen->style & 0x0F00) {
    case 0x0100: result.setCapStyle(Qt::SquareCap); break;
    case 0x0200: result.setCapStyle(Qt::FlatCap); break;
    default: result.setCapStyle(Qt::RoundCap); break;
    }
    switch (pen->style & 0xF000) {
    case 0x1000: result.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: result.setJoinStyle(Qt::MiterJoin); break;
    default: result.setJoinStyle(Qt::RoundJoin); break;
    }
    return result;
}

QBrush Player::brush() const
{
    const auto *brush = m_dc.brush ? std::get_if<Brush>(m_dc.brush.get()) : nullptr;
    if (!brush)
        return QBrush(Qt::NoBrush);
    switch (brush->style) {
    case 0: // BS_SOLID
        return QBrush(color(brush->color));
    case 2: { // BS_HATCHED
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color(brush->color), brush->hatch < 6 ? hatches[brush->hatch] : Qt::SolidPattern);
    }
    case 3: // BS_PATTERN
    case 5: // BS_DIBPATTERN
    case 6: // BS_DIBPATTERNPT
        if (!brush->pattern.isNull())
            return QBrush(brush->pattern);
        return QBrush(Qt::NoBrush);
    default: // BS_NULL and the rest
        return QBrush(Qt::NoBrush);
    }
}

void Player::prepare(bool withBrush)
{
    m_painter.setPen(pen());
    m_painter.setBrush(withBrush ? brush() : QBrush(Qt::NoBrush));
    m_painter.setBackgroundMode(m_dc.bkMode == 2 ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter.setBackground(color(m_dc.bkColor));
}

QRectF Player::strokeBounds(const QRectF &rect) const
{
    const qreal half = penWidth() / 2 + 1;
    return rect.adjusted(-half, -half, half, half);
}

// --- Clipping ---

void Player::applyClip()
{
    const Clip &clip = m_dc.clip;
    if (!clip.active) {
        m_painter.setClipPath(m_baseClip);
        return;
    }
    QPainterPath path;
    if (clip.rectangular) {
        path.addRect(clip.rect);
    } else {
        path = clip.path;
        if (!charge(ClipElementCost * path.elementCount()))
            return;
    }
    m_painter.setClipPath(m_baseClip.intersected(path));
}

void Player::intersectClip(const QRectF &rect)
{
    Clip &clip = m_dc.clip;
    if (!clip.active) {
        clip.active = true;
        clip.rectangular = true;
        clip.rect = m_target;
    }
    if (clip.rectangular) {
        clip.rect = clip.rect.intersected(rect);
    } else if (clip.path.elementCount() < MaxClipElements
               && charge(ClipElementCost * clip.path.elementCount())) {
        QPainterPath area;
        area.addRect(rect);
        clip.path = clip.path.intersected(area);
    }
    applyClip();
}

void Player::excludeClip(const QRectF &rect)
{
    Clip &clip = m_dc.clip;
    if (!clip.active) {
        clip.active = true;
        clip.rectangular = true;
        clip.rect = m_target;
    }
    if (clip.rectangular) {
        clip.path = QPainterPath();
        clip.path.addRect(clip.rect);
        clip.rectangular = false;
    }
    if (clip.path.elementCount() < MaxClipElements
        && charge(ClipElementCost * clip.path.elementCount())) {
        QPainterPath area;
        area.addRect(rect);
        clip.path = clip.path.subtracted(area);
    }
    applyClip();
}

// A region as the clip, or no clip but the target's for none.
void Player::selectClipRegion(const Region *region)
{
    if (!region) {
        m_dc.clip = Clip{};
    } else {
        m_dc.clip.active = true;
        m_dc.clip.rectangular = false;
        m_dc.clip.path = regionPath(*region);
    }
    applyClip();
}

QPainterPath Player::regionPath(const Region &region)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill); // the union of overlapping rectangles
    charge(ClipElementCost * qint64(region.rects.size()));
    for (const QRect &r : region.rects)
        path.addRect(mapRect(r.left(), r.top(), r.right(), r.bottom()));
    return path;
}

} // namespace platform::wmf::detail
