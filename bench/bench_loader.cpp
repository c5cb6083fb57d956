// SPDX-License-Identifier: GPL-3.0-or-later
// What one picture file can cost the loader: every file of the shared corpus (when it is beside
// the checkout) and files made to be costly, each loaded at the gallery's thumbnail bound and at
// the capture's, with the time and the peak resident memory above the program's base.
// Goals: under 300 ms and 256 MiB for a thumbnail, under 1 s for the capture bound. The thumbnail
// is loaded as a gallery cell loads it, where a picture too costly for a page to wait for stands
// in (pictures/DecodeCost.h): its decode off the page's way is shown apart ("slow"), with what
// the loader predicted it to cost.
// Today's formats (moreFormats) are taken too, with the costliest files of theirs the loader
// accepts here (the program decodes them in its helpers, DecoderPool.h; this measures the loader
// itself): 25-megapixel photos, in PNG, WebP, HEIC
// and AVIF (made at first, which takes a minute or two), of 8 bits a sample and of more; and HEIC
// photos stored as phones store them, a grid of 512 x 512 tiles (which libheif decodes on
// threads of its own), beside the picture of the same size coded whole.

#include "tests/TestPaths.h"
#include "BenchSupport.h"
#include "Photos.h"
#include "pictures/DecodeCost.h"
#include "pictures/HeifDecode.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"
#include "tests/support/CostlyPictures.h"
#include "tests/support/ModernPictures.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>

