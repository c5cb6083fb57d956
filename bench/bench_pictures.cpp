// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures on the poster, with ten 24-megapixel JPEGs in the gallery:
//  - passing the pointer over each of the ten cells, until the copy laid over it is painted;
//  - placing the ten, and the time until a placed picture is shown from its sharp decode;
//  - a drag of 200 pointer moves with the ten placed, each until the window is repainted;
//  - resident memory with the ten placed.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_pictures [--keep DIR]
//
// The photos are those of bench_gallery (bench/Photos.h), made in a temporary folder or in DIR and
// reused from there.

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Program.h"
#include "bench/Photos.h"
#include "bench/ProgramBench.h"
#include "images/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

constexpr int Pictures = 10;
constexpr int DragEvents = 200;

using bench::PrintSeries;
using bench::SendMouse;
using bench::UntilSharp;

// Runs pending events, then leaves the processor to the decoding threads for a millisecond.
void RunEventsAWhile()
{
    QCoreApplication::processEvents();
    QThread::msleep(1);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTemporaryDir temporary;
    const QString folder = bench::PhotoFolder(arguments, temporary.path());
    const QStringList names = bench::MakePhotos(folder, Pictures);

    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    form->Command11->click(); // step 2
    QCoreApplication::processEvents();
    std::printf("resident with the gallery of %d photos shown: %.0f MiB\n", Pictures, bench::StatusMiB("VmRSS"));

    // Over each cell: the first free slot is laid over it and painted.
    std::vector<double> hovers;
    for (int i = 0; i < Pictures; ++i) {
        platform::ImageControl *cell = form->Image1[i];
        hovers.push_back(bench::Milliseconds([&] {
            SendMouse(cell, QEvent::MouseMove, QPointF(cell->width() / 2, cell->height() / 2), Qt::NoButton);
            QCoreApplication::processEvents();
        }));
    }
    PrintSeries("pointer over a cell until the copy is painted", hovers);

    // Placing the ten: over a cell, press, five moves onto the poster, release.
    std::vector<double> sharp;
    bench::ResetPeak();
    for (int k = 0; k < Pictures; ++k) {
        platform::ImageControl *cell = form->Image1[k];
        const QPointF grab(cell->width() / 2, cell->height() / 2);
        SendMouse(cell, QEvent::MouseMove, grab, Qt::NoButton);
        platform::ImageControl *slot = form->Image3[Module1::FreeSlot];
        SendMouse(slot, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        const QPoint target(30 + 40 * k, 200 + 25 * k); // the slot's top-left corner, in pixels
        for (int step = 1; step <= 5; ++step) {
            const QPointF at = QPointF(slot->pos()) + (QPointF(target) - QPointF(slot->pos())) * step / 5.0;
            SendMouse(slot, QEvent::MouseMove, grab + at - QPointF(slot->pos()), Qt::LeftButton);
        }
        SendMouse(slot, QEvent::MouseButtonRelease, grab, Qt::NoButton);
        // Until it is shown from its sharp decode, on an idle machine for the first one.
        sharp.push_back(bench::Milliseconds([&] {
            while (!slot->isSettled())
                RunEventsAWhile();
            QCoreApplication::processEvents();
        }));
        if (k == 0)
            std::printf("  %-44s %6.1f ms (%dx%d pixels for %dx%d shown)\n", "first picture placed until sharp",
                        sharp[0], slot->picture().image().width(), slot->picture().image().height(),
                        slot->width(), slot->height());
    }
    UntilSharp(*form);
    PrintSeries("each picture placed until sharp", sharp);
    // What a capture costs at most when it has to make a picture's decode itself.
    std::vector<double> own;
    for (int k = 0; k < Pictures; ++k) {
        const platform::Picture picture = form->Image3[k]->picture();
        const QSize natural = picture.logicalSize().toSize();
        const QSize target = picture.image().size();
        own.push_back(bench::Milliseconds([&] {
            platform::LoadPicture(Module1::ImageDir + names[k], platform::CoveringDecodeBound(natural, target))
                    .resampled(target);
        }));
    }
    PrintSeries("the same decode on the GUI thread", own);
    std::printf("  resident with %d pictures placed: %.0f MiB (peak while placing %.0f MiB)\n", Pictures,
                bench::StatusMiB("VmRSS"), bench::StatusMiB("VmHWM"));

    // A drag of the picture placed last over the others, 200 moves, each until repainted.
    platform::ImageControl *slot = form->Image3[Pictures - 1];
    const QPointF grab(100, 80);
    SendMouse(slot, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    std::vector<double> drags;
    for (int e = 0; e < DragEvents; ++e) {
        const QPointF pointer(60 + (e % 100) * 4, 220 + (e % 50) * 3); // in the client area
        drags.push_back(bench::Milliseconds([&] {
            SendMouse(slot, QEvent::MouseMove, pointer - QPointF(slot->pos()), Qt::LeftButton);
            QCoreApplication::processEvents();
        }));
    }
    SendMouse(slot, QEvent::MouseButtonRelease, grab, Qt::NoButton);
    PrintSeries("drag move with ten placed, until repainted", drags);
    std::printf("  resident after the drag: %.0f MiB\n", bench::StatusMiB("VmRSS"));
    return 0;
}
