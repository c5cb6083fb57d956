// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ModernPictures.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QHash>
#include <QImageWriter>
#include <QList>
#include <QtEndian>

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

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


// ---- The boxes of a HEIF file ----

// A box of the file: its four-character type, where it starts and where its contents run.
struct Box
{
    QByteArray type;
    qsizetype start = 0, begin = 0, end = 0;
};

// The boxes one after another in [begin, end) of file; empty when one runs past the end.
QList<Box> Boxes(const QByteArray &file, qsizetype begin, qsizetype end)
{
    QList<Box> boxes;
    while (begin + 8 <= end) {
        quint64 size = qFromBigEndian<quint32>(file.constData() + begin);
        qsizetype header = 8;
        if (size == 1 && begin + 16 <= end) {
            size = qFromBigEndian<quint64>(file.constData() + begin + 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(end - begin);
        }
        if (size < quint64(header) || size > quint64(end - begin))
            return {};
        boxes.append({file.mid(begin + 4, 4), begin, begin + header, begin + qsizetype(size)});
        begin += qsizetype(size);
    }
    return boxes;
}

std::optional<Box> Child(const QList<Box> &boxes, const char *type)
{
    const auto found = std::find_if(boxes.begin(), boxes.end(), [&](const Box &box) { return box.type == type; });
    return found == boxes.end() ? std::nullopt : std::optional<Box>(*found);
}

// The big-endian fields of a full box (one with a version and flags), read in turn; ok turns
// false when one runs past the box.
class Fields
{
public:
    Fields(const QByteArray &file, const Box &box)
        : m_file(file), m_at(box.begin), m_end(box.end)
    {
        version = int(take(1));
        flags = quint32(take(3));
    }
    quint64 take(int bytes)
    {
        if (m_at + bytes > m_end) {
            ok = false;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | quint8(m_file[m_at + i]);
        m_at += bytes;
        return value;
    }
    int version = 0;
    quint32 flags = 0;
    bool ok = true;

private:
    const QByteArray &m_file;
    qsizetype m_at, m_end;
};

struct Property
{
    QByteArray type, box;
    bool essential = false;
};

// One coded picture: its data and its properties, in the order they are associated.
struct CodedItem
{
    QByteArray data;
    QList<Property> properties;
};

// The data of item in file, from its extents in the file itself (the only way libheif stores a
// coded picture); empty when it has none there.
QByteArray ItemData(const QByteArray &file, const Box &iloc, quint64 item)
{
    Fields fields(file, iloc);
    const int sizes = int(fields.take(1)), more = int(fields.take(1));
    const int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
    const int indexSize = fields.version > 0 ? more & 15 : 0, idSize = fields.version < 2 ? 2 : 4;
    const quint64 count = fields.take(idSize);
    QByteArray data;
    for (quint64 i = 0; i < count && fields.ok; ++i) {
        const quint64 id = fields.take(idSize);
        const int method = fields.version > 0 ? int(fields.take(2) & 15) : 0;
        fields.take(2); // data reference
        const quint64 base = fields.take(baseSize), extents = fields.take(2);
        for (quint64 e = 0; e < extents && fields.ok; ++e) {
            fields.take(indexSize);
            const quint64 offset = base + fields.take(offsetSize), length = fields.take(lengthSize);
            if (id == item && (method != 0 || offset + length > quint64(file.size())))
                return {};
            if (id == item)
                data += file.mid(qsizetype(offset), qsizetype(length));
        }
    }
    return fields.ok ? data : QByteArray();
}

// The properties associated with item in file.
std::optional<QList<Property>> ItemProperties(const QByteArray &file, const Box &iprp, quint64 item)
{
    const QList<Box> inIprp = Boxes(file, iprp.begin, iprp.end);
    const auto ipco = Child(inIprp, "ipco"), ipma = Child(inIprp, "ipma");
    if (!ipco || !ipma)
        return std::nullopt;
    const QList<Box> boxes = Boxes(file, ipco->begin, ipco->end);
    Fields fields(file, *ipma);
    const int indexBits = fields.flags & 1 ? 15 : 7;
    QList<Property> properties;
    const quint64 entries = fields.take(4);
    for (quint64 e = 0; e < entries && fields.ok; ++e) {
        const quint64 id = fields.take(fields.version < 1 ? 2 : 4);
        const quint64 count = fields.take(1);
        for (quint64 k = 0; k < count && fields.ok; ++k) {
            const quint64 value = fields.take(indexBits == 15 ? 2 : 1);
            const qsizetype index = qsizetype(value & ((1u << indexBits) - 1));
            if (id != item || index == 0)
                continue;
            if (index > boxes.size())
                return std::nullopt;
            const Box &box = boxes[index - 1];
            properties.append({box.type, file.mid(box.start, box.end - box.start), (value >> indexBits) != 0});
        }
    }
    return fields.ok ? std::optional(properties) : std::nullopt;
}

// The primary picture of a file libheif wrote, when it is one coded picture.
std::optional<CodedItem> PrimaryItem(const QByteArray &file)
{
    const auto meta = Child(Boxes(file, 0, file.size()), "meta");
    if (!meta)
        return std::nullopt;
    const QList<Box> inMeta = Boxes(file, meta->begin + 4, meta->end);
    const auto pitm = Child(inMeta, "pitm"), iloc = Child(inMeta, "iloc"), iprp = Child(inMeta, "iprp");
    if (!pitm || !iloc || !iprp)
        return std::nullopt;
    Fields primary(file, *pitm);
    const quint64 item = primary.take(primary.version == 0 ? 2 : 4);
    CodedItem coded{ItemData(file, *iloc, item), {}};
    const auto properties = ItemProperties(file, *iprp, item);
    if (coded.data.isEmpty() || !properties)
        return std::nullopt;
    coded.properties = *properties;
    return coded;
}

void Put(QByteArray &out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char(quint8(value >> (8 * i)));
}

QByteArray MakeBox(const char *type, const QByteArray &contents)
{
    QByteArray box;
    Put(box, quint64(contents.size()) + 8, 4);
    return box + QByteArray(type, 4) + contents;
}

QByteArray MakeFullBox(const char *type, int version, quint32 flags, const QByteArray &contents)
{
    QByteArray head;
    Put(head, quint64(version), 1);
    Put(head, flags, 3);
    return MakeBox(type, head + contents);
}

// ---- A HEIF file written from its items ----

struct Item
{
    QByteArray type;
    bool hidden = false;
    QByteArray data; // in the file's mdat, or for the grid in its idat
    QList<quint16> properties; // each its index in ipco from 1, the top bit when essential
};

struct Reference
{
    const char *type;
    quint16 from;
    QList<quint16> to;
};

class HeifWriter
{
public:
    quint16 add(Item item)
    {
        m_items.append(std::move(item));
        return quint16(m_items.size());
    }
    Item &item(quint16 id) { return m_items[id - 1]; }
    void associate(quint16 id, const QByteArray &box, bool essential)
    {
        qsizetype index = m_properties.indexOf(box);
        if (index < 0) {
            m_properties.append(box);
            index = m_properties.size() - 1;
        }
        item(id).properties.append(quint16(index + 1) | (essential ? 0x8000 : 0));
    }
    void refer(Reference reference) { m_references.append(std::move(reference)); }

    // The file of brand, its first item primary and its data in idat, the others' in mdat.
    QByteArray file(const char *brand) const
    {
        QByteArray kinds = QByteArray(brand, 4);
        Put(kinds, 0, 4);
        const QByteArray ftyp = MakeBox("ftyp", kinds + "mif1" + brand);
        const qsizetype start = ftyp.size() + meta(0).size() + 8;
        QByteArray mdat;
        for (qsizetype k = 1; k < m_items.size(); ++k)
            mdat += m_items[k].data;
        return ftyp + meta(quint64(start)) + MakeBox("mdat", mdat);
    }

private:
    QByteArray meta(quint64 dataStart) const
    {
        QByteArray hdlr(4, '\0');
        hdlr += "pict" + QByteArray(13, '\0');
        QByteArray pitm, iloc("\x44\x00", 2), iinf, iref, ipma;
        Put(pitm, 1, 2);
        Put(iloc, quint64(m_items.size()), 2);
        Put(iinf, quint64(m_items.size()), 2);
        Put(ipma, quint64(m_items.size()), 4);
        const bool wide = m_properties.size() > 127;
        quint64 offset = dataStart;
        for (qsizetype k = 0; k < m_items.size(); ++k) {
            const Item &item = m_items[k];
            const quint16 id = quint16(k + 1);
            Put(iloc, id, 2);
            Put(iloc, k == 0 ? 1 : 0, 2); // construction method: idat for the first, else the file
            Put(iloc, 0, 2);               // this file
            Put(iloc, 1, 2);               // one extent
            Put(iloc, k == 0 ? 0 : offset, 4);
            Put(iloc, quint64(item.data.size()), 4);
            if (k > 0)
                offset += quint64(item.data.size());
            QByteArray infe;
            Put(infe, id, 2);
            Put(infe, 0, 2);
            iinf += MakeFullBox("infe", 2, item.hidden ? 1 : 0, infe + item.type + QByteArray(1, '\0'));
            Put(ipma, id, 2);
            Put(ipma, quint64(item.properties.size()), 1);
            for (const quint16 property : item.properties)
                Put(ipma, wide ? property : ((property >> 8) & 0x80) | (property & 0x7F), wide ? 2 : 1);
        }
        for (const Reference &reference : m_references) {
            QByteArray ids;
            Put(ids, reference.from, 2);
            Put(ids, quint64(reference.to.size()), 2);
            for (const quint16 to : reference.to)
                Put(ids, to, 2);
            iref += MakeBox(reference.type, ids);
        }
        const QByteArray iprp = MakeBox("iprp", MakeBox("ipco", m_properties.join())
                                                        + MakeFullBox("ipma", 0, wide ? 1 : 0, ipma));
        return MakeFullBox("meta", 0, 0,
                           MakeFullBox("hdlr", 0, 0, hdlr) + MakeFullBox("pitm", 0, 0, pitm)
                                   + MakeFullBox("iloc", 1, 0, iloc) + MakeFullBox("iinf", 0, 0, iinf)
                                   + MakeFullBox("iref", 0, 0, iref) + iprp + MakeBox("idat", m_items[0].data));
    }

    QList<Item> m_items;
    QList<QByteArray> m_properties;
    QList<Reference> m_references;
};

// The tile of side pixels at (left, top) of pixels (RGB888), the picture's last column and row
// repeated past its edges.
QImage Tile(const QImage &pixels, int left, int top, int side)
{
    QImage tile(side, side, QImage::Format_RGB888);
    const int inside = std::min(side, pixels.width() - left);
    for (int y = 0; y < side; ++y) {
        const uchar *from = pixels.constScanLine(std::min(top + y, pixels.height() - 1)) + left * 3;
        uchar *to = tile.scanLine(y);
        std::memcpy(to, from, size_t(inside) * 3);
        for (int x = inside; x < side; ++x)
            std::memcpy(to + x * 3, from + (inside - 1) * 3, 3);
    }
    return tile;
}

bool IsCoding(const QByteArray &type)
{
    return type == "hvcC" || type == "av1C";
}

bool IsTransform(const QByteArray &type)
{
    return type == "irot" || type == "imir" || type == "clap";
}

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
    const bool deep = options.bitDepth > 8;
    const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    if (heif_image_create(pixels.width(), pixels.height(), heif_colorspace_RGB, chroma, &created).code != heif_error_Ok)
        return {};
    Owned<heif_image> heifImage(created);
    heif_image_add_plane(created, heif_channel_interleaved, pixels.width(), pixels.height(), options.bitDepth);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(created, heif_channel_interleaved, &stride);
    const int samples = pixels.width() * (alpha ? 4 : 3);
    for (int y = 0; y < pixels.height(); ++y) {
        const uchar *in = pixels.constScanLine(y);
        uint8_t *out = plane + qsizetype(y) * stride;
        if (!deep) {
            std::memcpy(out, in, size_t(samples));
            continue;
        }
        // The 8 bits widened to the depth, white staying white.
        for (int k = 0; k < samples; ++k)
            qToLittleEndian(quint16(in[k] << (options.bitDepth - 8) | in[k] >> (16 - options.bitDepth)), out + 2 * k);
    }

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

QByteArray HeifGrid(const QImage &image, const HeifOptions &options, int tileSide)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB888);
    const int columns = tileSide > 0 ? (pixels.width() + tileSide - 1) / tileSide : 0;
    const int rows = tileSide > 0 ? (pixels.height() + tileSide - 1) / tileSide : 0;
    if (pixels.isNull() || columns < 1 || rows < 1 || columns > 256 || rows > 256)
        return {};
    const bool hevc = options.codec == HeifCodec::Hevc;
    HeifOptions alone = options; // of each tile and of the thumbnail
    alone.thumbnailSide = 0;
    alone.exifOrientation = false;

    HeifWriter writer;
    QByteArray layout; // ImageGrid
    const bool wide = pixels.width() > 0xFFFF || pixels.height() > 0xFFFF;
    Put(layout, 0, 1);
    Put(layout, wide ? 1 : 0, 1);
    Put(layout, quint64(rows - 1), 1);
    Put(layout, quint64(columns - 1), 1);
    Put(layout, quint64(pixels.width()), wide ? 4 : 2);
    Put(layout, quint64(pixels.height()), wide ? 4 : 2);
    const quint16 grid = writer.add({"grid", false, layout, {}});
    QByteArray ispe;
    Put(ispe, quint64(pixels.width()), 4);
    Put(ispe, quint64(pixels.height()), 4);
    writer.associate(grid, MakeFullBox("ispe", 0, 0, ispe), false);

    Reference tiles{"dimg", grid, {}};
    QList<Property> first; // the first tile's properties
    // Tiles of the same pixels are coded once: the large pictures of the tests are mostly of
    // plain colour, and an encoder started for every tile would take most of their time.
    QHash<QByteArray, CodedItem> codedTiles;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QImage pixelsOfTile = Tile(pixels, column * tileSide, row * tileSide, tileSide);
            const QByteArray key = QCryptographicHash::hash(
                    QByteArrayView(pixelsOfTile.constBits(), pixelsOfTile.sizeInBytes()), QCryptographicHash::Sha1);
            auto known = codedTiles.constFind(key);
            if (known == codedTiles.cend()) {
                const auto made = PrimaryItem(Heif(pixelsOfTile, alone));
                if (!made)
                    return {};
                known = codedTiles.insert(key, *made);
            }
            const CodedItem *coded = &*known;
            const quint16 tile = writer.add({hevc ? "hvc1" : "av01", true, coded->data, {}});
            tiles.to.append(tile);
            for (const Property &property : coded->properties) {
                if (!IsTransform(property.type))
                    writer.associate(tile, property.box, property.essential || IsCoding(property.type));
            }
            if (first.isEmpty())
                first = coded->properties;
        }
    }
    // The grid takes the first tile's colour and, after it, its rotation and mirroring.
    for (const bool transforms : {false, true}) {
        for (const Property &property : first) {
            if (IsTransform(property.type) == transforms && !IsCoding(property.type) && property.type != "ispe")
                writer.associate(grid, property.box, property.essential || transforms);
        }
    }
    writer.refer(tiles);

    if (options.thumbnailSide > 0) {
        const QImage small = pixels.scaled(options.thumbnailSide, options.thumbnailSide, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
        const auto coded = PrimaryItem(Heif(small, alone));
        if (!coded)
            return {};
        const quint16 thumbnail = writer.add({hevc ? "hvc1" : "av01", false, coded->data, {}});
        // As a phone writes it: its size as coded, then its turn (libheif states the size turned,
        // and the turn before it).
        QByteArray ispe;
        Put(ispe, quint64(small.width()), 4);
        Put(ispe, quint64(small.height()), 4);
        for (const bool transforms : {false, true}) {
            for (const Property &property : coded->properties) {
                if (IsTransform(property.type) == transforms) {
                    writer.associate(thumbnail, property.type == "ispe" ? MakeFullBox("ispe", 0, 0, ispe) : property.box,
                                     property.essential || transforms || IsCoding(property.type));
                }
            }
        }
        writer.refer({"thmb", thumbnail, {grid}});
    }
    if (options.exifOrientation) {
        QByteArray exif(4, '\0'); // the TIFF header's offset
        writer.refer({"cdsc", writer.add({"Exif", false, exif + OrientationTiff(options.orientation), {}}), {grid}});
    }
    return writer.file(hevc ? "heic" : "avif");
}

} // namespace modernpictures
