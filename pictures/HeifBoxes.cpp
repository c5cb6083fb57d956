// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/HeifBoxes.h"

#include "base/ByteReads.h"
#include "pictures/CodedSize.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace platform::heif {

namespace {

using bytes::be16At;
using bytes::be32At;
using bytes::beAt;

// The boxes of a range, one after another, each with its type and what follows its header.
class Boxes
{
public:
    explicit Boxes(QByteArrayView range) : m_range(range) {}

    // The body of the next box of type, skipping others; nothing when there is none or a box's
    // size runs past the range.
    std::optional<QByteArrayView> next(const char *type)
    {
        while (const std::optional<std::pair<QByteArrayView, QByteArrayView>> box = nextAny()) {
            if (box->first == QByteArrayView(type, 4))
                return box->second;
        }
        return std::nullopt;
    }

    // The next box, whatever its type: its type and body.
    std::optional<std::pair<QByteArrayView, QByteArrayView>> nextAny()
    {
        if (m_pos + 8 > m_range.size())
            return std::nullopt;
        qint64 size = be32At(m_range, m_pos);
        qsizetype header = 8;
        if (size == 1) {
            if (m_pos + 16 > m_range.size())
                return std::nullopt;
            size = qint64(beAt(m_range, m_pos + 8, 8));
            header = 16;
        } else if (size == 0) {
            size = m_range.size() - m_pos; // to the end
        }
        if (size < header || size > m_range.size() - m_pos)
            return std::nullopt;
        const QByteArrayView kind = m_range.sliced(m_pos + 4, 4);
        const QByteArrayView body = m_range.sliced(m_pos + header, qsizetype(size) - header);
        m_pos += qsizetype(size);
        return std::pair{kind, body};
    }

private:
    QByteArrayView m_range;
    qsizetype m_pos = 0;
};

// A full box's version and flags; its body after them.
struct Full
{
    int version;
    quint32 flags;
    QByteArrayView body;
};
std::optional<Full> full(std::optional<QByteArrayView> box)
{
    if (!box || box->size() < 4)
        return std::nullopt;
    return Full{quint8(box->at(0)), be32At(*box, 0) & 0xFFFFFF, box->sliced(4)};
}

// An item ID of 16 bits (version 0) or 32; nothing past the end.
std::optional<quint32> itemId(QByteArrayView b, qsizetype at, bool wide)
{
    if (at + (wide ? 4 : 2) > b.size())
        return std::nullopt;
    return wide ? be32At(b, at) : be16At(b, at);
}

struct Extent
{
    quint64 offset;
    quint64 length; // 0: to the end
};

struct Location
{
    int method = 0; // 0: in the file, 1: in idat
    quint64 base = 0;
    std::vector<Extent> extents;
};

struct Reference
{
    QByteArrayView type;
    quint32 from;
    std::vector<quint32> to;
};

// What the meta box says of its items: their types, the properties each has, where their data
// lie and how they reference each other. A part that cannot be read is left empty.
class Items
{
public:
    explicit Items(QByteArrayView file) : m_file(file)
    {
        const std::optional<Full> meta = full(Boxes(file).next("meta"));
        if (!meta)
            return;
        if (const std::optional<Full> pitm = full(Boxes(meta->body).next("pitm")))
            m_primary = itemId(pitm->body, 0, pitm->version != 0);
        m_idat = Boxes(meta->body).next("idat").value_or(QByteArrayView());
        readTypes(meta->body);
        readReferences(meta->body);
        readProperties(meta->body);
        readLocations(meta->body);
    }

