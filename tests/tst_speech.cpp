// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the program aloud (the setting speech): resting on controls, clicking keys, the spoken
// forms, the speaker button of step 3, what screen readers see, and the real voice over a
// private speech-dispatcher whose sound goes to a file.

#include "PrivateSpeechDispatcher.h"
#include "TestSupport.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Form1Layout.h"
#include "form/Module1.h"
#include "input/KanaInputMethod.h"
#include "input/KanaKanji.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/Narrator.h"
#include "platform/SpokenText.h"
#include "platform/Voice.h"
#include "settings/Settings.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QPointingDevice>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A voice that only writes down what it is told to say.
QStringList said;
int voicesMade = 0;

class RecordingVoice final : public platform::Voice
{
public:
    void say(const QString &text) override { said.append(text); }
    void stop() override {}
};

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// Whether a voice like espeak-ng's can say every character of a spoken form: kana, the long
// vowel mark, ASCII and the Japanese comma; no kanji, no full-width forms, no lone marks.
bool Sayable(const QString &spoken)
{
    for (QChar c : spoken) {
        const char16_t u = c.unicode();
        const bool kana = (u >= u'ぁ' && u <= u'ゖ') || (u >= u'ァ' && u <= u'ヺ') || u == u'ー';
        if (!kana && u >= 0x80 && u != u'、')
            return false;
    }
    return !spoken.isEmpty();
}

} // namespace

class TestSpeech : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void spokenForms_data();
    void spokenForms();
    void everyCaptionCanBeSaid();
    void restingSaysTheCaptionAndLeavingEarlyNothing_data();
    void restingSaysTheCaptionAndLeavingEarlyNothing();
    void aClickOnAKanaKeySaysTheKana();
    void theSpeakButtonReadsTheLineAndTheSlot();
    void choosingAPhraseReadsIt();
    void screenReadersSeeAndPressTheControls();
    void nothingWithSpeechOff();
    void theRealVoiceWritesSamples();
    void aHungServiceHoldsNothing();

private:
    void start(bool speech = true);
    void toStepThree();
    Form1 *m_form = nullptr;
};

void TestSpeech::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    platform::SetVoiceMaker([] {
        ++voicesMade;
        return std::make_unique<RecordingVoice>();
    });
}

void TestSpeech::init()
{
    said.clear();
    voicesMade = 0;
}

void TestSpeech::cleanup()
{
    settings::SetCurrent(settings::Settings{});
}

void TestSpeech::start(bool speech)
{
    settings::Settings chosen;
    chosen.speech = speech;
    settings::SetCurrent(chosen);
    platform::CommitComposition();
    StartTovimaru();
    m_form = MainWindow();
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QTRY_VERIFY(!platform::IsHoldingInput());
    if (speech)
        QTRY_VERIFY(CurrentProgram()->narrator()->voice()); // started once the window is shown
    // The registration window stays open above; the pointer starts away from every control.
    QTest::mouseMove(m_form, QPoint(2, m_form->height() - 2));
    said.clear();
}

void TestSpeech::toStepThree()
{
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    QTRY_VERIFY(m_form->Command21->isVisible());
    said.clear();
}

void TestSpeech::spokenForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QString>("spoken");
    auto caption = [](const char *text, const char *spoken) {
        QTest::newRow(text) << QString::fromUtf8(text) << QStringList{QStringLiteral("caption")}
                            << QString::fromUtf8(spoken);
    };
    caption("つぎへ", "つぎえ");
    caption("ー", "のばす");
    caption(" ゛", "てんてん");
    caption(" ゜", "まる");
    caption("漢\u3000\u3000字", "かんじ");
    caption("カナ入力きりかえ", "かなにゅうりょく きりかえ");
    caption("け\u3000\u3000す", "けす");
    caption("こ\u3000もじ", "こもじ");
    caption("ＯＫ", "おーけー");
    caption("もじ の へんしゅう", "もじ の へんしゅう");
    caption("１", "1");
    QTest::newRow("full-width digits and letters") << QStringLiteral("がぞうは１０まい ＡＢ") << QStringList()
                                                   << QStringLiteral("がぞうは10まい AB");
    QTest::newRow("kanji without a reading") << QStringLiteral("雪だ　よ") << QStringList() << QStringLiteral("だ よ");
    QTest::newRow("converted segments and particles")
        << QStringLiteral("今日はいい天気、学校へ")
        << QStringList{QStringLiteral("今日は"), QStringLiteral("きょうは"), QStringLiteral("天気"),
                       QStringLiteral("てんき"), QStringLiteral("学校へ"), QStringLiteral("がっこうへ")}
        << QStringLiteral("きょうわいいてんき、がっこうえ");
    QTest::newRow("the longer word first")
        << QStringLiteral("日本語")
        << QStringList{QStringLiteral("日本"), QStringLiteral("にほん"), QStringLiteral("日本語"), QStringLiteral("にほんご")}
        << QStringLiteral("にほんご");
    QTest::newRow("a lone voicing mark") << QStringLiteral("か゛き゜") << QStringList() << QStringLiteral("かき");
}

