// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/WebpDecode.h"

#include <QtEndian>

#include <webp/decode.h>

namespace platform::webp {

std::optional<QImage> Decode(const QByteArray &bytes, const QSize &size)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return QImage();
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    const auto length = std::size_t(bytes.size());
    if (WebPGetFeatures(data, length, &config.input) != VP8_STATUS_OK)
        return QImage();
    if (config.input.has_animation)
        return std::nullopt;
    const QSize natural(config.input.width, config.input.height);
    if (natural.isEmpty())
        return QImage();
    const QSize target = size.width() <= natural.width() && size.height() <= natural.height() && !size.isEmpty()
            ? size
            : natural;
    const bool alpha = config.input.has_alpha;
    QImage image(target, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    config.options.use_threads = 1;
    if (target != natural) {
        config.options.use_scaling = 1;
        config.options.scaled_width = target.width();
        config.options.scaled_height = target.height();
    }
    // Four bytes a pixel in QRgb's order as the machine stores a 32-bit word; the alpha byte is
    // 0xFF where the picture has no alpha channel, as Format_RGB32 asks.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    config.output.colorspace = alpha ? MODE_bgrA : MODE_BGRA;
#else
    config.output.colorspace = alpha ? MODE_Argb : MODE_ARGB;
#endif
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = std::size_t(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(data, length, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return QImage();
    return image;
}

} // namespace platform::webp
