// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The on-screen keyboard and the input method behind it, one test program built from two files:
// tst_keyboard.cpp holds the key strokes of every key, LastKana, the wait for "つぎ", what the
// input method composes and the composition kept when the focus moves, and main();
// tst_keyboard_conversion.cpp the conversion to kanji and its candidate cards.

#include "form/Form1.h"
#include "input/KanaInputMethod.h"

#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>

using Stroke = QPair<int, int>; // virtual key, 1 for a key-up
using Batch = QList<Stroke>;    // the events of one injection call
using Batches = QList<Batch>;

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void everyKeySendsItsStrokes_data();
    void everyKeySendsItsStrokes();
    void theWaitForNext_data();
    void theWaitForNext();
    void oneCharacterAtATime();
    void keysLookEtchedWhileHeldEvenWhenIgnored();
    void keysWorkWhileInputIsHeldBack();
    void voicedKana_data();
    void voicedKana();
    void marksStandAloneWhereNothingTakesThem();
    void smallKana_data();
    void smallKana();
    void shiftedKeysOfTheLayout();
    void hiraganaAndKatakanaRoundTrip();
    void editingKeys();
    void spaceInAndOutOfAComposition();
    void kanaLockOffTypesFullWidthAscii();
    // The conversion to kanji and its candidate cards (tst_keyboard_conversion.cpp).
    void convertKanji();
    void convertSchoolWithSmallTsu();
    void convertTwoSegmentsAndPickByCard();
    void aCardOfTheOnlySegmentTakesTheConversion();
    void theCurrentCardLooksTheSameFirstAndLater();
    void candidatesCycleRoundThroughPagesOfCards();
    void conversionWithoutDictionary();
    // The composition kept when the focus moves, and the boxes served (tst_keyboard.cpp).
    void compositionKeptWhenTheFocusMoves();
    void compositionKeptWhenTheTypingLineIsHidden();
    void servesTextSlotsAndPhraseBoxes();
    void desktopKeyboardStillTypes();

private:
    void click(int index);
    void clickCaptions(const QStringList &captions);
    void inject(std::initializer_list<Stroke> strokes);
    QString composition() const { return platform::KanaInputMethod::instance().compositionText(); }
    QStringList cardTexts() const;

    Form1 *form = nullptr;
    Batches batches;
    QTemporaryDir learning;
    bool withoutDictionary = false;
};
