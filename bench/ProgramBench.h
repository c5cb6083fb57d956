// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Starting the whole program for a benchmark, and a paper with a drawing on it.

#include "form/Form1.h"
#include "app/Startup.h"
#include "bench/BenchSupport.h"

#include <QMouseEvent>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace bench {

// Starts the program in-process; the main window, or nullptr if it did not come up.
inline Form1 *StartMainWindow()
{
    StartTovimaru();
    return FindWindow<Form1>();
}

// A pale paper with count blue dots of radius 30 twips, spaced step twips apart.
inline void DrawOnPaper(Form1 &form, int count, int step)
{
    form.Picture1->setBackColor(QColor(0xFF, 0xE0, 0xC0));
    for (int i = 0; i < count; ++i)
        form.Picture1->drawCircle(100 + step * i, 3000 + (i % (3000 / step)) * step, 30, Qt::blue, Qt::blue);
}

// A mouse event as the window system delivers it: to the widget under the pointer, or to the one
// a button was pressed on.
inline void SendMouse(QWidget *target, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// One line of figures: the mean, the median and the longest of a series of times.
inline void PrintSeries(const char *label, std::vector<double> ms)
{
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    std::sort(ms.begin(), ms.end());
    std::printf("  %-48s mean %7.3f ms, median %7.3f, max %7.3f (%zu times)\n", label, mean, ms[ms.size() / 2],
                ms.back(), ms.size());
}

// Runs events until every picture slot has its sharp decode, leaving the processor to the
// decoding threads for a millisecond at a time.
inline void UntilSharp(Form1 &form)
{
    const auto settled = [&form] {
        return std::all_of(form.Image3.begin(), form.Image3.end(),
                           [](const platform::ImageControl *slot) { return slot->isSettled(); });
    };
    while (!settled()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

} // namespace bench
