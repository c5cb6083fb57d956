// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/Exif.h"

#include "pictures/PictureFormats.h"

#include <QTransform>

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <memory>

namespace platform::exif {

namespace {

constexpr char ExifHeader[] = "Exif\0\0";
constexpr qsizetype ExifHeaderSize = 6;

// libexif's own parse of the block, freed with it.
struct ExifDataRelease
{
    void operator()(ExifData *data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataRelease>;

int orientationOf(ExifData *data)
{
    // The photo's own directory (IFD0); IFD1 describes the thumbnail.
    ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data
        || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    return value >= 1 && value <= 8 ? value : 1;
}

} // namespace

QByteArrayView FindExifSegment(QByteArrayView jpeg)
{
    QByteArrayView found;
    formats::walkJpegSegments(jpeg, [&found](quint8 marker, QByteArrayView payload) {
        if (marker == 0xDA) // the first scan: the block comes before it or not at all
            return false;
        if (marker == 0xE1 && payload.size() > ExifHeaderSize
            && payload.first(ExifHeaderSize) == QByteArrayView(ExifHeader, ExifHeaderSize)) {
            found = payload;
            return false;
        }
        return true;
    });
    return found;
}

Facts ReadFacts(QByteArrayView jpeg)
{
    Facts facts;
    const QByteArrayView block = FindExifSegment(jpeg);
    if (block.isEmpty())
        return facts;
    const ExifDataPtr data(exif_data_new());
    if (!data)
        return facts;
    // Read as it is: no entries added or fixed up, and tags libexif does not know kept out.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    // The segment's length field bounds the block at 65533 bytes, so the size fits.
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char *>(block.data()),
                        static_cast<unsigned int>(block.size()));
    facts.orientation = orientationOf(data.get());
    if (data->data && data->size > 0)
        facts.thumbnail = QByteArray(reinterpret_cast<const char *>(data->data), qsizetype(data->size));
    return facts;
}

QSize Oriented(const QSize &stored, int orientation)
{
    return SwapsSides(orientation) ? stored.transposed() : stored;
}

QImage Upright(const QImage &stored, int orientation)
{
    // Mirrored first, then turned a quarter clockwise where the tag says so.
    const QTransform quarterClockwise = QTransform().rotate(90);
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.mirrored(true, true);
    case 4: return stored.mirrored(false, true);
    case 5: return stored.mirrored(false, true).transformed(quarterClockwise);
    case 6: return stored.transformed(quarterClockwise);
    case 7: return stored.mirrored(true, false).transformed(quarterClockwise);
    case 8: return stored.mirrored(true, true).transformed(quarterClockwise);
    default: return stored;
    }
}

} // namespace platform::exif