void TestSpeech::spokenForms()
{
    QFETCH(QString, text);
    QFETCH(QStringList, readings);
    QFETCH(QString, spoken);
    if (readings == QStringList{QStringLiteral("caption")})
        QCOMPARE(platform::SpokenCaption(text), spoken);
    else
        QCOMPARE(platform::SpokenText(text, readings), spoken);
}

void TestSpeech::everyCaptionCanBeSaid()
{
    start();
    toStepThree();
    QTest::mouseClick(m_form->Command21, Qt::LeftButton); // the keys are shown
    QTRY_VERIFY(!platform::IsHoldingInput());
    const QList<QWidget *> controls = m_form->client()->findChildren<QWidget *>();
    int speaking = 0;
    for (QWidget *control : controls) {
        const QString caption = platform::Narrator::CaptionOf(control);
        if (qobject_cast<platform::CommandButton *>(control) || qobject_cast<platform::KeyLabel *>(control)) {
            QVERIFY2(Sayable(caption), qPrintable(control->objectName() + QLatin1Char(' ') + caption));
            ++speaking;
        }
    }
    QCOMPARE(speaking, 71 + 20); // the keys, the window's buttons and "よむ"
}

void TestSpeech::restingSaysTheCaptionAndLeavingEarlyNothing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("restMs");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("つぎへ, resting") << "Command11" << 1000 << "つぎえ";
    QTest::newRow("つぎへ, leaving early") << "Command11" << 300 << "";
    QTest::newRow("おわり, resting") << "Command3" << 1000 << "おわり";
    QTest::newRow("a plain label") << "Label5" << 1000 << "";
}

void TestSpeech::restingSaysTheCaptionAndLeavingEarlyNothing()
{
    QFETCH(QString, control);
    QFETCH(int, restMs);
    QFETCH(QString, spoken);
    start();
    QWidget *target = m_form->client()->findChild<QWidget *>(control);
    QVERIFY(target);
    QTest::mouseMove(target, target->rect().center());
    QTest::qWait(restMs);
    QTest::mouseMove(m_form, QPoint(2, m_form->height() - 2));
    QTest::qWait(platform::Narrator::RestMs + 200);
    QCOMPARE(said, spoken.isEmpty() ? QStringList() : QStringList{spoken});
}

