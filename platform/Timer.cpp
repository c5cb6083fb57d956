#include "platform/Timer.h"

namespace platform {

Timer::Timer(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace platform
