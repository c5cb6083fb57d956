// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PngDecode.h"

#include <QtEndian>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace platform::png {

namespace {

// The file's bytes as libpng reads them; a read past the end is an error (a file cut short).
struct Input
{
    const png_byte *data = nullptr;
    png_size_t size = 0;
    png_size_t position = 0;
};

void readInput(png_structp png, png_bytep out, png_size_t count)
{
    auto *input = static_cast<Input *>(png_get_io_ptr(png));
    if (count > input->size - input->position)
        png_error(png, "cut short");
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
}

// A broken file is refused without a word, as Qt's reader refuses it.
void refuse(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignore(png_structp, png_const_charp) {}

struct Reader
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    Reader() { png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, refuse, ignore); }
    ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
};

struct Header
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool interlaced = false;
    bool alpha = false;
};

// Reads the header and asks libpng for rows of 8-bit pixels of four bytes in QRgb's order
// (0xAARRGGBB in memory as the machine stores a 32-bit word), the alpha byte 0xFF where the
// picture has no transparency. Only plain values live here: an error jumps out of libpng to the
// setjmp below, past nothing that has a destructor.
bool readHeader(png_structp png, png_infop info, Header *header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &header->width, &header->height, &depth, &colour, &interlace, nullptr, nullptr);
    header->interlaced = interlace != PNG_INTERLACE_NONE;
    if (header->interlaced)
        return true;
    header->alpha = (colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);   // a palette to RGB, grey of 1, 2 or 4 bits to 8, tRNS to an alpha channel
    png_set_scale_16(png); // 16-bit samples to 8, rounded
    png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    if (!header->alpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
#else
    if (header->alpha)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == png_size_t(header->width) * 4;
}

// What takes the decoded rows, top to bottom, each of 32-bit pixels that it may change.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual quint32 *row(int y) = 0; // where row y is to be decoded
    virtual void take(int y) = 0;    // row y is there
};

// Decodes every row into sink, then reads the chunks after the pixels as Qt's reader does (a
// file broken there is refused by both). The same rule as in readHeader: plain values only.
bool readRows(png_structp png, png_uint_32 height, RowSink *sink)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, reinterpret_cast<png_bytep>(sink->row(int(y))), nullptr);
        sink->take(int(y));
    }
    png_read_end(png, nullptr);
    return true;
}

void premultiply(quint32 *pixels, int count)
{
    for (int x = 0; x < count; ++x)
        pixels[x] = qPremultiply(pixels[x]);
}

// The rows straight into the picture, at its natural size.
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

// The widest picture made smaller here (a wider one is left to Qt): its sums across fit in 32 bits.
constexpr int MaxSourceWidth = 1 << 23;

// The rows made smaller as they come, by area: source pixel x covers [x * W, (x + 1) * W) and
// result pixel X covers [X * w, (X + 1) * w) of one axis, w and W the source and result sizes,
// so that each source pixel adds into at most two result pixels (W <= w) in whole-number parts.
// The sums of the result's current row and of the next, 64 bits a channel, are all that is kept.
class ReducedRows final : public RowSink
{
public:
    ReducedRows(QImage &image, int sourceWidth, int sourceHeight, bool alpha)
        : m_image(image), m_w(sourceWidth), m_h(sourceHeight), m_W(image.width()), m_H(image.height()),
          m_alpha(alpha), m_source(std::size_t(sourceWidth)), m_columns(std::size_t(sourceWidth)),
          m_whole(slotCount()), m_parts(slotCount()), m_across(slotCount()), m_current(slotCount()),
          m_next(slotCount())
    {
        for (int x = 0; x < m_w; ++x) {
            const quint64 start = quint64(x) * m_W;
            const int column = int(start / quint64(m_w));
            const quint64 boundary = quint64(column + 1) * quint64(m_w);
            m_columns[std::size_t(x)] = {column, quint32(std::min<quint64>(m_W, boundary - start))};
        }
    }

    quint32 *row(int) override { return m_source.data(); }

