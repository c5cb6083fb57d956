// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the gallery fills and pages on a folder of camera photos, against decoding every file
// in full on every page and against libjpeg's own tool; and how fast the scan is on a folder of
// 32,000 small files.
//
//   bench_gallery [--keep DIR] [--formats]
//
// Two sets of 200 generated 24-megapixel JPEGs (see Photos.h): plain ones (6000 x 4000, no EXIF)
// and camera ones (5664 x 4248, with an EXIF block: orientation and a 160 x 120 thumbnail). They
// are generated with both cores into a temporary folder, or into DIR and reused from there on the
// next run. They stay in the system's file cache, so the figures are for decoding, not for a slow
// disk. The desktop's shared thumbnail cache is a temporary folder of the benchmark's own, empty
// wherever a run says "cold". Last, or alone with --formats: pages of a phone's photos in today's
// formats (moreFormats: PNG, WebP, HEIC) against JPEGs of the same pixels.

#include "bench/BenchSupport.h"
#include "bench/Photos.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/Picture.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFormats.h"
#include "tests/support/PictureFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr int PhotoCount = 200;
constexpr int PagesForward = 10;
constexpr int SmallFileCount = 32000;
constexpr int LookAtPageMs = 1000; // how long a user looks at a page before paging on

// The desktop's shared thumbnail cache: a new empty one, or the one in use kept.
std::unique_ptr<QTemporaryDir> sharedCache;
void EmptySharedCache()
{
    sharedCache = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CACHE_HOME", sharedCache->path().toUtf8());
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 FolderBytes(const QString &folder, const QStringList &names)
{
    qint64 bytes = 0;
    for (const QString &name : names)
        bytes += QFileInfo(folder + QLatin1Char('/') + name).size();
    return bytes;
}

// The values VScroll1 takes: forward page by page, then back to the start.
std::vector<int> PageValues(int pages = PagesForward)
{
    std::vector<int> values;
    for (int page = 1; page <= pages; ++page)
        values.push_back(page * images::CellCount);
    for (int page = pages - 1; page >= 0; --page)
        values.push_back(page * images::CellCount);
    return values;
}

struct Figures
{
    std::vector<double> forward, back;
    void add(bool isForward, double ms) { (isForward ? forward : back).push_back(ms); }
};

void PrintSeries(const char *label, const std::vector<double> &ms)
{
    if (ms.empty())
        return;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double value : ms)
        sum += value;
    std::printf("  %-28s mean %7.1f ms, median %7.1f, min %7.1f, max %7.1f  [", label, sum / ms.size(),
                sorted[sorted.size() / 2], sorted.front(), sorted.back());
    for (double value : ms)
        std::printf(" %.0f", value);
    std::printf(" ]\n");
}

void PrintMemory()
{
    const platform::PictureCache::Statistics cache = platform::SharedPictureCache().statistics();
    std::printf("  peak RSS %.0f MiB, RSS now %.0f MiB; picture cache %.1f of %.0f MiB in %d entries, "
                "%lld decodes\n",
                bench::StatusMiB("VmHWM"), bench::StatusMiB("VmRSS"), cache.cost / 1048576.0, cache.capacity / 1048576.0,
                cache.entries, cache.decodes);
}

