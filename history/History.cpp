// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/History.h"
#include "history/PosterWriter.h"

#include "form/Form1.h"
#include "form/Module1.h"

#include <QDateTime>
#include <QUndoCommand>

namespace history {

namespace {

const QString HistoryName = QStringLiteral("PosterHistory");

// Every step says it may merge; mergeWith() decides.
constexpr int StepId = 1;

enum class Kind { Step, SizeButton, Typing, Capture };

// One step: the poster before and after it, and the tiles of the surfaces it changed, which hold
// their pixels from the side of the step not shown.
class StepCommand final : public QUndoCommand
{
public:
    StepCommand(PosterHistory &history, Kind kind, const PosterState &before, const PosterState &after,
                platform::SurfaceTiles paper, platform::SurfaceTiles finished)
        : m_history(history), m_kind(kind), m_before(before), m_after(after), m_paper(std::move(paper)),
          m_finished(std::move(finished)), m_time(QDateTime::currentMSecsSinceEpoch())
    {
        // Pushed when the capture has nothing to join: it only drops the steps to redo.
        setObsolete(kind == Kind::Capture);
    }

    int id() const override { return StepId; }

    // Pushing runs redo() first, but the step has happened already.
    void redo() override
    {
        if (m_done)
            m_history.apply(m_after, m_paper, m_finished);
        m_done = true;
    }

    void undo() override { m_history.apply(m_before, m_paper, m_finished); }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const StepCommand *>(other);
        const bool burst = (m_kind == Kind::SizeButton || m_kind == Kind::Typing) && next->m_kind == m_kind
                           && next->m_time - m_time < PosterHistory::BurstMs && m_paper.isEmpty() && m_finished.isEmpty();
        if (!burst && next->m_kind != Kind::Capture)
            return false;
        m_after = next->m_after;
        m_paper.addLater(next->m_paper);
        m_finished.addLater(next->m_finished);
        if (burst)
            m_time = next->m_time;
        // Presses that came back to where they started leave no step.
        setObsolete(m_before == m_after && m_paper.isEmpty() && m_finished.isEmpty());
        return true;
    }

    qint64 byteCost() const
    {
        return qint64(sizeof(*this)) + m_paper.byteCost() + m_finished.byteCost();
    }

private:
    PosterHistory &m_history;
    Kind m_kind;
    PosterState m_before, m_after;
    platform::SurfaceTiles m_paper, m_finished;
    qint64 m_time; // when the step (or the last press of its burst) ended
    bool m_done = false;
};

// The poster now, and the tiles its surfaces changed since their journals were last taken.
struct Change
{
    PosterState now;
    platform::SurfaceTiles paper, finished;

    explicit Change(Form1 &form)
        : now(TakeSnapshot(form)), paper(form.Picture1->takeJournal()), finished(form.Picture2->takeJournal())
    {
    }
    // Whether the poster looks otherwise than it did.
    bool isSeen(const PosterState &last) const { return !SamePoster(now, last) || !paper.isEmpty() || !finished.isEmpty(); }
};

} // namespace

void GestureEnded(Form1 &form, Gesture gesture)
{
    if (PosterHistory *history = PosterHistory::Of(form))
        history->gestureEnded(gesture);
    if (PosterWriter *writer = PosterWriter::Of(form))
        writer->gestureEnded();
}

void PhrasesConfirmed(Form1 &form, const std::function<void()> &setTexts)
{
    if (PosterHistory *history = PosterHistory::Of(form))
        history->changeOutside(setTexts);
    else
        setTexts();
    if (PosterWriter *writer = PosterWriter::Of(form))
        writer->gestureEnded();
}

PosterHistory::PosterHistory(Form1 &form, bool keepSteps) : QObject(&form), m_form(form), m_keepSteps(keepSteps)
{
    setObjectName(HistoryName);
    m_stack.setUndoLimit(StepsKept);
    connect(&m_stack, &QUndoStack::indexChanged, this, &PosterHistory::stepsChanged);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &PosterHistory::stepsChanged);
    for (platform::PictureBox *box : {form.Picture1, form.Picture2})
        box->setKeepsJournal(true);
    m_current = TakeSnapshot(form);
}

PosterHistory::~PosterHistory()
{
    // The stack reports that it is cleared as it goes, while the window is being destroyed.
    disconnect(&m_stack, nullptr, this, nullptr);
}

PosterHistory *PosterHistory::Of(const Form1 &form)
{
    return form.findChild<PosterHistory *>(HistoryName, Qt::FindDirectChildrenOnly);
}

