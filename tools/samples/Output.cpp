// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/samples/Output.h"

#include "tests/support/ExifJpeg.h"
#include "tests/support/PictureFiles.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace samples {

namespace {

constexpr int DotsPerMetre = 3780; // 96 dots per inch
constexpr int JpegQuality = 90;
constexpr int MetafileUnitsPerInch = 1000;

// --- Raster output ---------------------------------------------------------------------------

// Smooth: antialiased, with blends along every edge; Sharp: only the drawing's own colours.
enum class Edges { Smooth, Sharp };

QImage render(const Drawing &drawing, QSize pixels, Edges edges)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(drawing.background());
    image.setDotsPerMeterX(DotsPerMetre);
    image.setDotsPerMeterY(DotsPerMetre);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, edges == Edges::Smooth);
    painter.scale(pixels.width() / drawing.size().width(), pixels.height() / drawing.size().height());
    for (const Shape &s : drawing.shapes()) {
        if (s.outline.isValid())
            painter.setPen(QPen(s.outline, s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        else
            painter.setPen(Qt::NoPen);
        painter.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
        switch (s.kind) {
        case Shape::Rect: painter.drawRect(s.rect); break;
        case Shape::Ellipse: painter.drawEllipse(s.rect); break;
        case Shape::Polygon: painter.drawPolygon(s.points, Qt::OddEvenFill); break;
        case Shape::Line: painter.drawPolyline(s.points); break;
        }
    }
    painter.end();
    return image;
}

// Keeps the most frequent colours (ties: lower value first) and maps every other colour to its
// nearest kept colour. Flat pictures keep their exact colours; antialiased edges take the
// closest blends.
picturefiles::IndexedImage quantise(const QImage &image, int maxColours)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, long> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[line[x] & 0xffffff];
    }
    std::vector<std::pair<QRgb, long>> order(counts.begin(), counts.end());
    std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    if (int(order.size()) > maxColours)
        order.resize(maxColours);
    picturefiles::IndexedImage out;
    out.width = rgb.width();
    out.height = rgb.height();
    std::map<QRgb, quint8> lookup;
    for (const auto &[colour, count] : order) {
        lookup[colour] = quint8(out.palette.size());
        out.palette.push_back(colour);
    }
    out.pixels.reserve(size_t(out.width) * out.height);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] & 0xffffff;
            auto found = lookup.find(c);
            if (found == lookup.end()) {
                int best = 0;
                long bestDistance = -1;
                for (size_t i = 0; i < out.palette.size(); ++i) {
                    const long dr = qRed(c) - qRed(out.palette[i]);
                    const long dg = qGreen(c) - qGreen(out.palette[i]);
                    const long db = qBlue(c) - qBlue(out.palette[i]);
                    const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (bestDistance < 0 || d < bestDistance) {
                        bestDistance = d;
                        best = int(i);
                    }
                }
                found = lookup.emplace(c, quint8(best)).first;
            }
            out.pixels.push_back(found->second);
        }
    }
    return out;
}

// The JPEG of image; empty, with *error set, when Qt cannot write it.
QByteArray jpeg(const QImage &image, QString *error)
{
    const QByteArray bytes = exifjpeg::Encode(image, JpegQuality);
    if (bytes.isEmpty())
        *error = QStringLiteral("JPEG: cannot write the picture");
    return bytes;
}

// --- Metafile output -------------------------------------------------------------------------

// The shapes of a drawing as metafile records: the window set to the drawing's units, a pen and
// a brush created for each shape that needs others than the last (the ones let go of deleted),
// the shape itself, and the end record.
class MetafileWriter final
{
public:
    explicit MetafileWriter(const Drawing &drawing)
        : m_drawing(drawing)
    {
    }

    // Empty, with *error set, when the drawing holds what a metafile cannot (a line).
    QByteArray write(QString *error)
    {
        const int w = int(std::lround(m_drawing.size().width()));
        const int h = int(std::lround(m_drawing.size().height()));
        record(0x020B, {0, 0}); // SETWINDOWORG (y, x)
        record(0x020C, {h, w}); // SETWINDOWEXT (y, x)
        for (const Shape &s : m_drawing.shapes()) {
            if (s.kind == Shape::Line) {
                *error = QStringLiteral("metafile pictures use bands, not lines");
                return {};
            }
            shape(s);
        }
        // Let go of the last pen and brush.
        for (int i = 0; i < int(m_slots.size()); ++i) {
            if (m_slots[i])
                record(0x01F0, {i}); // DELETEOBJECT
        }
        record(0x0000, {}); // end of file
        return picturefiles::Wmf({.right = qint16(w),
                                  .bottom = qint16(h),
                                  .unitsPerInch = MetafileUnitsPerInch,
                                  .fileWords = quint32(9 + m_records.size() / 2),
                                  .objects = quint16(m_maxSlots),
                                  .largestRecordWords = m_largestRecord},
                                 m_records);
    }

private:
    struct Pen
    {
        bool null = true;
        QRgb colour = 0;
        int width = 0;
        bool operator==(const Pen &) const = default;
    };
    struct Brush
    {
        bool null = true;
        QRgb colour = 0;
        bool operator==(const Brush &) const = default;
    };

