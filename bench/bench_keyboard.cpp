// SPDX-License-Identifier: GPL-3.0-or-later
// The on-screen keyboard:
//  - one key click, from the mouse events on the key through the input method to the
//    repainted typing line;
//  - one conversion ("漢　　字"), from the click to the repainted typing line and candidate cards.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_keyboard

#include "form/Form1.h"
#include "bench/ProgramBench.h"
#include "platform/EventLoop.h"
#include "input/KanaInputMethod.h"
#include "input/KanaKanji.h"
#include "input/KeyInjection.h"
#include "text/Keyboard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures
{
    double median, p90, max;
};

Figures Summary(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 9 / 10], times.back()};
}

void SendMouse(QWidget *target, QEvent::Type type)
{
    const QPointF at(10, 10);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A click on key i, and the typing line (and the cards, when shown) painted again.
double TimedClick(Form1 &form, int index)
{
    QElapsedTimer clock;
    clock.start();
    SendMouse(form.Label1[index], QEvent::MouseButtonPress);
    SendMouse(form.Label1[index], QEvent::MouseButtonRelease);
    form.Text2->repaint();
    if (platform::CandidateCards *cards = platform::KanaInputMethod::instance().cards())
        cards->repaint();
    return clock.nsecsElapsed() / 1e6;
}

int KeyOfCaption(Form1 &form, QChar kana)
{
    for (int i = 0; i < 71; ++i) {
        if (form.Label1[i]->caption() == QString(kana))
            return i;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir learning; // conversions learn nothing into the user's own folder
    platform::ConfigureKanaKanji(learning.path());
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    for (int i = 0; i < 70; ++i)
        form->Label1[i]->show();
    form->Picture1->hide();
    form->Text2->show();
    platform::SetInputFocus(form->Text2);
    if (!platform::KanaLockOn())
        text::ToggleKanaLock();
    while (platform::IsHoldingInput())
        QCoreApplication::processEvents();

    // Key clicks: kana typed ten at a time and confirmed with "ＯＫ".
    std::vector<double> clicks;
    const QString kana = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ");
    for (int run = 0; run < 300; ++run) {
        clicks.push_back(TimedClick(*form, KeyOfCaption(*form, kana[run % kana.size()])));
        if (run % 10 == 9) {
            TimedClick(*form, 64);
            form->Text2->clear();
        }
    }
    const Figures click = Summary(clicks);
    std::printf("key click to repainted typing line: median %.2f ms, p90 %.2f ms, max %.2f ms over %zu clicks\n",
                click.median, click.p90, click.max, clicks.size());

    // Conversions of readings of 3 to 12 kana; the first one starts the converter.
    const QStringList readings = {QStringLiteral("かんしつ"), QStringLiteral("わたしのなまえ"),
                                  QStringLiteral("こんにちは"), QStringLiteral("きようはいいてんきてすね")};
    std::vector<double> conversions;
    double first = -1;
    for (int run = 0; run < 80; ++run) {
        for (QChar c : readings[run % readings.size()])
            TimedClick(*form, KeyOfCaption(*form, c));
        const double time = TimedClick(*form, 61);
        if (first < 0)
            first = time;
        else
            conversions.push_back(time);
        TimedClick(*form, 64);
        form->Text2->clear();
    }
    const Figures conversion = Summary(conversions);
    std::printf("conversion to repainted line and cards: first %.2f ms (converter start), then median %.2f ms, "
                "p90 %.2f ms, max %.2f ms over %zu conversions (anthy %s)\n",
                first, conversion.median, conversion.p90, conversion.max, conversions.size(),
                platform::KanaKanjiAvailable() ? "on" : "missing");

    // The converter alone, for comparison: the rest is the input method and the painting.
    std::vector<double> alone;
    for (int run = 0; run < 200; ++run) {
        QElapsedTimer clock;
        clock.start();
        platform::ConvertKana(readings[run % readings.size()]);
        alone.push_back(clock.nsecsElapsed() / 1e6);
    }
    const Figures converter = Summary(alone);
    std::printf("converter alone: median %.2f ms, p90 %.2f ms, max %.2f ms over %zu conversions\n",
                converter.median, converter.p90, converter.max, alone.size());
    return 0;
}
