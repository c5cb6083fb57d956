// SPDX-License-Identifier: GPL-3.0-or-later
// One poster capture at the capture density: time per capture and the memory it holds.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_capture

#include "form/Form1.h"
#include "bench/ProgramBench.h"
#include "app/Startup.h"
#include "output/PosterCapture.h"
#include "base/Twips.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    bench::DrawOnPaper(*form, 1000, 10);

    std::vector<double> times;
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer clock;
        clock.start();
        const platform::Picture capture = output::CapturePoster(form->client());
        times.push_back(clock.nsecsElapsed() / 1e6);
        if (capture.isEmpty())
            return 1;
    }
    std::sort(times.begin(), times.end());
    const QSize pixels = QSize(707, 499) * platform::CaptureDensity;
    std::printf("capture density %d: %dx%d pixels, %.1f MB each\n", platform::CaptureDensity, pixels.width(),
                pixels.height(), pixels.width() * pixels.height() * 4 / 1e6);
    std::printf("capture: best %.1f ms, median %.1f ms, worst %.1f ms (10 runs)\n", times.front(),
                times[times.size() / 2], times.back());
    return 0;
}
