// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// scan: the whole program by one switch or two. A light (ScanLight.h) goes over the choices of
// the active window (ScanChoices.h): with one switch it moves by itself, each choice lit for
// scanInterval seconds (the first of a group 0.7 s more), and after scanLoops rounds it rests on
// nothing until the next press; Space, Enter or a click of any mouse button takes what is lit.
// With two switches Space moves the light and Enter takes. A press held for a second or more
// goes back up one level (at the top the light rests).
//
// Taking a group lights its choices; taking a control clicks its centre with the ordinary mouse
// events, so that its own handlers do the work. Taking a step of a scroll bar makes the bar's own
// action (a drop-down list's or a number box's, its own key) and the light stays on the step;
// taking an item of a list clicks it, or double-clicks it where it is selected already. Each round
// of the light offers the window's controls afresh. Taking what can be carried picks it up (as a
// click with clickToCarry does); the light then goes over the paper, a 3 x 3 grid of areas, then
// the 3 x 3 places of the area taken, beside "このまま" (not for a picture from the gallery) and
// "やめる"; taking a place puts the element down there as a release there would, and "このまま" puts it
// down where it lies, which selects it for "ちいさく" and "おおきく" as a click does. Taking the paper
// starts a point scan: a line sweeps across the paper until the switch stops it, then one sweeps
// down; a dot is drawn where they cross (a stroke of one dot), and "もういちど" and "おわり" are offered.
// With speech, each lit choice's caption is said.

#include "access/ScanChoices.h"
#include "access/SyntheticMouse.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class Form1;
namespace platform { class Narrator; }

namespace accessibility {

class CarryFilter;
class ScanLight;
class ScanOwnChoice;

class Scanner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Scanner)
public:
    // How much longer the first choice of a group stays lit, and how long a press goes back.
    static constexpr int FirstExtraMs = 700;
    static constexpr int HoldMs = 1000;
    // The positions of a line of the point scan, across and down.
    static constexpr int SweepSteps = 20;

    enum class Phase { Choices, Across, Down };

    // Watches the whole application from now on, with the settings' scan, scanInterval and
    // scanLoops. carry picks up and puts down; narrator (may be null) says the captions.
    Scanner(Form1 &form, CarryFilter &carry, platform::Narrator *narrator, QObject *parent = nullptr);
    ~Scanner() override;

    // Times shorter than the settings allow, for tests and measurements.
    void setTimes(int stepMs, int firstExtraMs);

    Phase phase() const { return m_phase; }
    // The lit choice, or nullptr while the light rests or sweeps.
    const ScanChoice *lit() const;
    // The line's position while it sweeps (0 .. SweepSteps - 1), -1 while it rests.
    int sweepStep() const { return m_resting ? -1 : m_step; }
    QWidget *light() const;

signals:
    // The light moved (or went out); bench/ times these.
    void lightMoved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Switch { Move, Take };
    enum class Offer { Controls, Places, Dots };

    QWidget *currentWindow() const;
    const ScanChoice &level() const;
    QStringList pathIds(qsizetype depth) const;

    // The window's choices, in the groups path names, lit on the choice lit names (else the first).
    void offerControls(const QStringList &path, const QString &lit = {});
    // The window's choices made again, in the groups path names as far as they are still there.
    void rebuild(const QStringList &path);
    // The light on the first choice of its level, for a new round.
    void startRound();
    void offerPlaces();
    void offerOwn(const QList<QPair<QString, QString>> &choices); // id, caption
    void startSweep(Phase phase);
    void lightUp(int index);
    void rest();
    void restartTimer(int index);

    void switchDown();
    void switchUp(Switch kind);
    void heldLong();
    void step();
    void move();
    void take();
    void back();
    void validate();

    void click(const ScanChoice &choice);
    // Clicks at a point of the screen, or double-clicks.
    void clickAt(QPoint at, bool twice);
    void takeStep(const ScanChoice &choice);
    void takeItem(const ScanChoice &choice);
    void putDown(QPoint at);
    void drawDot();
    QRect lineRect() const;
    void clearOwn();

    Form1 &m_form;
    CarryFilter &m_carry;
    platform::Narrator *m_narrator;
    int m_switches;
    int m_stepMs;
    int m_extraMs = FirstExtraMs;
    int m_loops;

    QPointer<QWidget> m_window;
    Offer m_offer = Offer::Controls;
    Phase m_phase = Phase::Choices;
    ScanChoice m_root;
    QList<int> m_path; // the groups taken, from the root
    int m_lit = -1;
    bool m_resting = true;
    int m_rounds = 0;
    // The point scan: the paper and the line across where it was stopped.
    QRect m_paper;
    int m_step = 0;
    int m_across = 0;

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_due = 0;       // when the light's next step is due, on m_clock
    bool m_stepping = false; // the timer's step is being made
    QTimer m_hold;
    bool m_holding = false;
    bool m_heldLong = false;
    int m_clicking = 0; // the click under way, for the window it may open
    int m_clicks = 0;
    SyntheticMouse m_mouse;
    QPointer<ScanLight> m_light;
    QList<QPointer<ScanOwnChoice>> m_own;
};

} // namespace accessibility
