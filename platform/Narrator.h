// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading the program aloud (the setting speech). When the pointer rests on a button, a key of
// the on-screen keyboard, a colour swatch or a phrase box for RestMs, its caption is said; one
// that leaves earlier says nothing, and whatever is said stops what was being said. A click on a
// kana key says that kana; a finger says a control's caption as it presses. Choosing a phrase
// box with the pointer says its text. The narrator only listens: every event goes on to its
// control unchanged, and nothing it does waits for the voice.

#include "platform/Voice.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace platform {

// A control with this property says its text when the pointer rests on it (a colour swatch).
inline constexpr char SpokenCaptionProperty[] = "spokenCaption";
// A text box with this property set to true says its text when the pointer rests on it or when
// the pointer chooses it (a phrase box of the registration window).
inline constexpr char SpeaksTextProperty[] = "speaksText";

class Narrator final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Narrator)
public:
    static constexpr int RestMs = 700;

    // Listens to every widget of the application; says nothing until it has a voice.
    explicit Narrator(QObject *parent = nullptr);
    ~Narrator() override;

    void setVoice(std::unique_ptr<Voice> voice);
    Voice *voice() const { return m_voice.get(); }

    // Says text as it stands (already in its spoken form); an empty text only stops the voice.
    void say(const QString &spoken);
    // Says what a text box holds, converted segments by their readings.
    void sayTextOf(const QWidget *box, const QString &more = {}, const QStringList &moreReadings = {});

    // What resting on control says (its spoken caption), or an empty string when it says nothing.
    static QString CaptionOf(const QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rested();

    std::unique_ptr<Voice> m_voice;
    QTimer m_rest;
    QPointer<QWidget> m_resting;
    bool m_touchPressed = false;
};

} // namespace platform
