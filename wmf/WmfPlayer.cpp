#include "wmf/WmfPlayer.h"

#include "base/ByteReads.h"
#include "wmf/WmfText.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <variant>

namespace platform::wmf {

namespace {

constexpr qsizetype PlaceableHeaderSize = 22;
constexpr qsizetype MetaHeaderSize = 18;
constexpr qsizetype RecordHeaderSize = 6;
constexpr quint32 PlaceableKey = 0x9AC6CDD7;

// Mapped coordinates are kept within this many logical pixels of the origin: far beyond any
// target, and well inside what the rasteriser's fixed-point arithmetic takes.
constexpr qreal CoordinateLimit = 1 << 22;
// Clip paths stop growing beyond this many elements (a chain of excluded rectangles).
constexpr int MaxClipElements = 4096;
// What the budget of points counts for work other than points: each element of a clip path or
// region in an operation on it, and each font looked up.
constexpr qint64 ClipElementCost = 4;
constexpr qint64 FontCost = 256;

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

// --- Device-independent bitmaps --------------------------------------------------------------

bool isDibHeaderSize(quint32 size)
{
    return size == 12 || (size >= 40 && size <= 124);
}

// An embedded DIB decoded by Qt's BMP reader, after its header and sizes have been checked and
// a file header put in front. paletteIndices: the colour table holds 16-bit indexes into the
// selected palette (DIB_PAL_COLORS) rather than colours.
QImage decodeDib(QByteArrayView dib, bool paletteIndices, const Palette *palette)
{
    if (dib.size() < 16)
        return {};
    const quint32 headerSize = u32At(dib, 0);
    if (!isDibHeaderSize(headerSize) || headerSize > quint32(dib.size()))
        return {};
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    quint32 sizeImage = 0;
    quint32 colorsUsed = 0;
    if (headerSize == 12) {
        width = u16At(dib, 4);
        height = u16At(dib, 6);
        bitCount = u16At(dib, 10);
    } else {
        width = s32At(dib, 4);
        height = s32At(dib, 8);
        bitCount = u16At(dib, 14);
        compression = u32At(dib, 16);
        sizeImage = u32At(dib, 20);
        colorsUsed = u32At(dib, 32);
    }
    const qint64 rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || width > MaxDibSide || rows > MaxDibSide
        || width * rows > MaxDibPixels)
        return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24
        && bitCount != 32)
        return {};
    if (colorsUsed > 256 || (bitCount <= 8 && colorsUsed > (1u << bitCount)))
        return {};
    const qint64 colors = bitCount <= 8 ? (colorsUsed ? colorsUsed : (1u << bitCount)) : colorsUsed;
    const bool bitFields = headerSize == 40 && (compression == 3 || compression == 6);
    const qint64 maskBytes = bitFields ? (compression == 3 ? 12 : 16) : 0;
    const qint64 entryBytes = paletteIndices ? 2 : (headerSize == 12 ? 3 : 4);
    const qint64 tableBytes = maskBytes + colors * entryBytes;
    if (headerSize + tableBytes > dib.size())
        return {};
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 available = dib.size() - headerSize - tableBytes;
    qint64 pixelBytes = 0;
    const bool runLength = (compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4);
    if (compression == 0 || bitFields)
        pixelBytes = stride * rows;
    else if (runLength)
        pixelBytes = sizeImage ? std::min<qint64>(sizeImage, available) : available;
    else
        return {};
    if (runLength && height < 0)
        return {};

    // A BMP file: file header, the info header, a colour table of RGBQUADs, then the pixels,
    // cut to their exact length (a reader given the next record's bytes too shifts the picture)
    // or padded with zeros where the record ends early.
    QByteArray table;
    if (paletteIndices && colors > 0) {
        table.resize(colors * 4);
        for (qint64 i = 0; i < colors; ++i) {
            const quint16 index = u16At(dib, headerSize + maskBytes + 2 * i);
            QRgb rgb = qRgb(index & 0xFF, index & 0xFF, index & 0xFF);
            if (palette && index < palette->colors.size())
                rgb = palette->colors[index];
            table[4 * i] = char(qBlue(rgb));
            table[4 * i + 1] = char(qGreen(rgb));
            table[4 * i + 2] = char(qRed(rgb));
            table[4 * i + 3] = 0;
        }
        table.prepend(dib.sliced(headerSize, maskBytes).toByteArray());
    } else {
        table = dib.sliced(headerSize, tableBytes).toByteArray();
    }
    QByteArray pixels = dib.sliced(headerSize + tableBytes, std::min(pixelBytes, available)).toByteArray();
    if (pixels.size() < pixelBytes)
        pixels.append(QByteArray(pixelBytes - pixels.size(), '\0'));

