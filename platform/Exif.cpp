#include "platform/Exif.h"

#include <QTransform>
#include <QtEndian>

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
    const qsizetype size = jpeg.size();
    const auto byteAt = [&jpeg](qsizetype i) { return quint8(jpeg[i]); };
    if (size < 4 || byteAt(0) != 0xFF || byteAt(1) != 0xD8)
        return {};
    qsizetype pos = 2;
    while (pos + 4 <= size) {
        if (byteAt(pos) != 0xFF)
            return {}; // segments before the first scan follow one another directly
        while (pos < size && byteAt(pos) == 0xFF) // fill bytes
            ++pos;
        if (pos + 3 > size)
            return {};
        const quint8 marker = byteAt(pos++);
        if (marker == 0xDA || marker == 0xD9) // the first scan, or the end: no block
            return {};
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 || marker == 0xD8)
            continue; // standalone markers carry no length
        const quint16 length = qFromBigEndian<quint16>(jpeg.data() + pos);
        if (length < 2 || length > size - pos)
            return {};
        const QByteArrayView payload = jpeg.sliced(pos + 2, length - 2);
        if (marker == 0xE1 && payload.size() > ExifHeaderSize
            && payload.first(ExifHeaderSize) == QByteArrayView(ExifHeader, ExifHeaderSize))
            return payload;
        pos += length;
    }
    return {};
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
