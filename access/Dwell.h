// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// dwell: resting the pointer clicks. When the pointer has stayed within 10 pixels of where it
// came to rest for the time set, a left press and release are made there (with clickToCarry a
// rest picks up and the next rest puts down). A ring around the pointer, white under black so
// that it shows on every background, fills as the time runs. After a click, by the rest or by
// hand, the pointer must first leave the 10-pixel circle around it before a rest can click
// again; while a button is held nothing clicks.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace accessibility {

class DwellRing;

class DwellClicker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DwellClicker)
public:
    // How far the pointer may wander while it rests, in logical pixels.
    static constexpr int Radius = 10;
    // The ring's steps, in milliseconds.
    static constexpr int FrameMs = 30;

    // Watches the whole application from now on; seconds is the time of a rest.
    explicit DwellClicker(double seconds, QObject *parent = nullptr);
    ~DwellClicker() override;

    // The ring while it is shown, else nullptr.
    QWidget *ring() const;
    // The clicks made by resting so far.
    int clicks() const { return m_clicks; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moved(QPoint global, Qt::MouseButtons buttons);
    void tick();
    void click();
    void hideRing();

    int m_ms;
    QPoint m_at;              // where the pointer is
    QPoint m_restAt;          // where it came to rest
    bool m_armed = false;     // a rest may click
    bool m_seen = false;      // a move was seen since the start
    QPoint m_clickedAt;       // the last click, to be left before the next rest
    QElapsedTimer m_rest;
    QTimer m_frames;
    QPointer<DwellRing> m_ring;
    int m_clicks = 0;
};

} // namespace accessibility
