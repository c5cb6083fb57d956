// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/HeifDecode.h"

#include "pictures/AreaReduce.h"
#include "pictures/DecodeCost.h"
#include "pictures/HeifBoxes.h"
#include "pictures/PictureFormats.h"

#include <libheif/heif.h>

#include <QThread>

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform::heif {

namespace {

// libheif's own ceiling for a picture's side, lowered from its default (32768) to the largest
// side the loader takes seriously for an area this small.
constexpr int MaxHeifSide = 16384;
// A thumbnail larger than this is no thumbnail.
constexpr int MaxThumbnailSide = 2048;

void StartLibheif()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

struct HandleDeleter
{
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;

struct ContextDeleter
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};

bool isUsableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= MaxHeifSide && height <= MaxHeifSide
            && formats::isPlausibleNaturalSize(QSizeF(width, height))
            && double(width) * height <= formats::MaxWholeDecodeArea;
}

// Whether a picture's size as seen and as coded (before rotation and crop) are both ones worth
// decoding: a crop may leave a small picture of a huge coded one.
bool isUsable(const heif_image_handle *handle)
{
    return isUsableSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle))
            && isUsableSize(heif_image_handle_get_ispe_width(handle), heif_image_handle_get_ispe_height(handle));
}

// The rows of a decoded picture of width x height, 8-bit RGB or RGBA, made smaller into image.
void Reduce(const uint8_t *pixels, int stride, int width, int height, bool alpha, QImage &image)
{
    reduce::ReducedRows rows(image, width, height, alpha);
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = pixels + qsizetype(y) * stride;
        quint32 *out = rows.row(y);
        if (alpha) {
            for (int x = 0; x < width; ++x, in += 4)
                out[x] = quint32(in[3]) << 24 | quint32(in[0]) << 16 | quint32(in[1]) << 8 | in[2];
        } else {
            for (int x = 0; x < width; ++x, in += 3)
                out[x] = 0xFF000000u | quint32(in[0]) << 16 | quint32(in[1]) << 8 | in[2];
        }
        rows.take(y);
    }
}

// The picture of a handle, upright, as 8-bit RGB or RGBA; its pixels stay libheif's, released
// with the last copy of the image. Made smaller to size where that is smaller on both sides (at
// most the picture's size on either), so that a photo shown small never holds a 32-bit copy of
// itself.
QImage Decode(heif_image_handle *handle, const QSize &size = QSize())
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    heif_decoding_options *options = heif_decoding_options_alloc();
    options->convert_hdr_to_8bit = 1;
    heif_image *decoded = nullptr;
    const heif_chroma chroma = alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    const heif_error error = heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, options);
    heif_decoding_options_free(options);
    if (error.code != heif_error_Ok || !decoded)
        return {};
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0 || stride < width * (alpha ? 4 : 3)) {
        heif_image_release(decoded);
        return {};
    }
    if (size.isValid() && size.width() <= width && size.height() <= height && size != QSize(width, height)) {
        QImage image(size, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        if (!image.isNull())
            Reduce(pixels, stride, width, height, alpha, image);
        heif_image_release(decoded);
        return image;
    }
    return QImage(pixels, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
                  [](void *image) { heif_image_release(static_cast<heif_image *>(image)); }, decoded);
}

} // namespace

struct HeifFile::Private
{
    QByteArray bytes; // libheif reads them in place
    std::unique_ptr<heif_context, ContextDeleter> context;
    Handle primary;
    bool avif = false;
    double milliseconds = 0; // the decode's predicted cost
};

HeifFile::HeifFile(const QByteArray &bytes)
    : d(std::make_unique<Private>())
{
    if (formats::sniffFormat(bytes) != formats::Format::Heif)
        return;
    StartLibheif();
    d->bytes = bytes;
    d->context.reset(heif_context_alloc());
    if (!d->context)
        return;
    heif_context_set_maximum_image_size_limit(d->context.get(), MaxHeifSide);
    // The tiles of a grid, one a core.
    heif_context_set_max_decoding_threads(d->context.get(), std::max(1, QThread::idealThreadCount()));
    const auto *data = reinterpret_cast<const uint8_t *>(d->bytes.constData());
    if (heif_context_read_from_memory_without_copy(d->context.get(), data, size_t(d->bytes.size()), nullptr).code
        != heif_error_Ok)
        return;
    heif_image_handle *primary = nullptr;
    if (heif_context_get_primary_image_handle(d->context.get(), &primary).code != heif_error_Ok || !primary)
        return;
    d->primary.reset(primary);
    // The decoder makes the frames the streams' own headers ask for, whatever size the file
    // states; a stream whose headers cannot be read is not handed to it.
    const Streams streams = PrimaryStreams(d->bytes);
    const double stated = double(heif_image_handle_get_ispe_width(primary)) * heif_image_handle_get_ispe_height(primary);
    d->milliseconds = formats::PredictedDecodeMilliseconds(
            formats::Format::Heif, std::max(stated, double(streams.codedPixels)), d->bytes.size(), streams.tiles);
    if (!isUsable(primary) || streams.unreadable || d->milliseconds > formats::MaxWholeDecodeMilliseconds)
        d->primary.reset();
    const int probed = int(std::min<qsizetype>(d->bytes.size(), 64));
    const heif_brand brand = heif_main_brand(data, probed);
    d->avif = brand == heif_avif || brand == heif_avis;
}

HeifFile::~HeifFile() = default;

bool HeifFile::isValid() const
{
    return d->primary != nullptr;
}

QSize HeifFile::natural() const
{
    if (!d->primary)
        return {};
    return QSize(heif_image_handle_get_width(d->primary.get()), heif_image_handle_get_height(d->primary.get()));
}

double HeifFile::predictedMilliseconds() const
{
    return d->milliseconds;
}

QByteArray HeifFile::mimeType() const
{
    return d->avif ? QByteArrayLiteral("image/avif") : QByteArrayLiteral("image/heif");
}

QImage HeifFile::decode(const QSize &size)
{
    if (!d->primary)
        return {};
    // A picture that does not come out at the size its header promised is not the one measured.
    const QSize want = size.isValid() ? size.boundedTo(natural()) : natural();
    const QImage image = Decode(d->primary.get(), want);
    return image.size() == want ? image : QImage();
}

QImage HeifFile::thumbnail(const QSize &want)
{
    if (!d->primary)
        return {};
    const int count = heif_image_handle_get_number_of_thumbnails(d->primary.get());
    if (count <= 0)
        return {};
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(d->primary.get(), ids.data(), count);
    Handle best;
    for (int k = 0; k < listed; ++k) {
        heif_image_handle *candidate = nullptr;
        if (heif_image_handle_get_thumbnail(d->primary.get(), ids[size_t(k)], &candidate).code != heif_error_Ok
            || !candidate)
            continue;
        Handle thumbnail(candidate);
        const int width = heif_image_handle_get_width(candidate), height = heif_image_handle_get_height(candidate);
        const std::optional<qint64> coded = ItemCodedPixels(d->bytes, ids[size_t(k)]);
        if (width < want.width() || height < want.height() || width > MaxThumbnailSide || height > MaxThumbnailSide
            || !isUsable(candidate) || !coded || *coded > qint64(MaxThumbnailSide) * MaxThumbnailSide)
            continue;
        if (!best || width < heif_image_handle_get_width(best.get()))
            best = std::move(thumbnail);
    }
    return best ? Decode(best.get()) : QImage();
}

} // namespace platform::heif
