// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads at an offset of a file's bytes, for the parsers of picture files: little-endian, and
// big-endian for the formats that store their numbers so. The callers have checked that the
// bytes are there.

#include <QByteArrayView>
#include <QtEndian>

namespace platform::bytes {

inline quint16 u16At(QByteArrayView b, qsizetype offset)
{
    return qFromLittleEndian<quint16>(b.data() + offset);
}
inline qint16 s16At(QByteArrayView b, qsizetype offset)
{
    return qFromLittleEndian<qint16>(b.data() + offset);
}
inline quint32 u32At(QByteArrayView b, qsizetype offset)
{
    return qFromLittleEndian<quint32>(b.data() + offset);
}
inline qint32 s32At(QByteArrayView b, qsizetype offset)
{
    return qFromLittleEndian<qint32>(b.data() + offset);
}

inline quint16 be16At(QByteArrayView b, qsizetype offset)
{
    return qFromBigEndian<quint16>(b.data() + offset);
}
inline quint32 be32At(QByteArrayView b, qsizetype offset)
{
    return qFromBigEndian<quint32>(b.data() + offset);
}
// A big-endian number of count bytes (0 to 8; none gives 0).
inline quint64 beAt(QByteArrayView b, qsizetype offset, int count)
{
    quint64 value = 0;
    for (int k = 0; k < count; ++k)
        value = value << 8 | quint8(b[offset + k]);
    return value;
}

} // namespace platform::bytes
