// SPDX-License-Identifier: GPL-3.0-or-later
// The whole picture loader, every format (today's too: PNG, WebP, HEIF), from the bytes of a
// file: loaded with and without a thumbnail bound, and twice as a gallery cell (the second time from the shared thumbnail the
// first wrote, if any), then drawn stretched.

#include "fuzz/FuzzSupport.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace {
QString scratchFile()
{
    static QTemporaryDir dir(QStringLiteral("/dev/shm/tovimaru-fuzz-XXXXXX"));
    return dir.filePath(QStringLiteral("input"));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing::StartApplication();
    platform::formats::SetMoreFormats(true);
    static QTemporaryDir cache(QStringLiteral("/dev/shm/tovimaru-fuzz-cache-XXXXXX"));
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = scratchFile();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    using platform::Use;
    const std::pair<QSize, Use> loads[] = {{QSize(119, 89), Use::Full}, {QSize(), Use::Full},
                                           {QSize(119, 89), Use::Thumbnail}, {QSize(119, 89), Use::Thumbnail}};
    for (const auto &[bound, use] : loads) {
        const platform::Picture picture = platform::LoadPicture(path, bound, use);
        QImage target(64, 48, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        picture.drawStretched(painter, QRectF(0, 0, 64, 48));
        painter.end();
    }
    return 0;
}
