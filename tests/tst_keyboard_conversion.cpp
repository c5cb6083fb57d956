// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion to kanji: the candidate cards near the typing line, the candidates in turn
// with the key "漢　　字", a card clicked taking its word, and kana only without a dictionary.

#include "tst_keyboard.h"

#include "TestSupport.h"

#include "input/CandidateCards.h"
#include "input/KanaKanji.h"

#include <QtTest>

QStringList TestKeyboard::cardTexts() const
{
    QStringList texts;
    if (platform::CandidateCards *cards = platform::KanaInputMethod::instance().cards()) {
        for (QLabel *card : cards->cards())
            texts << card->text();
    }
    return texts;
}

void TestKeyboard::convertKanji()
{
    if (withoutDictionary)
        QSKIP("runs with the dictionary");
    QVERIFY(platform::KanaKanjiAvailable());
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字"});
    QCOMPARE(composition(), QStringLiteral("感じ"));
    QCOMPARE(form->Text2->text(), QString());
    QStringList cards = cardTexts();
    QVERIFY2(cards.size() >= 4, qPrintable(cards.join(' ')));
    QCOMPARE(cards.mid(0, 3), (QStringList{"感じ", "漢字", "幹事"}));
    // The cards lie near the typing line, in the rounded gothic face, the current one marked.
    platform::CandidateCards *box = platform::KanaInputMethod::instance().cards();
    const QRect line(form->Text2->mapTo(form, QPoint(0, 0)), form->Text2->size());
    const QRect around(box->mapTo(form, QPoint(0, 0)), box->size());
    QVERIFY(line.adjusted(0, 0, 0, 80).contains(around.topLeft()));
    QCOMPARE(box->cards()[0]->font().family(), platform::FamilyOf(platform::FontFace::RoundedGothic));
    QVERIFY(box->cards()[0]->property("current").toBool());
    clickCaptions({"漢\u3000\u3000字"}); // the next candidate
    QCOMPARE(composition(), QStringLiteral("漢字"));
    QVERIFY(box->cards()[1]->property("current").toBool());
    QVERIFY(!box->cards()[0]->property("current").toBool());
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("漢字"));
    QCOMPARE(cardTexts(), QStringList());
    // "←" on a conversion goes back to the reading.
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字", "←"});
    QCOMPARE(composition(), QStringLiteral("かんじ"));
    clickCaptions({"け\u3000\u3000す", "ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("漢字かんじ"));
}

void TestKeyboard::convertSchoolWithSmallTsu()
{
    if (withoutDictionary)
        QSKIP("runs with the dictionary");
    clickCaptions({"か", " ゛", "つ", "こ\u3000もじ", "こ", "う", "漢\u3000\u3000字"});
    QCOMPARE(composition(), QStringLiteral("学校"));
    QCOMPARE(cardTexts().mid(0, 2), (QStringList{"学校", "學校"}));
    // A kana key after a conversion commits it and starts anew.
    clickCaptions({"に"});
    QCOMPARE(form->Text2->text(), QStringLiteral("学校"));
    QCOMPARE(composition(), QStringLiteral("に"));
    // One kana converts to itself and its katakana first, the kanji after them.
    clickCaptions({"漢\u3000\u3000字"});
    QCOMPARE(cardTexts().mid(0, 2), (QStringList{"に", "ニ"}));
    QVERIFY(cardTexts().size() > 2);
}

void TestKeyboard::convertTwoSegmentsAndPickByCard()
{
    if (withoutDictionary)
        QSKIP("runs with the dictionary");
    clickCaptions({"わ", "た", "し", "の", "な", "ま", "え", "漢\u3000\u3000字"});
    QCOMPARE(composition(), QStringLiteral("私の名前"));
    const auto &composer = platform::KanaInputMethod::instance().composer();
    QCOMPARE(composer.segments().size(), 2);
    QCOMPARE(cardTexts().mid(0, 2), (QStringList{"私の", "わたしの"}));
    // A click on a card picks it for the focused segment and moves on to the next.
    platform::CandidateCards *cards = platform::KanaInputMethod::instance().cards();
    QTest::mouseClick(cards->cards()[1], Qt::LeftButton);
    QCOMPARE(composition(), QStringLiteral("わたしの名前"));
    QCOMPARE(composer.focus(), 1);
    QCOMPARE(cardTexts().mid(0, 2), (QStringList{"名前", "生枝"}));
    QCOMPARE(QApplication::focusWidget(), form->Text2);
    QCOMPARE(form->Text2->text(), QString());
    // A card of the last segment takes the whole conversion, as "ＯＫ" would.
    QTest::mouseClick(platform::KanaInputMethod::instance().cards()->cards()[1], Qt::LeftButton);
    QCOMPARE(form->Text2->text(), QStringLiteral("わたしの生枝"));
    QCOMPARE(composition(), QString());
    QCOMPARE(cardTexts(), QStringList());
    QCOMPARE(QApplication::focusWidget(), form->Text2);
}

void TestKeyboard::aCardOfTheOnlySegmentTakesTheConversion()
{
    if (withoutDictionary)
        QSKIP("runs with the dictionary");
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字"});
    QCOMPARE(platform::KanaInputMethod::instance().composer().segments().size(), 1);
    // The second card, whichever word the converter has learnt to offer first.
    const QString word = cardTexts().value(1);
    QVERIFY(word == QStringLiteral("漢字") || word == QStringLiteral("感じ"));
    QTest::mouseClick(platform::KanaInputMethod::instance().cards()->cards()[1], Qt::LeftButton);
    QCOMPARE(form->Text2->text(), word);
    QCOMPARE(composition(), QString());
    QCOMPARE(cardTexts(), QStringList());
    // Typing goes on after the word taken.
    clickCaptions({"に"});
    QCOMPARE(composition(), QStringLiteral("に"));
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), word + QStringLiteral("に"));
}