    QByteArray file(14, '\0');
    const qint64 offset = 14 + headerSize + table.size();
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian(quint32(offset + pixels.size()), file.data() + 2);
    qToLittleEndian(quint32(offset), file.data() + 10);
    file += dib.first(headerSize).toByteArray();
    if (paletteIndices && headerSize >= 40 && colorsUsed == 0 && bitCount <= 8)
        qToLittleEndian(quint32(colors), file.data() + 14 + 32);
    file += table;
    file += pixels;

    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    // Run-length codes may skip pixels: cleared, they are palette index 0 every time.
    QImage image;
    const QImage::Format format = reader.imageFormat();
    if (format != QImage::Format_Invalid) {
        image = QImage(int(width), int(rows), format);
        if (image.isNull())
            return {};
        image.fill(0);
    }
    if (!reader.read(&image) || image.isNull())
        return {};
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

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

// --- The player ------------------------------------------------------------------------------

class Player
{
public:
    // hairline: the width of the thinnest line, in the painter's coordinates.
    Player(const Metafile &metafile, QPainter &painter, const QRectF &target, qreal hairline)
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

    void run()
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

    // --- Work bounds ---

    // Counts work that is not drawing (building fonts, clip paths, regions) against the points
    // of the play; false once the budget is used up, which ends the play.
    bool charge(qint64 points)
    {
        m_points += points;
        if (m_points > MaxPointsPerPlay)
            m_exhausted = true;
        return !m_exhausted;
    }

    // Counts the work of one drawing and says whether it should be done: false when it cannot
    // be seen (outside the clip) or the play has used up its budget, which ends the play.
    bool spend(qint64 points, const QRectF &bounds)
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
    QRectF clipBounds() const
    {
        if (!m_dc.clip.active)
            return m_target;
        return m_dc.clip.rectangular ? m_dc.clip.rect : m_dc.clip.path.boundingRect();
    }

    // --- Colours, pens, brushes ---

    QColor color(quint32 colorRef) const
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

    qreal penWidth() const
    {
        const auto *pen = std::get_if<Pen>(m_dc.pen.get());
        if (!pen || (pen->style & 0x0F) == 5)
            return 0;
        // Never thinner than a hair line, and never wider than a few times the target.
        const qreal width = std::abs(pen->width) * std::abs(scaleX());
        return std::clamp(width, m_hairline, 2 * (m_target.width() + m_target.height()) + m_hairline);
    }

    QPen pen() const
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

    QBrush brush() const
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

    void prepare(bool withBrush)
    {
        m_painter.setPen(pen());
        m_painter.setBrush(withBrush ? brush() : QBrush(Qt::NoBrush));
        m_painter.setBackgroundMode(m_dc.bkMode == 2 ? Qt::OpaqueMode : Qt::TransparentMode);
        m_painter.setBackground(color(m_dc.bkColor));
    }

    QRectF strokeBounds(const QRectF &rect) const
    {
        const qreal half = penWidth() / 2 + 1;
        return rect.adjusted(-half, -half, half, half);
    }

    // --- Clipping ---

    void applyClip()
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

    void intersectClip(const QRectF &rect)
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

    void excludeClip(const QRectF &rect)
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
    void selectClipRegion(const Region *region)
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

    QPainterPath regionPath(const Region &region)
    {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill); // the union of overlapping rectangles
        charge(ClipElementCost * qint64(region.rects.size()));
        for (const QRect &r : region.rects)
            path.addRect(mapRect(r.left(), r.top(), r.right(), r.bottom()));
        return path;
    }

    // --- Objects ---

    // A new object takes the lowest free slot of the table.
    void addObject(Object object)
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

