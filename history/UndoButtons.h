// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two big buttons of the setting undo, CommandUndo "とりけし" and CommandRedo "やりなおし",
// between the header and the row of working buttons, where no control of any step lies. They
// are shown in every step, greyed while there is nothing to undo or redo and while text editing
// is on (the typing line has its own "←"). Ctrl+Z and Ctrl+Shift+Z do the same whatever control of
// the window holds the keyboard (a move of the wizard gives it to a text slot, hidden in most
// steps), except while texts are edited, when the text boxes keep the keys for their own undo.

#include <QObject>
#include <QPointer>

class Form1;

namespace platform {
class CommandButton;
}

namespace history {

class PosterHistory;

class UndoButtons final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UndoButtons)
public:
    static const QString UndoCaption; // "とりけし"
    static const QString RedoCaption; // "やりなおし"

    // Builds the two buttons on the main window.
    UndoButtons(Form1 &form, PosterHistory &history, QObject *parent = nullptr);

    // Greys each button that has nothing to do.
    void refresh();

protected:
    // Refuses a text box of the window the undo keys, so that the window's shortcuts get them.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Form1 &m_form;
    PosterHistory &m_history;
    QPointer<platform::CommandButton> m_undo;
    QPointer<platform::CommandButton> m_redo;
};

} // namespace history