    std::optional<quint32> primary() const { return m_primary; }
    QByteArrayView type(quint32 id) const { return m_types.value(id); }
    std::vector<quint32> references(const char *type, quint32 from) const
    {
        for (const Reference &reference : m_references)
            if (reference.from == from && reference.type == QByteArrayView(type, 4))
                return reference.to;
        return {};
    }
    // The items that reference id with a reference of type (an alpha plane, auxl, of a picture).
    std::vector<quint32> referencing(const char *type, quint32 id) const
    {
        std::vector<quint32> from;
        for (const Reference &reference : m_references)
            if (reference.type == QByteArrayView(type, 4)
                && std::find(reference.to.begin(), reference.to.end(), id) != reference.to.end())
                from.push_back(reference.from);
        return from;
    }
    // The bodies of all item id's properties of type, in the order they are associated.
    std::vector<QByteArrayView> properties(quint32 id, const char *type) const
    {
        std::vector<QByteArrayView> found;
        for (const int index : m_associations.value(id)) {
            if (index >= 1 && index <= int(m_properties.size())
                && m_properties[size_t(index - 1)].first == QByteArrayView(type, 4))
                found.push_back(m_properties[size_t(index - 1)].second);
        }
        return found;
    }
    // The body of item id's (first) property of type; nothing when it has none.
    std::optional<QByteArrayView> property(quint32 id, const char *type) const
    {
        const std::vector<QByteArrayView> found = properties(id, type);
        return found.empty() ? std::nullopt : std::optional(found.front());
    }
    // Item id's data, its extents one after another; nothing when they cannot be found, or when
    // reading them would pass *budget bytes (taken from it).
    std::optional<QByteArray> data(quint32 id, qint64 *budget) const
    {
        const auto found = m_locations.constFind(id);
        if (found == m_locations.cend())
            return std::nullopt;
        const QByteArrayView source = found->method == 0 ? m_file : found->method == 1 ? m_idat : QByteArrayView();
        if (source.isNull())
            return std::nullopt;
        QByteArray bytes;
        for (const Extent &extent : found->extents) {
            const quint64 offset = found->base + extent.offset;
            if (offset > quint64(source.size()))
                return std::nullopt;
            const quint64 rest = quint64(source.size()) - offset;
            const quint64 length = extent.length == 0 ? rest : extent.length;
            if (length > rest || qint64(length) > *budget)
                return std::nullopt;
            *budget -= qint64(length);
            const QByteArrayView part = source.sliced(qsizetype(offset), qsizetype(length));
            if (found->extents.size() == 1) // the usual case, left where it lies
                return QByteArray::fromRawData(part.data(), part.size());
            bytes.append(part);
        }
        return bytes;
    }

private:
    void readTypes(QByteArrayView meta)
    {
        const std::optional<Full> iinf = full(Boxes(meta).next("iinf"));
        if (!iinf)
            return;
        Boxes entries(iinf->body.sliced(std::min<qsizetype>(iinf->body.size(), iinf->version == 0 ? 2 : 4)));
        while (const std::optional<Full> infe = full(entries.next("infe"))) {
            if (infe->version < 2)
                continue;
            const bool wide = infe->version >= 3;
            const qsizetype typeAt = (wide ? 4 : 2) + 2; // after the ID and the protection index
            const std::optional<quint32> id = itemId(infe->body, 0, wide);
            if (id && typeAt + 4 <= infe->body.size())
                m_types.insert(*id, infe->body.sliced(typeAt, 4));
        }
    }

    void readReferences(QByteArrayView meta)
    {
        const std::optional<Full> iref = full(Boxes(meta).next("iref"));
        if (!iref)
            return;
        const bool wide = iref->version != 0;
        const int idBytes = wide ? 4 : 2;
        Boxes references(iref->body);
        while (const std::optional<std::pair<QByteArrayView, QByteArrayView>> box = references.nextAny()) {
            const QByteArrayView body = box->second;
            const std::optional<quint32> from = itemId(body, 0, wide);
            if (!from || idBytes + 2 > body.size())
                continue;
            const int count = be16At(body, idBytes);
            Reference reference{box->first, *from, {}};
            for (int k = 0; k < count; ++k) {
                const std::optional<quint32> to = itemId(body, idBytes + 2 + qsizetype(k) * idBytes, wide);
                if (!to)
                    break;
                reference.to.push_back(*to);
            }
            m_references.push_back(std::move(reference));
        }
    }

