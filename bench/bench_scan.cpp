// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning (the setting scan):
//  - one switch at the shortest scanInterval (0.5 s): how far each step of the light falls from
//    its time (the interval, or 0.7 s more on the first of a group), idle and with both cores
//    kept busy by other threads (goal: each within 20 ms);
//  - two switches: from the release of a switch key to the light moved (Space) and to the
//    control's own handler run (Enter on a working button) (goal: under 50 ms).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_scan

#include "access/Scan.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "bench/ProgramBench.h"
#include "form/Form1.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest/QTest>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

Form1 *Start(int switches)
{
    settings::Settings chosen;
    chosen.scan = switches;
    chosen.scanInterval = 0.5;
    chosen.scanLoops = 10;
    settings::SetCurrent(chosen);
    Form1 *form = bench::StartMainWindow();
    if (frmList *registration = CurrentProgram()->registration())
        registration->hide();
    form->activateWindow();
    QTest::qWaitForWindowActive(form);
    return form;
}

// How far each step of the light fell from its time, over steps steps.
std::vector<double> LightSteps(int steps)
{
    Start(1);
    auto *scanner = CurrentProgram()->findChild<accessibility::Scanner *>();
    std::vector<double> late;
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    QObject::connect(scanner, &accessibility::Scanner::lightMoved, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0) {
            const double ms = (now - last) / 1e6;
            // A step lasts the interval, or the interval and the first choice's extra.
            late.push_back(std::min(std::abs(ms - 500), std::abs(ms - 500 - accessibility::Scanner::FirstExtraMs)));
        }
        last = now;
    });
    while (late.size() < size_t(steps))
        QTest::qWait(5);
    QObject::disconnect(scanner, &accessibility::Scanner::lightMoved, nullptr, nullptr);
    return late;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::printf("bench_scan: the light's steps at scanInterval 0.5 s, off its time\n");
    bench::PrintSeries("idle", LightSteps(16));
    std::atomic<bool> busy{true};
    std::vector<std::thread> burners;
    for (int k = 0; k < 2; ++k) {
        burners.emplace_back([&busy] {
            volatile double x = 1;
            while (busy)
                x = std::sqrt(x + 1);
        });
    }
    bench::PrintSeries("both cores busy", LightSteps(16));
    busy = false;
    for (std::thread &burner : burners)
        burner.join();

    std::printf("bench_scan: from the switch key's release to what it does (two switches)\n");
    Form1 *form = Start(2);
    auto *scanner = CurrentProgram()->findChild<accessibility::Scanner *>();
    QElapsedTimer clock;
    qint64 done = 0;
    QObject::connect(scanner, &accessibility::Scanner::lightMoved, [&] { done = clock.nsecsElapsed(); });
    std::vector<double> moved, clicked;
    for (int k = 0; k < 30; ++k) {
        QTest::keyPress(form, Qt::Key_Space);
        clock.start();
        QTest::keyRelease(form, Qt::Key_Space);
        moved.push_back(done / 1e6);
        QTest::qWait(2);
    }
    bench::PrintSeries("Space: the light moved", moved);
    // Enter on "クリア" of step 1: its click handler runs.
    QObject::connect(form->Command19, &QPushButton::clicked, [&] { done = clock.nsecsElapsed(); });
    for (int k = 0; k < 20; ++k) {
        while (!scanner->lit() || scanner->lit()->id != QLatin1String("working"))
            QTest::keyClick(form, Qt::Key_Space);
        QTest::keyClick(form, Qt::Key_Return); // into the working buttons: "クリア" is first
        if (!scanner->lit() || scanner->lit()->control != form->Command19)
            continue;
        done = 0;
        QTest::keyPress(form, Qt::Key_Return);
        clock.start();
        QTest::keyRelease(form, Qt::Key_Return);
        if (done > 0)
            clicked.push_back(done / 1e6);
        QTest::qWait(2);
    }
    if (!clicked.empty())
        bench::PrintSeries("Enter: the button's handler ran", clicked);
    return 0;
}
