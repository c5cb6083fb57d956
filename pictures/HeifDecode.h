// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures in a HEIF container (HEIC photos from phones, AVIF), decoded by libheif: HEVC through
// libde265, AV1 through dav1d or aom. A phone's photo (HEVC, whole or in tiles, turned at most)
// is decoded by libde265 without libheif in between (HevcDecode.h), in half the time. Only the primary picture is shown, the way the file says it
// is seen: libheif applies its rotation, mirroring and crop (the irot, imir and clap properties,
// where phones record which way up the photo was taken). The EXIF block's orientation tag of
// such a file describes the same turn and is not applied again: HEIF's own properties are the
// ones that count, and a phone photo that has both would be turned twice.
//
// Nothing is decoded before the container has been read and the picture's size found plausible
// (PictureFormats.h): at most 16384 pixels a side for libheif, and MaxWholeDecodeArea, since a
// HEIF picture is always decoded whole, for the frames its streams ask for as for its stated size.
// What its decode then costs is bounded by the decoding helper's limits (DecoderPool.h).

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

namespace platform::heif {

class HeifFile final
{
public:
    // Reads the container of bytes (kept, not copied) and its primary picture's header.
    explicit HeifFile(const QByteArray &bytes);
    ~HeifFile();
    HeifFile(const HeifFile &) = delete;
    HeifFile &operator=(const HeifFile &) = delete;

    bool isValid() const;
    // The natural size in pixels, as the picture is seen (after its rotation).
    QSize natural() const;
    // What decoding the picture whole is predicted to cost (DecodeCost.h).
    double predictedMilliseconds() const;
    // "image/avif" for AV1, "image/heif" for the others.
    QByteArray mimeType() const;

    // The whole picture upright, with its alpha where it has one, made smaller by area to size
    // where size is smaller (an invalid size: the natural size); a null image when it cannot be
    // decoded.
    QImage decode(const QSize &size = QSize());
    // The smallest of the thumbnails stored in the file (phones store one of some 320 pixels)
    // whose size is at least want on both sides, upright; a null image when none is.
    QImage thumbnail(const QSize &want);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform::heif
