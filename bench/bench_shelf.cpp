// SPDX-License-Identifier: GPL-3.0-or-later
// The setting shelf with 200 posters kept, each with a photo on it:
//  - a click on "たな" to the shelf's first paint, and until every small picture is in place;
//  - a click on a poster to the main window's first paint with the poster taken up.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_shelf
//
// The posters are one poster's file, written by the program, copied with times one second apart.

#include "app/Program.h"
#include "app/Resume.h"
#include "app/Shelf.h"
#include "bench/Photos.h"
#include "bench/ProgramBench.h"
#include "form/Module1.h"
#include "history/PosterWriter.h"
#include "images/Gallery.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

constexpr int Rounds = 5;

// The first paint of a widget named so (or of a child of it) from now on.
class NextPaint final : public QObject
{
public:
    NextPaint(const QElapsedTimer &clock, const QString &name) : m_clock(clock), m_name(name) { qApp->installEventFilter(this); }
    qint64 at = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window()->objectName() == m_name)
            at = m_clock.elapsed();
        return false;
    }

private:
    const QElapsedTimer &m_clock;
    QString m_name;
};

void Wait(const std::function<bool()> &done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    QApplication application(argc, argv);
    const QString folder = home.path() + QStringLiteral("/photos");
    QDir().mkpath(folder);
    const QStringList names = bench::MakePhotos(folder, 1);

    settings::Settings chosen;
    chosen.shelf = true;
    settings::SetCurrent(chosen);
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    bench::DrawOnPaper(*form, 200, 45);
    form->Command11->click();
    platform::ImageControl &slot = *form->Image3[0];
    slot.setPicture(images::ThumbnailPicture(Module1::ImageDir + names[0], *form), Module1::ImageDir + names[0]);
    slot.setTwipsLeft(2000);
    slot.setTwipsTop(4000);
    slot.show();
    auto *keeper = CurrentProgram()->findChild<PosterKeeper *>();
    keeper->writer().writeNow();
    const QString poster = keeper->writer().path();
    std::printf("a poster with a %lld KiB photo: its file %lld KiB\n", QFileInfo(Module1::ImageDir + names[0]).size() / 1024,
                QFileInfo(poster).size() / 1024);
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 1; i < shelf::MostKept; ++i) {
        const QString copy = shelf::Folder() + QStringLiteral("/copy-%1.poster").arg(i, 3, 10, QLatin1Char('0'));
        QFile::copy(poster, copy);
        QFile file(copy);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(now.addSecs(-i), QFileDevice::FileModificationTime);
    }

    // Each round in a fresh program, in step 1.
    std::vector<double> firstPaint, allPictures, taken;
    for (int round = 0; round < Rounds; ++round) {
        form = bench::StartMainWindow();
        auto *button = form->client()->findChild<QPushButton *>(QStringLiteral("CommandShelf"));
        QElapsedTimer clock;
        clock.start();
        NextPaint shelfPaint(clock, QStringLiteral("ShelfWindow"));
        button->click();
        auto *window = bench::FindWindow<ShelfWindow>();
        Wait([&] { return shelfPaint.at >= 0; });
        firstPaint.push_back(double(shelfPaint.at));
        Wait([&] {
            const QList<QPushButton *> all = window->posterButtons();
            return std::all_of(all.begin(), all.end(), [](QPushButton *p) { return !p->icon().isNull(); });
        });
        allPictures.push_back(double(clock.elapsed()));
        QElapsedTimer click;
        click.start();
        NextPaint formPaint(click, QStringLiteral("Form1"));
        window->posterButtons().value(100)->click();
        Wait([&] { return formPaint.at >= 0; });
        taken.push_back(double(formPaint.at));
    }
    std::printf("%d posters on the shelf, %d rounds:\n", shelf::MostKept, Rounds);
    bench::PrintSeries("click on たな to the shelf's first paint", firstPaint);
    bench::PrintSeries("... until all small pictures are in place", allPictures);
    bench::PrintSeries("click on a poster to the first paint of it", taken);
    return 0;
}
