// SPDX-License-Identifier: GPL-3.0-or-later
// The file a poster is kept in between runs, as the program reads it at start (its images only
// placed), as the shelf reads it (its small picture decoded) and when the poster is taken up (its
// images decoded). The hash of the elements is made
// to match first, so that changed elements reach the reader instead of stopping at the hash.

#include "fuzz/FuzzSupport.h"
#include "posterfile/PosterFile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QtEndian>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.size() >= 48) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + 12);
        if (length <= quint32(bytes.size() - 48))
            bytes.replace(16, 32, QCryptographicHash::hash(bytes.mid(48, qsizetype(length)), QCryptographicHash::Sha256));
    }
    posterfile::Poster poster;
    const bool placed = posterfile::Decode(bytes, poster, posterfile::Images::Skip);
    const bool shelved = posterfile::Decode(bytes, poster, posterfile::Images::Thumbnail);
    const bool decoded = posterfile::Decode(bytes, poster, posterfile::Images::Decode);
    // Whatever decodes whole also passes the first look, and the shelf's.
    if ((decoded && !(placed && shelved)) || (shelved && !placed))
        __builtin_trap();
    return 0;
}
