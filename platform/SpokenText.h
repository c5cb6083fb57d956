// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a voice is given to say (the setting speech). A voice such as espeak-ng's Japanese reads
// kana well but drops full-width digits, reads a lone "ー" or voicing mark in English, reads the
// particles は and へ as "ha" and "he", and cannot read kanji at all. Captions of the program's
// own have their spoken forms in a table; text the user typed is spoken in the kana it was typed
// as, converted segments by the readings kept beside them.

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// The property of a text box that keeps, for text converted to kanji in it, what each converted
// segment was typed as: a QStringList of pairs, written form then reading.
inline constexpr char ReadingsProperty[] = "kanaReadings";

// The readings kept for a text box's converted text (none when nothing was converted there).
QStringList ReadingsOf(const QWidget *box);
// Adds the reading of one converted segment to a text box.
void KeepReading(QWidget *box, const QString &written, const QString &reading);

// The spoken form of a caption of the program: from the table of forms a voice reads wrongly,
// otherwise the caption normalised as SpokenText() does.
QString SpokenCaption(const QString &caption);

// Text for a voice: every converted segment replaced by its reading (the particles は and へ
// that close a converted segment read as わ and え), full-width digits and letters as their
// plain forms, ideographic spaces as spaces, lone voicing marks dropped, and kanji that no
// reading covers left out unless the voice reads kanji.
QString SpokenText(const QString &text, const QStringList &readings = {}, bool readsKanji = false);

} // namespace platform
