// SPDX-License-Identifier: GPL-3.0-or-later
// The on-screen hiragana keyboard and the input method behind it: the key strokes every key
// sends, LastKana, the wait for "つぎ", what the input method composes in the typing line, and
// the composition kept when the focus moves. The conversion is in tst_keyboard_conversion.cpp.

#include "tst_keyboard.h"

#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "platform/EventLoop.h"
#include "input/KanaInputMethod.h"
#include "input/KanaKanji.h"
#include "input/KeyInjection.h"
#include "registration/frmList.h"
#include "text/Keyboard.h"

#include <QTemporaryDir>
#include <QtTest>

using platform::KeyEventRecord;

namespace {

Batch Press(int key)
{
    return {{key, 0}, {key, 1}};
}

Batch ShiftedPress(int key)
{
    return {{0x10, 0}, {key, 0}, {key, 1}, {0x10, 1}};
}

// The scan codes of a JIS 106/109 keyboard (set 1) for the keys the keyboard uses.
int JisScanCode(int key)
{
    static const QHash<int, int> codes = {
        {0x30, 0x0B}, {0x31, 0x02}, {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07},
        {0x37, 0x08}, {0x38, 0x09}, {0x39, 0x0A}, {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20},
        {0x45, 0x12}, {0x46, 0x21}, {0x47, 0x22}, {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25},
        {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31}, {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13},
        {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16}, {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D}, {0x59, 0x15},
        {0x5A, 0x2C}, {0xBA, 0x28}, {0xBB, 0x27}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35},
        {0xC0, 0x1A}, {0xDB, 0x1B}, {0xDC, 0x7D}, {0xDD, 0x2B}, {0xDE, 0x0D}, {0xE2, 0x73}, {0x60, 0x52},
        {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47},
        {0x68, 0x48}, {0x69, 0x49}, {0x10, 0x2A}, {0x08, 0x0E}, {0x0D, 0x1C}, {0x20, 0x39}, {0x2E, 0x53},
        {0x75, 0x40}, {0x76, 0x41}, {0x1C, 0x79}, {0x15, 0x70},
    };
    return codes.value(key, -1);
}

// The character keys: index and virtual key, as the keyboard's table gives them.
const QList<QPair<int, int>> CharacterKeys = {
    {0, 0x33}, {1, 0x45}, {2, 0x34}, {3, 0x35}, {4, 0x36}, {5, 0x54}, {6, 0x47}, {7, 0x48}, {8, 0xBA},
    {9, 0x42}, {10, 0x58}, {11, 0x44}, {12, 0x52}, {13, 0x50}, {14, 0x43}, {15, 0x51}, {16, 0x41},
    {17, 0x5A}, {18, 0x57}, {19, 0x53}, {20, 0x55}, {21, 0x49}, {22, 0x31}, {23, 0xBC}, {24, 0x4B},
    {25, 0x46}, {26, 0x56}, {27, 0x32}, {28, 0xDE}, {29, 0xBD}, {30, 0x4A}, {31, 0x4E}, {32, 0xDD},
    {33, 0xBF}, {34, 0x4D}, {35, 0x37}, {36, 0x38}, {37, 0x39}, {40, 0x4F}, {41, 0x4C}, {42, 0xBE},
    {43, 0xBB}, {44, 0xE2}, {45, 0x30}, {47, 0x59}, {51, 0x61}, {52, 0x62}, {53, 0x63}, {54, 0x64},
    {55, 0x65}, {56, 0x66}, {57, 0x67}, {58, 0x68}, {59, 0x69}, {60, 0x60},
};

// "[15+ 15-] [10+ BC+ BC- 10-]": the strokes of each injection call, + down, - up.
QString Describe(const Batches &batches)
{
    QStringList calls;
    for (const Batch &batch : batches) {
        QStringList strokes;
        for (const Stroke &stroke : batch)
            strokes << QStringLiteral("%1%2").arg(stroke.first, 2, 16, QLatin1Char('0')).toUpper().arg(stroke.second ? '-' : '+');
        calls << '[' + strokes.join(' ') + ']';
    }
    return calls.join(' ');
}

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

} // namespace


