// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The speaker button of step 3 (the setting speech): CommandSpeak "よむ" reads the typing line
// aloud while text editing is on, and the selected text slot otherwise, converted text in the
// kana it was typed as. It stands right of "おおきく", where no control of any step lies, and is
// shown exactly while "もじ の へんしゅう" is, that is in step 3.

#include <QObject>
#include <QPointer>

class Form1;

namespace platform {
class CommandButton;
class Narrator;
}

namespace text {

class SpeakButton final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpeakButton)
public:
    // Builds the button on the main window.
    SpeakButton(Form1 &form, platform::Narrator &narrator, QObject *parent = nullptr);

    void Speak(); // CommandSpeak click

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Form1 &m_form;
    platform::Narrator &m_narrator;
    QPointer<platform::CommandButton> m_button;
    // "もじ の へんしゅう", whose showing and hiding it follows; held apart from the window, which
    // may already be half destroyed when the button hears the last of it.
    const QObject *m_editButton = nullptr;
};

} // namespace text
