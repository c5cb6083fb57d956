#pragma once

// Not part of the library's interface: shared by the player's own files.
//
// The player of WmfPlayer.h: a record's parameters, the objects and the device context of the
// original platform, and the class Player, whose functions lie in WmfPlayer.cpp (the play and
// its records), WmfDeviceContext.cpp (the bounds of the work, colours, pens, brushes and
// clipping), WmfObjects.cpp (the object table), WmfShapes.cpp, WmfTextOut.cpp and
// WmfBitmaps.cpp (the drawing).

#include "wmf/WmfPlayer.h"

#include "base/ByteReads.h"
#include "wmf/WmfText.h"

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <set>
#include <variant>
#include <vector>

namespace platform::wmf::detail {

// Mapped coordinates are kept within this many logical pixels of the origin: far beyond any
// target, and well inside what the rasteriser's fixed-point arithmetic takes.
inline constexpr qreal CoordinateLimit = 1 << 22;
// Clip paths stop growing beyond this many elements (a chain of excluded rectangles).
inline constexpr int MaxClipElements = 4096;
// What the budget of points counts for work other than points: each element of a clip path or
// region in an operation on it, and each font looked up.
inline constexpr qint64 ClipElementCost = 4;
inline constexpr qint64 FontCost = 256;

using bytes::s16At;
using bytes::s32At;
using bytes::u16At;
using bytes::u32At;

// The parameters of one record as 16-bit words. Reads past the end give 0, but handlers check
// with has() that what they need is there before they act.
class Params
{
public:
    explicit Params(QByteArrayView bytes) : m_bytes(bytes) {}
    int words() const { return int(m_bytes.size() / 2); }
    bool has(qint64 words) const { return words >= 0 && words <= this->words(); }
    qint16 s16(int word) const { return has(word + 1) ? s16At(m_bytes, 2 * qsizetype(word)) : 0; }
    quint16 u16(int word) const { return has(word + 1) ? u16At(m_bytes, 2 * qsizetype(word)) : 0; }
    quint32 u32(int word) const { return u16(word) | (quint32(u16(word + 1)) << 16); }
    // The bytes from a word on, at most count of them.
    QByteArrayView bytes(int word, qsizetype count) const
    {
        const qsizetype from = 2 * qsizetype(word);
        if (from >= m_bytes.size() || count <= 0)
            return {};
        return m_bytes.sliced(from, std::min(count, m_bytes.size() - from));
    }
    QByteArrayView rest(int word) const { return bytes(word, m_bytes.size()); }

private:
    QByteArrayView m_bytes;
};

// --- Objects ---------------------------------------------------------------------------------

struct Pen
{
    quint16 style = 0;
    qint16 width = 0;
    quint32 color = 0;
};
struct Brush
{
    quint16 style = 0; // BS_SOLID
    quint32 color = 0xFFFFFF;
    quint16 hatch = 0;
    QImage pattern; // BS_DIBPATTERN
};
struct Font
{
    qint16 height = 0;
    qint16 escapement = 0;
    qint16 weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    quint8 charset = DefaultCharset;
    quint8 pitchAndFamily = 0;
    bool symbol = false;
    QStringList families;
    qreal emPerCell = 0.8; // the em of the face per ascent + descent, for positive heights
};
struct Palette
{
    std::vector<QRgb> colors;
};
struct Region
{
    std::vector<QRect> rects; // in logical units
};
// Records that create objects the player does not draw with still take a slot, so that the
// indexes of the others stay right.
using Object = std::variant<std::monostate, Pen, Brush, Font, Palette, Region>;
using ObjectRef = std::shared_ptr<const Object>;

// --- The device context ----------------------------------------------------------------------

struct Clip
{
    bool active = false;      // false: only the target clips
    bool rectangular = true;
    QRectF rect;              // target coordinates
    QPainterPath path;        // when not rectangular
};

struct DeviceContext
{
    QPointF windowOrg;
    QPointF windowExt{1, 1}; // never 0
    ObjectRef pen, brush, font, palette;
    quint32 textColor = 0x000000;
    quint32 bkColor = 0xFFFFFF;
    int bkMode = 2; // OPAQUE
    quint32 textAlign = 0;
    int fillMode = 1; // ALTERNATE
    int rop2 = 13;    // R2_COPYPEN
    int charExtra = 0;
    QPointF position; // the current position, logical
    Clip clip;
};

// --- The player ------------------------------------------------------------------------------

class Player
{
public:
    // hairline: the width of the thinnest line, in the painter's coordinates.
    Player(const Metafile &metafile, QPainter &painter, const QRectF &target, qreal hairline);

