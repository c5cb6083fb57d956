// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures made smaller as their rows come from a decoder, by area: each pixel of the result is
// the mean of the box of source pixels it covers, and no more than a row of the source and two
// rows of sums of the result are ever held, so that a thumbnail of a 25-megapixel picture never
// holds the picture. PNG's rows come from libpng, HEIF's from libheif's decode.

#include <QImage>
#include <QtGlobal>

#include <vector>

namespace platform::reduce {

// What takes the decoded rows, top to bottom, each of 32-bit pixels (0xAARRGGBB) that it may
// change.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual quint32 *row(int y) = 0; // where row y is to be decoded
    virtual void take(int y) = 0;    // row y is there
};

void premultiply(quint32 *pixels, int count);

// The rows straight into image, at its natural size: Format_RGB32, or
// Format_ARGB32_Premultiplied with alpha (the rows come straight, and are premultiplied here).
class WholeRows final : public RowSink
{
public:
    WholeRows(QImage &image, bool alpha) : m_image(image), m_alpha(alpha) {}
    quint32 *row(int y) override { return reinterpret_cast<quint32 *>(m_image.scanLine(y)); }
    void take(int y) override
    {
        if (m_alpha)
            premultiply(row(y), m_image.width());
    }

private:
    QImage &m_image;
    bool m_alpha;
};

// The widest picture made smaller here: its sums across fit in 32 bits.
constexpr int MaxSourceWidth = 1 << 23;

// The rows made smaller as they come, by area: source pixel x covers [x * W, (x + 1) * W) and
// result pixel X covers [X * w, (X + 1) * w) of one axis, w and W the source and result sizes,
// so that each source pixel adds into at most two result pixels (W <= w) in whole-number parts.
// The sums of the result's current row and of the next, 64 bits a channel, are all that is kept.
// image is Format_RGB32, or Format_ARGB32_Premultiplied with alpha (the rows come straight, and
// are premultiplied here); no larger than the source on either side.
class ReducedRows final : public RowSink
{
public:
    ReducedRows(QImage &image, int sourceWidth, int sourceHeight, bool alpha);

    quint32 *row(int) override { return m_source.data(); }
    void take(int y) override;

private:
    struct Column
    {
        int index;     // the result pixel the source pixel starts in
        quint32 first; // its part in that one; the rest, W - first, is in the next
    };

    std::size_t slotCount() const { return 4 * (std::size_t(m_W) + 1); }
    void finishRow(int outputRow);

    QImage &m_image;
    const int m_w, m_h, m_W, m_H;
    const bool m_alpha;
    std::vector<quint32> m_source;
    std::vector<Column> m_columns;
    // The sums of one source row across, 32 bits a channel (at most 255 x w: the source is
    // narrower than MaxSourceWidth), and weighted, 64 bits.
    std::vector<quint32> m_whole, m_parts;
    std::vector<quint64> m_across, m_current, m_next;
};

} // namespace platform::reduce