void TestKeyboard::initTestCase()
{
    QVERIFY(learning.isValid());
    // Learning goes to a fresh folder, so that conversions come out the same in every run. The
    // second run of this program points the converter at a dictionary that is not there.
    withoutDictionary = qEnvironmentVariableIsSet("TOVIMARU_TEST_NO_DICTIONARY");
    platform::ConfigureKanaKanji(learning.path(), withoutDictionary ? learning.filePath("none.dic") : QString());
    connect(&platform::KeyInjectionMonitor::instance(), &platform::KeyInjectionMonitor::injected, this,
            [this](const QVector<KeyEventRecord> &records) {
                Batch batch;
                for (const KeyEventRecord &record : records) {
                    // Every record: keyboard type, the JIS scan code of its key, flags 1 or 3,
                    // no time and no extra information.
                    QCOMPARE(record.type, 1u);
                    QCOMPARE(int(record.scanCode), JisScanCode(record.virtualKey));
                    QVERIFY(record.flags == 1 || record.flags == 3);
                    QCOMPARE(record.time, 0u);
                    QCOMPARE(record.extraInfo, std::uintptr_t(0));
                    batch.push_back({record.virtualKey, record.flags == 3 ? 1 : 0});
                }
                batches.push_back(batch);
            });
}

void TestKeyboard::init()
{
    platform::CommitComposition();
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    QTRY_VERIFY(!platform::IsHoldingInput()); // start-up has yielded
    // The keyboard as the text-editing mode shows it: the keys, the check box and the typing
    // line with the focus, the kana lock on.
    for (int i = 0; i < 70; ++i)
        form->Label1[i]->show();
    form->Check1->show();
    form->Label4->show();
    form->Text2->show();
    platform::SetInputFocus(form->Text2);
    QCOMPARE(QApplication::focusWidget(), form->Text2);
    if (!platform::KanaLockOn())
        text::ToggleKanaLock();
    QVERIFY(platform::KanaLockOn());
    QTRY_VERIFY(!platform::IsHoldingInput()); // the toggle has yielded
    batches.clear();
}

void TestKeyboard::click(int index)
{
    QTest::mouseClick(form->Label1[index], Qt::LeftButton);
    // "カナ入力きりかえ" lets pending events run, holding input back until it has returned.
    QTRY_VERIFY(!platform::IsHoldingInput());
}

void TestKeyboard::clickCaptions(const QStringList &captions)
{
    for (const QString &caption : captions) {
        int found = -1;
        for (int i = 0; i < 71 && found < 0; ++i) {
            if (form->Label1[i]->caption() == caption)
                found = i;
        }
        QVERIFY2(found >= 0, qPrintable(caption));
        click(found);
    }
}

void TestKeyboard::inject(std::initializer_list<Stroke> strokes)
{
    std::vector<std::uint16_t> keys;
    std::vector<int> ups;
    for (const Stroke &stroke : strokes) {
        keys.push_back(static_cast<std::uint16_t>(stroke.first));
        ups.push_back(stroke.second);
    }
    text::SendKeyEvents(static_cast<int>(keys.size()), keys.data(), ups.data());
}

// ---------------------------------------------------------------------------------------------

void TestKeyboard::everyKeySendsItsStrokes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("lastKanaBefore");
    QTest::addColumn<Batches>("expected");
    QTest::addColumn<QString>("lastKanaAfter"); // "*" for the key's caption

    for (const auto &[index, key] : CharacterKeys)
        QTest::addRow("%d", index) << index << QString() << Batches{Press(key)} << QStringLiteral("*");
    QTest::newRow("46 を") << 46 << QString() << Batches{ShiftedPress(0x30)} << QStringLiteral("を");
    QTest::newRow("48 、") << 48 << QStringLiteral("か") << Batches{ShiftedPress(0xBC)} << QString();
    QTest::newRow("49 。") << 49 << QStringLiteral("か") << Batches{ShiftedPress(0xBE)} << QString();
    QTest::newRow("67 ー") << 67 << QString() << Batches{ShiftedPress(0xDC)} << QStringLiteral("ー");
    QTest::newRow("38 after か") << 38 << QStringLiteral("か") << Batches{Press(0xC0)} << QString();
    QTest::newRow("38 after ほ") << 38 << QStringLiteral("ほ") << Batches{Press(0xC0)} << QString();
    QTest::newRow("38 after う") << 38 << QStringLiteral("う") << Batches{} << QStringLiteral("う");
    QTest::newRow("38 after nothing") << 38 << QString() << Batches{} << QString();
    QTest::newRow("39 after は") << 39 << QStringLiteral("は") << Batches{Press(0xDB)} << QString();
    QTest::newRow("39 after か") << 39 << QStringLiteral("か") << Batches{} << QStringLiteral("か");
    for (const auto &[kana, key] : QList<QPair<QString, int>>{{"あ", 0x33}, {"い", 0x45}, {"う", 0x34}, {"え", 0x35},
                                                              {"お", 0x36}, {"つ", 0x5A}, {"や", 0x37}, {"ゆ", 0x38},
                                                              {"よ", 0x39}})
        QTest::addRow("50 after %s", qPrintable(kana)) << 50 << kana << Batches{Press(0x08), ShiftedPress(key)} << kana;
    QTest::newRow("50 after か") << 50 << QStringLiteral("か") << Batches{} << QStringLiteral("か");
    QTest::newRow("61 漢字") << 61 << QStringLiteral("か") << Batches{Press(0x1C)} << QStringLiteral("か");
    QTest::newRow("62 space") << 62 << QStringLiteral("か") << Batches{Press(0x20)} << QString();
    QTest::newRow("63 ←") << 63 << QStringLiteral("か") << Batches{Press(0x08)} << QString();
    QTest::newRow("64 ＯＫ") << 64 << QStringLiteral("か") << Batches{Press(0x0D)} << QString();
    QTest::newRow("65 カタカナ") << 65 << QStringLiteral("か") << Batches{Press(0x76)} << QString();
    QTest::newRow("66 ひらがな") << 66 << QStringLiteral("か") << Batches{Press(0x75)} << QString();
    QTest::newRow("68 けす") << 68 << QStringLiteral("か") << Batches{Press(0x2E)} << QString();
    QTest::newRow("69 カナ入力きりかえ") << 69 << QStringLiteral("か") << Batches{{{0x15, 0}}, {{0x15, 1}}} << QString();
    QTest::newRow("70 つぎ") << 70 << QStringLiteral("か") << Batches{} << QStringLiteral("か");
}

