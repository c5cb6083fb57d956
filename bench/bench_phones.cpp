// SPDX-License-Identifier: GPL-3.0-or-later
// Today's phone photos with moreFormats, decoded by the helper processes:
//  - a gallery page of ten 24-megapixel HEICs (5712 x 4284 in 512-pixel tiles, each with its own
//    thumbnail), from the folder chosen and step 2 until every cell shows a picture that is no
//    stand-in: with the helpers still to start, and again with them running (goal: 100 ms);
//  - the ten placed, one pointer event every 10 ms, from the first press until every placed
//    picture is shown from its sharp decode (goal: 3 s on two cores), and the longest the GUI
//    thread went without running its events meanwhile (goal: 50 ms), told by a 1 ms timer;
//  - the same with ten 48-megapixel HEICs (8000 x 6000), and the resident memory then, of the
//    program and of its helpers (goal: 400 MB);
//  - one photo of each decoded at the sharp size of a placed picture and whole, by a helper and
//    in this process (goal: the helper costs under 10 % more).
// Each part runs in a process of its own, so that none starts with another's helpers or memory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_phones [--keep DIR]
//
// The photos (bench/Photos.h) are made in a temporary folder or in DIR and reused from there.

#include "app/Program.h"
#include "bench/Photos.h"
#include "bench/ProgramBench.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/DecoderPool.h"
#include "pictures/Picture.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFormats.h"
#include "pictures/SharpDecode.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

constexpr int Photos = 10;
constexpr int EventMsecs = 10; // between the pointer events of the placing

using bench::PhotoKind;
using bench::SendMouse;

// Runs the event loop until done() holds, checking it every millisecond, and tells the longest
// gap between two ticks of that timer (what the GUI thread spent away from its events), with
// script's steps run one a stepMsecs meanwhile. The milliseconds it took; -1 past timeoutMsecs.
struct Watched
{
    double msecs = -1;
    double longestGap = 0;
    double gapAt = 0;      // when the longest gap ended, from the start
    double gapWorking = 0; // of the longest gap, what the GUI thread spent on the processor
    double longestWork = 0; // the longest the GUI thread worked between two ticks
};

// The processor time of the calling thread, in milliseconds.
double ThreadMsecs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Watched RunUntil(const std::function<bool()> &done, std::vector<std::function<void()>> script = {},
                 int stepMsecs = EventMsecs, int timeoutMsecs = 120000)
{
    Watched watched;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    qint64 last = clock.nsecsElapsed();
    double lastWork = ThreadMsecs();
    std::size_t next = 0;
    qint64 nextStep = 0;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double work = ThreadMsecs();
        if ((now - last) / 1e6 > watched.longestGap) {
            watched.longestGap = (now - last) / 1e6;
            watched.gapAt = now / 1e6;
            watched.gapWorking = work - lastWork;
        }
        watched.longestWork = std::max(watched.longestWork, work - lastWork);
        last = now; // what a step takes counts in the next gap
        lastWork = work;
        if (next < script.size() && now >= nextStep) {
            script[next++]();
            nextStep = now + qint64(stepMsecs) * 1000000;
        }
        if (next == script.size() && done()) {
            watched.msecs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        } else if (clock.elapsed() > timeoutMsecs) {
            loop.quit();
        }
    });
    tick.start();
    loop.exec();
    return watched;
}

// Whether a cell or slot shows a picture of the file, not a stand-in for one still to come.
bool ShowsPicture(const platform::ImageControl &control)
{
    return control.isVisible() && !control.picture().isEmpty() && !control.picture().isStandIn();
}

// Whether a placed picture is shown from its sharp decode: no thumbnail, and no decode wanted
// or on its way.
bool ShowsSharp(const platform::ImageControl &slot)
{
    return ShowsPicture(slot) && !slot.picture().isPreview() && slot.isSettled();
}

bool AllCells(Form1 &form, bool (*shows)(const platform::ImageControl &), int count, bool placed = false)
{
    for (int k = 0; k < count; ++k) {
        if (!shows(placed ? *form.Image3[k] : *form.Image1[k]))
            return false;
    }
    return true;
}

