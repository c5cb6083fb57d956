// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's options undo ("とりけし" and "やりなおし") and quitPrompt, driven through the main
// window as a child uses it. Every gesture is one step: undone, the poster is exactly as before
// it (the controls' properties, the dots of the surfaces and the pixels of a capture); redone,
// exactly as after it. The buttons overlap no control of any step, the history belongs to one
// step of the wizard, and "おわり" asks only about a poster not yet printed or saved.

#include "PosterPointer.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Form1Layout.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "drawing/Form2.h"
#include "history/History.h"
#include "history/PosterState.h"
#include "history/UndoButtons.h"
#include "output/PosterCapture.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QFileDialog>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using history::PosterHistory;
using platform::CommandButton;
using testing::InCell;
using testing::Pointer;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

void Click(QWidget *button)
{
    QVERIFY2(button && button->isVisible() && button->isEnabled(), qPrintable(button ? button->objectName() : QString()));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Everything a step must put back: the properties, the dots of both surfaces, a capture.
struct Look
{
    history::PosterState state;
    QImage paperDots, finishedDots, capture;
};

Look LookAt(Form1 &form)
{
    // What the last gesture left to be done later (a repaint, a sharper decode) is done first.
    QTest::qWait(50);
    return {history::TakeSnapshot(form), testing::DotsOf(*form.Picture1), testing::DotsOf(*form.Picture2),
            output::CapturePoster(form.client()).image()};
}

void ExpectSame(const Look &seen, const Look &expected)
{
    QVERIFY(seen.state == expected.state);
    QVERIFY(seen.paperDots == expected.paperDots);
    QVERIFY(seen.finishedDots == expected.finishedDots);
    QVERIFY(seen.capture == expected.capture);
}

// The program ended: its windows are hidden and it asked the application to leave its event
// loop. Running that loop once lets it do so, so that the dialogs of later tests still wait.
void ExpectEnded(const QWidget *form)
{
    QVERIFY(!form->isVisible());
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

enum class Gesture {
    StrokeOnThePaper,
    PaperColour,
    ClearThePaper,
    CarryAPicture,
    MoveAPlacedPicture,
    SizeButtonBurst,
    ClearThePictures,
    CarryAText,
    TextSmaller,
    TextColour,
    FrameColour,
    TypeAText,
    TypeOnTheKeyboard,
    ClearTheTexts,
    StrokeOnTheFinishedPoster,
};

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyGestureIsOneStep_data();
    void everyGestureIsOneStep();
    void undoingEverythingReturnsToTheStart();
    void aGestureThatChangesNothingAddsNoStep();
    void theCaptureForSavingJoinsTheStepBefore();
    void theOldestStepGoesWhenFull();
    void aMoveOfTheWizardStartsAFreshHistory();
    void editingGreysTheButtons();
    void theButtonsOverlapNoControl();
    void withoutTheOptionsNothingIsBuilt();
    void quitAsksOnlyAboutAnUnsavedPoster_data();
    void quitAsksOnlyAboutAnUnsavedPoster();

private:
    void start(bool undo, bool quitPrompt = false);
    void toStep(int step);
    void stroke(platform::PictureBox *box, QPointF from, QPointF to);
    void chooseColour(CommandButton *button, int swatch);
    void placePicture(int cell, QPointF at);
    void confirmPhrase(const QString &phrase);
    void gesture(Gesture which);
    void prepare(Gesture which);
    PosterHistory &history() { return *PosterHistory::Of(*form); }
    QWidget *undoButton() { return form->client()->findChild<QWidget *>(QStringLiteral("CommandUndo")); }
    QWidget *redoButton() { return form->client()->findChild<QWidget *>(QStringLiteral("CommandRedo")); }

    QTemporaryDir m_folder;
    QStringList m_names;
    Form1 *form = nullptr;
    std::unique_ptr<Pointer> pointer;
};

void TestHistory::initTestCase()
{
    QVERIFY(m_folder.isValid());
    // Two pictures of stripes in two colours each.
    const QColor colours[][2] = {{Qt::red, Qt::yellow}, {Qt::blue, Qt::green}};
    for (int k = 0; k < 2; ++k) {
        QImage image(320, 240, QImage::Format_RGB32);
        QPainter painter(&image);
        for (int x = 0; x < 320; x += 20)
            painter.fillRect(x, 0, 20, 240, colours[k][(x / 20) % 2]);
        painter.end();
        const QString name = QStringLiteral("%1.jpg").arg(k);
        QVERIFY(image.save(m_folder.filePath(name), "JPG", 95));
        m_names << name;
    }
}

void TestHistory::init()
{
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestHistory::cleanup()
{
    pointer.reset();
    settings::SetCurrent(settings::Settings{});
}

void TestHistory::start(bool undo, bool quitPrompt)
{
    settings::Settings chosen;
    chosen.undo = undo;
    chosen.quitPrompt = quitPrompt;
    settings::SetCurrent(chosen);
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    Module1::ImageDir = m_folder.path() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(m_names);
    pointer = std::make_unique<Pointer>(*form);
    // A pen that shows on the white paper.
    form->Command13->setBackColor(Qt::black);
}

void TestHistory::toStep(int step)
{
    CommandButton *forward[] = {form->Command11, form->Command6, form->Command4};
    for (int s = 1; s < step; ++s) {
        if (forward[s - 1]->isVisible() && forward[s - 1]->isEnabled())
            Click(forward[s - 1]);
    }
}

void TestHistory::stroke(platform::PictureBox *box, QPointF from, QPointF to)
{
    const QPointF origin(box->twipsLeft(), box->twipsTop());
    pointer->press(origin + from);
    pointer->dragTo(origin + to, 12);
    pointer->release();
}

void TestHistory::chooseColour(CommandButton *button, int swatch)
{
    Click(button);
    auto *picker = qobject_cast<Form2 *>(testing::TopLevel(QStringLiteral("Form2")));
    QVERIFY(picker && picker->isVisible());
    QTest::mouseClick(picker->Label3[swatch], Qt::LeftButton);
    Click(picker->Command12);
}

void TestHistory::placePicture(int cell, QPointF at)
{
    pointer->hover(InCell(cell));
    pointer->press(InCell(cell));
    pointer->dragTo(at);
    pointer->release();
}

// "これでよし" in the registration window, with a phrase of one's own.
void TestHistory::confirmPhrase(const QString &phrase)
{
    CurrentProgram()->registration()->PhraseBox[0]->setText(phrase);
    Click(CurrentProgram()->registration()->Command12);
}

// Brings the program to the step of the gesture, with something on the poster already.
void TestHistory::prepare(Gesture which)
{
    switch (which) {
    case Gesture::StrokeOnThePaper:
    case Gesture::PaperColour:
        stroke(form->Picture1, {600, 600}, {3000, 2000});
        break;
    case Gesture::ClearThePaper:
        chooseColour(form->Command12, 11);
        stroke(form->Picture1, {600, 600}, {3000, 2000});
        break;
    case Gesture::CarryAPicture:
    case Gesture::MoveAPlacedPicture:
    case Gesture::SizeButtonBurst:
    case Gesture::ClearThePictures:
        stroke(form->Picture1, {600, 600}, {3000, 2000});
        toStep(2);
        placePicture(0, {3000, 4000});
        break;
    case Gesture::CarryAText:
    case Gesture::TextSmaller:
    case Gesture::TextColour:
    case Gesture::FrameColour:
    case Gesture::TypeAText:
    case Gesture::TypeOnTheKeyboard:
    case Gesture::ClearTheTexts:
        toStep(2);
        placePicture(1, {5000, 5000});
        toStep(3);
        form->Text1[2]->setText(QStringLiteral("うみ"));
        pointer->press({11040 + 300, Poster::TextHomeTop(2) + 300});
        pointer->dragTo({4000, 4000});
        pointer->release();
        if (which == Gesture::TypeAText) {
            // Once opened, the editing mode leaves the texts' glyphs drawn a shade differently
            // in a capture (the same text, font and place): open and close it once first.
            Click(form->Command21);
            Click(form->Command21);
        }
        break;
    case Gesture::StrokeOnTheFinishedPoster:
        toStep(2);
        placePicture(0, {3000, 4000});
        toStep(4);
        stroke(form->Picture2, {900, 900}, {5000, 1500});
        break;
    }
}

void TestHistory::gesture(Gesture which)
{
    platform::RichTextBox *text = form->Text1[2];
    switch (which) {
    case Gesture::StrokeOnThePaper:
        stroke(form->Picture1, {4000, 600}, {600, 5000});
        break;
    case Gesture::PaperColour:
        chooseColour(form->Command12, 3);
        break;
    case Gesture::ClearThePaper:
        Click(form->Command19);
        break;
    case Gesture::CarryAPicture:
        placePicture(1, {6000, 2000});
        break;
    case Gesture::MoveAPlacedPicture:
        pointer->press({3200, 4200});
        pointer->dragTo({1000, 1200});
        pointer->release();
        break;
    case Gesture::SizeButtonBurst:
        for (int k = 0; k < 3; ++k)
            Click(form->Command2);
        break;
    case Gesture::ClearThePictures:
        Click(form->Command10);
        break;
    case Gesture::CarryAText:
        pointer->press({text->twipsLeft() + 200, text->twipsTop() + 200});
        pointer->dragTo({1500, 1200});
        pointer->release();
        break;
    case Gesture::TextSmaller:
        Click(form->Command1);
        break;
    case Gesture::TextColour:
        chooseColour(form->Command17, 17);
        break;
    case Gesture::FrameColour:
        chooseColour(form->Command18, 12);
        break;
    case Gesture::TypeAText: {
        Click(form->Command21);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("かぜ"));
        QApplication::sendEvent(form->Text2, &commit);
        Click(form->Command21);
        QCOMPARE(text->text(), QStringLiteral("うみかぜ"));
        break;
    }
    case Gesture::TypeOnTheKeyboard: {
        // The desktop's keyboard, through its input method, one key at a time: one step.
        for (const QString key : {QStringLiteral("な"), QStringLiteral("み")}) {
            QInputMethodEvent commit;
            commit.setCommitString(key);
            QApplication::sendEvent(text, &commit);
        }
        QCOMPARE(text->text().size(), 4); // where the press left the caret
        break;
    }
    case Gesture::ClearTheTexts:
        Click(form->Command9);
        break;
    case Gesture::StrokeOnTheFinishedPoster:
        stroke(form->Picture2, {6000, 5000}, {800, 800});
        break;
    }
}

void TestHistory::everyGestureIsOneStep_data()
{
    QTest::addColumn<Gesture>("which");
    QTest::newRow("a dot stroke on the paper") << Gesture::StrokeOnThePaper;
    QTest::newRow("a paper colour chosen with OK") << Gesture::PaperColour;
    QTest::newRow("the paper cleared") << Gesture::ClearThePaper;
    QTest::newRow("a picture carried onto the poster") << Gesture::CarryAPicture;
    QTest::newRow("a placed picture moved") << Gesture::MoveAPlacedPicture;
    QTest::newRow("three presses of おおきく") << Gesture::SizeButtonBurst;
    QTest::newRow("the pictures cleared") << Gesture::ClearThePictures;
    QTest::newRow("a text carried") << Gesture::CarryAText;
    QTest::newRow("a text made smaller") << Gesture::TextSmaller;
    QTest::newRow("a text colour") << Gesture::TextColour;
    QTest::newRow("a frame colour") << Gesture::FrameColour;
    QTest::newRow("a text typed") << Gesture::TypeAText;
    QTest::newRow("a text typed on the keyboard") << Gesture::TypeOnTheKeyboard;
    QTest::newRow("the texts cleared") << Gesture::ClearTheTexts;
    QTest::newRow("a dot stroke on the finished poster") << Gesture::StrokeOnTheFinishedPoster;
}

void TestHistory::everyGestureIsOneStep()
{
    QFETCH(Gesture, which);
    start(true);
    prepare(which);
    if (QTest::currentTestFailed())
        return;
    const Look before = LookAt(*form);
    const int steps = history().steps();
    gesture(which);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(history().steps(), steps + 1);
    const Look after = LookAt(*form);
    QVERIFY(!(after.state == before.state) || after.paperDots != before.paperDots || after.finishedDots != before.finishedDots);

    Click(undoButton());
    ExpectSame(LookAt(*form), before);
    QVERIFY(redoButton()->isEnabled());
    Click(redoButton());
    ExpectSame(LookAt(*form), after);
    QVERIFY(!redoButton()->isEnabled());
}

void TestHistory::undoingEverythingReturnsToTheStart()
{
    start(true);
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    // Step 3 gives the keyboard to a text slot, hidden back in step 2.
    toStep(3);
    Click(form->Command15);
    const Look start = LookAt(*form);
    placePicture(0, {3000, 4000});
    placePicture(1, {6000, 2000});
    Click(form->Command1);
    pointer->press({3200, 4200});
    pointer->dragTo({1000, 1200});
    pointer->release();
    Click(form->Command10);
    placePicture(1, {2000, 2000});
    const Look end = LookAt(*form);
    QCOMPARE(history().steps(), 6);

    while (undoButton()->isEnabled())
        Click(undoButton());
    ExpectSame(LookAt(*form), start);
    while (redoButton()->isEnabled())
        Click(redoButton());
    ExpectSame(LookAt(*form), end);

    // Ctrl+Z and Ctrl+Shift+Z walk the same steps.
    QCOMPARE(QApplication::focusWidget(), form->Text1[0]);
    QTest::keyClick(form->Text1[0], Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(history().steps(), 6);
    QVERIFY(redoButton()->isEnabled());
    QTest::keyClick(form->Text1[0], Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ExpectSame(LookAt(*form), end);
}

void TestHistory::aGestureThatChangesNothingAddsNoStep()
{
    start(true);
    toStep(2);
    placePicture(0, {3000, 4000});
    QCOMPARE(history().steps(), 1);
    // A press and release without a move selects; a picture carried back to the side panel is
    // taken off again; a size button with nothing selected does nothing; a colour for the pen.
    pointer->press({3200, 4200});
    pointer->release();
    placePicture(1, {11000, 3000});
    form->HasSelection = 0;
    Click(form->Command2);
    QCOMPARE(history().steps(), 1);
    QVERIFY(!redoButton()->isEnabled());
    // Cleared off, a slot still remembers it grew on the poster; carried, it forgets, unseen.
    Click(form->Command10);
    placePicture(1, InCell(4));
    QCOMPARE(history().steps(), 2);
    // A plain paper's still picture of itself, which a move takes, looks like none.
    Click(form->Command5);
    Click(form->Command11);
    Click(form->Command5);
    Click(form->Command19);
    QCOMPARE(history().steps(), 0);
    chooseColour(form->Command12, 3);
    Click(form->Command11);
    Click(form->Command5);
    chooseColour(form->Command12, 3);
    QCOMPARE(history().steps(), 0);
}

void TestHistory::theCaptureForSavingJoinsTheStepBefore()
{
    start(true);
    toStep(4);
    stroke(form->Picture2, {600, 600}, {3000, 2000});
    const Look first = LookAt(*form);
    stroke(form->Picture2, {5000, 600}, {900, 4000});
    const Look second = LookAt(*form);
    // Saving captures the poster with its dots into the finished poster's picture.
    const QString file = m_folder.filePath(QStringLiteral("captured.bmp"));
    testing::ChooseInNextFileDialog(file);
    Click(form->Command20);
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(history().steps(), 2);
    Click(undoButton());
    ExpectSame(LookAt(*form), first);
    Click(redoButton());
    QVERIFY(LookAt(*form).capture == second.capture);
}

void TestHistory::theOldestStepGoesWhenFull()
{
    start(true);
    for (int k = 0; k < PosterHistory::StepsKept + 5; ++k)
        stroke(form->Picture1, {300.0 + 120 * k, 300}, {300.0 + 120 * k, 3000});
    QCOMPARE(history().steps(), PosterHistory::StepsKept);
    QVERIFY(!history().reachesStart());
    // The newest is still there: undoing it takes only the last stroke away.
    const QImage all = form->Picture1->drawingSurface();
    Click(undoButton());
    QVERIFY(form->Picture1->drawingSurface() != all);
    Click(redoButton());
    QVERIFY(form->Picture1->drawingSurface() == all);
    // Fifty strokes of dots keep only the tiles they touched.
    QVERIFY2(history().byteCost() < 20 * 1024 * 1024, qPrintable(QString::number(history().byteCost())));
}

void TestHistory::aMoveOfTheWizardStartsAFreshHistory()
{
    start(true);
    stroke(form->Picture1, {600, 600}, {3000, 2000});
    QVERIFY(undoButton()->isEnabled());
    toStep(2);
    QCOMPARE(history().steps(), 0);
    QVERIFY(undoButton()->isVisible() && !undoButton()->isEnabled() && !redoButton()->isEnabled());
    placePicture(0, {3000, 4000});
    Click(undoButton());
    QVERIFY(redoButton()->isEnabled());
    Click(form->Command5); // back to step 1
    QVERIFY(!undoButton()->isEnabled() && !redoButton()->isEnabled());
    // New phrases confirmed are stored at once: undoing never puts the old words back.
    stroke(form->Picture1, {600, 600}, {3000, 2000});
    confirmPhrase(QStringLiteral("はなび"));
    while (undoButton()->isEnabled())
        Click(undoButton());
    QCOMPARE(form->Text1[0]->text(), QStringLiteral("はなび"));
}

void TestHistory::editingGreysTheButtons()
{
    start(true);
    prepare(Gesture::TypeAText);
    QVERIFY(undoButton()->isEnabled());
    Click(form->Command21);
    QVERIFY(!undoButton()->isEnabled());
    QTest::keyClick(form, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Module1::EditMode, QStringLiteral("1"));
    QVERIFY(form->Text2->isVisible());
    Click(form->Command21);
    QVERIFY(undoButton()->isEnabled());
}

void TestHistory::theButtonsOverlapNoControl()
{
    start(true);
    const QWidget *buttons[] = {undoButton(), redoButton()};
    QCOMPARE(buttons[0]->property("caption").toString(), history::UndoButtons::UndoCaption);
    QCOMPARE(buttons[1]->property("caption").toString(), history::UndoButtons::RedoCaption);
    QCOMPARE(buttons[0]->accessibleName(), QStringLiteral("とりけし"));
    QCOMPARE(buttons[1]->accessibleName(), QStringLiteral("やりなおし"));
    // Whatever a step shows or not, no control of the layout lies under them.
    for (const platform::ControlSpec &entry : Form1Layout()) {
        const QRectF control(entry.left, entry.top, entry.width, entry.height);
        for (const QWidget *button : buttons) {
            const QRectF own(button->property("twipsLeft").toDouble(), button->property("twipsTop").toDouble(),
                             button->property("twipsWidth").toDouble(), button->property("twipsHeight").toDouble());
            QVERIFY2(!own.intersects(control), qPrintable(platform::ControlName(entry)));
        }
    }
    // Shown in every step.
    CommandButton *forward[] = {form->Command11, form->Command6, form->Command4};
    for (int step = 1; step <= 4; ++step) {
        QVERIFY2(buttons[0]->isVisible() && buttons[1]->isVisible(), qPrintable(QString::number(step)));
        if (step < 4)
            Click(forward[step - 1]);
    }
}

void TestHistory::withoutTheOptionsNothingIsBuilt()
{
    start(false);
    QVERIFY(!PosterHistory::Of(*form));
    QVERIFY(!undoButton());
    QVERIFY(!form->Picture1->keepsJournal());
    // "おわり" ends at once.
    stroke(form->Picture1, {600, 600}, {3000, 2000});
    Click(form->Command3);
    ExpectEnded(form);
}

void TestHistory::quitAsksOnlyAboutAnUnsavedPoster_data()
{
    QTest::addColumn<QString>("poster"); // what was done before "おわり"
    QTest::addColumn<bool>("asked");
    QTest::newRow("untouched") << "untouched" << false;
    QTest::newRow("phrases confirmed") << "phrases confirmed" << false;
    QTest::newRow("a dot drawn") << "drawn" << true;
    QTest::newRow("drawn, then saved") << "saved" << false;
    QTest::newRow("saved, then drawn") << "saved and drawn" << true;
}

void TestHistory::quitAsksOnlyAboutAnUnsavedPoster()
{
    QFETCH(QString, poster);
    QFETCH(bool, asked);
    start(false, true);
    QVERIFY(PosterHistory::Of(*form));
    QVERIFY(!undoButton()); // undo is an option of its own
    if (poster == QLatin1String("phrases confirmed")) {
        confirmPhrase(QStringLiteral("はなび"));
    } else if (poster != QLatin1String("untouched")) {
        toStep(4);
        stroke(form->Picture2, {600, 600}, {3000, 2000});
    }
    if (poster.startsWith(QLatin1String("saved"))) {
        const QString file = m_folder.filePath(QString(poster).replace(QLatin1Char(' '), QLatin1Char('_')) + QStringLiteral(".bmp"));
        testing::ChooseInNextFileDialog(file);
        Click(form->Command20);
        QVERIFY(QFileInfo::exists(file));
    }
    if (poster.endsWith(QLatin1String("drawn")) && poster != QLatin1String("drawn"))
        stroke(form->Picture2, {4000, 600}, {600, 3000});

    QCOMPARE(history().changedSinceWrittenOut(), asked);
    if (!asked) {
        Click(form->Command3);
        ExpectEnded(form);
        return;
    }
    // Asked in big hiragana; "いいえ" keeps the program, "はい" ends it, by the menu as well.
    bool seen = false;
    testing::ClickNextMessageBox(QMessageBox::No, [&seen](QMessageBox *box) {
        seen = true;
        QCOMPARE(box->text(), QStringLiteral("おわりに しますか？"));
        QCOMPARE(box->button(QMessageBox::Yes)->text(), QStringLiteral("はい"));
        QCOMPARE(box->button(QMessageBox::No)->text(), QStringLiteral("いいえ"));
        testing::ExpectTheProgramsMessageLook(box->font().families().value(0), box->font().pixelSize(),
                                              box->button(QMessageBox::No)->size());
    });
    Click(form->Command3);
    QTRY_VERIFY(seen);
    QVERIFY(form->isVisible());
    testing::ClickNextMessageBox(QMessageBox::Yes);
    form->itemend->trigger();
    ExpectEnded(form);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