    void readProperties(QByteArrayView meta)
    {
        const std::optional<QByteArrayView> iprp = Boxes(meta).next("iprp");
        if (!iprp)
            return;
        if (const std::optional<QByteArrayView> ipco = Boxes(*iprp).next("ipco")) {
            Boxes children(*ipco);
            while (const auto child = children.nextAny())
                m_properties.push_back(*child);
        }
        Boxes boxes(*iprp);
        while (const std::optional<Full> ipma = full(boxes.next("ipma"))) {
            const QByteArrayView b = ipma->body;
            const bool wide = ipma->version >= 1, wideIndex = ipma->flags & 1;
            if (b.size() < 4)
                continue;
            qsizetype at = 4;
            for (quint32 entry = be32At(b, 0); entry > 0; --entry) {
                const std::optional<quint32> id = itemId(b, at, wide);
                at += wide ? 4 : 2;
                if (!id || at + 1 > b.size())
                    break;
                const int count = quint8(b[at++]);
                if (at + count * (wideIndex ? 2 : 1) > b.size())
                    break;
                QList<int> &indexes = m_associations[*id];
                for (int k = 0; k < count; ++k) {
                    indexes.append(wideIndex ? be16At(b, at) & 0x7FFF : quint8(b[at]) & 0x7F);
                    at += wideIndex ? 2 : 1;
                }
            }
        }
    }

    void readLocations(QByteArrayView meta)
    {
        const std::optional<Full> iloc = full(Boxes(meta).next("iloc"));
        if (!iloc || iloc->version > 2 || iloc->body.size() < 2)
            return;
        const QByteArrayView b = iloc->body;
        const int offsetBytes = quint8(b[0]) >> 4, lengthBytes = quint8(b[0]) & 0xF;
        const int baseBytes = quint8(b[1]) >> 4, indexBytes = iloc->version >= 1 ? quint8(b[1]) & 0xF : 0;
        const auto valid = [](int bytes) { return bytes == 0 || bytes == 4 || bytes == 8; };
        if (!valid(offsetBytes) || !valid(lengthBytes) || !valid(baseBytes) || !valid(indexBytes))
            return;
        const bool wide = iloc->version == 2;
        qsizetype at = 2;
        const std::optional<quint32> items = itemId(b, at, wide);
        at += wide ? 4 : 2;
        for (quint32 item = 0; items && item < *items; ++item) {
            const std::optional<quint32> id = itemId(b, at, wide);
            at += wide ? 4 : 2;
            Location location;
            const qsizetype fixed = (iloc->version >= 1 ? 2 : 0) + 2 + baseBytes + 2;
            if (!id || at + fixed > b.size())
                return;
            if (iloc->version >= 1) {
                location.method = be16At(b, at) & 0xF;
                at += 2;
            }
            at += 2; // data_reference_index
            location.base = beAt(b, at, baseBytes);
            at += baseBytes;
            const int extents = be16At(b, at);
            at += 2;
            const qsizetype extentBytes = indexBytes + offsetBytes + lengthBytes;
            if (at + extents * extentBytes > b.size())
                return;
            for (int k = 0; k < extents; ++k) {
                at += indexBytes;
                const quint64 offset = beAt(b, at, offsetBytes);
                const quint64 length = beAt(b, at + offsetBytes, lengthBytes);
                location.extents.push_back({offset, length});
                at += offsetBytes + lengthBytes;
            }
            m_locations.insert(*id, std::move(location));
        }
    }

