// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/HeifDecode.h"

#include "pictures/AreaReduce.h"
#include "pictures/DecodeCost.h"
#include "pictures/HeifBoxes.h"
#include "pictures/HevcDecode.h"
#include "pictures/PictureFormats.h"

#include <libheif/heif.h>

#include <QThread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
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
    std::call_once(once, [] {
        heif_init(nullptr);
#ifdef __GLIBC__
        // libheif decodes each tile of a grid with a decoder of its own, which allocates its
        // frame and tables and frees them a tile later. By default glibc hands blocks of that
        // size back to the kernel each time (mmap and trim thresholds of 128 KiB), and every
        // tile pays for its pages anew: a third of a phone photo's decode here. The thresholds
        // are set to what glibc's own adjustment settles at after its first large free: blocks
        // up to 32 MiB come from the heap, which keeps up to 64 MiB free.
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    });
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

// The planes of a picture libheif decoded as RGB 4:4:4, and its alpha plane if it has one, each
// row put together into 32-bit pixels (0xAARRGGBB, straight alpha). A picture of more than 8 bits
// a sample (10 or 12, common in AVIF and in the HDR photos of phones) comes in planes of 16-bit
// samples, whatever the decoding options ask: its samples are cut to their top 8 bits.
class Planes
{
public:
    Planes(const heif_image *image, bool alpha)
    {
        const heif_channel channels[] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
        m_width = heif_image_get_width(image, heif_channel_R);
        m_height = heif_image_get_height(image, heif_channel_R);
        int stored = 0; // every plane alike
        for (int k = 0; k < (alpha ? 4 : 3); ++k) {
            // libheif asserts when asked the depth of a plane the picture lacks.
            m_planes[k] = heif_image_get_plane_readonly(image, channels[k], &m_strides[k]);
            if (!m_planes[k]) {
                m_width = 0;
                return;
            }
            if (k == 0)
                stored = heif_image_get_bits_per_pixel(image, channels[k]);
            const int depth = heif_image_get_bits_per_pixel_range(image, channels[k]);
            m_shifts[k] = depth - 8;
            if ((stored != 8 && stored != 16) || heif_image_get_bits_per_pixel(image, channels[k]) != stored
                || depth < 8 || depth > stored || heif_image_get_width(image, channels[k]) != m_width
                || heif_image_get_height(image, channels[k]) != m_height || m_strides[k] < m_width * (stored / 8))
                m_width = 0;
        }
        m_deep = stored == 16;
    }

    bool isValid() const { return m_width > 0 && m_height > 0; }
    QSize size() const { return {m_width, m_height}; }
    void row(int y, quint32 *out) const
    {
        if (m_deep) {
            deepRow(y, out);
            return;
        }
        const uint8_t *r = m_planes[0] + qsizetype(y) * m_strides[0];
        const uint8_t *g = m_planes[1] + qsizetype(y) * m_strides[1];
        const uint8_t *b = m_planes[2] + qsizetype(y) * m_strides[2];
        if (const uint8_t *a = m_planes[3] ? m_planes[3] + qsizetype(y) * m_strides[3] : nullptr) {
            for (int x = 0; x < m_width; ++x)
                out[x] = quint32(a[x]) << 24 | quint32(r[x]) << 16 | quint32(g[x]) << 8 | b[x];
        } else {
            for (int x = 0; x < m_width; ++x)
                out[x] = 0xFF000000u | quint32(r[x]) << 16 | quint32(g[x]) << 8 | b[x];
        }
    }

private:
    void deepRow(int y, quint32 *out) const
    {
        const auto samples = [&](int k) {
            return reinterpret_cast<const quint16 *>(m_planes[k] + qsizetype(y) * m_strides[k]);
        };
        const quint16 *r = samples(0), *g = samples(1), *b = samples(2);
        const quint16 *a = m_planes[3] ? samples(3) : nullptr;
        const auto top = [&](const quint16 *plane, int k, int x) { return quint32(quint8(plane[x] >> m_shifts[k])); };
        for (int x = 0; x < m_width; ++x)
            out[x] = (a ? top(a, 3, x) : 0xFFu) << 24 | top(r, 0, x) << 16 | top(g, 1, x) << 8 | top(b, 2, x);
    }

    const uint8_t *m_planes[4] = {};
    int m_strides[4] = {};
    int m_shifts[4] = {};
    bool m_deep = false; // samples of 16 bits
    int m_width = 0, m_height = 0;
};

// The picture of a handle, upright, made smaller to size by area where that is smaller on both
// sides (at most the picture's size on either), so that a photo shown small never holds a 32-bit
// copy of itself. libheif gives the planes apart: putting them together is its slowest step,
// and here it is done a row at a time.
QImage Decode(heif_image_handle *handle, const QSize &size = QSize())
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    heif_decoding_options *options = heif_decoding_options_alloc();
    options->convert_hdr_to_8bit = 1;
    heif_image *decoded = nullptr;
    const heif_error error = heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_444, options);
    heif_decoding_options_free(options);
    if (error.code != heif_error_Ok || !decoded)
        return {};
    const std::unique_ptr<heif_image, void (*)(const heif_image *)> release(decoded, heif_image_release);
    const Planes planes(decoded, alpha);
    if (!planes.isValid())
        return {};
    const QSize natural = planes.size();
    const bool smaller = size.isValid() && size.width() <= natural.width() && size.height() <= natural.height()
            && size != natural;
    QImage image(smaller ? size : natural, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    std::optional<reduce::ReducedRows> reduced;
    if (smaller)
        reduced.emplace(image, natural.width(), natural.height(), alpha);
    reduce::WholeRows whole(image, alpha);
    reduce::RowSink &rows = reduced ? static_cast<reduce::RowSink &>(*reduced) : whole;
    for (int y = 0; y < natural.height(); ++y) {
        planes.row(y, rows.row(y));
        rows.take(y);
    }
    return image;
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
    if (heif_image_handle_get_luma_bits_per_pixel(primary) > 8)
        d->milliseconds *= formats::DeepSampleFactor;
    // Frames beyond the largest picture decoded whole are never made, whatever the file states.
    if (!isUsable(primary) || streams.unreadable || double(streams.codedPixels) > formats::MaxWholeDecodeArea)
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
    // A phone's photo without libheif in between; anything else, or what fails there, by it.
    if (const std::optional<HevcPicture> hevc = PrimaryHevc(d->bytes)) {
        if (const QImage direct = DecodeHevc(*hevc, want); direct.size() == want)
            return direct;
    }
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
    heif_item_id bestId = 0;
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
        if (!best || width < heif_image_handle_get_width(best.get())) {
            best = std::move(thumbnail);
            bestId = ids[size_t(k)];
        }
    }
    if (!best)
        return {};
    // A phone's thumbnail, a small picture coded whole, as its photo: without libheif, whose
    // decoder set up for it costs more than decoding it.
    const QSize size(heif_image_handle_get_width(best.get()), heif_image_handle_get_height(best.get()));
    if (const std::optional<HevcPicture> hevc = ItemHevc(d->bytes, bestId)) {
        if (const QImage direct = DecodeHevc(*hevc, size); direct.size() == size)
            return direct;
    }
    return Decode(best.get());
}

} // namespace platform::heif
