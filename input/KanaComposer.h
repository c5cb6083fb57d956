// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The composition engine of the kana input method: what a Japanese input method in hiragana
// mode makes of the key-downs of a JIS kana keyboard. It holds the text being composed, one
// displayed character per unit, and, once converted, its segments and their candidates. It
// knows no widgets: KanaInputMethod shows what it holds in the focused text box.

#include "input/KanaKanji.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>

namespace platform {

class KanaComposer
{
public:
    enum class State { Empty, Composing, Converted };

    // What a key-down asks of the text box besides the new composition: text to commit first,
    // and a key the composition does not take (backspace, enter or delete with nothing being
    // composed), which goes to the box itself.
    struct Result
    {
        QString commit;
        std::uint16_t forwardKey = 0;
    };

    Result keyDown(std::uint16_t virtualKey, bool shift, bool kanaLock);

    // Ends the composition as it is shown and returns it for the text box (empty when there
    // is none). A conversion is confirmed with the candidates chosen.
    QString commit();

    // Makes candidate index the choice of the focused segment, and moves the focus on to the
    // next segment if there is one. True when the focused segment was the last one: the
    // conversion is then complete, for commit() to take.
    bool pick(int index);

    // Each converted segment as shown and the kana it was typed as: pairs of written form and
    // reading (none before a conversion).
    QStringList readings() const;
    // The readings of the conversion the last commit() ended, taken once.
    QStringList takeCommittedReadings() { return std::exchange(m_committedReadings, {}); }

    State state() const { return m_state; }
    // The text as shown in the box, and the span of the focused segment within it.
    QString text() const;
    int focusStart() const;
    int focusLength() const;
    const QList<ConversionSegment> &segments() const { return m_segments; }
    int focus() const { return m_focus; }
    int current(int segment) const { return m_current.value(segment); }

    // The character a key gives: kana, mark, small kana or symbol with the kana lock on, the
    // full-width form of its ASCII character with it off, a full-width digit from the numeric
    // keypad. Empty for a key that types nothing.
    static QString CharacterOf(std::uint16_t virtualKey, bool shift, bool kanaLock);

    // The voiced (mark U+309B) or semi-voiced (mark U+309C) form of a kana, or an empty string
    // when it has none.
    static QString Combine(const QString &kana, QChar mark);

private:
    void append(const QString &character);
    void convert();
    void kanaForm(bool katakana);
    QString reading() const { return m_units.join(QString()); }
    void clear();

    State m_state = State::Empty;
    QStringList m_units;                 // the composition, one displayed character each
    QList<ConversionSegment> m_segments; // once converted
    QList<int> m_current;                // the chosen candidate of each segment
    QStringList m_committedReadings;
    int m_focus = 0;
    bool m_learn = false;    // a kanji conversion, whose choices the converter learns
    bool m_kanaForm = false; // hiragana or katakana chosen with F6/F7; convert converts anew
};

} // namespace platform