    QByteArrayView m_file;
    QByteArrayView m_idat;
    std::optional<quint32> m_primary;
    QHash<quint32, QByteArrayView> m_types;
    std::vector<Reference> m_references;
    std::vector<std::pair<QByteArrayView, QByteArrayView>> m_properties;
    QHash<quint32, QList<int>> m_associations;
    QHash<quint32, Location> m_locations;
};

// The canvas of a grid's or an overlay's data: after the version and flags (and the rows and
// columns of a grid, or the fill colour of an overlay), its width and height, of 16 bits each or
// of 32 when the flags say so.
std::optional<QSize> canvasSize(const std::optional<QByteArray> &data, bool overlay)
{
    if (!data || data->size() < 2)
        return std::nullopt;
    const QByteArrayView b(*data);
    const bool wide = quint8(b[1]) & 1;
    const qsizetype at = overlay ? 2 + 8 : 4;
    if (at + (wide ? 8 : 4) > b.size())
        return std::nullopt;
    const quint64 width = wide ? be32At(b, at) : be16At(b, at);
    const quint64 height = wide ? be32At(b, at + 4) : be16At(b, at + 2);
    if (width == 0 || height == 0 || width > 0xFFFFFF || height > 0xFFFFFF)
        return std::nullopt;
    return QSize(int(width), int(height));
}

// What the frames of item id and of the pictures it is derived from ask of their decoder, all
// of them together; depth counts the derivations followed.
void addCodedPixels(const Items &items, quint32 id, int depth, qint64 *budget, CodedFrames *total)
{
    const QByteArrayView type = items.type(id);
    if (type == "hvc1" || type == "av01") {
        CodedFrames frames;
        const std::optional<QByteArray> data = items.data(id, budget);
        if (type == "hvc1") {
            const std::optional<QByteArrayView> hvcC = items.property(id, "hvcC");
            const std::optional<int> lengthBytes = hvcC ? AddHvcc(*hvcC, &frames) : std::nullopt;
            if (lengthBytes && data)
                AddHevcNals(*data, *lengthBytes, &frames);
            frames.unreadable |= !lengthBytes;
        } else {
            if (const std::optional<QByteArrayView> av1C = items.property(id, "av1C"); av1C && av1C->size() >= 4)
                AddAv1Obus(av1C->sliced(4), &frames);
            if (data)
                AddAv1Obus(*data, &frames);
        }
        total->largest += frames.largest;
        total->unreadable |= frames.unreadable || !data;
        return;
    }
    const std::vector<quint32> sources = items.references("dimg", id);
    if (!sources.empty() && depth >= 3) {
        total->unreadable = true;
        return;
    }
    CodedFrames derived;
    for (const quint32 source : sources)
        addCodedPixels(items, source, depth + 1, budget, &derived);
    // A grid or an overlay is put together on a canvas of the size its own data states.
    if (type == "grid" || type == "iovl") {
        const std::optional<QSize> canvas = canvasSize(items.data(id, budget), type == "iovl");
        if (!canvas)
            derived.unreadable = true;
        else
            derived.largest = std::max(derived.largest, qint64(canvas->width()) * canvas->height());
    }
    total->largest += derived.largest;
    total->unreadable |= derived.unreadable;
}

} // namespace

Streams PrimaryStreams(QByteArrayView file)
{
    const Items items(file);
    const std::optional<quint32> primary = items.primary();
    if (!primary)
        return {1, 0, true};
    // Each byte of the file is read once for the item it belongs to; more means items that
    // share their data over and over, which no camera writes.
    qint64 budget = 2 * qint64(file.size());
    CodedFrames frames;
    addCodedPixels(items, *primary, 0, &budget, &frames);
    for (const quint32 alpha : items.referencing("auxl", *primary))
        addCodedPixels(items, alpha, 0, &budget, &frames);
    const int tiles = items.type(*primary) == "grid" ? int(items.references("dimg", *primary).size()) : 1;
    return {std::max(1, tiles), frames.largest, frames.unreadable};
}

std::optional<qint64> ItemCodedPixels(QByteArrayView file, quint32 item)
{
    const Items items(file);
    qint64 budget = 2 * qint64(file.size());
    CodedFrames frames;
    addCodedPixels(items, item, 0, &budget, &frames);
    if (frames.unreadable)
        return std::nullopt;
    return frames.largest;
}

