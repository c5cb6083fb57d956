// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps of the poster within one step of the wizard, for "とりけし" and "やりなおし" (the
// setting undo), and whether the poster changed since it was last printed or saved (the setting
// quitPrompt). Built only when one of the two is on.
//
// A step is one gesture as the child sees it. Each subsystem reports the end of its gestures
// (GestureEnded): a dot stroke, a picture or text carried and released, a size button (presses
// within a second of each other make one step), a colour chosen with "OK", the text written in
// when editing closes, a clear button. The history then takes a snapshot of the poster
// (PosterState) and the journals of the two drawing surfaces; a gesture after which the poster
// looks the same adds no step. Each step holds the snapshots before and after it and, for the
// surfaces, only the tiles it changed, as they were on the other side of it. A move of the
// wizard starts a fresh history; while editing text nothing is recorded, and the text step is
// recorded when editing closes.

#include "history/PosterState.h"
#include "platform/SurfaceTiles.h"

#include <QObject>
#include <QUndoStack>

#include <functional>

class Form1;

namespace history {

enum class Gesture {
    Plain,      // any gesture that ends in one step of its own
    SizeButton, // "ちいさく" or "おおきく": a burst of presses is one step
    Typing,     // the desktop's keyboard typing into a text: keys in a burst are one step
};

// Reports the end of a gesture of the poster's; nothing happens unless a PosterHistory keeps
// the steps of this window.
void GestureEnded(Form1 &form, Gesture gesture = Gesture::Plain);

// New phrases confirmed in the registration window: setTexts writes them into the text slots.
// They are the program's stored words, kept apart from the poster, so this is no step and no
// change to ask about at the end; autosave keeps the texts as after a gesture.
void PhrasesConfirmed(Form1 &form, const std::function<void()> &setTexts);

class PosterHistory final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterHistory)
public:
    // The steps kept in one step of the wizard; when full, the oldest goes.
    static constexpr int StepsKept = 50;
    // Presses of a size button, or keys typed, this close together (ms) make one step.
    static constexpr qint64 BurstMs = 1000;

    // keepSteps: the steps for undo and redo; otherwise only whether the poster changed. A child
    // of the window; its drawing surfaces keep their journals for the window's life from now on.
    PosterHistory(Form1 &form, bool keepSteps);
    ~PosterHistory() override;

    // The history of that window, or nullptr.
    static PosterHistory *Of(const Form1 &form);

    void gestureEnded(Gesture gesture);
    // A move of the wizard: the steps so far are forgotten.
    void startStep();
    // Runs a change of the texts that is no step (new phrases confirmed). When it changed them,
    // the steps so far are forgotten, as they would put the old words back.
    void changeOutside(const std::function<void()> &change);
    // The poster was captured again for printing or saving: the change it makes (a new picture
    // for the finished poster, the dots now in it) is no step of its own but belongs to the one
    // before.
    void absorbCapture();
    // The poster was printed or saved.
    void markWrittenOut();
    bool changedSinceWrittenOut() const { return m_changed; }

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    int steps() const { return m_stack.count(); }
    // Whether undoing everything still returns to the start of the wizard's step (no step was
    // dropped from a full history since).
    bool reachesStart() const { return !m_startLost; }
    // The memory the steps take, in bytes (the snapshots' own values, the tiles of the surfaces).
    qint64 byteCost() const;

    // Puts a snapshot and the tiles of both surfaces back; the tiles then hold what was there.
    void apply(const PosterState &state, platform::SurfaceTiles &paper, platform::SurfaceTiles &finished);

signals:
    // The steps changed: undo or redo became possible or impossible.
    void stepsChanged();
    // The poster that undoing everything returns to is now the one shown (a move of the wizard).
    void startChanged();

private:
    // Joins a change of the poster no gesture reported to the step before it (or makes it a step
    // when there is none); false when there was none.
    bool absorbPending();
    void recordStep(int kind, const PosterState &now, platform::SurfaceTiles paper, platform::SurfaceTiles finished);

    Form1 &m_form;
    bool m_keepSteps;
    QUndoStack m_stack;
    PosterState m_current; // the poster as the last step (or the start) left it
    bool m_changed = false;
    bool m_startLost = false;
    bool m_applying = false;
};

} // namespace history
