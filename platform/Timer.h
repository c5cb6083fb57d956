#pragma once

// The timer of a window: no widget, so it has no place or size in twips.

#include <QObject>
#include <QTimer>

namespace platform {

// A timer: interval in milliseconds, enabled or not, and a tick.
class Timer final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
public:
    explicit Timer(QObject *parent = nullptr);
    int interval() const { return m_timer.interval(); }
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }
    bool isEnabled() const { return m_timer.isActive(); }
    void setEnabled(bool enabled);

signals:
    void tick();

private:
    QTimer m_timer;
};

} // namespace platform