// The pointer events that place the pictures of the gallery's cells one after another.
std::vector<std::function<void()>> PlacingEvents(Form1 &form, int count)
{
    std::vector<std::function<void()>> events;
    for (int k = 0; k < count; ++k) {
        const auto slot = [&form] { return form.Image3[Module1::FreeSlot]; };
        const QPointF grab(form.Image1[k]->width() / 2.0, form.Image1[k]->height() / 2.0);
        events.push_back([&form, k, grab] { SendMouse(form.Image1[k], QEvent::MouseMove, grab, Qt::NoButton); });
        // The pointer over the cell laid the free slot over it; the press takes that one.
        auto carried = std::make_shared<platform::ImageControl *>();
        events.push_back([slot, grab, carried] {
            *carried = slot();
            SendMouse(*carried, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        });
        const QPoint target(30 + 40 * k, 200 + 25 * k); // the slot's top-left corner, in pixels
        for (int step = 1; step <= 5; ++step) {
            events.push_back([carried, grab, target, step] {
                platform::ImageControl *held = *carried;
                const QPointF at = QPointF(held->pos()) + (QPointF(target) - QPointF(held->pos())) * step / 5.0;
                SendMouse(held, QEvent::MouseMove, grab + at - QPointF(held->pos()), Qt::LeftButton);
            });
        }
        events.push_back([carried, grab] { SendMouse(*carried, QEvent::MouseButtonRelease, grab, Qt::NoButton); });
    }
    return events;
}

// Calls visit with the process id of each process this one started (the decoding helpers), by
// whichever of its threads.
void ForEachHelper(const std::function<void(const QString &pid)> &visit)
{
    QDirIterator tasks(QStringLiteral("/proc/self/task"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        QFile children(tasks.next() + QStringLiteral("/children"));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : children.readAll().split(' ')) {
            if (!pid.trimmed().isEmpty())
                visit(QString::fromLatin1(pid.trimmed()));
        }
    }
}

// The resident memory of the helpers, in MiB, and how many there are.
std::pair<double, int> HelpersMiB()
{
    double mib = 0;
    int count = 0;
    ForEachHelper([&](const QString &pid) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                mib += line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
                ++count;
            }
        }
    });
    return {mib, count};
}

// The processor time of this process, all its threads, in milliseconds.
double ProcessMsecs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The processor time the helpers running now have taken, in milliseconds.
double HelpersMsecs()
{
    double msecs = 0;
    ForEachHelper([&](const QString &pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return;
        const QByteArray line = stat.readAll();
        // After the name in parentheses: state is field 3; utime and stime fields 14 and 15.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            msecs += (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
    });
    return msecs;
}

Form1 *StartWithMoreFormats()
{
    settings::Settings chosen;
    chosen.moreFormats = true;
    settings::SetCurrent(chosen);
    return bench::StartMainWindow();
}

// Shows the gallery of names in folder: the folder chosen, then step 2.
void ShowGallery(Form1 &form, const QString &folder, const QStringList &names)
{
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    if (!form.VScroll1->isVisible())
        form.Command11->click(); // step 2
}

// A page of ten 24-megapixel HEICs, then the ten placed until sharp.
int GalleryPart(const QString &folder, PhotoKind kind)
{
    const QStringList names = bench::MakePhotos(folder, Photos, kind);
    Form1 *form = StartWithMoreFormats();
    if (!form)
        return 1;
    const QSize size = bench::PhotoSizeOf(kind);
    std::printf("%d HEICs of %dx%d (%.0f megapixels), %d worker threads\n", Photos, size.width(), size.height(),
                size.width() * size.height() / 1e6, QThread::idealThreadCount());

    if (kind == PhotoKind::Heic24) {
        ShowGallery(*form, folder, {}); // step 2 first: its change of step is not the gallery's
        for (const char *round : {"helpers still to start", "helpers running"}) {
            platform::SharedPictureCache().clear();
            QTemporaryDir sharedThumbnails; // the desktop's, empty
            qputenv("XDG_CACHE_HOME", sharedThumbnails.path().toUtf8());
            CurrentProgram()->gallery().ScanImageFolder({});
            QCoreApplication::processEvents();
            QElapsedTimer shown;
            shown.start();
            ShowGallery(*form, folder, names);
            const double laidOut = shown.nsecsElapsed() / 1e6;
            const Watched cells = RunUntil([&] { return AllCells(*form, ShowsPicture, Photos); });
            std::printf("  page of ten, every cell showing a picture (%s): %.0f ms (laid out in %.0f ms; %d of %d "
                        "their file's own thumbnail)\n",
                        round, laidOut + cells.msecs, laidOut, int(std::count_if(form->Image1.begin(),
                        form->Image1.begin() + Photos, [](auto *cell) { return cell->picture().isPreview(); })),
                        Photos);
        }
    } else {
        ShowGallery(*form, folder, names);
        RunUntil([&] { return AllCells(*form, ShowsPicture, Photos); });
    }

    bench::ResetPeak();
    const double before = bench::StatusMiB("VmRSS");
    const double processorBefore = ProcessMsecs() + HelpersMsecs();
    const Watched placed = RunUntil([&] { return AllCells(*form, ShowsSharp, Photos, true); },
                                    PlacingEvents(*form, Photos));
    const double processor = ProcessMsecs() + HelpersMsecs() - processorBefore;
    const double placing = (8 * Photos - 1) * EventMsecs;
    std::printf("  ten placed, from the first press until all are sharp: %.0f ms (the last released at about "
                "%.0f ms); processor time of the program and its helpers meanwhile %.0f ms, %.0f ms a core of %d\n",
                placed.msecs, placing, processor, processor / std::max(1, QThread::idealThreadCount()),
                QThread::idealThreadCount());
    std::printf("  longest the GUI thread went without its events meanwhile: %.1f ms (at %.0f ms, %.1f ms of it on "
                "the processor); the longest it worked between two: %.1f ms\n",
                placed.longestGap, placed.gapAt, placed.gapWorking, placed.longestWork);
    const platform::Picture sharp = form->Image3[0]->picture();
    std::printf("  a placed picture holds %dx%d pixels for %dx%d shown\n", sharp.image().width(),
                sharp.image().height(), form->Image3[0]->width(), form->Image3[0]->height());
    // Idle for longer than a helper keeps a decode's memory for the next picture (2 s), so that
    // what is resident is what stays.
    RunUntil([] { return false; }, {}, EventMsecs, 2500);
    const auto [helpers, count] = HelpersMiB();
    std::printf("  resident with ten placed: the program %.0f MiB (%.0f before placing, peak %.0f), its %d helpers "
                "%.0f MiB\n", bench::StatusMiB("VmRSS"), before, bench::StatusMiB("VmHWM"), count, helpers);
    return 0;
}

