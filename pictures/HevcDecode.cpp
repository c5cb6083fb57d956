// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/HevcDecode.h"

#include "pictures/AreaReduce.h"
#include "pictures/CodedSize.h"
#include "pictures/HeifBoxes.h"

#include <libde265/de265.h>

#include <QThread>
#include <QTransform>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace platform::heif {

namespace {

struct DecoderDeleter
{
    void operator()(de265_decoder_context *decoder) const { de265_free_decoder(decoder); }
};
using Decoder = std::unique_ptr<de265_decoder_context, DecoderDeleter>;

// YCbCr of a depth into 8-bit RGB, in fixed point of 16 fractional bits: the matrix of the
// picture's colr property (BT.601 unless it says BT.709 or BT.2020), full range or video range.
struct Colours
{
    int bits = 8;
    int yOffset = 0, yScale = 0, half = 128;
    int crToR = 0, cbToG = 0, crToG = 0, cbToB = 0;

    Colours(int matrix, bool fullRange, int depth) : bits(depth)
    {
        double kr = 0.299, kb = 0.114;
        if (matrix == 1) {
            kr = 0.2126;
            kb = 0.0722;
        } else if (matrix == 9 || matrix == 10) {
            kr = 0.2627;
            kb = 0.0593;
        }
        const double kg = 1 - kr - kb;
        const int extra = depth - 8;
        const double luma = fullRange ? 255.0 / ((1 << depth) - 1) : 255.0 / (219 << extra);
        const double chroma = fullRange ? 255.0 / ((1 << depth) - 1) : 255.0 / (224 << extra);
        yOffset = fullRange ? 0 : 16 << extra;
        half = 1 << (depth - 1);
        const auto fixed = [](double value) { return int(std::lround(value * 65536)); };
        yScale = fixed(luma);
        crToR = fixed(2 * (1 - kr) * chroma);
        cbToB = fixed(2 * (1 - kb) * chroma);
        cbToG = fixed(-2 * (1 - kb) * kb / kg * chroma);
        crToG = fixed(-2 * (1 - kr) * kr / kg * chroma);
    }

    static int clamp(int value) { return std::clamp((value + 32768) >> 16, 0, 255); }
    quint32 rgb(int y, int cb, int cr) const
    {
        const int luma = (y - yOffset) * yScale;
        cb -= half;
        cr -= half;
        return 0xFF000000u | quint32(clamp(luma + crToR * cr)) << 16
                | quint32(clamp(luma + cbToG * cb + crToG * cr)) << 8 | quint32(clamp(luma + cbToB * cb));
    }
};

// A decoded tile's pixels within width x height into rows of out, stride pixels apart: in RGB,
// or (packed) as their YCbCr samples cut to 8 bits in the places of R, G and B, for a picture
// made smaller before it is converted (the conversion is linear: the mean of converted pixels
// is the converted mean), which converts a twentieth of the pixels.
template <typename Sample>
void ConvertTile(const de265_image *image, const Colours &colours, bool packed, quint32 *out, qsizetype stride,
                 int width, int height)
{
    const de265_chroma format = de265_get_chroma_format(image);
    const int shiftX = format == de265_chroma_420 || format == de265_chroma_422 ? 1 : 0;
    const int shiftY = format == de265_chroma_420 ? 1 : 0;
    int strides[3] = {};
    const uint8_t *planes[3] = {};
    for (int channel = 0; channel < (format == de265_chroma_mono ? 1 : 3); ++channel)
        planes[channel] = de265_get_image_plane(image, channel, &strides[channel]);
    const std::vector<Sample> grey(size_t(width >> shiftX) + 1, Sample(colours.half));
    for (int y = 0; y < height; ++y) {
        const auto *luma = reinterpret_cast<const Sample *>(planes[0] + qsizetype(y) * strides[0]);
        const auto *cb = planes[1] ? reinterpret_cast<const Sample *>(planes[1] + qsizetype(y >> shiftY) * strides[1])
                                   : grey.data();
        const auto *cr = planes[2] ? reinterpret_cast<const Sample *>(planes[2] + qsizetype(y >> shiftY) * strides[2])
                                   : grey.data();
        quint32 *row = out + qsizetype(y) * stride;
        const int cut = colours.bits - 8;
        if (packed) {
            for (int x = 0; x < width; ++x)
                row[x] = 0xFF000000u | quint32(luma[x] >> cut) << 16 | quint32(cb[x >> shiftX] >> cut) << 8
                        | quint32(cr[x >> shiftX] >> cut);
        } else {
            for (int x = 0; x < width; ++x)
                row[x] = colours.rgb(luma[x], cb[x >> shiftX], cr[x >> shiftX]);
        }
    }
}

// One tile decoded by decoder, made ready for it anew; null when it cannot be. The image is the
// decoder's, good until it is next called.
const de265_image *DecodeTile(de265_decoder_context *decoder, const HevcPicture &picture, const QByteArray &tile)
{
    de265_reset(decoder);
    bool pushed = true;
    const auto push = [&](QByteArrayView nal) {
        pushed = pushed && de265_push_NAL(decoder, nal.data(), int(nal.size()), 0, nullptr) == DE265_OK;
    };
    if (!ForEachHevcNal(picture.parameterSets, 4, push) || !ForEachHevcNal(tile, picture.lengthBytes, push) || !pushed
        || de265_flush_data(decoder) != DE265_OK)
        return nullptr;
    // The picture comes out as soon as it is decoded; the decoder waits for it to be taken.
    int more = 1;
    while (more) {
        const de265_error error = de265_decode(decoder, &more);
        if (const de265_image *image = de265_get_next_picture(decoder))
            return image;
        if (error != DE265_OK)
            return nullptr;
    }
    return nullptr;
}

// Whether a decoded tile is one that can be converted here and covers the tile's stated size.
bool isConvertible(const de265_image *image, const QSize &tile)
{
    const int bits = de265_get_bits_per_pixel(image, 0);
    const bool mono = de265_get_chroma_format(image) == de265_chroma_mono;
    return bits >= 8 && bits <= 12 && de265_get_image_width(image, 0) >= tile.width()
            && de265_get_image_height(image, 0) >= tile.height()
            && (mono || (de265_get_bits_per_pixel(image, 1) == bits && de265_get_bits_per_pixel(image, 2) == bits));
}

} // namespace