void TestKeyboard::theCurrentCardLooksTheSameFirstAndLater()
{
    // The middle of the current card's face, and a point just inside its frame, as painted.
    const auto look = [this](QLabel *card) {
        // As the window shows it.
        const QImage image = form->grab(QRect(card->mapTo(form, QPoint(0, 0)), card->size())).toImage();
        return QPair<QRgb, QRgb>(image.pixel(image.width() / 2, 2) & 0xFFFFFF,
                                 image.pixel(4, image.height() - 4) & 0xFFFFFF);
    };
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字"});
    platform::CandidateCards *cards = platform::KanaInputMethod::instance().cards();
    QVERIFY(cards);
    QVERIFY(cards->cards()[0]->property("current").toBool());
    const QPair<QRgb, QRgb> first = look(cards->cards()[0]);
    clickCaptions({"漢\u3000\u3000字"});
    QVERIFY(cards->cards()[1]->property("current").toBool());
    const QPair<QRgb, QRgb> later = look(cards->cards()[1]);
    QCOMPARE(later, first);
    // And not as the other cards look.
    QVERIFY(look(cards->cards()[0]) != first);
    clickCaptions({"ＯＫ"});
}

void TestKeyboard::candidatesCycleRoundThroughPagesOfCards()
{
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字"});
    const auto &composer = platform::KanaInputMethod::instance().composer();
    const QStringList candidates = composer.segments().value(0).candidates;
    QVERIFY(candidates.size() >= 2);
    const QString first = composition();
    QCOMPARE(first, candidates[0]);
    // Every candidate in turn, its card shown and marked, and round to the first again.
    for (int k = 1; k <= candidates.size(); ++k) {
        clickCaptions({"漢\u3000\u3000字"});
        const int current = k % candidates.size();
        QCOMPARE(composition(), candidates[current]);
        const QList<QLabel *> cards = platform::KanaInputMethod::instance().cards()->cards();
        QVERIFY(!cards.isEmpty());
        int marked = 0;
        for (QLabel *card : cards)
            marked += card->property("current").toBool() && card->text() == candidates[current];
        QVERIFY2(marked == 1, qPrintable(candidates[current]));
        QVERIFY(cards.last()->mapTo(form, QPoint(cards.last()->width(), 0)).x() <= form->width());
    }
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), first);
}

void TestKeyboard::conversionWithoutDictionary()
{
    if (!withoutDictionary)
        QSKIP("runs in the second run, without a dictionary");
    QVERIFY(!platform::KanaKanjiAvailable());
    clickCaptions({"か", "ん", "し", " ゛", "漢\u3000\u3000字"});
    QCOMPARE(composition(), QStringLiteral("かんじ"));
    QCOMPARE(cardTexts(), (QStringList{"かんじ", "カンジ"}));
    clickCaptions({"漢\u3000\u3000字"});
    QCOMPARE(composition(), QStringLiteral("カンジ"));
    clickCaptions({"漢\u3000\u3000字", "ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("かんじ"));
}
