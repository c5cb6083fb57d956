// SPDX-License-Identifier: GPL-3.0-or-later
// The setting autosave with ten 24-megapixel photos on the poster:
//  - what a write costs the GUI thread (taking the poster; the rest is the writer's thread), and
//    a whole write until the file is in place, in step 4 with dots drawn between writes;
//  - the start of a new process with the kept poster: to the first paint with "つづきから"
//    offered, and from its click to the first paint (in step 3, with how many of the ten photos
//    on it that paint shows), and until every photo is sharp; then again with the photos' files
//    gone, the photos coming from the bytes the poster's file keeps.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_autosave [--keep DIR]
//
// The photos are those of bench_gallery (bench/Photos.h). The second process shares the first's
// data folder and desktop thumbnail cache, as the next start on the same machine does.

#include "app/Program.h"
#include "app/Resume.h"
#include "bench/Photos.h"
#include "bench/ProgramBench.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/PosterWriter.h"
#include "history/SavedPoster.h"
#include "images/Gallery.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int Photos = 10;
constexpr int Writes = 20;

void UseAutosave()
{
    settings::Settings chosen;
    chosen.autosave = true;
    settings::SetCurrent(chosen);
}

void PrintSeries(const char *what, std::vector<double> values, const char *unit)
{
    std::sort(values.begin(), values.end());
    std::printf("  %-52s median %7.3f, max %7.3f %s\n", what, values[values.size() / 2], values.back(), unit);
}

qint64 ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The first paint of the main window's client area from now on: when, the GUI thread's
// processor time then, and how many photos it shows.
class NextPaint final : public QObject
{
public:
    qint64 at = -1;
    qint64 cpuAt = -1;
    int photos = 0;
    explicit NextPaint(const QElapsedTimer &clock, Form1 *form = nullptr) : m_clock(clock), m_form(form)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("Form1.client")) {
            at = m_clock.elapsed();
            cpuAt = ThreadCpuMs();
            for (platform::ImageControl *slot : m_form ? m_form->Image3 : decltype(Form1::Image3)()) {
                if (slot && slot->isVisible() && !slot->picture().isEmpty() && !slot->picture().isStandIn())
                    ++photos;
            }
        }
        return false;
    }

private:
    const QElapsedTimer &m_clock;
    Form1 *m_form;
};