QImage DecodeHevc(const HevcPicture &picture, const QSize &size)
{
    const QSize coded = picture.coded;
    const bool turned = picture.quarterTurns % 2 == 1;
    // The size wanted, as the picture is coded (before its turn).
    QSize want = size.isValid() ? (turned ? size.transposed() : size) : coded;
    if (want.width() > coded.width() || want.height() > coded.height())
        want = coded;
    const bool smaller = want != coded;

    QImage image(want, QImage::Format_RGB32);
    if (image.isNull() || coded.width() > reduce::MaxSourceWidth)
        return {};
    const int threads = std::clamp(QThread::idealThreadCount(), 1, picture.columns);
    std::vector<Decoder> decoders;
    for (int k = 0; k < threads; ++k) {
        decoders.emplace_back(de265_new_decoder());
        if (!decoders.back())
            return {};
    }

    // A band of tiles at a time: straight into the image at its natural size, or into a band of
    // rows that are then made smaller.
    std::optional<reduce::ReducedRows> reduced;
    std::vector<quint32> band;
    if (smaller) {
        reduced.emplace(image, coded.width(), coded.height(), false);
        band.resize(size_t(coded.width()) * size_t(picture.tile.height()));
    }
    for (int row = 0; row < picture.rows; ++row) {
        const int top = row * picture.tile.height();
        const int height = std::min(picture.tile.height(), coded.height() - top);
        if (height <= 0)
            break;
        quint32 *out = smaller ? band.data() : reinterpret_cast<quint32 *>(image.scanLine(top));
        const qsizetype stride = smaller ? coded.width() : image.bytesPerLine() / 4;
        std::atomic<int> next{0};
        std::atomic<bool> failed{false};
        const auto work = [&](de265_decoder_context *decoder) {
            for (int column = next++; column < picture.columns && !failed; column = next++) {
                const int left = column * picture.tile.width();
                const int width = std::min(picture.tile.width(), coded.width() - left);
                if (width <= 0)
                    continue;
                const de265_image *tile = DecodeTile(decoder, picture,
                                                     picture.tiles[size_t(row * picture.columns + column)]);
                if (!tile || !isConvertible(tile, picture.tile)) {
                    failed = true;
                    return;
                }
                const int bits = de265_get_bits_per_pixel(tile, 0);
                const Colours colours(picture.matrix, picture.fullRange, bits);
                if (bits > 8)
                    ConvertTile<quint16>(tile, colours, smaller, out + left, stride, width, height);
                else
                    ConvertTile<quint8>(tile, colours, smaller, out + left, stride, width, height);
            }
        };
        std::vector<std::thread> helpers;
        for (int k = 1; k < threads; ++k)
            helpers.emplace_back(work, decoders[size_t(k)].get());
        work(decoders.front().get());
        for (std::thread &helper : helpers)
            helper.join();
        if (failed)
            return {};
        if (smaller) {
            for (int y = 0; y < height; ++y) {
                std::memcpy(reduced->row(top + y), band.data() + qsizetype(y) * stride, size_t(coded.width()) * 4);
                reduced->take(top + y);
            }
        }
    }
    if (smaller) {
        const Colours colours(picture.matrix, picture.fullRange, 8);
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = colours.rgb(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
        }
    }
    if (picture.quarterTurns == 0)
        return image;
    // irot turns anticlockwise; Qt's rotate, on a y axis pointing down, clockwise.
    return image.transformed(QTransform().rotate(-90.0 * picture.quarterTurns));
}

} // namespace platform::heif
