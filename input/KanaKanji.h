// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kana-kanji conversion over libanthy. Every call runs on the GUI thread (anthy is not
// thread-safe). Where the library or its dictionary is missing, a conversion offers the
// hiragana and the katakana form of the reading only.

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// One segment of a converted reading: its reading and its candidates, best first.
struct ConversionSegment
{
    QString reading;
    QStringList candidates;
    QList<int> ids; // the converter's own number of each candidate, for learning
};

// Where the converter keeps what it learns, and which dictionary it reads; both take effect
// only before the first conversion. Empty values: the user's data folder and the system's
// dictionary.
void ConfigureKanaKanji(const QString &dataFolder, const QString &dictionary = QString());

// True when kanji conversion works (the library started with its dictionary).
bool KanaKanjiAvailable();

// Splits a hiragana reading into segments with their candidates. A reading of one kana offers
// that kana and its katakana first, then the kanji.
QList<ConversionSegment> ConvertKana(const QString &reading);

// Confirms the last conversion with one chosen index into each segment's candidates, so that
// the converter learns the choice. Ignored when reading is not the last converted one.
void CommitConversion(const QString &reading, const QList<int> &chosen);

// Hiragana <-> katakana: U+3041..U+3096 <-> U+30A1..U+30F6; everything else unchanged.
QString ToKatakana(const QString &text);
QString ToHiragana(const QString &text);

} // namespace platform
