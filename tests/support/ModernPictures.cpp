// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ModernPictures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace modernpictures {

namespace {

QByteArray WrittenByQt(const QImage &image, const char *format, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? buffer.data() : QByteArray();
}

heif_compression_format CompressionOf(HeifCodec codec)
{
    return codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1;
}

// A TIFF block (little-endian) of one directory holding only the orientation tag.
QByteArray OrientationTiff(int orientation)
{
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    char entry[2 + 12 + 4] = {};
    qToLittleEndian<quint16>(1, entry);            // one entry
    qToLittleEndian<quint16>(0x0112, entry + 2);   // Orientation
    qToLittleEndian<quint16>(3, entry + 4);        // SHORT
    qToLittleEndian<quint32>(1, entry + 6);        // one value
    qToLittleEndian<quint16>(quint16(orientation), entry + 10);
    return tiff + QByteArray(entry, sizeof entry); // the next directory's offset stays 0
}

struct Deleters
{
    void operator()(heif_context *context) const { heif_context_free(context); }
    void operator()(heif_encoder *encoder) const { heif_encoder_release(encoder); }
    void operator()(heif_image *image) const { heif_image_release(image); }
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
    void operator()(heif_encoding_options *options) const { heif_encoding_options_free(options); }
};
template<class T>
using Owned = std::unique_ptr<T, Deleters>;

} // namespace

QByteArray Png(const QImage &image)
{
    return WrittenByQt(image, "png", -1);
}

QByteArray Webp(const QImage &image, int quality)
{
    return WrittenByQt(image, "webp", quality);
}

bool CanEncode(HeifCodec codec)
{
    return heif_have_encoder_for_format(CompressionOf(codec));
}

QByteArray Heif(const QImage &image, const HeifOptions &options)
{
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    Owned<heif_context> context(heif_context_alloc());
    heif_encoder *encoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), CompressionOf(options.codec), &encoder).code != heif_error_Ok)
        return {};
    Owned<heif_encoder> ownedEncoder(encoder);
    heif_encoder_set_lossy_quality(encoder, options.quality);
    if (options.fast) {
        if (options.codec == HeifCodec::Hevc)
            heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
        else
            heif_encoder_set_parameter_integer(encoder, "speed", 9);
    }

    heif_image *created = nullptr;
    if (heif_image_create(pixels.width(), pixels.height(), heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &created)
                .code
        != heif_error_Ok)
        return {};
    Owned<heif_image> heifImage(created);
    heif_image_add_plane(created, heif_channel_interleaved, pixels.width(), pixels.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(created, heif_channel_interleaved, &stride);
    const int rowBytes = pixels.width() * (alpha ? 4 : 3);
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(plane + qsizetype(y) * stride, pixels.constScanLine(y), size_t(rowBytes));

    Owned<heif_encoding_options> encoding(heif_encoding_options_alloc());
    encoding->image_orientation = heif_orientation(options.orientation);
    heif_image_handle *handle = nullptr;
    if (heif_context_encode_image(context.get(), created, encoder, encoding.get(), &handle).code != heif_error_Ok)
        return {};
    Owned<heif_image_handle> primary(handle);
    if (options.thumbnailSide > 0) {
        heif_image_handle *thumbnail = nullptr;
        heif_context_encode_thumbnail(context.get(), created, handle, encoder, encoding.get(), options.thumbnailSide,
                                      &thumbnail);
        Owned<heif_image_handle> ownedThumbnail(thumbnail);
    }
    if (options.exifOrientation) {
        const QByteArray tiff = OrientationTiff(options.orientation);
        heif_context_add_exif_metadata(context.get(), handle, tiff.constData(), int(tiff.size()));
    }
    QByteArray bytes;
    heif_writer writer{1, [](heif_context *, const void *data, size_t size, void *userdata) {
                           static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
                           return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                       }};
    if (heif_context_write(context.get(), &writer, &bytes).code != heif_error_Ok)
        return {};
    return bytes;
}

} // namespace modernpictures