namespace {

std::optional<QSize> ispeSize(const Items &items, quint32 id)
{
    const std::optional<Full> ispe = full(items.property(id, "ispe"));
    if (!ispe || ispe->body.size() < 8)
        return std::nullopt;
    const quint32 width = be32At(ispe->body, 0), height = be32At(ispe->body, 4);
    if (width == 0 || height == 0 || width > 0xFFFFFF || height > 0xFFFFFF)
        return std::nullopt;
    return QSize(int(width), int(height));
}

// The grid's rows and columns from its data; nothing when they cannot be read.
std::optional<std::pair<int, int>> gridShape(const std::optional<QByteArray> &data)
{
    if (!data || data->size() < 4)
        return std::nullopt;
    return std::pair{quint8(data->at(2)) + 1, quint8(data->at(3)) + 1};
}

// The HEVC picture of item (the primary picture or a thumbnail), as PrimaryHevc describes it.
std::optional<HevcPicture> ItemHevc(QByteArrayView file, const Items &items, std::optional<quint32> item)
{
    if (!item || !items.referencing("auxl", *item).empty() || items.property(*item, "clap")
        || items.property(*item, "imir"))
        return std::nullopt;
    HevcPicture picture;
    qint64 budget = 2 * qint64(file.size());
    std::vector<quint32> tiles{*item};
    const std::optional<QSize> stated = ispeSize(items, *item);
    if (!stated)
        return std::nullopt;
    picture.coded = *stated;
    if (items.type(*item) == "grid") {
        const std::optional<QByteArray> data = items.data(*item, &budget);
        const std::optional<std::pair<int, int>> shape = gridShape(data);
        const std::optional<QSize> canvas = canvasSize(data, false);
        tiles = items.references("dimg", *item);
        if (!shape || !canvas || *canvas != picture.coded || tiles.size() != size_t(shape->first * shape->second))
            return std::nullopt;
        picture.rows = shape->first;
        picture.columns = shape->second;
    } else if (items.type(*item) != "hvc1") {
        return std::nullopt;
    }
    // Every tile coded alike, with no turn of its own.
    const std::optional<QByteArrayView> hvcC = items.property(tiles.front(), "hvcC");
    const std::optional<QSize> tile = ispeSize(items, tiles.front());
    if (!hvcC || !tile || picture.columns * tile->width() < picture.coded.width()
        || picture.rows * tile->height() < picture.coded.height())
        return std::nullopt;
    picture.tile = *tile;
    for (const quint32 id : tiles) {
        if (items.type(id) != "hvc1" || items.property(id, "hvcC") != hvcC || ispeSize(items, id) != tile
            || (id != *item && (items.property(id, "irot") || items.property(id, "imir") || items.property(id, "clap"))))
            return std::nullopt;
        const std::optional<QByteArray> data = items.data(id, &budget);
        if (!data)
            return std::nullopt;
        picture.tiles.push_back(*data);
    }
    const std::optional<int> lengthBytes = ForEachHvccNal(*hvcC, [&picture](QByteArrayView nal) {
        const quint32 length = quint32(nal.size());
        const char prefix[4] = {char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
        picture.parameterSets.append(prefix, 4).append(nal.data(), nal.size());
    });
    if (!lengthBytes)
        return std::nullopt;
    picture.lengthBytes = *lengthBytes;
    if (const std::optional<QByteArrayView> irot = items.property(*item, "irot"); irot && !irot->isEmpty())
        picture.quarterTurns = quint8(irot->at(0)) & 3;
    for (const QByteArrayView colr : items.properties(*item, "colr")) {
        if (colr.size() >= 11 && colr.first(4) == "nclx") {
            picture.matrix = be16At(colr, 8);
            picture.fullRange = quint8(colr[10]) & 0x80;
            break;
        }
    }
    return picture;
}

} // namespace

std::optional<HevcPicture> PrimaryHevc(QByteArrayView file)
{
    const Items items(file);
    return ItemHevc(file, items, items.primary());
}

std::optional<HevcPicture> ItemHevc(QByteArrayView file, quint32 item)
{
    return ItemHevc(file, Items(file), item);
}

std::optional<QSize> PrimarySize(QByteArrayView head)
{
    const Items items(head);
    const std::optional<quint32> primary = items.primary();
    const std::optional<QSize> stated = primary ? ispeSize(items, *primary) : std::nullopt;
    if (!stated)
        return std::nullopt;
    const std::optional<QByteArrayView> irot = items.property(*primary, "irot");
    const bool turned = irot && !irot->isEmpty() && (quint8(irot->at(0)) & 1);
    return turned ? stated->transposed() : *stated;
}

} // namespace platform::heif