    void record(quint16 function, const QList<qint32> &words)
    {
        m_records += picturefiles::WmfRecord(function, words);
        m_largestRecord = std::max(m_largestRecord, quint32(3 + words.size()));
    }

    // The lowest free slot of the object table, taken.
    int createObject()
    {
        for (int i = 0; i < int(m_slots.size()); ++i) {
            if (!m_slots[i]) {
                m_slots[i] = true;
                return i;
            }
        }
        m_slots.push_back(true);
        m_maxSlots = std::max(m_maxSlots, int(m_slots.size()));
        return int(m_slots.size()) - 1;
    }

    static qint32 coordinate(double v) { return qint32(std::lround(v)); }
    static qint32 lowColour(QRgb c) { return qRed(c) | (qGreen(c) << 8); }
    static qint32 highColour(QRgb c) { return qBlue(c); }

    void use(const Pen &pen)
    {
        if (m_penSlot >= 0 && pen == m_pen)
            return;
        // CREATEPENINDIRECT: style (5: none), width, colour
        record(0x02FA, {pen.null ? 5 : 0, pen.width, 0, lowColour(pen.colour), highColour(pen.colour)});
        const int slot = createObject();
        record(0x012D, {slot}); // SELECTOBJECT
        if (m_penSlot >= 0) {
            record(0x01F0, {m_penSlot}); // DELETEOBJECT
            m_slots[m_penSlot] = false;
        }
        m_penSlot = slot;
        m_pen = pen;
    }

    void use(const Brush &brush)
    {
        if (m_brushSlot >= 0 && brush == m_brush)
            return;
        // CREATEBRUSHINDIRECT: style (1: none), colour, hatch
        record(0x02FC, {brush.null ? 1 : 0, lowColour(brush.colour), highColour(brush.colour), 0});
        const int slot = createObject();
        record(0x012D, {slot});
        if (m_brushSlot >= 0) {
            record(0x01F0, {m_brushSlot});
            m_slots[m_brushSlot] = false;
        }
        m_brushSlot = slot;
        m_brush = brush;
    }

    void shape(const Shape &s)
    {
        Pen pen;
        if (s.outline.isValid())
            pen = {false, s.outline.rgb(), int(std::lround(s.width))};
        Brush brush;
        if (s.fill.isValid())
            brush = {false, s.fill.rgb()};
        use(pen);
        use(brush);
        if (s.kind == Shape::Polygon) {
            QList<qint32> words{qint32(s.points.size())};
            for (const QPointF &p : s.points)
                words << coordinate(p.x()) << coordinate(p.y());
            record(0x0324, words); // POLYGON
        } else {
            const QRectF &r = s.rect;
            record(s.kind == Shape::Rect ? 0x041B : 0x0418, // RECTANGLE, ELLIPSE
                   {coordinate(r.bottom()), coordinate(r.right()), coordinate(r.top()), coordinate(r.left())});
        }
    }

    const Drawing &m_drawing;
    QByteArray m_records;
    quint32 m_largestRecord = 3;
    std::vector<bool> m_slots;
    int m_maxSlots = 0;
    int m_penSlot = -1;
    int m_brushSlot = -1;
    Pen m_pen;
    Brush m_brush;
};

} // namespace

QByteArray Encode(const Drawing &drawing, Format format, QSize pixels, QString *error)
{
    const auto indexed = [&](int colours, Edges edges) { return quantise(render(drawing, pixels, edges), colours); };
    QByteArray bytes;
    switch (format) {
    case Format::Bmp24: return picturefiles::Bmp24(render(drawing, pixels, Edges::Smooth), DotsPerMetre);
    case Format::Rle8: return picturefiles::BmpRle(indexed(256, Edges::Smooth), 8, DotsPerMetre);
    case Format::Rle4:
        bytes = picturefiles::BmpRle(indexed(16, Edges::Sharp), 4, DotsPerMetre);
        if (bytes.isEmpty())
            *error = QStringLiteral("too many colours for a 4-bit bitmap");
        return bytes;
    case Format::Gif: return picturefiles::Gif(indexed(256, Edges::Smooth));
    case Format::Jpeg: return jpeg(render(drawing, pixels, Edges::Smooth), error);
    case Format::PhoneJpeg: {
        const QImage stored = render(drawing, pixels, Edges::Smooth).transformed(QTransform().rotate(-90));
        const QImage thumbnail = stored.scaled(stored.size() / 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QByteArray photo = jpeg(stored, error);
        const QByteArray preview = jpeg(thumbnail, error);
        if (photo.isEmpty() || preview.isEmpty())
            return {};
        return exifjpeg::WithExif(photo, 6, preview, exifjpeg::ByteOrder::Motorola);
    }
    case Format::Wmf: return MetafileWriter(drawing).write(error);
    }
    return {};
}

} // namespace samples
