// SPDX-License-Identifier: GPL-3.0-or-later
// The heaviest wizard move and a long stroke:
//  - step 3 to step 4 with ten pictures and ten texts on the poster (two yields and a capture);
//  - a stroke of 1,000 dots on the paper, from the mouse events to the drawing surface.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_wizard

#include "form/Form1.h"
#include "bench/ProgramBench.h"
#include "app/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

platform::Picture Photo(int seed)
{
    QImage image(600, 400, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor::fromHsv(seed * 36 % 360, 120, 230));
    painter.setBrush(QColor::fromHsv(seed * 71 % 360, 200, 200));
    painter.drawEllipse(QPoint(300, 200), 150, 120);
    return platform::Picture::fromImage(image);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void SendMouse(QWidget *target, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;

    // A stroke of 1,000 dots on the paper of step 1.
    form->Command13->setBackColor(Qt::blue);
    form->HScroll1->setValue(30);
    std::vector<double> strokes;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        SendMouse(form->Picture1, QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton);
        for (int i = 1; i < 1000; ++i)
            SendMouse(form->Picture1, QEvent::MouseMove, QPointF(10 + (i % 680), 10 + (i / 2) % 480), Qt::LeftButton);
        SendMouse(form->Picture1, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::NoButton);
        QCoreApplication::processEvents();
        strokes.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("stroke of 1000 dots (radius 30): median %.1f ms over 5 runs\n", Median(strokes));

    // Ten pictures and ten texts on the poster, then step 3 to step 4.
    form->Command11->click();
    for (int i = 0; i < 10; ++i) {
        form->Image3[i]->setPicture(Photo(i));
        form->Image3[i]->setTwipsGeometry(300 + 900 * i, 2900 + 300 * i, 3998.4, 3001.6);
        form->Image3[i]->show();
    }
    form->Command6->click();
    for (int i = 0; i < 10; ++i) {
        form->Text1[i]->setText(QStringLiteral("ぽすたー の もじ %1").arg(i));
        form->Text1[i]->setTwipsGeometry(400 + 500 * i, 3000 + 650 * i, 3855, 615);
    }
    std::vector<double> moves;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        form->Command4->click();
        moves.push_back(clock.nsecsElapsed() / 1e6);
        form->Command16->click();
    }
    std::printf("step 3 -> step 4 with 10 pictures and 10 texts: median %.1f ms over 5 runs\n", Median(moves));
    return 0;
}
