// SPDX-License-Identifier: GPL-3.0-or-later
// The parsers of what stands in for a decode in a gallery cell. An input whose first byte is even
// is the TIFF data of a camera's EXIF block (wrapped into a JPEG's APP1 segment and read for its
// orientation and thumbnail, which is then turned upright); an odd one is a PNG offered as the
// desktop's shared thumbnail of a file.

#include "fuzz/FuzzSupport.h"
#include "pictures/Exif.h"
#include "pictures/SharedThumbnails.h"
#include "tests/support/ExifJpeg.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 0) {
        const platform::exif::Facts facts = platform::exif::ReadFacts(exifjpeg::ExifOnly(rest));
        QImage stored(3, 2, QImage::Format_RGB32);
        stored.fill(Qt::red);
        const QImage upright = platform::exif::Upright(stored, facts.orientation);
        if (upright.size() != platform::exif::Oriented(stored.size(), facts.orientation))
            __builtin_trap();
    } else {
        platform::thumbnails::FromPng(rest, "file:///photo.jpg", 1700000000, 1000, platform::thumbnails::Normal);
    }
    return 0;
}
