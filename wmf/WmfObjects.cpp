// The player's object table: the pens, brushes, fonts, palettes and regions that records create,
// select and delete.

#include "wmf/WmfPlayerPrivate.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>

namespace platform::wmf::detail {

// A new object takes the lowest free slot of the table.
void Player::addObject(Object object)
{
    auto ref = std::make_shared<const Object>(std::move(object));
    if (!m_freeSlots.empty()) {
        m_objects[size_t(*m_freeSlots.begin())] = std::move(ref);
        m_freeSlots.erase(m_freeSlots.begin());
    } else if (m_objects.size() < size_t(MaxObjects)) {
        m_objects.push_back(std::move(ref));
    }
    // A table that is full drops the object, as the original platform failed to make it.
}

ObjectRef Player::object(int index) const
{
    return index >= 0 && size_t(index) < m_objects.size() ? m_objects[size_t(index)] : nullptr;
}

void Player::createFont(const Params &p)
{
    charge(FontCost);
    Font font;
    font.height = p.s16(0);
    font.escapement = p.s16(2);
    font.weight = p.s16(4);
    const QByteArrayView flags = p.bytes(5, 8);
    if (flags.size() < 8) {
        addObject(std::monostate{});
        return;
    }
    font.italic = flags[0] != 0;
    font.underline = flags[1] != 0;
    font.strikeOut = flags[2] != 0;
    font.charset = quint8(flags[3]);
    font.pitchAndFamily = quint8(flags[7]);
    const QString face = DecodeFaceName(p.bytes(9, 32), font.charset);
    font.symbol = IsSymbolFace(face);
    font.families = FamiliesFor(face, font.charset, font.pitchAndFamily);
    QFont reference;
    reference.setFamilies(font.families);
    reference.setPixelSize(100);
    const QFontMetricsF metrics(reference);
    const qreal cell = metrics.ascent() + metrics.descent();
    if (cell > 0)
        font.emPerCell = std::clamp(100.0 / cell, 0.3, 1.0);
    addObject(std::move(font));
}

void Player::createRegion(const Params &p)
{
    Region region;
    const int scans = p.u16(5);
    int at = 11;
    for (int scan = 0; scan < scans && p.has(at + 3); ++scan) {
        const int count = p.u16(at);
        const int top = p.s16(at + 1);
        const int bottom = p.s16(at + 2);
        if (count % 2 || !p.has(at + 3 + count + 1))
            break;
        for (int i = 0; i < count; i += 2) {
            if (int(region.rects.size()) >= MaxRegionRects)
                break;
            const int left = p.s16(at + 3 + i);
            const int right = p.s16(at + 4 + i);
            if (right > left && bottom > top)
                region.rects.push_back(QRect(QPoint(left, top), QPoint(right, bottom)));
        }
        at += 3 + count + 1;
    }
    // A region given by its bounding box only.
    if (scans == 0 && p.has(11) && p.s16(9) > p.s16(7) && p.s16(10) > p.s16(8))
        region.rects.push_back(QRect(QPoint(p.s16(7), p.s16(8)), QPoint(p.s16(9), p.s16(10))));
    addObject(std::move(region));
}

void Player::createPalette(const Params &p)
{
    Palette palette;
    const int count = std::min<int>(p.u16(1), (p.words() - 2) / 2);
    for (int i = 0; i < count; ++i) {
        const quint16 rg = p.u16(2 + 2 * i);
        const quint16 b = p.u16(3 + 2 * i);
        palette.colors.push_back(qRgb(rg & 0xFF, rg >> 8, b & 0xFF));
    }
    addObject(std::move(palette));
}

} // namespace platform::wmf::detail