    void take(int y) override
    {
        if (m_alpha)
            premultiply(m_source.data(), m_w);
        // Across: a pixel wholly within one result pixel is added as it is (its weight, W, is
        // applied once at the end), one across a boundary in its two parts.
        std::fill(m_whole.begin(), m_whole.end(), 0);
        std::fill(m_parts.begin(), m_parts.end(), 0);
        const quint32 weight = quint32(m_W);
        quint32 run[4] = {0, 0, 0, 0}; // the whole pixels of result pixel runColumn so far
        int runColumn = 0;
        for (int x = 0; x < m_w; ++x) {
            const quint32 pixel = m_source[std::size_t(x)];
            const Column column = m_columns[std::size_t(x)];
            if (column.index != runColumn) {
                for (int channel = 0; channel < 4; ++channel) {
                    m_whole[4 * std::size_t(runColumn) + channel] += run[channel];
                    run[channel] = 0;
                }
                runColumn = column.index;
            }
            const quint32 value[4] = {pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF, pixel >> 24};
            if (column.first == weight) {
                for (int channel = 0; channel < 4; ++channel)
                    run[channel] += value[channel];
            } else {
                const std::size_t at = 4 * std::size_t(column.index);
                const quint32 second = weight - column.first;
                for (int channel = 0; channel < 4; ++channel) {
                    m_parts[at + channel] += column.first * value[channel];
                    m_parts[at + 4 + channel] += second * value[channel];
                }
            }
        }
        for (int channel = 0; channel < 4; ++channel)
            m_whole[4 * std::size_t(runColumn) + channel] += run[channel];
        for (std::size_t i = 0; i < m_across.size(); ++i)
            m_across[i] = quint64(m_whole[i]) * weight + m_parts[i];
        const quint64 start = quint64(y) * quint64(m_H);
        const int outputRow = int(start / quint64(m_h));
        const quint64 boundary = quint64(outputRow + 1) * quint64(m_h);
        const quint64 first = std::min<quint64>(m_H, boundary - start), second = quint64(m_H) - first;
        for (std::size_t i = 0; i < m_across.size(); ++i)
            m_current[i] += first * m_across[i];
        if (second > 0) {
            for (std::size_t i = 0; i < m_across.size(); ++i)
                m_next[i] += second * m_across[i];
        }
        if (start + quint64(m_H) >= boundary && outputRow < m_H) {
            finishRow(outputRow);
            std::swap(m_current, m_next);
            std::fill(m_next.begin(), m_next.end(), 0);
        }
    }

private:
    struct Column
    {
        int index;    // the result pixel the source pixel starts in
        quint32 first; // its part in that one; the rest, W - first, is in the next
    };

    std::size_t slotCount() const { return 4 * (std::size_t(m_W) + 1); }

    void finishRow(int outputRow)
    {
        const quint64 area = quint64(m_w) * quint64(m_h), half = area / 2;
        auto *out = reinterpret_cast<quint32 *>(m_image.scanLine(outputRow));
        for (int x = 0; x < m_W; ++x) {
            const quint64 *sums = m_current.data() + 4 * std::size_t(x);
            quint32 pixel = 0;
            for (int channel = 0; channel < 4; ++channel)
                pixel |= quint32(std::min<quint64>((sums[channel] + half) / area, 255)) << (8 * channel);
            out[x] = m_alpha ? pixel : (pixel | 0xFF000000u);
        }
    }

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

} // namespace

std::optional<QImage> Decode(const QByteArray &bytes, const QSize &size)
{
    Reader reader;
    if (!reader.png)
        return QImage();
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return QImage();
    Input input{reinterpret_cast<const png_byte *>(bytes.constData()), png_size_t(bytes.size()), 0};
    png_set_read_fn(reader.png, &input, readInput);
    Header header;
    if (!readHeader(reader.png, reader.info, &header) || header.width == 0 || header.height == 0
        || header.width > 0x7FFFFFFFu || header.height > 0x7FFFFFFFu)
        return QImage();
    if (header.interlaced || header.width > png_uint_32(MaxSourceWidth))
        return std::nullopt;
    const QSize natural(int(header.width), int(header.height));
    const QSize target = size.width() <= natural.width() && size.height() <= natural.height() && !size.isEmpty()
            ? size
            : natural;
    QImage image(target, header.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    bool decoded = false;
    if (target == natural) {
        WholeRows rows(image, header.alpha);
        decoded = readRows(reader.png, header.height, &rows);
    } else {
        ReducedRows rows(image, natural.width(), natural.height(), header.alpha);
        decoded = readRows(reader.png, header.height, &rows);
    }
    if (!decoded)
        return QImage();
    return image;
}

} // namespace platform::png