// Until no cell of the page shows a stand-in any more, the cells repainted (pictures too costly
// for the page to wait for come after it is laid out).
double UntilPicturesShown(Form1 &form)
{
    const auto waiting = [&] {
        return std::any_of(form.Image1.begin(), form.Image1.end(), [](const platform::ImageControl *cell) {
            return cell->isVisible() && cell->picture().isStandIn();
        });
    };
    return bench::Milliseconds([&] {
        while (waiting()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        form.repaint();
    });
}

// The gallery itself: the scan (which lays out the first page), then the pages of PageValues(),
// each timed from the change of VScroll1 until the cells are repainted; with shownMedian, also
// until every cell shows its picture, not a stand-in (the median of the pages forward). lookMs is how long the
// user looks at each page before moving on; 0 pages on at once. With prefetchMs > 0, the
// registration window showed the folder that long before it was confirmed.
// Returns the median of the pages forward.
double BenchGallery(const char *title, Form1 &form, images::GalleryController &gallery, const QString &folder,
                    const QStringList &names, int lookMs, int prefetchMs, int pages = PagesForward,
                    double *shownMedian = nullptr)
{
    Module1::ImageDir = folder + QLatin1Char('/');
    platform::SharedPictureCache().clear();
    form.VScroll1->setValue(0);
    gallery.ScanImageFolder({}); // an empty gallery to start from
    bench::ResetPeak();
    std::printf("%s\n", title);
    if (prefetchMs > 0) {
        gallery.PrefetchFolder(names);
        QThread::msleep(prefetchMs);
    }
    const double scan = bench::Milliseconds([&] {
        gallery.ScanImageFolder(names);
        form.repaint();
    });
    std::printf("  %-28s %7.1f ms (ThumbCount %d)\n", "scan with the first page", scan, Module1::ThumbCount);
    Figures figures, shown;
    int previous = 0;
    for (const int value : PageValues(pages)) {
        if (lookMs > 0)
            QThread::msleep(lookMs);
        const double laidOut = bench::Milliseconds([&] {
            form.VScroll1->setValue(value);
            form.repaint();
        });
        figures.add(value > previous, laidOut);
        if (shownMedian)
            shown.add(value > previous, laidOut + UntilPicturesShown(form));
        previous = value;
    }
    PrintSeries("page forward", figures.forward);
    PrintSeries("page back", figures.back);
    if (shownMedian) {
        PrintSeries("page forward, all shown", shown.forward);
        *shownMedian = Median(shown.forward);
    }
    PrintMemory();
    return Median(figures.forward);
}

// libjpeg's own tool on the files of the same pages forward: "djpeg -scale 1/8", two processes at
// a time (one a core), each page timed until its last file is decoded. The limit of decoding.
// Returns the median page; 0 without djpeg.
double BenchDjpeg(const QString &folder, const QStringList &names)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    std::printf("djpeg -scale 1/8, two at a time, the same pages forward:\n");
    if (djpeg.isEmpty()) {
        std::printf("  djpeg not found (Debian's libjpeg-turbo-progs)\n");
        return 0;
    }
    const auto decodePage = [&](int first) {
        std::atomic<int> next = first;
        const auto runner = [&] {
            for (int k = next++; k < first + images::CellCount; k = next++) {
                QProcess process;
                process.start(djpeg, {QStringLiteral("-scale"), QStringLiteral("1/8"), QStringLiteral("-outfile"),
                                      QStringLiteral("/dev/null"), folder + QLatin1Char('/') + names[k]});
                process.waitForFinished(-1);
            }
        };
        std::jthread second(runner);
        runner();
    };
    Figures figures;
    for (int page = 1; page <= PagesForward; ++page)
        figures.add(true, bench::Milliseconds([&] { decodePage(page * images::CellCount); }));
    PrintSeries("page forward", figures.forward);
    return Median(figures.forward);
}

// Decoding the same pages file by file on the GUI thread, with no cache.
void BenchPlain(const char *title, const QString &folder, const QStringList &names, const QSize &bound)
{
    bench::ResetPeak();
    std::printf("%s\n", title);
    const auto page = [&](int first) {
        return bench::Milliseconds([&] {
            for (int i = 0; i < images::CellCount; ++i)
                platform::LoadPicture(folder + QLatin1Char('/') + names[first + i], bound);
        });
    };
    std::printf("  %-28s %7.1f ms\n", "first page", page(0));
    Figures figures;
    int previous = 0;
    for (const int value : PageValues()) {
        figures.add(value > previous, page(value));
        previous = value;
    }
    PrintSeries("page forward", figures.forward);
    PrintSeries("page back", figures.back);
    std::printf("  peak RSS %.0f MiB\n", bench::StatusMiB("VmHWM"));
}