// One photo decoded by a helper and here, for a gallery cell, at a placed picture's sharp size
// and whole; the median of three each, taken in turn, after one of each to start the helper and
// warm the caches. The time taken, and the processor time of the program and the helper.
void CompareHelper(const QString &path, const QSize &bound, platform::Use use, const char *label)
{
    struct Times
    {
        std::vector<double> wall, processor;
    } times[2];
    for (int round = 0; round < 4; ++round) {
        for (const bool helper : {true, false}) {
            platform::decoding::UseHelpers(helper);
            const double processor = ProcessMsecs() + HelpersMsecs();
            const double ms = bench::Milliseconds([&] {
                if (platform::LoadPicture(path, bound, use).isEmpty())
                    std::printf("  %s could not be decoded\n", qPrintable(path));
            });
            if (round > 0) {
                times[helper].wall.push_back(ms);
                times[helper].processor.push_back(ProcessMsecs() + HelpersMsecs() - processor);
            }
        }
    }
    const auto median = [](std::vector<double> series) {
        std::sort(series.begin(), series.end());
        return series[series.size() / 2];
    };
    const double byHelper = median(times[1].wall), here = median(times[0].wall);
    const double helperProcessor = median(times[1].processor), hereProcessor = median(times[0].processor);
    std::printf("  %-36s helper %6.0f ms, here %6.0f ms: %+5.1f %% (processor %6.0f ms against %6.0f: %+5.1f %%)\n",
                label, byHelper, here, (byHelper / here - 1) * 100, helperProcessor, hereProcessor,
                (helperProcessor / hereProcessor - 1) * 100);
}

int HelperPart(const QString &folder)
{
    platform::formats::SetMoreFormats(true);
    std::printf("a photo decoded by a helper and in this process (median of 3, taken in turn):\n");
    for (const PhotoKind kind : {PhotoKind::Heic24, PhotoKind::Heic48}) {
        const QString path = folder + QLatin1Char('/') + bench::PhotoName(0, kind);
        const QSize natural = bench::PhotoSizeOf(kind);
        const QString name = bench::PhotoName(0, kind);
        if (kind == PhotoKind::Heic24) {
            CompareHelper(path, QSize(119, 89), platform::Use::Thumbnail,
                          qPrintable(name + QStringLiteral(", its thumbnail for a cell")));
        }
        // A slot of the size a picture is placed at, 266 x 200 on the screen, at the capture's density.
        const QSize target = (QSize(266, 200) * platform::CaptureDensity).boundedTo(natural);
        CompareHelper(path, platform::CoveringDecodeBound(natural, target), platform::Use::Full,
                      qPrintable(name + QStringLiteral(" for a placed picture")));
        CompareHelper(path, QSize(), platform::Use::Full, qPrintable(name + QStringLiteral(" whole")));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTemporaryDir temporary;
    const QString folder = bench::PhotoFolder(arguments, temporary.path());
    const int part = arguments.indexOf(QStringLiteral("--part"));
    if (part > 0 && part + 1 < arguments.size()) {
        const QString which = arguments[part + 1];
        if (which == QLatin1String("heic24"))
            return GalleryPart(folder, PhotoKind::Heic24);
        if (which == QLatin1String("heic48"))
            return GalleryPart(folder, PhotoKind::Heic48);
        return HelperPart(folder);
    }
    // The photos first, on every core, then each part in a process of its own.
    bench::MakePhotos(folder, Photos, PhotoKind::Heic24);
    bench::MakePhotos(folder, Photos, PhotoKind::Heic48);
    for (const char *which : {"heic24", "heic48", "helper"}) {
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--keep"), folder, QStringLiteral("--part"), QString::fromLatin1(which)});
        child.waitForFinished(-1);
        if (child.exitCode() != 0)
            return child.exitCode();
    }
    return 0;
}
