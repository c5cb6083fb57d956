// SPDX-License-Identifier: GPL-3.0-or-later
// HEIF containers (HEIC, AVIF) from the bytes of a file, as the loader reads them: its own walk of
// the boxes for the primary picture's tiles, then libheif's primary picture header, the thumbnail a
// gallery cell would take, and the whole picture, which is only decoded when its size passed the
// loader's checks.

#include "fuzz/FuzzSupport.h"
#include "pictures/HeifBoxes.h"
#include "pictures/HeifDecode.h"
#include "pictures/PictureFormats.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing::StartApplication();
    platform::formats::SetMoreFormats(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // The loader's own walk of the boxes, which runs on files libheif would refuse as well.
    platform::heif::PrimaryStreams(bytes);
    platform::heif::HeifFile file(bytes);
    if (!file.isValid())
        return 0;
    file.thumbnail(QSize(1, 1));
    file.decode();
    return 0;
}
