// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/UndoButtons.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "history/History.h"
#include "platform/ControlLayout.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>

namespace history {

namespace {

using platform::ControlKind;
using platform::ControlSpec;

// Below the caption of the step (which ends at 975 twips) and above the row of "おわり",
// "クリア" and the size buttons (from 1800), right of the never shown scratch box (to 4935) and
// left of the step buttons and the colour buttons of step 3 (from 11040).
constexpr ControlSpec UndoButtonTable[] = {
    {.name = "CommandUndo", .kind = ControlKind::Button, .left = 6480, .top = 1065, .width = 2160,
     .height = 675, .caption = "とりけし", .face = platform::FontFace::RoundedGothic, .fontSize = 18,
     .fontStyle = platform::FontStyle::Bold, .enabled = false},
    {.name = "CommandRedo", .kind = ControlKind::Button, .left = 8760, .top = 1065, .width = 2160,
     .height = 675, .caption = "やりなおし", .face = platform::FontFace::RoundedGothic, .fontSize = 18,
     .fontStyle = platform::FontStyle::Bold, .enabled = false},
};

constexpr QKeyCombination RedoKey(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);

} // namespace

const QString UndoButtons::UndoCaption = QStringLiteral("とりけし");
const QString UndoButtons::RedoCaption = QStringLiteral("やりなおし");

UndoButtons::UndoButtons(Form1 &form, PosterHistory &history, QObject *parent)
    : QObject(parent), m_form(form), m_history(history)
{
    platform::BuildControls(form.client(), UndoButtonTable);
    m_undo = platform::BuiltControl<platform::CommandButton>(form.client(), "CommandUndo");
    m_redo = platform::BuiltControl<platform::CommandButton>(form.client(), "CommandRedo");
    connect(m_undo, &QPushButton::clicked, &history, &PosterHistory::undo);
    connect(m_redo, &QPushButton::clicked, &history, &PosterHistory::redo);
    auto *undoKey = new QShortcut(QKeySequence::Undo, &form);
    auto *redoKey = new QShortcut(QKeySequence(RedoKey), &form);
    // A text box asks for Ctrl+Z before the shortcuts see it, wherever the keyboard is.
    qApp->installEventFilter(this);
    connect(undoKey, &QShortcut::activated, &history, &PosterHistory::undo);
    connect(redoKey, &QShortcut::activated, &history, &PosterHistory::redo);
    connect(&history, &PosterHistory::stepsChanged, this, &UndoButtons::refresh);
    // After the editing mode's own handler, which switched it on or off.
    connect(form.Command21, &QPushButton::clicked, this, &UndoButtons::refresh);
    refresh();
}

bool UndoButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType() || Module1::EditMode.toInt() == 1)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((!key->matches(QKeySequence::Undo) && key->keyCombination() != RedoKey)
        || static_cast<QWidget *>(watched)->window() != &m_form)
        return QObject::eventFilter(watched, event);
    event->ignore();
    return true;
}

void UndoButtons::refresh()
{
    if (m_undo)
        m_undo->setEnabled(m_history.canUndo());
    if (m_redo)
        m_redo->setEnabled(m_history.canRedo());
}

} // namespace history
