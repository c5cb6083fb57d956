// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the first paint of the main window, in milliseconds from main(). Run it a few
// times: the first run pays for cold font and library caches.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_startup   (or under Xvfb)
//   ... build/bench/bench_startup --set scale=fit          with settings, as main() takes them
// (the factor is worked out before the application object, as the program does).

#include "app/Scaling.h"
#include "app/Startup.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaint final : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer &clock) : m_clock(clock) {}
    qint64 at = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("Form1.client"))
            at = m_clock.elapsed();
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    QStringList overrides;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--set") == 0)
            overrides << QString::fromLocal8Bit(argv[++i]);
    }
    QStringList warnings;
    const settings::Settings chosen = settings::LoadSettings(overrides, &warnings);
    settings::SetCurrent(chosen);
    ApplyScaleSetting(chosen, argc, argv);
    const qint64 scaleChosen = clock.elapsed();
    QApplication application(argc, argv);
    const qint64 applicationReady = clock.elapsed();
    FirstPaint paint(clock);
    application.installEventFilter(&paint);
    StartTovimaru();
    const qint64 started = clock.elapsed();
    while (paint.at < 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("scale factor chosen:       %6lld ms (QT_SCALE_FACTOR=%s)\n", static_cast<long long>(scaleChosen),
                qgetenv("QT_SCALE_FACTOR").constData());
    std::printf("QApplication ready:        %6lld ms\n", static_cast<long long>(applicationReady));
    std::printf("StartTovimaru() returned:  %6lld ms\n", static_cast<long long>(started));
    std::printf("first paint of Form1:      %6lld ms\n", static_cast<long long>(paint.at));
    return 0;
}
