// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PaletteReduce.h"

#include <algorithm>
#include <array>
#include <vector>

namespace platform {

QImage ReducePalettePicture(const QImage &source, const QSize &size)
{
    QImage reduced(size, QImage::Format_ARGB32_Premultiplied);
    if (reduced.isNull() || source.width() < size.width() || source.height() < size.height())
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    constexpr int MaxSamples = 8; // per side of a box
    const int W = source.width(), H = source.height(), w = size.width(), h = size.height();
    QList<QRgb> palette = source.colorTable();
    palette.resize(256, qRgb(0, 0, 0)); // indexes past the table are black
    std::array<QRgb, 256> premultiplied;
    for (int i = 0; i < 256; ++i)
        premultiplied[i] = qPremultiply(palette[i]);
    const bool indexed8 = source.format() == QImage::Format_Indexed8;
    const bool lsb = source.format() == QImage::Format_MonoLSB;
    const auto indexAt = [&](const uchar *line, int x) {
        return indexed8 ? line[x] : lsb ? (line[x >> 3] >> (x & 7)) & 1 : (line[x >> 3] >> (7 - (x & 7))) & 1;
    };
    // The source columns each result column samples.
    std::vector<std::vector<int>> columns(w);
    for (int x = 0; x < w; ++x) {
        const int first = int(qint64(x) * W / w), last = int(qint64(x + 1) * W / w); // [first, last)
        const int n = std::min(MaxSamples, last - first);
        for (int k = 0; k < n; ++k)
            columns[x].push_back(first + int(qint64(last - first) * (2 * k + 1) / (2 * n)));
    }
    for (int y = 0; y < h; ++y) {
        const int first = int(qint64(y) * H / h), last = int(qint64(y + 1) * H / h);
        const int rows = std::min(MaxSamples, last - first);
        auto *out = reinterpret_cast<QRgb *>(reduced.scanLine(y));
        for (int x = 0; x < w; ++x) {
            quint32 r = 0, g = 0, b = 0, a = 0;
            for (int k = 0; k < rows; ++k) {
                const uchar *line = source.constScanLine(first + int(qint64(last - first) * (2 * k + 1) / (2 * rows)));
                for (const int sx : columns[x]) {
                    const QRgb pixel = premultiplied[indexAt(line, sx)];
                    r += qRed(pixel);
                    g += qGreen(pixel);
                    b += qBlue(pixel);
                    a += qAlpha(pixel);
                }
            }
            const quint32 count = quint32(rows) * quint32(columns[x].size());
            out[x] = qRgba(int((r + count / 2) / count), int((g + count / 2) / count), int((b + count / 2) / count),
                           int((a + count / 2) / count));
        }
    }
    return reduced;
}

} // namespace platform
