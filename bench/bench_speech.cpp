// SPDX-License-Identifier: GPL-3.0-or-later
// Reading aloud (the setting speech), with the real voice over a private speech-dispatcher whose
// sound goes to a file:
//  - from the end of a rest on a button to the start of speaking (the voice's own "speaking"
//    state), for captions said one after another;
//  - the longest the GUI thread is held by speech: a rest's caption handed to the voice, the
//    pointer entering and leaving a control, and the longest gap between the GUI thread's
//    timer ticks while the voice's engine starts and speaks.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_speech

#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "platform/Narrator.h"
#include "platform/Voice.h"
#include "settings/Settings.h"
#include "tests/PrivateSpeechDispatcher.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QTimer>

#include <ctime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

// Processor time of the GUI thread, which a busy machine's other processes do not add to.
long long ThreadNow()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

long long Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Figures
{
    double median, p90, max;
};

Figures Summary(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 9 / 10], times.back()};
}

void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (const QString missing = testing::PrivateSpeechDispatcher::Missing(); !missing.isEmpty()) {
        std::printf("bench_speech: %s\n", qPrintable(missing));
        return 0;
    }
    testing::PrivateSpeechDispatcher daemon;
    if (!daemon.start()) {
        std::printf("bench_speech: the private speech-dispatcher did not start\n");
        return 1;
    }

    // The GUI thread's longest gap between ticks of a 1 ms timer, from start-up on.
    long long lastTick = Now(), longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const long long now = Now();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    settings::Settings chosen;
    chosen.speech = true;
    settings::SetCurrent(chosen);
    QElapsedTimer startup;
    startup.start();
    StartTovimaru();
    const double shownMs = startup.nsecsElapsed() / 1e6;
    lastTick = Now();
    ticker.start(1);
    platform::Narrator &narrator = *CurrentProgram()->narrator();
    Form1 &form = CurrentProgram()->form();

    // The engine is ready once it has said a first caption.
    QElapsedTimer ready;
    ready.start();
    while (!narrator.voice())
        Pump(5);
    narrator.say(QStringLiteral("はじめ"));
    while (narrator.voice()->speakingSince() == 0 && ready.elapsed() < 20000)
        Pump(5);
    if (narrator.voice()->speakingSince() == 0) {
        std::printf("bench_speech: the voice never began to speak\n");
        return 1;
    }
    const double readyMs = ready.nsecsElapsed() / 1e6;
    const double gapWhileStartingMs = longestGap / 1e6;
    Pump(1500);
    longestGap = 0;

    std::vector<double> latency, held, heldCpu, enterLeave;
    QWidget *buttons[] = {form.Command11, form.Command3, form.Command19, form.Command12, form.Command13};
    for (int round = 0; round < 30; ++round) {
        QWidget *button = buttons[round % std::size(buttons)];
        // The pointer enters and leaves: the narrator starts and stops its rest.
        {
            const long long before = Now();
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
            QApplication::sendEvent(button, &enter);
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
            enterLeave.push_back((Now() - before) / 1e6);
        }
        // The end of a rest: what the narrator does then, timed on the GUI thread, and the
        // time until the voice says it is speaking.
        const long long restedCpu = ThreadNow();
        const long long rested = Now();
        narrator.say(platform::Narrator::CaptionOf(button));
        held.push_back((Now() - rested) / 1e6);
        heldCpu.push_back((ThreadNow() - restedCpu) / 1e6);
        while (narrator.voice()->speakingSince() < rested && Now() - rested < 5'000'000'000LL)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        latency.push_back((narrator.voice()->speakingSince() - rested) / 1e6);
        Pump(round % 2 ? 300 : 1200); // the next caption cuts this one short, or follows it
    }
    ticker.stop();

    const Figures l = Summary(latency), h = Summary(held), c = Summary(heldCpu), e = Summary(enterLeave);
    std::printf("start-up with speech, to both windows shown: %.1f ms\n", shownMs);
    std::printf("the voice's engine ready (first caption speaking): %.0f ms after start-up\n", readyMs);
    std::printf("longest GUI-thread gap while the engine started: %.2f ms\n", gapWhileStartingMs);
    std::printf("end of a rest to speaking, %zu captions: median %.1f ms, p90 %.1f ms, max %.1f ms (goal < 100 ms)\n",
                latency.size(), l.median, l.p90, l.max);
    std::printf("GUI thread held by handing a caption to the voice: median %.3f ms, max %.3f ms (goal < 2 ms); "
                "its processor time: median %.3f ms, max %.3f ms\n",
                h.median, h.max, c.median, c.max);
    std::printf("GUI thread held by the pointer entering and leaving a button: median %.3f ms, max %.3f ms\n",
                e.median, e.max);
    std::printf("longest GUI-thread gap while speaking: %.2f ms (1 ms ticks, all event handling included)\n",
                longestGap / 1e6);
    return 0;
}
