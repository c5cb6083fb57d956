#pragma once

// Camera-like photos for the benchmarks: 24-megapixel JPEGs (6000 x 4000, quality 85), gradients
// under random shapes and noise, about 4 MB each, so that their compressed data costs what a real
// photo's costs to read.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace bench {

inline constexpr int PhotoWidth = 6000;
inline constexpr int PhotoHeight = 4000;
inline constexpr int PhotoQuality = 85;
inline constexpr int NoiseAmplitude = 12;

inline double Milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A photo-like picture: a gradient, 60 random shapes, and noise over all of it.
inline QImage Photo(quint32 seed)
{
    QImage image(PhotoWidth, PhotoHeight, QImage::Format_RGB32);
    quint32 state = seed * 2654435761u + 1; // xorshift32
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int y = 0; y < PhotoHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < PhotoWidth; ++x)
            line[x] = qRgb(x * 255 / PhotoWidth, y * 255 / PhotoHeight,
                           (x + y) * 255 / (PhotoWidth + PhotoHeight));
    }
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int shape = 0; shape < 60; ++shape) {
            painter.setBrush(QColor::fromRgb(next() & 0xFFFFFF));
            const int width = 200 + int(next() % 1500);
            const int height = 200 + int(next() % 1500);
            const QRect box(int(next() % PhotoWidth) - width / 2, int(next() % PhotoHeight) - height / 2,
                            width, height);
            if (shape % 2)
                painter.drawEllipse(box);
            else
                painter.drawRect(box);
        }
    }
    for (int y = 0; y < PhotoHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < PhotoWidth; ++x) {
            const quint32 noise = next();
            const auto channel = [noise](int value, int shift) {
                const int offset = int((noise >> shift) % (2 * NoiseAmplitude + 1)) - NoiseAmplitude;
                return std::clamp(value + offset, 0, 255);
            };
            line[x] = qRgb(channel(qRed(line[x]), 0), channel(qGreen(line[x]), 8),
                           channel(qBlue(line[x]), 16));
        }
    }
    return image;
}

inline QString PhotoName(int k)
{
    return QStringLiteral("photo%1.jpg").arg(k, 3, 10, QLatin1Char('0'));
}

// count photos in folder (photo000.jpg, ...), generated on every core where they are missing;
// their names. Photos made by one benchmark are reused by the others given the same folder.
inline QStringList MakePhotos(const QString &folder, int count)
{
    QStringList names;
    std::vector<int> missing;
    for (int k = 0; k < count; ++k) {
        names << PhotoName(k);
        if (!QFileInfo::exists(folder + QLatin1Char('/') + names.last()))
            missing.push_back(k);
    }
    if (missing.empty()) {
        std::printf("reusing %d photos in %s\n", count, qPrintable(folder));
        return names;
    }
    const double ms = Milliseconds([&] {
        const int threads = std::max(1, QThread::idealThreadCount());
        std::vector<std::jthread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                for (std::size_t i = t; i < missing.size(); i += threads) {
                    const int k = missing[i];
                    // Written under another name first, so that a run broken off leaves no
                    // half-written photo to be reused.
                    const QString path = folder + QLatin1Char('/') + PhotoName(k);
                    if (Photo(quint32(k) + 1).save(path + QStringLiteral(".part"), "JPEG", PhotoQuality))
                        QFile::rename(path + QStringLiteral(".part"), path);
                }
            });
        }
    });
    std::printf("generated %zu photos of %dx%d at quality %d in %.1f s\n", missing.size(), PhotoWidth,
                PhotoHeight, PhotoQuality, ms / 1000);
    return names;
}

} // namespace bench