    void run();

private:
    // --- Mapping ---

    qreal scaleX() const { return m_target.width() / m_dc.windowExt.x(); }
    qreal scaleY() const { return m_target.height() / m_dc.windowExt.y(); }
    static qreal limited(qreal value) { return std::clamp(value, -CoordinateLimit, CoordinateLimit); }
    QPointF map(qreal x, qreal y) const
    {
        return QPointF(limited(m_target.x() + (x - m_dc.windowOrg.x()) * scaleX()),
                       limited(m_target.y() + (y - m_dc.windowOrg.y()) * scaleY()));
    }
    QRectF mapRect(qreal left, qreal top, qreal right, qreal bottom) const
    {
        return QRectF(map(left, top), map(right, bottom)).normalized();
    }
    // The four int16 of a rectangle stored bottom, right, top, left from word `at`.
    QRectF mapReversedRect(const Params &p, int at) const
    {
        return mapRect(p.s16(at + 3), p.s16(at + 2), p.s16(at + 1), p.s16(at));
    }
    QPolygonF points(const Params &p, int at, int count) const
    {
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i)
            polygon << map(p.s16(at + 2 * i), p.s16(at + 2 * i + 1));
        return polygon;
    }

    // --- Work bounds (WmfDeviceContext.cpp) ---

    bool charge(qint64 points);
    bool spend(qint64 points, const QRectF &bounds);
    QRectF clipBounds() const;

    // --- Colours, pens, brushes (WmfDeviceContext.cpp) ---

    QColor color(quint32 colorRef) const;
    qreal penWidth() const;
    QPen pen() const;
    QBrush brush() const;
    void prepare(bool withBrush);
    QRectF strokeBounds(const QRectF &rect) const;

    // --- Clipping (WmfDeviceContext.cpp) ---

    void applyClip();
    void intersectClip(const QRectF &rect);
    void excludeClip(const QRectF &rect);
    void selectClipRegion(const Region *region);
    QPainterPath regionPath(const Region &region);

    // --- Objects (WmfObjects.cpp) ---

    void addObject(Object object);
    ObjectRef object(int index) const;
    void createFont(const Params &p);
    void createRegion(const Params &p);
    void createPalette(const Params &p);

    // --- Drawing (WmfShapes.cpp, WmfTextOut.cpp, WmfBitmaps.cpp) ---

    void polygon(const QPolygonF &polygon);
    void polyline(const QPolygonF &line);
    void shape(const QRectF &rect, Function function, qreal rx = 0, qreal ry = 0);
    void arc(const Params &p, Function function);
    void fillRegion(const ObjectRef &regionObject, const QBrush &fill);
    void text(QPointF reference, QByteArrayView bytes, const Params *p, int dxAt, quint16 options,
              const QRectF &box);
    void bitmap(QByteArrayView dib, bool paletteIndices, quint32 rop, const QRectF &dest, QRect source,
                bool bottomUpSource, bool flipX, bool flipY);
    void patternBlt(quint32 rop, const QRectF &rect);
    QRectF destination(qreal x, qreal y, qreal width, qreal height, bool *flipX, bool *flipY) const;
    void dibRecord(const Params &p, Function function);

    // --- The records (WmfPlayer.cpp) ---

    void play(quint16 function, const Params &p);

    const Metafile &m_file;
    QPainter &m_painter;
    const QRectF m_target;
    QPainterPath m_baseClip;
    DeviceContext m_dc;
    std::vector<DeviceContext> m_saved;
    int m_lostSaves = 0;
    std::vector<ObjectRef> m_objects;
    std::set<int> m_freeSlots; // the empty slots of m_objects
    qreal m_naturalScale = 1;
    const qreal m_hairline;
    qint64 m_points = 0;
    qreal m_area = 0;
    qreal m_areaBudget = 0;
    bool m_exhausted = false;
};

} // namespace platform::wmf::detail