void BenchSmallFiles(Form1 &form, images::GalleryController &gallery)
{
    QTemporaryDir dir;
    // The smallest BMP: 1 x 1 black pixel, 24 bits.
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::black);
    const QByteArray bmp = picturefiles::Bmp24(pixel);
    const double made = bench::Milliseconds([&] {
        for (int k = 0; k < SmallFileCount; ++k) {
            QFile file(dir.filePath(QStringLiteral("p%1.bmp").arg(k, 5, 10, QLatin1Char('0'))));
            if (file.open(QIODevice::WriteOnly))
                file.write(bmp);
        }
    });
    QStringList names;
    const double listed = bench::Milliseconds([&] {
        names = QDir(dir.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    });
    std::printf("\n%d small files (%d bytes each), made in %.0f ms; listing them took %.1f ms "
                "(the registration window's work, not the scan's)\n",
                int(names.size()), int(bmp.size()), made, listed);

    platform::SharedPictureCache().clear();
    form.VScroll1->setValue(0);
    Module1::ImageDir = dir.path() + QLatin1Char('/');
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        form.VScroll1->setValue(0);
        platform::SharedPictureCache().clear();
        best = std::min(best, bench::Milliseconds([&] {
            gallery.ScanImageFolder(names);
            form.repaint();
        }));
    }
    std::printf("  %-28s %7.1f ms (best of 3; VScroll1 maximum %d, ThumbCount %d)\n",
                "scan with the first page", best, form.VScroll1->maximum(), Module1::ThumbCount);
    const double last = bench::Milliseconds([&] {
        form.VScroll1->setValue(form.VScroll1->maximum());
        form.repaint();
    });
    std::printf("  %-28s %7.1f ms\n", "page change to the last page", last);
}

