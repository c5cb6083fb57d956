// SPDX-License-Identifier: GPL-3.0-or-later
// How long a 24-megapixel camera-sized JPEG takes to load, in full (the default decode bound) and
// for a thumbnail cell, and how much memory the process peaks at for each.
//
// The JPEG is generated: gradients under strong noise, quality 90, so that its entropy-coded
// data is as large as a real photo's and Huffman decoding costs what it costs there.

#include "bench/BenchSupport.h"
#include "pictures/Picture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int Runs = 3;

QImage noisyGradients()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    quint32 state = 2463534242u; // xorshift32
    for (int y = 0; y < Height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const auto channel = [&](int base, int shift) {
                return std::clamp(base + int((state >> shift) & 0x3F) - 32, 0, 255);
            };
            line[x] = qRgb(channel(x * 255 / Width, 0), channel(y * 255 / Height, 8),
                           channel((x + y) * 255 / (Width + Height), 16));
        }
    }
    return image;
}

void Measure(const char *label, const QString &path, const QSize &decodeBound)
{
    bench::ResetPeak();
    double best = 1e9;
    QSize decoded;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const platform::Picture picture = platform::LoadPicture(path, decodeBound);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
        decoded = picture.image().size();
    }
    std::printf("jpeg %dx%d %s: %.1f ms (decoded %dx%d, best of %d), peak RSS %.1f MiB\n", Width,
                Height, label, best, decoded.width(), decoded.height(), Runs, bench::StatusMiB("VmHWM"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noisy-6000x4000.jpg"));
    {
        QElapsedTimer timer;
        timer.start();
        if (!noisyGradients().save(path, "JPEG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("generated %s: %.1f MB in %.0f ms\n", qPrintable(QFileInfo(path).fileName()),
                    QFileInfo(path).size() / 1e6, timer.nsecsElapsed() / 1e6);
    }
    bench::ResetPeak();
    std::printf("resident before loading: %.1f MiB\n", bench::StatusMiB("VmRSS"));
    Measure("thumbnail 119x89", path, QSize(119, 89));
    Measure("full", path, QSize());
    return 0;
}
