// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Little-endian reads at an offset of a file's bytes, for the parsers of picture files. The
// callers have checked that the bytes are there.

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

} // namespace platform::bytes
