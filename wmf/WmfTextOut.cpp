// The player's drawing of the text records, in the font of the device context.

#include "wmf/WmfPlayerPrivate.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::wmf::detail {

void Player::text(QPointF reference, QByteArrayView bytes, const Params *p, int dxAt, quint16 options,
                  const QRectF &box)
{
    const auto *font = m_dc.font ? std::get_if<Font>(m_dc.font.get()) : nullptr;
    const Font defaults;
    const Font &f = font ? *font : defaults;
    const bool updatePosition = m_dc.textAlign & 1;
    if (updatePosition)
        reference = m_dc.position;

    constexpr quint16 Opaque = 0x0002;
    constexpr quint16 Clipped = 0x0004;
    if ((options & Opaque) && !box.isEmpty() && spend(4, box)) {
        m_painter.fillRect(box, color(m_dc.bkColor));
    }

    // Each text finds its font anew: a file of many texts in many sizes costs accordingly.
    if (bytes.isEmpty() || !charge(FontCost))
        return;
    const std::vector<TextUnit> units = DecodeText(bytes, f.charset, f.symbol);
    if (units.empty())
        return;
    const qreal sx = std::abs(scaleX());
    const qreal sy = std::abs(scaleY());
    qreal em = f.height < 0 ? -f.height * sy : f.height * sy * f.emPerCell;
    if (f.height == 0)
        em = 16 * m_naturalScale;
    const qreal maxEm = std::min<qreal>(8192, 4 * std::max(m_target.width(), m_target.height()));
    if (em < 0.5 || em > maxEm)
        return;
    QFont qfont;
    qfont.setFamilies(f.families.isEmpty() ? FamiliesFor(QString(), f.charset, 0) : f.families);
    qfont.setPixelSize(std::max(1, int(std::lround(em))));
    qfont.setWeight(QFont::Weight(std::clamp<int>(f.weight ? f.weight : 400, 1, 1000)));
    qfont.setItalic(f.italic);
    qfont.setUnderline(f.underline);
    qfont.setStrikeOut(f.strikeOut);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(qfont);
    // The characters of an anisotropic mapping are as much wider as its x scale is larger.
    const qreal stretch = std::clamp(sx / std::max(sy, 1e-9), 0.05, 20.0);

    // Advances in the text's own unscaled units: the record's per-byte widths where it has
    // them, the font's otherwise.
    std::vector<qreal> advances;
    advances.reserve(units.size());
    const bool hasDx = p && p->has(dxAt + qint64(bytes.size()));
    int byte = 0;
    for (const TextUnit &unit : units) {
        qreal advance = 0;
        if (hasDx) {
            for (int i = 0; i < unit.bytes; ++i)
                advance += p->s16(dxAt + byte + i) * sx;
            advance /= stretch;
        } else {
            advance = metrics.horizontalAdvance(unit.text) + m_dc.charExtra * sx / stretch;
        }
        byte += unit.bytes;
        advances.push_back(advance);
    }
    qreal width = 0;
    for (const qreal advance : advances)
        width += advance;

    const QPointF origin = map(reference.x(), reference.y());
    const qreal angle = -f.escapement / 10.0;
    QRectF extent(0, -metrics.ascent(), width * stretch, metrics.ascent() + metrics.descent());
    const qreal reach = std::hypot(extent.width(), extent.height());
    if (!spend(qint64(units.size()) * 4, QRectF(origin - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach))))
        return;

    qreal x = 0;
    switch (m_dc.textAlign & 6) {
    case 2: x = -width; break;      // TA_RIGHT
    case 6: x = -width / 2; break;  // TA_CENTER
    default: break;                 // TA_LEFT
    }
    qreal y = 0;
    switch (m_dc.textAlign & 24) {
    case 0: y = metrics.ascent(); break;    // TA_TOP
    case 8: y = -metrics.descent(); break;  // TA_BOTTOM
    default: break;                         // TA_BASELINE
    }

    m_painter.save();
    if ((options & Clipped) && !box.isEmpty())
        m_painter.setClipRect(box, Qt::IntersectClip);
    m_painter.translate(origin);
    m_painter.rotate(angle);
    m_painter.scale(stretch, 1);
    m_painter.setFont(qfont);
    if (m_dc.bkMode == 2 && !(options & Opaque))
        m_painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                           color(m_dc.bkColor));
    m_painter.setPen(color(m_dc.textColor));
    if (hasDx || m_dc.charExtra) {
        qreal at = x;
        for (size_t i = 0; i < units.size(); ++i) {
            m_painter.drawText(QPointF(at, y), units[i].text);
            at += advances[i];
        }
    } else {
        m_painter.drawText(QPointF(x, y), JoinText(units));
    }
    m_painter.restore();

    if (updatePosition) {
        const qreal radians = f.escapement / 10.0 * M_PI / 180;
        const qreal along = width * stretch;
        m_dc.position += QPointF(along * std::cos(radians) / scaleX(),
                                 -along * std::sin(radians) / scaleY());
    }
}

} // namespace platform::wmf::detail
