// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Camera-like photos for the benchmarks: 24-megapixel JPEGs (6000 x 4000, quality 85), gradients
// under random shapes and noise, about 4 MB each, so that their compressed data costs what a real
// photo's costs to read. A second kind is written as phones write them: 4:3 (5664 x 4248), with
// an EXIF block holding the orientation (every other one held upright: 6) and a 160 x 120
// thumbnail.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QThread>

#include "tests/support/ExifJpeg.h"
#include "tests/support/ModernPictures.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace bench {

inline constexpr QSize PhotoSize(6000, 4000);
inline constexpr QSize CameraSize(5664, 4248);
inline constexpr QSize CameraThumbnailSize(160, 120);
inline constexpr int PhotoQuality = 85;
inline constexpr int NoiseAmplitude = 12;

// The folder of the photos: DIR of --keep DIR among the program's arguments, made if need be,
// or the temporary folder.
inline QString PhotoFolder(const QStringList &arguments, const QString &temporary)
{
    const int keep = arguments.indexOf(QStringLiteral("--keep"));
    const QString folder = keep > 0 && keep + 1 < arguments.size() ? arguments[keep + 1] : temporary;
    QDir().mkpath(folder);
    return folder;
}

inline double Milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A photo-like picture: a gradient, 60 random shapes, and noise over all of it.
inline QImage Photo(quint32 seed, QSize size = PhotoSize)
{
    const int PhotoWidth = size.width(), PhotoHeight = size.height();
    QImage image(size, QImage::Format_RGB32);
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

// Plain and Camera as above; then a phone's 12 megapixels (4032 x 3024) in each of today's
// formats, and as a JPEG of the same pixels to compare them with. The HEIC ones are coded in
// tiles of 512 pixels and carry a thumbnail, as phones store them; those of today's phones, of 24
// megapixels (5712 x 4284) and 48 (8000 x 6000), are also turned by the file and its EXIF block
// (every other one held upright: 6), as their camera stores them.
enum class PhotoKind { Plain, Camera, PhoneJpeg, PhonePng, PhoneWebp, PhoneHeic, Heic24, Heic48 };
inline constexpr QSize PhoneSize(4032, 3024);
inline constexpr QSize Heic24Size(5712, 4284);
inline constexpr QSize Heic48Size(8000, 6000);

inline QSize PhotoSizeOf(PhotoKind kind)
{
    switch (kind) {
    case PhotoKind::Plain: return PhotoSize;
    case PhotoKind::Camera: return CameraSize;
    case PhotoKind::Heic24: return Heic24Size;
    case PhotoKind::Heic48: return Heic48Size;
    default: return PhoneSize;
    }
}

inline QString PhotoName(int k, PhotoKind kind = PhotoKind::Plain)
{
    const char *names[] = {"photo%1.jpg", "camera%1.jpg", "jpeg%1.jpg",      "png%1.png",
                           "webp%1.webp", "heic%1.heic",  "heic24-%1.heic", "heic48-%1.heic"};
    return QString::fromLatin1(names[int(kind)]).arg(k, 3, 10, QLatin1Char('0'));
}

// The bytes of photo k of a kind.
inline QByteArray PhotoFile(int k, PhotoKind kind)
{
    if (kind == PhotoKind::Plain)
        return exifjpeg::Encode(Photo(quint32(k) + 1), PhotoQuality);
    if (kind != PhotoKind::Camera) {
        const QImage photo = Photo(quint32(k) + 2001, PhotoSizeOf(kind));
        switch (kind) {
        case PhotoKind::PhonePng: return modernpictures::Png(photo);
        case PhotoKind::PhoneWebp: return modernpictures::Webp(photo, PhotoQuality);
        case PhotoKind::PhoneHeic:
            return modernpictures::HeifGrid(photo, {.quality = 60, .thumbnailSide = 320, .fast = true});
        case PhotoKind::Heic24:
        case PhotoKind::Heic48:
            return modernpictures::HeifGrid(photo, {.quality = 50, .orientation = k % 2 ? 6 : 1,
                                                    .exifOrientation = true, .thumbnailSide = 320, .fast = true});
        default: return exifjpeg::Encode(photo, PhotoQuality);
        }
    }
    const QImage photo = Photo(quint32(k) + 1001, CameraSize);
    const QImage thumbnail = photo.scaled(CameraThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return exifjpeg::WithExif(exifjpeg::Encode(photo, PhotoQuality), k % 2 ? 6 : 1, exifjpeg::Encode(thumbnail, 90));
}

// count photos of a kind in folder (photo000.jpg or camera000.jpg, ...), generated on every core
// where they are missing; their names. Photos made by one benchmark are reused by the others
// given the same folder.
inline QStringList MakePhotos(const QString &folder, int count, PhotoKind kind = PhotoKind::Plain)
{
    QStringList names;
    std::vector<int> missing;
    for (int k = 0; k < count; ++k) {
        names << PhotoName(k, kind);
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
                    const QString path = folder + QLatin1Char('/') + PhotoName(k, kind);
                    QFile part(path + QStringLiteral(".part"));
                    const QByteArray bytes = PhotoFile(k, kind);
                    if (part.open(QIODevice::WriteOnly) && part.write(bytes) == bytes.size()) {
                        part.close();
                        QFile::rename(part.fileName(), path);
                    }
                }
            });
        }
    });
    const QSize size = PhotoSizeOf(kind);
    std::printf("generated %zu photos of %dx%d%s%s in %.1f s\n", missing.size(), size.width(), size.height(),
                kind == PhotoKind::Heic24 || kind == PhotoKind::Heic48 ? "" : qPrintable(QStringLiteral(" at quality %1").arg(PhotoQuality)),
                kind == PhotoKind::Camera ? " with EXIF thumbnails" : "", ms / 1000);
    return names;
}

} // namespace bench