void PosterHistory::gestureEnded(Gesture gesture)
{
    // What editing changes is one step, recorded when it closes; putting a step back, or a
    // change outside the steps, reports the texts it sets, which are no gesture.
    if (Module1::EditMode.toInt() == 1 || m_applying)
        return;
    Change change(m_form);
    if (!change.isSeen(m_current))
        return;
    m_changed = true;
    if (m_keepSteps) {
        const Kind kind = gesture == Gesture::SizeButton ? Kind::SizeButton : gesture == Gesture::Typing ? Kind::Typing : Kind::Step;
        recordStep(int(kind), change.now, std::move(change.paper), std::move(change.finished));
    }
    m_current = std::move(change.now);
    emit stepsChanged();
}

void PosterHistory::startStep()
{
    m_stack.clear();
    for (platform::PictureBox *box : {m_form.Picture1, m_form.Picture2})
        box->takeJournal();
    m_current = TakeSnapshot(m_form);
    m_startLost = false;
    emit startChanged();
    emit stepsChanged();
}

void PosterHistory::changeOutside(const std::function<void()> &change)
{
    const PosterState before = TakeSnapshot(m_form);
    // The slots report their new texts as typing, which this is not.
    m_applying = true;
    change();
    m_applying = false;
    if (!(TakeSnapshot(m_form) == before))
        startStep();
}

void PosterHistory::absorbCapture()
{
    Change change(m_form);
    const bool atStart = m_stack.index() == 0;
    // Joined to the step before; with none, only the steps to redo go, which start from the
    // poster as it was before the capture.
    if (m_keepSteps)
        recordStep(int(Kind::Capture), change.now, std::move(change.paper), std::move(change.finished));
    m_current = std::move(change.now);
    if (atStart)
        emit startChanged();
    emit stepsChanged();
}

bool PosterHistory::absorbPending()
{
    // What is selected, or a picture laid over a gallery cell, is put back with the step.
    Change change(m_form);
    if (!change.isSeen(m_current))
        return false;
    m_changed = true;
    // Joined to the step before, and the steps to redo, which start from the poster as it was
    // before this change, go; with no step before, it is a step of its own.
    if (m_keepSteps) {
        const Kind kind = m_stack.index() > 0 ? Kind::Capture : Kind::Step;
        recordStep(int(kind), change.now, std::move(change.paper), std::move(change.finished));
    }
    m_current = std::move(change.now);
    emit stepsChanged();
    return true;
}

void PosterHistory::recordStep(int kind, const PosterState &now, platform::SurfaceTiles paper, platform::SurfaceTiles finished)
{
    // A full history drops its oldest step: the start of the step is out of reach from then on.
    if (Kind(kind) != Kind::Capture && m_stack.count() == StepsKept && m_stack.index() == StepsKept)
        m_startLost = true;
    m_stack.push(new StepCommand(*this, Kind(kind), m_current, now, std::move(paper), std::move(finished)));
}

void PosterHistory::markWrittenOut()
{
    m_changed = false;
}

bool PosterHistory::canUndo() const
{
    return m_keepSteps && m_stack.canUndo() && Module1::EditMode.toInt() != 1 && m_form.PenDown == 0;
}

bool PosterHistory::canRedo() const
{
    return m_keepSteps && m_stack.canRedo() && Module1::EditMode.toInt() != 1 && m_form.PenDown == 0;
}

void PosterHistory::undo()
{
    if (!canUndo())
        return;
    // A change no gesture reported (the desktop's keyboard typing into a text) joins the step it
    // follows, so that undoing that step takes it back too.
    absorbPending();
    if (!m_stack.canUndo())
        return;
    m_stack.undo();
    m_changed = true;
}

void PosterHistory::redo()
{
    // After a change of its own the poster has no steps to redo.
    if (!canRedo() || absorbPending())
        return;
    m_stack.redo();
    m_changed = true;
}

qint64 PosterHistory::byteCost() const
{
    qint64 bytes = 0;
    for (int i = 0; i < m_stack.count(); ++i)
        bytes += static_cast<const StepCommand *>(m_stack.command(i))->byteCost();
    return bytes;
}

void PosterHistory::apply(const PosterState &state, platform::SurfaceTiles &paper, platform::SurfaceTiles &finished)
{
    // A new colour or picture of a box clears its surface, so its tiles are read before the
    // snapshot goes back and written after.
    struct Surface
    {
        platform::PictureBox *box;
        platform::SurfaceTiles &tiles;
        platform::SurfaceTiles now;
    };
    Surface surfaces[] = {{m_form.Picture1, paper, {}}, {m_form.Picture2, finished, {}}};
    for (Surface &surface : surfaces) {
        for (int tile : surface.tiles.tiles())
            surface.now.keep(tile, surface.box->drawingSurface());
    }
    m_applying = true;
    ApplySnapshot(m_form, state);
    m_applying = false;
    for (Surface &surface : surfaces) {
        surface.box->exchangeTiles(surface.tiles);
        surface.tiles = std::move(surface.now);
        surface.box->takeJournal();
    }
    m_current = state;
}

} // namespace history