void TestKeyboard::everyKeySendsItsStrokes()
{
    QFETCH(int, index);
    QFETCH(QString, lastKanaBefore);
    QFETCH(Batches, expected);
    QFETCH(QString, lastKanaAfter);
    form->Label1[70]->show();
    Module1::LastKana = lastKanaBefore;
    const bool kanaLock = platform::KanaLockOn();
    click(index);
    QCOMPARE(Describe(batches), Describe(expected));
    QCOMPARE(Module1::LastKana, lastKanaAfter == "*" ? form->Label1[index]->caption() : lastKanaAfter);
    QCOMPARE(platform::KanaLockOn(), index == 69 ? !kanaLock : kanaLock);
    QCOMPARE(Module1::WaitForNext, std::int16_t(0)); // Check1 is not ticked
}

void TestKeyboard::theWaitForNext_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("works");
    QTest::addColumn<int>("waitAfter");
    const QList<int> passing = {38, 39, 50, 61, 63, 64, 65, 66, 68, 69, 70};
    for (int i = 0; i <= 70; ++i) {
        const bool works = passing.contains(i);
        // The voicing marks keep the wait; the other keys that work end it; ignored ones leave it.
        const int waitAfter = works && i != 38 && i != 39 ? 0 : 1;
        QTest::addRow("%d", i) << i << works << waitAfter;
    }
}

void TestKeyboard::theWaitForNext()
{
    QFETCH(int, index);
    QFETCH(bool, works);
    QFETCH(int, waitAfter);
    form->Check1->setValue(1);
    QVERIFY(form->Label1[70]->isVisible());
    Module1::WaitForNext = 1;
    Module1::LastKana = index == 50 ? QStringLiteral("つ") : QStringLiteral("は");
    const QString lastKana = Module1::LastKana;
    const bool kanaLock = platform::KanaLockOn();
    click(index);
    const bool sent = !batches.isEmpty();
    QCOMPARE(sent, works && index != 70);
    QCOMPARE(int(Module1::WaitForNext), waitAfter);
    if (!works) { // ignored completely: no change of state
        QCOMPARE(Module1::LastKana, lastKana);
        QCOMPARE(platform::KanaLockOn(), kanaLock);
    }
}

