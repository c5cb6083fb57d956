// SPDX-License-Identifier: GPL-3.0-or-later
// The steps behind "とりけし" and "やりなおし" (the setting undo):
//  - a snapshot of the poster with ten 24-megapixel photos and ten texts placed, and the whole
//    end of a gesture (snapshot, comparison, step kept);
//  - an undo and a redo of a picture carried, with the ten and the ten placed, each until the
//    window is repainted;
//  - the memory of 50 steps of dot strokes across the paper.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_undo [--keep DIR] [--without]
//
// --without draws the same strokes with the setting off, for the resident memory the drawing
// itself takes.
//
// The photos are those of bench_gallery (bench/Photos.h), made in a temporary folder or in DIR and
// reused from there.

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Program.h"
#include "bench/Photos.h"
#include "bench/ProgramBench.h"
#include "history/History.h"
#include "images/Gallery.h"
#include "settings/Settings.h"

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
constexpr int Strokes = history::PosterHistory::StepsKept;

using bench::PrintSeries;
using bench::SendMouse;
using bench::UntilSharp;

// Carries the picture of gallery cell k onto the poster, its top-left corner to target (pixels).
void Place(Form1 &form, int k, QPoint target)
{
    platform::ImageControl *cell = form.Image1[k];
    const QPointF grab(cell->width() / 2, cell->height() / 2);
    SendMouse(cell, QEvent::MouseMove, grab, Qt::NoButton);
    platform::ImageControl *slot = form.Image3[Module1::FreeSlot];
    SendMouse(slot, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    for (int step = 1; step <= 5; ++step) {
        const QPointF at = QPointF(slot->pos()) + (QPointF(target) - QPointF(slot->pos())) * step / 5.0;
        SendMouse(slot, QEvent::MouseMove, grab + at - QPointF(slot->pos()), Qt::LeftButton);
    }
    SendMouse(slot, QEvent::MouseButtonRelease, grab, Qt::NoButton);
}

// Runs the events, then paints the window at once, as the screen would show it.
void Repainted(Form1 &form)
{
    QCoreApplication::processEvents();
    form.repaint();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTemporaryDir temporary;
    const QString folder = bench::PhotoFolder(arguments, temporary.path());
    const QStringList names = bench::MakePhotos(folder, Pictures);

    const bool without = arguments.contains(QStringLiteral("--without"));
    settings::Settings options;
    options.undo = !without;
    settings::SetCurrent(options);
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);

    // Step 1: 50 strokes of dots across the paper, each from one corner region to another.
    form->Command13->setBackColor(Qt::blue);
    const double before = bench::StatusMiB("VmRSS");
    std::vector<double> strokeEnds;
    for (int s = 0; s < Strokes; ++s) {
        platform::PictureBox *paper = form->Picture1;
        const QPointF from(10 + 13 * s, 10 + 3 * s), to(690 - 11 * s, 480 - 9 * s);
        SendMouse(paper, QEvent::MouseButtonPress, from, Qt::LeftButton);
        for (int d = 1; d <= 60; ++d)
            SendMouse(paper, QEvent::MouseMove, from + (to - from) * d / 60.0, Qt::LeftButton);
        strokeEnds.push_back(bench::Milliseconds([&] { SendMouse(paper, QEvent::MouseButtonRelease, to, Qt::NoButton); }));
    }
    QCoreApplication::processEvents();
    if (without) {
        std::printf("%d dot strokes without the setting: resident grew %.1f MiB\n", Strokes, bench::StatusMiB("VmRSS") - before);
        return 0;
    }
    history::PosterHistory &history = *history::PosterHistory::Of(*form);
    std::printf("%d dot strokes across the paper (60 dots each):\n", Strokes);
    PrintSeries("end of a stroke (journal taken, step kept)", strokeEnds);
    std::printf("  %-52s %7.2f MiB in %d steps (resident grew %.1f MiB)\n", "the steps' tiles and snapshots",
                history.byteCost() / 1048576.0, history.steps(), bench::StatusMiB("VmRSS") - before);
    std::vector<double> strokeUndos;
    for (int s = 0; s < 10; ++s)
        strokeUndos.push_back(bench::Milliseconds([&] { history.undo(); Repainted(*form); }));
    PrintSeries("undo of a stroke until repainted", strokeUndos);

    // Step 2: ten photos placed; step 3: ten texts placed.
    form->Command11->click();
    QCoreApplication::processEvents();
    for (int k = 0; k < Pictures; ++k)
        Place(*form, k, QPoint(30 + 40 * k, 200 + 25 * k));
    UntilSharp(*form);
    form->Command6->click();
    QCoreApplication::processEvents();
    for (int i = 0; i < 10; ++i) {
        form->Text1[i]->setText(QStringLiteral("ぽすたー%1").arg(i));
        form->Text1[i]->setTwipsLeft(600 + 300 * i);
        form->Text1[i]->setTwipsTop(3000 + 500 * i);
    }
    QCoreApplication::processEvents();

    std::vector<double> snapshots, gestureEnds;
    for (int r = 0; r < 200; ++r)
        snapshots.push_back(bench::Milliseconds([&] { (void)history::TakeSnapshot(*form); }));
    std::printf("with %d photos and 10 texts placed:\n", Pictures);
    PrintSeries("a snapshot of the poster", snapshots);
    for (int r = 0; r < 200; ++r)
        gestureEnds.push_back(bench::Milliseconds([&] { history::GestureEnded(*form); }));
    PrintSeries("the end of a gesture that changed nothing", gestureEnds);

    // A text carried, then undone and redone, each until repainted.
    platform::RichTextBox *text = form->Text1[4];
    text->setTwipsLeft(text->twipsLeft() + 1500);
    gestureEnds.clear();
    gestureEnds.push_back(bench::Milliseconds([&] { history::GestureEnded(*form); }));
    PrintSeries("the end of a gesture that moved a text", gestureEnds);
    // A picture carried across the poster.
    platform::ImageControl *slot = form->Image3[3];
    const QPointF grab(60, 40);
    SendMouse(slot, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    for (int step = 1; step <= 10; ++step)
        SendMouse(slot, QEvent::MouseMove, grab + QPointF(12, 8), Qt::LeftButton);
    SendMouse(slot, QEvent::MouseButtonRelease, grab, Qt::NoButton);
    UntilSharp(*form);
    Repainted(*form);
    std::vector<double> undos, redos;
    for (int r = 0; r < 20; ++r) {
        undos.push_back(bench::Milliseconds([&] { history.undo(); Repainted(*form); }));
        redos.push_back(bench::Milliseconds([&] { history.redo(); Repainted(*form); }));
    }
    PrintSeries("undo of a picture carried, until repainted", undos);
    PrintSeries("redo of a picture carried, until repainted", redos);
    std::printf("  resident at the end: %.0f MiB\n", bench::StatusMiB("VmRSS"));
    return 0;
}
