// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own Japanese input method in hiragana mode. Injected key events
// (KeyInjection.h) come here; it composes them (KanaComposer) for the text box that has the
// focus (a line edit or a text edit) and shows the composition there as Qt shows an input
// method's preedit, underlined, so that the box's own text holds only committed text. The
// candidates of a conversion appear as cards near the box. What is being composed is committed,
// never lost, when the box loses the focus, is hidden or clicked, or when the desktop's own
// keyboard input reaches it.

#include "input/CandidateCards.h"
#include "input/KanaComposer.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>

namespace platform {

class KanaInputMethod final : public QObject
{
    Q_OBJECT
public:
    static KanaInputMethod &instance();

    // A key went down; shift and kana lock as the keyboard's state has them.
    void keyDown(std::uint16_t virtualKey, bool shift, bool kanaLock);

    // Commits what is being composed into its box.
    void commit();

    // Whether each text box keeps the readings of the text converted in it (SpokenText.h), for
    // reading it aloud; off unless the program speaks.
    void setKeepReadings(bool keep) { m_keepReadings = keep; }

    // The box being composed for, or nullptr.
    QWidget *box() const { return m_box; }
    // The composition as shown in the box (empty when nothing is being composed).
    QString compositionText() const { return m_composer.text(); }
    const KanaComposer &composer() const { return m_composer; }
    // The candidate cards while a conversion is shown, or nullptr.
    CandidateCards *cards() const { return m_cards && m_cards->isVisible() ? m_cards.data() : nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
    void attach(QWidget *box);
    void detach();
    void show(const QString &commitText);
    void forward(std::uint16_t virtualKey);
    void pick(int index);

    KanaComposer m_composer;
    QPointer<QWidget> m_box;
    QPointer<CandidateCards> m_cards;
    bool m_keepReadings = false;
};

// Gives a text box the input focus, bringing its window to the front first.
void SetInputFocus(QWidget *box);

// Commits what the input method is composing, wherever it is.
void CommitComposition();

} // namespace platform