void TestKeyboard::oneCharacterAtATime()
{
    // "あ" types, "い" is then ignored until "つぎ"; "←" also ends the wait; unticking ends
    // any wait at once and hides "つぎ".
    QTest::mouseClick(form->Check1, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(form->Check1->value(), 1);
    QVERIFY(form->Label1[70]->isVisible());
    platform::SetInputFocus(form->Text2);
    clickCaptions({"あ", "い"});
    QCOMPARE(composition(), QStringLiteral("あ"));
    QCOMPARE(Module1::WaitForNext, std::int16_t(1));
    clickCaptions({"つぎ", "い"});
    QCOMPARE(composition(), QStringLiteral("あい"));
    clickCaptions({"←", "う", "ー", "", "か"}); // the shifted keys and the space bar wait too
    QCOMPARE(composition(), QStringLiteral("あう"));
    clickCaptions({"つぎ", "か", " ゛"}); // a voicing mark still works and keeps the wait
    QCOMPARE(composition(), QStringLiteral("あうが"));
    QCOMPARE(Module1::WaitForNext, std::int16_t(1));
    QTest::mouseClick(form->Check1, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(form->Check1->value(), 0);
    QCOMPARE(Module1::WaitForNext, std::int16_t(0));
    QVERIFY(!form->Label1[70]->isVisible());
    platform::SetInputFocus(form->Text2);
    clickCaptions({"い", "い", "ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("あうがいい"));
}

void TestKeyboard::keysLookEtchedWhileHeldEvenWhenIgnored()
{
    Module1::WaitForNext = 1;
    for (int index : {0, 63}) { // ignored by the gate, and working
        platform::KeyLabel *key = form->Label1[index];
        QCOMPARE(key->appearance(), int(platform::KeyLabel::Raised));
        QTest::mousePress(key, Qt::LeftButton);
        QCOMPARE(key->appearance(), int(platform::KeyLabel::Etched));
        QTest::mouseRelease(key, Qt::LeftButton);
        QCOMPARE(key->appearance(), int(platform::KeyLabel::Raised));
    }
    QCOMPARE(batches.size(), 1); // only "←" sent a stroke
}

void TestKeyboard::keysWorkWhileInputIsHeldBack()
{
    // The kana lock's yield holds user input back until the handler returns; what the keys
    // send meanwhile still reaches the typing line at once and in order.
    text::ToggleKanaLock();
    text::ToggleKanaLock();
    QVERIFY(platform::IsHoldingInput());
    text::KeyboardController &keyboard = CurrentProgram()->keyboard();
    for (int index : {25, 38, 0, 64, 1})
        keyboard.KeyClick(index);
    QCOMPARE(form->Text2->text(), QStringLiteral("ばあ"));
    QCOMPARE(composition(), QStringLiteral("い"));
    QTRY_VERIFY(!platform::IsHoldingInput());
    QCOMPARE(form->Text2->text(), QStringLiteral("ばあ"));
    QCOMPARE(composition(), QStringLiteral("い"));
}

// ---------------------------------------------------------------------------------------------

void TestKeyboard::voicedKana_data()
{
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("expected");
    const QString plain = QStringLiteral("かきくけこさしすせそたちつてとはひふへほ");
    const QString voiced = QStringLiteral("がぎぐげござじずぜぞだぢづでどばびぶべぼ");
    for (int k = 0; k < plain.size(); ++k)
        QTest::addRow("%s゛", qPrintable(plain.mid(k, 1))) << plain.mid(k, 1) << QStringLiteral(" ゛") << voiced.mid(k, 1);
    const QString semi = QStringLiteral("ぱぴぷぺぽ");
    for (int k = 0; k < semi.size(); ++k)
        QTest::addRow("%s゜", qPrintable(plain.mid(15 + k, 1))) << plain.mid(15 + k, 1) << QStringLiteral(" ゜") << semi.mid(k, 1);
}

void TestKeyboard::voicedKana()
{
    QFETCH(QString, kana);
    QFETCH(QString, mark);
    QFETCH(QString, expected);
    clickCaptions({kana, mark});
    QCOMPARE(composition(), expected);
    QVERIFY(Module1::LastKana.isEmpty());
    clickCaptions({mark}); // a second mark does nothing
    QCOMPARE(composition(), expected);
    QCOMPARE(form->Text2->text(), QString()); // the box holds committed text only
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), expected);
    QCOMPARE(composition(), QString());
}

void TestKeyboard::marksStandAloneWhereNothingTakesThem()
{
    // "う" then " ゛" does nothing on the keyboard; the key of ゛ itself combines it to ゔ.
    clickCaptions({"う", " ゛"});
    QCOMPARE(composition(), QStringLiteral("う"));
    inject({{0xC0, 0}, {0xC0, 1}});
    QCOMPARE(composition(), QStringLiteral("ゔ"));
    // After "、" the keyboard sends no mark; after a kana that takes none the mark stands alone,
    // and an already voiced kana is not voiced again.
    clickCaptions({"、", " ゛"});
    QCOMPARE(composition(), QStringLiteral("ゔ、"));
    clickCaptions({"あ"});
    inject({{0xC0, 0}, {0xC0, 1}, {0xDB, 0}, {0xDB, 1}});
    clickCaptions({"は", " ゜"});
    inject({{0xDB, 0}, {0xDB, 1}});
    QCOMPARE(composition(), QStringLiteral("ゔ、あ゛゜ぱ゜"));
    clickCaptions({"ＯＫ"});
    inject({{0xC0, 0}, {0xC0, 1}}); // a committed kana never combines
    QCOMPARE(composition(), QStringLiteral("゛"));
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("ゔ、あ゛゜ぱ゜゛"));
}

void TestKeyboard::smallKana_data()
{
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("small");
    const QString plain = QStringLiteral("あいうえおつやゆよ");
    const QString small = QStringLiteral("ぁぃぅぇぉっゃゅょ");
    for (int k = 0; k < plain.size(); ++k)
        QTest::addRow("%s", qPrintable(plain.mid(k, 1))) << plain.mid(k, 1) << small.mid(k, 1);
}

void TestKeyboard::smallKana()
{
    QFETCH(QString, kana);
    QFETCH(QString, small);
    clickCaptions({"か", kana, "こ\u3000もじ"});
    QCOMPARE(composition(), "か" + small);
    // Again: LastKana is still the plain kana, so the small one is replaced by itself.
    clickCaptions({"こ\u3000もじ"});
    QCOMPARE(composition(), "か" + small);
    QCOMPARE(Module1::LastKana, kana);
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), "か" + small);
}