void TestSpeech::aClickOnAKanaKeySaysTheKana()
{
    start();
    toStepThree();
    QTest::mouseClick(m_form->Command21, Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    platform::SetInputFocus(m_form->Text2);
    said.clear();
    QTest::mouseClick(m_form->Label1[5], Qt::LeftButton); // "か"
    QTest::mouseClick(m_form->Label1[67], Qt::LeftButton); // "ー": no kana, nothing said
    QTRY_VERIFY(!platform::IsHoldingInput());
    QTest::mouseMove(m_form, QPoint(2, m_form->height() - 2));
    QTest::qWait(platform::Narrator::RestMs + 200);
    QCOMPARE(said, QStringList{QStringLiteral("か")});
    QCOMPARE(m_form->Text2->text() + platform::KanaInputMethod::instance().compositionText(), QStringLiteral("かー"));
}

void TestSpeech::theSpeakButtonReadsTheLineAndTheSlot()
{
    start();
    auto *speak = m_form->client()->findChild<platform::CommandButton *>(QStringLiteral("CommandSpeak"));
    QVERIFY(speak);
    QCOMPARE(speak->caption(), QStringLiteral("よむ"));
    QCOMPARE(speak->accessibleName(), QStringLiteral("よむ"));
    // Right of "おおきく", clear of every designed control of every step.
    const QRectF place(speak->twipsLeft(), speak->twipsTop(), speak->twipsWidth(), speak->twipsHeight());
    for (const platform::ControlSpec &control : Form1Layout()) {
        const QRectF other(control.left, control.top, control.width, control.height);
        QVERIFY2(!place.intersects(other), control.name);
    }
    QVERIFY(QRectF(0, 0, Form1ClientWidth, Form1ClientHeight).contains(place));
    QVERIFY(!speak->isVisible());
    toStepThree();
    QVERIFY(speak->isVisible());

    // A text slot selected, then text typed and converted on the typing line.
    QTest::mousePress(m_form->Text1[0]->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(m_form->Text1[0]->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(int(Module1::SelectedKind), 2);
    QTest::mouseClick(m_form->Command21, Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    QVERIFY(speak->isVisible());
    platform::SetInputFocus(m_form->Text2);
    const bool dictionary = platform::KanaKanjiAvailable();
    for (int key : {5, 47, 11, 38, 61}) // か ん し ゛ 漢字: "感じ", or "かんじ" without a dictionary
        QTest::mouseClick(m_form->Label1[key], Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    said.clear();
    QTest::mouseClick(speak, Qt::LeftButton); // what is being composed is read too
    QCOMPARE(said, QStringList{QStringLiteral("かんじ")});
    QTest::mouseClick(m_form->Label1[64], Qt::LeftButton); // ＯＫ
    for (int key : {20, 14}) // な そ: "なそ" after it
        QTest::mouseClick(m_form->Label1[key], Qt::LeftButton);
    QTest::mouseClick(m_form->Label1[64], Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    if (dictionary)
        QCOMPARE(m_form->Text2->text().left(2), QStringLiteral("感じ"));
    said.clear();
    QTest::mouseClick(speak, Qt::LeftButton);
    QCOMPARE(said, QStringList{QStringLiteral("かんじなそ")});

    // Editing off: the slot holds the text and is read with the same readings.
    QTest::mouseClick(m_form->Command21, Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    QCOMPARE(m_form->Text1[0]->text(), m_form->Text2->text());
    said.clear();
    QTest::mouseClick(speak, Qt::LeftButton);
    QCOMPARE(said, QStringList{QStringLiteral("かんじなそ")});
    // Back in step 2 the button is gone.
    QTest::mouseClick(m_form->Command15, Qt::LeftButton);
    QTRY_VERIFY(!m_form->Command21->isVisible());
    QVERIFY(!speak->isVisible());
}

void TestSpeech::choosingAPhraseReadsIt()
{
    start();
    frmList *registration = CurrentProgram()->registration();
    QVERIFY(registration);
    platform::PlainTextBox *box = registration->PhraseBox[2];
    box->setText(QStringLiteral("きょうは　１０じ"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(said, QStringList{QStringLiteral("きょうは 10じ")});
}

void TestSpeech::screenReadersSeeAndPressTheControls()
{
    start();
    toStepThree();
    QTest::mouseClick(m_form->Command21, Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    platform::SetInputFocus(m_form->Text2);
    struct Seen
    {
        QWidget *control;
        QAccessible::Role role;
        QString name;
        bool pressable;
    };
    const Seen seen[] = {
        {m_form->Label1[0], QAccessible::Button, QStringLiteral("あ"), true},
        {m_form->Label1[62], QAccessible::Button, QStringLiteral("すぺーす"), true},
        {m_form->Label1[61], QAccessible::Button, QStringLiteral("漢\u3000\u3000字"), true},
        {m_form->Image1[0], QAccessible::Button, QStringLiteral("え"), true},
        {m_form->Image3[0], QAccessible::Graphic, QStringLiteral("え"), true},
        {m_form->Picture2, QAccessible::Graphic, QStringLiteral("かみ"), false},
        {m_form->Command17, QAccessible::Button, QStringLiteral("もじいろ"), true},
        {m_form->Text1[0], QAccessible::EditableText, QString(), false},
    };
    for (const Seen &s : seen) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(s.control);
        QVERIFY2(face, qPrintable(s.control->objectName()));
        QCOMPARE(face->role(), s.role);
        if (!s.name.isEmpty())
            QCOMPARE(face->text(QAccessible::Name), s.name);
        QAccessibleActionInterface *actions = face->actionInterface();
        const bool pressable = actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction());
        QVERIFY2(pressable == s.pressable, qPrintable(s.control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(m_form->Label1[61])->text(QAccessible::Description),
             QStringLiteral("かんじ"));
    // Pressing a key through its interface types as a click does.
    QAccessible::queryAccessibleInterface(m_form->Label1[1])->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(!platform::IsHoldingInput());
    QCOMPARE(platform::KanaInputMethod::instance().compositionText(), QStringLiteral("い"));

    // The colour picker's swatches are buttons with their colours' names.
    QTest::mouseClick(m_form->Command21, Qt::LeftButton);
    QTRY_VERIFY(!platform::IsHoldingInput());
    QTest::mouseClick(m_form->Command17, Qt::LeftButton);
    QWidget *picker = testing::TopLevel(QStringLiteral("Form2"));
    QTRY_VERIFY(picker && picker->isVisible());
    auto *swatch = picker->findChild<QWidget *>(QStringLiteral("Label3(17)"));
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(swatch);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("あか"));
    QCOMPARE(platform::Narrator::CaptionOf(swatch), QStringLiteral("あか"));
    QTRY_VERIFY(!platform::IsHoldingInput());
    said.clear();
    // A finger says the swatch's name as it presses.
    static QPointingDevice *screen = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    const QPoint at = swatch->mapTo(picker, swatch->rect().center());
    QTest::touchEvent(picker->windowHandle(), screen).press(0, at, picker->windowHandle());
    QCOMPARE(said, QStringList{QStringLiteral("あか")});
    QTest::touchEvent(picker->windowHandle(), screen).release(0, at, picker->windowHandle());
    picker->close();
}

void TestSpeech::nothingWithSpeechOff()
{
    start(false);
    QVERIFY(!CurrentProgram()->narrator());
    QVERIFY(!m_form->client()->findChild<QWidget *>(QStringLiteral("CommandSpeak")));
    QTest::mouseMove(m_form->Command11, m_form->Command11->rect().center());
    QTest::qWait(platform::Narrator::RestMs + 300);
    QCOMPARE(voicesMade, 0);
    QCOMPARE(said, QStringList());
    // A screen reader's user turns the program's voice off, and still finds the keys as buttons.
    QCOMPARE(QAccessible::queryAccessibleInterface(m_form->Label1[0])->role(), QAccessible::Button);
}

// speech-dispatcher of its own, its sound written to a file by ALSA's file plugin.
void TestSpeech::theRealVoiceWritesSamples()
{
    if (qEnvironmentVariableIsSet("TOVIMARU_SANITIZED"))
        QSKIP("the real voice is tested in the plain build only: over the sanitized one its engine does not start in time");
    if (const QString missing = testing::PrivateSpeechDispatcher::Missing(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    testing::PrivateSpeechDispatcher daemon;
    QVERIFY(daemon.start());
    const QString sound = daemon.sound();

    std::unique_ptr<platform::Voice> voice = platform::StartSystemVoice();
    QElapsedTimer held;
    held.start();
    voice->say(platform::SpokenCaption(QStringLiteral("つぎへ")));
    QVERIFY(held.elapsed() < 50);
    // 22.05 kHz, 16-bit mono: a caption is well over a tenth of a second of sound.
    // On a busy machine the daemon may take many seconds to list its voices.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(sound).size() > 2 * 2205, 60000);
    QTest::qWait(500);
    QFile samples(sound);
    QVERIFY(samples.open(QIODevice::ReadOnly));
    const QByteArray bytes = samples.readAll();
    const auto *values = reinterpret_cast<const qint16 *>(bytes.constData());
    int loud = 0;
    for (qsizetype i = 0; i < bytes.size() / 2; ++i)
        loud += std::abs(values[i]) > 1000;
    QVERIFY2(loud > 1000, qPrintable(QString::number(loud)));
    QVERIFY(voice->speakingSince() > 0);
}

// A service that takes the connection and never answers.
void TestSpeech::aHungServiceHoldsNothing()
{
    QTemporaryDir folder;
    const QByteArray path = folder.filePath(QStringLiteral("hung.sock")).toUtf8();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    auto closeIt = qScopeGuard([listener] { ::close(listener); });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::listen(listener, 8), 0);
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + path);
    auto forget = qScopeGuard([] { qunsetenv("SPEECHD_ADDRESS"); });

    QElapsedTimer held;
    held.start();
    auto voice = platform::StartSystemVoice();
    for (int i = 0; i < 20; ++i)
        voice->say(QStringLiteral("つぎえ"));
    voice->stop();
    QVERIFY2(held.elapsed() < 200, qPrintable(QString::number(held.elapsed())));
    // The event loop runs on meanwhile.
    QElapsedTimer loop;
    loop.start();
    QTest::qWait(300);
    QVERIFY(loop.elapsed() < 1000);
    held.restart();
    voice.reset();
    QVERIFY2(held.elapsed() < 1500, qPrintable(QString::number(held.elapsed())));
}

QTEST_MAIN(TestSpeech)
#include "tst_speech.moc"