void WaitForPaint(const NextPaint &paint)
{
    QElapsedTimer limit;
    limit.start();
    while (paint.at < 0 && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int Resume(const QElapsedTimer &clock)
{
    UseAutosave();
    NextPaint started(clock);
    Form1 *form = bench::StartMainWindow();
    WaitForPaint(started);
    auto *resume = form ? form->client()->findChild<QPushButton *>(QStringLiteral("CommandResume")) : nullptr;
    if (!resume) {
        std::printf("no poster offered\n");
        return 1;
    }
    std::printf("  %-52s %7.1f ms (GUI thread's processor %lld ms)\n", "new process: start to the first paint, poster offered",
                double(started.at), static_cast<long long>(started.cpuAt));
    QElapsedTimer click;
    click.start();
    const qint64 cpuAtClick = ThreadCpuMs();
    NextPaint taken(click, form);
    resume->click();
    const qint64 returned = click.elapsed();
    WaitForPaint(taken);
    std::printf("  %-52s %7.1f ms (GUI thread's processor %lld ms; the click's handler %lld ms; %d photos shown)\n",
                "click on つづきから to the first paint", double(taken.at), static_cast<long long>(taken.cpuAt - cpuAtClick),
                static_cast<long long>(returned), taken.photos);
    int shown = 0;
    for (platform::ImageControl *slot : form->Image3) {
        if (slot->isVisible())
            ++shown;
        slot->settle();
    }
    std::printf("  %-52s %7.1f ms (%d photos shown)\n", "... until every photo is sharp", double(click.elapsed()), shown);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    if (argc >= 2 && qstrcmp(argv[1], "--resume") == 0) {
        QApplication application(argc, argv);
        return Resume(clock);
    }
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int keep = arguments.indexOf(QStringLiteral("--keep"));
    const QString folder = keep > 0 && keep + 1 < arguments.size() ? arguments[keep + 1] : home.path() + QStringLiteral("/photos");
    QDir().mkpath(folder);
    const QStringList names = bench::MakePhotos(folder, Photos);

    UseAutosave();
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    bench::DrawOnPaper(*form, 200, 45);
    form->Command11->click();
    // The ten photos on the poster, as a release leaves them.
    for (int k = 0; k < Photos; ++k) {
        platform::ImageControl &slot = *form->Image3[k];
        const QString path = Module1::ImageDir + names[k];
        slot.setPicture(images::ThumbnailPicture(path, *form), path);
        slot.setTwipsHeight(Poster::PictureSlotHeight * 2.24);
        slot.setTwipsWidth(Poster::PictureSlotWidth * 2.24);
        slot.setTwipsLeft(300 + 600 * k);
        slot.setTwipsTop(3000 + 400 * k);
        slot.setKeepSharp(true);
        slot.show();
        form->OnPoster[std::size_t(k)] = 1;
    }
    form->Command6->click();
    for (platform::ImageControl *slot : form->Image3)
        slot->settle();

    auto *keeper = CurrentProgram()->findChild<PosterKeeper *>();
    history::PosterWriter &writer = keeper->writer();
    const auto writeAndWait = [&writer] {
        const int before = writer.writes();
        writer.stepMoved();
        while (writer.writes() == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    };
    std::printf("writes of the poster in step 3, ten photos on it:\n");
    std::vector<double> gui, whole, taking;
    for (int k = 0; k < Writes; ++k)
        taking.push_back(bench::Milliseconds([&] { history::TakeSavedPoster(*form); }));
    PrintSeries("taking the poster alone", taking, "ms");
    for (int k = 0; k < Writes; ++k) {
        whole.push_back(bench::Milliseconds(writeAndWait));
        gui.push_back(double(writer.lastGuiTimeNs()) / 1e6);
    }
    PrintSeries("GUI thread per write", gui, "ms");
    PrintSeries("whole write until the file is in place", whole, "ms");

    form->Command4->click();
    std::printf("writes in step 4, a stroke of dots drawn before each:\n");
    gui.clear();
    whole.clear();
    std::vector<double> dots;
    for (int k = 0; k < Writes; ++k) {
        writer.stepMoved();
        QCoreApplication::processEvents(); // the write starts
        // The next dot, while the writer holds the surface.
        dots.push_back(bench::Milliseconds([&] { form->Picture2->drawCircle(500 + 80 * k, 4000, 60, Qt::red, Qt::red); }));
        gui.push_back(double(writer.lastGuiTimeNs()) / 1e6);
        whole.push_back(bench::Milliseconds([&] {
            const int before = writer.writes();
            while (writer.writes() == before)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        }));
    }
    PrintSeries("GUI thread per write", gui, "ms");
    PrintSeries("a dot drawn just after a write started", dots, "ms");
    PrintSeries("rest of the write until the file is in place", whole, "ms");
    form->Command16->click();
    writer.writeNow();
    std::printf("  %-52s %7.0f KiB\n", "the file", double(QFileInfo(keeper->writer().path()).size()) / 1024);

    qint64 photoBytes = 0;
    for (const QString &name : names)
        photoBytes += QFileInfo(folder + QLatin1Char('/') + name).size();
    std::printf("  %-52s %7.0f KiB\n", "the photos' own files", double(photoBytes) / 1024);

    // Then again with the photos gone (the USB stick taken out): from the bytes the file keeps.
    for (bool gone : {false, true}) {
        if (gone)
            QDir().rename(folder, folder + QStringLiteral(".gone"));
        std::printf(gone ? "the next start, the photos' files gone:\n" : "the next start, in a new process:\n");
        std::fflush(stdout);
        QProcess next;
        next.setProcessChannelMode(QProcess::ForwardedChannels);
        next.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--resume")});
        next.waitForFinished(120000);
        if (next.exitCode() != 0)
            return next.exitCode();
    }
    QDir().rename(folder + QStringLiteral(".gone"), folder);
    return 0;
}