void TestKeyboard::shiftedKeysOfTheLayout()
{
    clickCaptions({"を", "ー", "、", "。"});
    QCOMPARE(composition(), QStringLiteral("をー、。"));
    // The yen key gives ー with or without shift; the keys the keyboard has no label for give
    // ・「」, and a shifted key without a shifted kana its plain kana.
    inject({{0xDC, 0}, {0xDC, 1}});
    inject({{0x10, 0}, {0xBF, 0}, {0xBF, 1}, {0xDB, 0}, {0xDB, 1}, {0xDD, 0}, {0xDD, 1}, {0x54, 0}, {0x54, 1}, {0x10, 1}});
    QCOMPARE(composition(), QStringLiteral("をー、。ー・「」か"));
}

void TestKeyboard::hiraganaAndKatakanaRoundTrip()
{
    clickCaptions({"か", " ゛", "う", "こ\u3000もじ", "ん", "カタカナ"});
    QCOMPARE(composition(), QStringLiteral("ガゥン"));
    clickCaptions({"カタカナ"});
    QCOMPARE(composition(), QStringLiteral("ガゥン"));
    clickCaptions({"ひらがな"});
    QCOMPARE(composition(), QStringLiteral("がぅん"));
    clickCaptions({"カタカナ", "ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("ガゥン"));
}

void TestKeyboard::editingKeys()
{
    // "←" takes a whole が off the composition, then committed characters off the line.
    clickCaptions({"あ", "ＯＫ", "か", "か", " ゛", "←"});
    QCOMPARE(composition(), QStringLiteral("か"));
    QCOMPARE(form->Text2->text(), QStringLiteral("あ"));
    clickCaptions({"←"});
    QCOMPARE(composition(), QString());
    QCOMPARE(form->Text2->text(), QStringLiteral("あ"));
    clickCaptions({"←"});
    QCOMPARE(form->Text2->text(), QString());
    // "け　　す" does nothing inside a composition and deletes right of the caret outside it.
    clickCaptions({"い", "ＯＫ", "う", "け\u3000\u3000す"});
    QCOMPARE(composition(), QStringLiteral("う"));
    form->Text2->setCursorPosition(0);
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text(), QStringLiteral("うい"));
    form->Text2->setCursorPosition(1);
    clickCaptions({"け\u3000\u3000す"});
    QCOMPARE(form->Text2->text(), QStringLiteral("う"));
    // "ＯＫ" with nothing composed is the line's own Enter.
    QSignalSpy returned(form->Text2, &QLineEdit::returnPressed);
    clickCaptions({"ＯＫ"});
    QCOMPARE(returned.size(), 1);
    QCOMPARE(form->Text2->text(), QStringLiteral("う"));
}

void TestKeyboard::spaceInAndOutOfAComposition()
{
    clickCaptions({"", "１", "２"});
    QCOMPARE(form->Text2->text(), QStringLiteral("\u3000"));
    QCOMPARE(composition(), QStringLiteral("１２"));
    clickCaptions({""}); // converts
    QCOMPARE(platform::KanaInputMethod::instance().composer().state(), platform::KanaComposer::State::Converted);
    QVERIFY(!cardTexts().isEmpty());
    clickCaptions({"ＯＫ"});
    QCOMPARE(form->Text2->text().left(1), QStringLiteral("\u3000"));
    QCOMPARE(form->Text2->text().size(), 3);
    QCOMPARE(cardTexts(), QStringList());
}

void TestKeyboard::kanaLockOffTypesFullWidthAscii()
{
    clickCaptions({"カナ入力きりかえ"});
    QVERIFY(!platform::KanaLockOn());
    // あ is on the 3 key, を on shift 0 (nothing in ASCII), ー on shift yen, ね on the comma key.
    clickCaptions({"あ", "を", "ー", "ね", "か", "１"});
    inject({{0x10, 0}, {0x54, 0}, {0x54, 1}, {0x10, 1}});
    QCOMPARE(composition(), QStringLiteral("３｜，ｔ１Ｔ"));
    clickCaptions({"ＯＫ", "カナ入力きりかえ", "あ", "ＯＫ"});
    QVERIFY(platform::KanaLockOn());
    QCOMPARE(form->Text2->text(), QStringLiteral("３｜，ｔ１Ｔあ"));
}

// ---------------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------------

void TestKeyboard::compositionKeptWhenTheFocusMoves()
{
    clickCaptions({"あ", "い"});
    form->Text1[0]->show();
    platform::SetInputFocus(form->Text1[0]);
    QCOMPARE(form->Text2->text(), QStringLiteral("あい"));
    QCOMPARE(composition(), QString());
    // A conversion is committed as it is shown.
    platform::SetInputFocus(form->Text2);
    clickCaptions({"う", "カタカナ"});
    form->Command21->show();
    form->Command21->setFocus(Qt::MouseFocusReason);
    QCOMPARE(form->Text2->text(), QStringLiteral("あいウ"));
    QCOMPARE(cardTexts(), QStringList());
}

void TestKeyboard::compositionKeptWhenTheTypingLineIsHidden()
{
    // Closing the editing mode hides the typing line before reading it.
    clickCaptions({"え", "お"});
    form->Text2->hide();
    QCOMPARE(form->Text2->text(), QStringLiteral("えお"));
    QCOMPARE(composition(), QString());
}

void TestKeyboard::servesTextSlotsAndPhraseBoxes()
{
    // Strokes go to whichever text box has the focus.
    form->Text1[3]->show();
    form->Text1[3]->setText(QStringLiteral("x"));
    form->Text1[3]->moveCursor(QTextCursor::End);
    platform::SetInputFocus(form->Text1[3]);
    inject({{0x54, 0}, {0x54, 1}, {0xC0, 0}, {0xC0, 1}});
    QCOMPARE(composition(), QStringLiteral("が"));
    QCOMPARE(form->Text1[3]->text(), QStringLiteral("x"));
    inject({{0x0D, 0}, {0x0D, 1}});
    QCOMPARE(form->Text1[3]->text(), QStringLiteral("xが"));

    frmList *registration = CurrentProgram() ? CurrentProgram()->registration() : nullptr;
    QVERIFY(registration);
    platform::PlainTextBox *phrase = registration->PhraseBox[2];
    phrase->clear();
    platform::SetInputFocus(phrase);
    inject({{0x33, 0}, {0x33, 1}, {0x45, 0}, {0x45, 1}});
    QCOMPARE(composition(), QStringLiteral("あい"));
    inject({{0x76, 0}, {0x76, 1}});
    // The cards of a short box lie below it, inside its window.
    platform::CandidateCards *cards = platform::KanaInputMethod::instance().cards();
    QVERIFY(cards);
    QCOMPARE(cards->window(), registration);
    QVERIFY(cards->mapTo(registration, QPoint(0, 0)).y() > phrase->mapTo(registration, QPoint(0, phrase->height())).y());
    QVERIFY(registration->rect().contains(cards->geometry()));
    inject({{0x0D, 0}, {0x0D, 1}});
    QCOMPARE(phrase->text(), QStringLiteral("アイ"));
}

void TestKeyboard::desktopKeyboardStillTypes()
{
    clickCaptions({"あ"});
    QTest::keyClicks(form->Text2, QStringLiteral("ab"));
    QCOMPARE(form->Text2->text(), QStringLiteral("あab"));
    QCOMPARE(composition(), QString());
}

QTEST_MAIN(TestKeyboard)
