// Start-up to the first paint of the main window, in milliseconds from main(). Run it a few
// times: the first run pays for cold font and library caches.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_startup   (or under Xvfb)

#include "app/Startup.h"

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
    QApplication application(argc, argv);
    const qint64 applicationReady = clock.elapsed();
    FirstPaint paint(clock);
    application.installEventFilter(&paint);
    StartTovimaru();
    const qint64 started = clock.elapsed();
    while (paint.at < 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("QApplication ready:        %6lld ms\n", static_cast<long long>(applicationReady));
    std::printf("StartTovimaru() returned:  %6lld ms\n", static_cast<long long>(started));
    std::printf("first paint of Form1:      %6lld ms\n", static_cast<long long>(paint.at));
    return 0;
}