    ObjectRef object(int index) const
    {
        return index >= 0 && size_t(index) < m_objects.size() ? m_objects[size_t(index)] : nullptr;
    }

    void createFont(const Params &p)
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

    void createRegion(const Params &p)
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

    void createPalette(const Params &p)
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

    // --- Drawing ---

    void polygon(const QPolygonF &polygon)
    {
        if (polygon.size() < 2 || !spend(polygon.size(), strokeBounds(polygon.boundingRect())))
            return;
        prepare(true);
        m_painter.drawPolygon(polygon, m_dc.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    }

    void polyline(const QPolygonF &line)
    {
        if (line.size() < 2 || !spend(line.size(), strokeBounds(line.boundingRect())))
            return;
        prepare(false);
        m_painter.drawPolyline(line);
    }

    void shape(const QRectF &rect, Function function, qreal rx = 0, qreal ry = 0)
    {
        if (!spend(4, strokeBounds(rect)))
            return;
        prepare(true);
        if (function == Ellipse)
            m_painter.drawEllipse(rect);
        else if (function == RoundRect)
            m_painter.drawRoundedRect(rect, rx, ry);
        else
            m_painter.drawRect(rect);
    }

    // ARC, PIE and CHORD: the part of the ellipse in rect counter-clockwise from the radial
    // through start to the radial through end, as seen on the target.
    void arc(const Params &p, Function function)
    {
        if (!p.has(8))
            return;
        const QRectF rect = mapRect(p.s16(7), p.s16(6), p.s16(5), p.s16(4));
        const QPointF start = map(p.s16(3), p.s16(2));
        const QPointF end = map(p.s16(1), p.s16(0));
        if (rect.width() <= 0 || rect.height() <= 0 || !spend(64, strokeBounds(rect)))
            return;
        const QPointF centre = rect.center();
        const auto angleOf = [&](const QPointF &point) {
            const qreal dx = (point.x() - centre.x()) / (rect.width() / 2);
            const qreal dy = (point.y() - centre.y()) / (rect.height() / 2);
            return (dx == 0 && dy == 0) ? 0.0 : std::atan2(-dy, dx) * 180 / M_PI;
        };
        const qreal from = angleOf(start);
        qreal sweep = angleOf(end) - from;
        if (sweep <= 0)
            sweep += 360;
        QPainterPath path;
        if (function == Pie) {
            path.moveTo(centre);
            path.arcTo(rect, from, sweep);
            path.closeSubpath();
        } else {
            path.arcMoveTo(rect, from);
            path.arcTo(rect, from, sweep);
            if (function == Chord)
                path.closeSubpath();
        }
        prepare(function != Arc);
        m_painter.drawPath(path);
    }

    void text(QPointF reference, QByteArrayView bytes, const Params *p, int dxAt, quint16 options,
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

    // Draws a DIB into the target rectangle. bottomUpSource: the source rectangle's y counts
    // from the bitmap's last row (StretchDIBits), not its first.
    void bitmap(QByteArrayView dib, bool paletteIndices, quint32 rop, const QRectF &dest, QRect source,
                bool bottomUpSource, bool flipX, bool flipY)
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
    void patternBlt(quint32 rop, const QRectF &rect)
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
    QRectF destination(qreal x, qreal y, qreal width, qreal height, bool *flipX, bool *flipY) const
    {
        const QPointF a = map(x, y);
        const QPointF b = map(x + width, y + height);
        *flipX = b.x() < a.x();
        *flipY = b.y() < a.y();
        return QRectF(a, b).normalized();
    }

    void dibRecord(const Params &p, Function function)
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

    void fillRegion(const ObjectRef &regionObject, const QBrush &fill)
    {
        const auto *region = regionObject ? std::get_if<Region>(regionObject.get()) : nullptr;
        if (!region || region->rects.empty())
            return;
        const QPainterPath path = regionPath(*region);
        if (!spend(qint64(region->rects.size()) * 4, path.boundingRect()))
            return;
        m_painter.fillPath(path, fill);
    }

    // --- The records ---

    void play(quint16 function, const Params &p)
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

} // namespace

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
    Player(*this, painter, target, hairline).run();
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
