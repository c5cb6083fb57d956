// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/Dwell.h"
#include "access/Overlay.h"

#include "access/SyntheticMouse.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace accessibility {

namespace {

bool Near(QPoint a, QPoint b)
{
    const QPoint d = a - b;
    return d.x() * d.x() + d.y() * d.y() <= DwellClicker::Radius * DwellClicker::Radius;
}

} // namespace

// The ring around the pointer, laid over the window under it and letting every click through.
class DwellRing final : public QWidget
{
public:
    static constexpr int Size = 44;
    static constexpr int Width = 6;

    explicit DwellRing(QWidget *window) : QWidget(window)
    {
        MakeOverlay(this, "qt_dwell_ring");
        setAttribute(Qt::WA_NoSystemBackground);
        resize(Size, Size);
    }

    void showAt(QPoint global, double filled)
    {
        m_filled = filled;
        move(parentWidget()->mapFromGlobal(global) - QPoint(Size / 2, Size / 2));
        raise();
        show();
        update();
    }

    double filled() const { return m_filled; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle = QRectF(rect()).adjusted(Width, Width, -Width, -Width);
        painter.setPen(QPen(Qt::white, Width + 2));
        painter.drawEllipse(circle);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawEllipse(circle.adjusted(-Width / 2.0, -Width / 2.0, Width / 2.0, Width / 2.0));
        painter.drawEllipse(circle.adjusted(Width / 2.0, Width / 2.0, -Width / 2.0, -Width / 2.0));
        // The time run so far, clockwise from the top.
        painter.setPen(QPen(Qt::black, Width - 1, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(circle, 90 * 16, -static_cast<int>(std::lround(m_filled * 360 * 16)));
    }

private:
    double m_filled = 0;
};

DwellClicker::DwellClicker(double seconds, QObject *parent)
    : QObject(parent),
      m_ms(static_cast<int>(std::lround(seconds * 1000)))
{
    m_frames.setInterval(FrameMs);
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, &DwellClicker::tick);
    qApp->installEventFilter(this);
}

DwellClicker::~DwellClicker()
{
    delete m_ring;
}

QWidget *DwellClicker::ring() const
{
    return m_ring && m_ring->isVisible() ? m_ring.data() : nullptr;
}

bool DwellClicker::eventFilter(QObject *watched, QEvent *event)
{
    // Each mouse event is seen first by its window.
    if (!watched->isWindowType())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        moved(mouse->globalPosition().toPoint(), mouse->buttons());
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        // A click by hand (or by a rest): the pointer leaves it before the next rest clicks.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_at = mouse->globalPosition().toPoint();
        m_clickedAt = m_at;
        m_seen = true;
        m_armed = false;
        hideRing();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DwellClicker::moved(QPoint global, Qt::MouseButtons buttons)
{
    m_at = global;
    if (buttons != Qt::NoButton) {
        m_armed = false;
        m_clickedAt = global;
        hideRing();
        return;
    }
    if (!m_armed) {
        if (m_seen && Near(global, m_clickedAt))
            return;
        m_seen = true;
        m_armed = true;
    } else if (Near(global, m_restAt)) {
        return; // still resting
    }
    m_restAt = global;
    m_rest.start();
    m_frames.start(FrameMs);
    tick();
}

void DwellClicker::tick()
{
    if (!m_armed) {
        m_frames.stop();
        return;
    }
    const qint64 elapsed = m_rest.elapsed();
    if (elapsed >= m_ms) {
        click();
        return;
    }
    // The last frame ends when the time does, so that the click is not up to a frame late.
    if (m_ms - elapsed < FrameMs)
        m_frames.start(static_cast<int>(m_ms - elapsed));
    QWidget *under = QApplication::widgetAt(m_at);
    QWidget *window = under ? under->window() : nullptr;
    if (!window) {
        hideRing();
        return;
    }
    if (!m_ring || m_ring->parentWidget() != window) {
        delete m_ring;
        m_ring = new DwellRing(window);
    }
    m_ring->showAt(m_at, static_cast<double>(elapsed) / m_ms);
}

void DwellClicker::click()
{
    m_armed = false;
    m_clickedAt = m_at;
    m_frames.stop();
    hideRing();
    ++m_clicks;
    // A click of its own: a press that opens a message box waits in it for its release, and a
    // rest on the box clicks there meanwhile.
    SyntheticMouse mouse;
    mouse.seen(m_at);
    mouse.press();
    mouse.release();
}

void DwellClicker::hideRing()
{
    if (m_ring)
        m_ring->hide();
}

} // namespace accessibility
