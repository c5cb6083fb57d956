// SPDX-License-Identifier: GPL-3.0-or-later
// The metafile player from raw bytes, with or without the placeable header: parsed, then played
// at two sizes (a thumbnail, and larger than the picture's frame).

#include "fuzz/FuzzSupport.h"
#include "wmf/WmfPlayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto metafile = platform::wmf::Metafile::parse(
            QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!metafile)
        return 0;
    metafile->render(QSize(48, 36));
    metafile->render(QSize(160, 120), 2.0);
    return 0;
}