namespace {

struct Cost
{
    double milliseconds = 0;
    double peakMiB = 0;
    double cpuMilliseconds = 0; // of every thread: on a busy machine the truer figure
    bool standIn = false;
};

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Cost Measure(const QString &path, const QSize &bound, double baseMiB, platform::Use use = platform::Use::Full)
{
    bench::ResetPeak();
    QElapsedTimer timer;
    timer.start();
    const double cpu = ProcessCpuMilliseconds();
    const platform::Picture picture = platform::LoadPicture(path, bound, use);
    Cost cost{timer.nsecsElapsed() / 1e6, bench::StatusMiB("VmHWM") - baseMiB, ProcessCpuMilliseconds() - cpu,
              picture.isStandIn()};
    return cost;
}

// What the loader predicts decoding the file whole costs, refused or not; 0 for the formats with
// a reduced decode.
double PredictedMilliseconds(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    using platform::formats::Format;
    const Format format = platform::formats::sniffFormat(bytes);
    if (format == Format::Heif)
        return platform::heif::HeifFile(bytes).predictedMilliseconds();
    const std::optional<QSize> size = platform::formats::headerSize(format, bytes);
    return size ? platform::formats::PredictedDecodeMilliseconds(format, *size, bytes.size()) : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "qt.gui.imageio*.warning=false");
    QTemporaryDir cache; // the desktop's shared thumbnails, cold
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    QStringList files;
    const auto make = [&](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            files << file.fileName();
    };
    make("progressive-16384x16384.jpg", testing::progressiveJpegClaiming(16384, 16384));
    make("progressive-16384x4096-3010-scans.jpg",
         testing::jpegWithScans(testing::progressiveJpegClaiming(16384, 4096), 3010));
    make("progressive-9000x9000-90-scans.jpg", testing::jpegWithScans(testing::progressiveJpegClaiming(9000, 9000), 90));
    make("rle8-8192x8192.bmp", testing::bmpFile(8192, 8192, 8, 1, QByteArray("\x00\x01", 2)));
    platform::formats::SetMoreFormats(true);
    {
        const QSize largest(5000, 5000);
        const QImage photo = bench::Photo(7, largest);
        QImage flat(largest, QImage::Format_RGB32);
        flat.fill(Qt::white);
        make("png-5000x5000-photo.png", modernpictures::Png(photo));
        make("png-5000x5000-flat.png", modernpictures::Png(flat));
        make("webp-5000x5000-photo.webp", modernpictures::Webp(photo, 85));
        // The finest quality at this size (refused while the loader held a decode to 0.9 s, kept
        // under its name), a phone's; and a smaller picture at the finest quality.
        using modernpictures::HeifCodec;
        make("heic-5000x5000-photo-q90-refused.heic", modernpictures::Heif(photo, {.quality = 90, .fast = true}));
        make("heic-5000x5000-photo-q30.heic", modernpictures::Heif(photo, {.quality = 30, .fast = true}));
        const QImage smaller = photo.copy(0, 0, 4000, 3000);
        make("heic-4000x3000-photo-q60.heic", modernpictures::Heif(smaller, {.quality = 60, .fast = true}));
        make("heic-4000x3000-photo-q100.heic", modernpictures::Heif(smaller, {.quality = 100, .fast = true}));
        // Near the edge of what the loader takes: a phone's quality, coded whole.
        make("heic-4000x3000-photo-q35.heic", modernpictures::Heif(smaller, {.quality = 35, .fast = true}));
        make("avif-4000x3000-photo-q50.avif",
             modernpictures::Heif(smaller, {.codec = HeifCodec::Av1, .quality = 50, .fast = true}));
        // The same of more than 8 bits a sample, as phones' HDR photos and many AVIFs are (libaom
        // here asserts on an RGB picture of 10 bits, so the AVIF has 12).
        make("heic-4000x3000-photo-q35-10bit.heic",
             modernpictures::Heif(smaller, {.quality = 35, .fast = true, .bitDepth = 10}));
        make("avif-4000x3000-photo-q50-12bit.avif",
             modernpictures::Heif(smaller, {.codec = HeifCodec::Av1, .quality = 50, .fast = true, .bitDepth = 12}));
        // Phones' photos, grids of tiles: of the size above, and of a phone's 24 megapixels, whose
        // 8 MB at quality 60 the loader's bound refuses, its 4 MB at quality 50 not.
        make("heic-4000x3000-grid-q60.heic", modernpictures::HeifGrid(smaller, {.quality = 60, .fast = true}));
        const QImage phone = bench::Photo(7, QSize(5712, 4284));
        make("heic-5712x4284-grid-q60.heic", modernpictures::HeifGrid(phone, {.quality = 60, .fast = true}));
        make("heic-5712x4284-grid-q50.heic", modernpictures::HeifGrid(phone, {.quality = 50, .fast = true}));
        make("avif-5000x5000-photo-q60.avif",
             modernpictures::Heif(photo, {.codec = HeifCodec::Av1, .quality = 60, .fast = true}));
        make("avif-4000x3000-photo-q100.avif",
             modernpictures::Heif(smaller, {.codec = HeifCodec::Av1, .quality = 100, .fast = true}));
    }
    const QString corpus = qEnvironmentVariable("TOVIMARU_TESTDATA", testing::SourcePath(QStringLiteral("../shared/testdata")))
                           + QStringLiteral("/images");
    QDirIterator it(corpus, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();

    // The base: the application and Qt's image plugins loaded once.
    platform::LoadPicture(files.value(0), QSize(119, 89));
    const double base = bench::StatusMiB("VmRSS");
    std::printf("base resident memory %.0f MiB; %lld files\n", base, qlonglong(files.size()));
    std::printf("%-40s %9s %9s %9s %9s %9s %9s %9s %9s\n", "file", "thumb ms", "cpu ms", "MiB", "slow ms",
                "capture", "cpu ms", "MiB", "predicted");
    Cost worstThumb, worstSlow, worstCapture;
    QString slowestThumb, slowestCapture;
    const auto worse = [](Cost &worst, const Cost &cost, QString &name, const QString &file) {
        if (cost.milliseconds > worst.milliseconds)
            name = file;
        worst.milliseconds = std::max(worst.milliseconds, cost.milliseconds);
        worst.cpuMilliseconds = std::max(worst.cpuMilliseconds, cost.cpuMilliseconds);
        worst.peakMiB = std::max(worst.peakMiB, cost.peakMiB);
    };
    for (const QString &path : files) {
        const Cost thumb = Measure(path, QSize(119, 89), base, platform::Use::Thumbnail);
        const Cost slow = thumb.standIn ? Measure(path, QSize(119, 89), base, platform::Use::SlowThumbnail) : Cost{};
        const Cost capture = Measure(path, QSize(2828, 1996), base);
        const QString name = QFileInfo(path).fileName().left(40);
        const double predicted = PredictedMilliseconds(path);
        if (thumb.milliseconds > 50 || capture.milliseconds > 150 || thumb.peakMiB > 64 || path.startsWith(dir.path()))
            std::printf("%-40s %9.1f %9.1f %9.1f %9s %9.1f %9.1f %9.1f %9.0f\n", qPrintable(name), thumb.milliseconds,
                        thumb.cpuMilliseconds, thumb.peakMiB,
                        thumb.standIn ? qPrintable(QString::number(slow.milliseconds, 'f', 1)) : "-",
                        capture.milliseconds, capture.cpuMilliseconds, capture.peakMiB, predicted);
        QString unused;
        worse(worstThumb, thumb, slowestThumb, name);
        worse(worstSlow, slow, unused, name);
        worse(worstCapture, capture, slowestCapture, name);
    }
    std::printf("worst at the thumbnail bound: %.1f ms (%s), %.1f ms of processor time, %.1f MiB above base "
                "(goal 300 ms, 256 MiB)\n",
                worstThumb.milliseconds, qPrintable(slowestThumb), worstThumb.cpuMilliseconds, worstThumb.peakMiB);
    std::printf("worst decode of a stand-in's picture, off the page's way: %.1f ms, %.1f MiB above base\n",
                worstSlow.milliseconds, worstSlow.peakMiB);
    std::printf("worst at the capture bound: %.1f ms (%s), %.1f ms of processor time, %.1f MiB above base "
                "(goal 1000 ms)\n",
                worstCapture.milliseconds, qPrintable(slowestCapture), worstCapture.cpuMilliseconds,
                worstCapture.peakMiB);
    return 0;
}
