// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PngDecode.h"

#include "pictures/AreaReduce.h"

#include <QtEndian>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace platform::png {

using reduce::MaxSourceWidth;
using reduce::ReducedRows;
using reduce::RowSink;
using reduce::WholeRows;

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