// Pages of a phone's 12-megapixel photos in each of today's formats (moreFormats), cold, against
// JPEGs of the same pixels; the median page forward of two rounds each.
void BenchPhoneFormats(Form1 &form, images::GalleryController &gallery, const QString &folder)
{
    constexpr int Count = 40; // four pages
    constexpr int Pages = 3;
    platform::formats::SetMoreFormats(true);
    const std::pair<bench::PhotoKind, const char *> kinds[] = {{bench::PhotoKind::PhoneJpeg, "JPEG"},
                                                               {bench::PhotoKind::PhonePng, "PNG"},
                                                               {bench::PhotoKind::PhoneWebp, "WebP"},
                                                               {bench::PhotoKind::PhoneHeic, "HEIC with its thumbnail"}};
    std::vector<std::pair<const char *, double>> medians, shownMedians;
    for (const auto &[kind, label] : kinds) {
        const QString kindFolder = folder + QStringLiteral("/phone-") + QString::fromLatin1(label).section(' ', 0, 0);
        QDir().mkpath(kindFolder);
        const QStringList names = bench::MakePhotos(kindFolder, Count, kind);
        std::printf("%d %s photos of %dx%d, %.2f MB each on average\n", Count, label, bench::PhoneSize.width(),
                    bench::PhoneSize.height(), FolderBytes(kindFolder, names) / 1e6 / Count);
        std::vector<double> rounds, shownRounds;
        for (int round = 0; round < 2; ++round) {
            EmptySharedCache();
            double shown = 0;
            rounds.push_back(BenchGallery(qPrintable(QStringLiteral("%1, cold, paging on at once:").arg(label)), form,
                                          gallery, kindFolder, names, 0, 0, Pages, &shown));
            shownRounds.push_back(shown);
        }
        medians.emplace_back(label, Median(rounds));
        shownMedians.emplace_back(label, Median(shownRounds));
    }
    std::printf("\nmedian page forward of 12-megapixel photos, nothing decoded ahead (goal: within 10 %% of JPEG):\n");
    for (const auto &[label, ms] : medians)
        std::printf("  %-28s %7.1f ms, %+.0f %% against JPEG\n", label, ms, (ms / medians.front().second - 1) * 100);
    std::printf("the same pages until every cell shows its picture, not a stand-in:\n");
    for (const auto &[label, ms] : shownMedians)
        std::printf("  %-28s %7.1f ms, %+.0f %% against JPEG\n", label, ms,
                    (ms / shownMedians.front().second - 1) * 100);
    std::printf("\n");
    platform::formats::SetMoreFormats(false);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    // --formats: only the pages of today's formats (moreFormats).
    const bool formatsOnly = arguments.contains(QStringLiteral("--formats"));
    QTemporaryDir temporary;
    const QString folder = bench::PhotoFolder(arguments, temporary.path());

    EmptySharedCache();
    if (formatsOnly) {
        Form1 form;
        images::GalleryController gallery(form);
        form.show();
        form.VScroll1->show();
        BenchPhoneFormats(form, gallery, folder);
        return 0;
    }
    const QStringList names = bench::MakePhotos(folder, PhotoCount);
    const qint64 bytes = FolderBytes(folder, names);
    std::printf("%d photos, %.2f MB each on average, %d worker threads\n", PhotoCount,
                bytes / 1e6 / PhotoCount, QThread::idealThreadCount());

    const QString cameraFolder = folder + QStringLiteral("/camera");
    QDir().mkpath(cameraFolder);
    const QStringList cameraNames = bench::MakePhotos(cameraFolder, PhotoCount, bench::PhotoKind::Camera);
    std::printf("%d camera photos, %.2f MB each on average\n", PhotoCount,
                FolderBytes(cameraFolder, cameraNames) / 1e6 / PhotoCount);

    Form1 form;
    images::GalleryController gallery(form);
    form.show();
    form.VScroll1->show(); // step 2, where the gallery is seen
    const QSize bound = images::ThumbnailBound(form);
    form.repaint();
    std::printf("thumbnail bound %dx%d pixels, picture cache capacity %.0f MiB, resident with the "
                "main window shown %.0f MiB\n\n",
                bound.width(), bound.height(), platform::SharedPictureCacheBytes / 1048576.0,
                bench::StatusMiB("VmRSS"));

    // Pages that nothing has decoded ahead: paging on at once. The plain photos and djpeg take
    // turns, three rounds, so that both see the same load of the machine.
    constexpr int Rounds = 3;
    std::vector<double> plainCold, djpeg;
    for (int round = 1; round <= Rounds; ++round) {
        EmptySharedCache();
        std::printf("round %d of %d: ", round, Rounds);
        plainCold.push_back(BenchGallery("plain photos, cold (empty shared thumbnail cache), paging on at once:",
                                         form, gallery, folder, names, 0, 0));
        djpeg.push_back(BenchDjpeg(folder, names));
    }
    const double fromCache = BenchGallery("plain photos again, from the shared thumbnail cache the last round wrote:",
                                          form, gallery, folder, names, 0, 0);
    EmptySharedCache();
    const double camera = BenchGallery("camera photos with EXIF thumbnails, cold, paging on at once:", form,
                                       gallery, cameraFolder, cameraNames, 0, 0);
    const double plain = Median(plainCold), limit = Median(djpeg);
    std::printf("\nmedian page forward, nothing decoded ahead:\n"
                "  camera photos, EXIF thumbnails  %6.1f ms (goal < 50)\n"
                "  plain photos, shared cache      %6.1f ms (goal < 30)\n"
                "  plain photos, cold              %6.1f ms, %+.1f %% against djpeg -scale 1/8 at %.1f ms "
                "(goal: within 5 %%; medians of the rounds' medians)\n\n",
                camera, fromCache, plain, limit > 0 ? (plain / limit - 1) * 100 : 0.0, limit);

    EmptySharedCache();
    BenchGallery("plain photos, cold, looking at each page for 1 s:", form, gallery, folder, names, LookAtPageMs, 0);
    EmptySharedCache();
    BenchGallery("plain photos, cold, folder shown 1.5 s in the registration window before the scan:", form,
                 gallery, folder, names, LookAtPageMs, 1500);
    BenchPlain("plain: LoadPicture without a bound, no cache, one file after another:", folder,
               names, QSize());
    BenchPlain("for comparison: LoadPicture at the thumbnail bound, no cache, no workers:", folder,
               names, bound);

    BenchSmallFiles(form, gallery);
    std::printf("\n");
    BenchPhoneFormats(form, gallery, folder);
    return 0;
}
