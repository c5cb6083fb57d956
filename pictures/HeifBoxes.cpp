// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/HeifBoxes.h"

#include <QtEndian>

#include <algorithm>

#include <optional>

namespace platform::heif {

namespace {

quint32 be32(QByteArrayView b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.data() + at);
}
quint16 be16(QByteArrayView b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.data() + at);
}

// The boxes of a range, one after another, each with its type and what follows its header.
class Boxes
{
public:
    explicit Boxes(QByteArrayView range) : m_range(range) {}

    // The body of the next box of type, skipping others; nothing when there is none or a box's
    // size runs past the range.
    std::optional<QByteArrayView> next(const char *type)
    {
        while (m_pos + 8 <= m_range.size()) {
            qint64 size = be32(m_range, m_pos);
            qsizetype header = 8;
            if (size == 1) {
                if (m_pos + 16 > m_range.size())
                    return std::nullopt;
                size = qint64(qFromBigEndian<quint64>(m_range.data() + m_pos + 8));
                header = 16;
            } else if (size == 0) {
                size = m_range.size() - m_pos; // to the end
            }
            if (size < header || size > m_range.size() - m_pos)
                return std::nullopt;
            const QByteArrayView kind = m_range.sliced(m_pos + 4, 4);
            const QByteArrayView body = m_range.sliced(m_pos + header, qsizetype(size) - header);
            m_pos += qsizetype(size);
            if (kind == QByteArrayView(type, 4))
                return body;
        }
        return std::nullopt;
    }

private:
    QByteArrayView m_range;
    qsizetype m_pos = 0;
};

// A full box's version; its body after the version and flags.
struct Full
{
    int version;
    QByteArrayView body;
};
std::optional<Full> full(std::optional<QByteArrayView> box)
{
    if (!box || box->size() < 4)
        return std::nullopt;
    return Full{quint8(box->at(0)), box->sliced(4)};
}

// An item ID of 16 bits (version 0) or 32; nothing past the end.
std::optional<quint32> itemId(QByteArrayView b, qsizetype at, bool wide)
{
    if (at + (wide ? 4 : 2) > b.size())
        return std::nullopt;
    return wide ? be32(b, at) : be16(b, at);
}

// Whether the item info of meta calls item id a grid.
bool isGrid(QByteArrayView meta, quint32 id)
{
    const std::optional<Full> iinf = full(Boxes(meta).next("iinf"));
    if (!iinf)
        return false;
    Boxes entries(iinf->body.sliced(std::min<qsizetype>(iinf->body.size(), iinf->version == 0 ? 2 : 4)));
    while (const std::optional<Full> infe = full(entries.next("infe"))) {
        if (infe->version < 2)
            continue;
        const bool wide = infe->version >= 3;
        const qsizetype typeAt = (wide ? 4 : 2) + 2; // after the ID and the protection index
        if (itemId(infe->body, 0, wide) == id && typeAt + 4 <= infe->body.size())
            return infe->body.sliced(typeAt, 4) == "grid";
    }
    return false;
}

// How many items item id references as its derived picture's tiles; 0 when none.
int dimgCount(QByteArrayView meta, quint32 id)
{
    const std::optional<Full> iref = full(Boxes(meta).next("iref"));
    if (!iref)
        return 0;
    const bool wide = iref->version != 0;
    Boxes references(iref->body);
    while (const std::optional<QByteArrayView> dimg = references.next("dimg")) {
        const qsizetype countAt = wide ? 4 : 2;
        if (itemId(*dimg, 0, wide) == id && countAt + 2 <= dimg->size())
            return be16(*dimg, countAt);
    }
    return 0;
}

} // namespace

int PrimaryTiles(QByteArrayView file)
{
    const std::optional<Full> meta = full(Boxes(file).next("meta"));
    if (!meta)
        return 1;
    const std::optional<Full> pitm = full(Boxes(meta->body).next("pitm"));
    if (!pitm)
        return 1;
    const std::optional<quint32> primary = itemId(pitm->body, 0, pitm->version != 0);
    if (!primary || !isGrid(meta->body, *primary))
        return 1;
    return std::max(1, dimgCount(meta->body, *primary));
}

} // namespace platform::heif
