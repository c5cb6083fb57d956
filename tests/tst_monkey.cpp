// SPDX-License-Identifier: GPL-3.0-or-later
// A child at the mouse: the whole program driven through its visible controls with random
// clicks, presses, drags, releases and key strokes, with every dialog answered. After every
// event the program must still hold together: at most ten pictures on the poster, finite
// geometry, the buttons of the step it shows, no dialog left open, a phrase store that opens.
//
// TOVIMARU_MONKEY_SEED picks the run (default 1), TOVIMARU_MONKEY_EVENTS its length (default
// 3000), and TOVIMARU_MONKEY_MEMORY_EVERY, when set, prints the resident memory every that many
// events. TOVIMARU_MONKEY_UNDO=1 turns the options undo and quitPrompt on: "とりけし" and
// "やりなおし" are among the controls clicked, and now and then every step of the wizard's step
// is undone, which must bring back the poster as the step started. TOVIMARU_MONKEY_ACCESS=1
// turns clickToCarry, keyboardPointer and dwell (half a second) on besides. A failure names the
// seed, the event and the events before it, so the same seed repeats it.

#include "TestPaths.h"
#include "StepTable.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Startup.h"
#include "history/History.h"
#include "registration/PhraseStore.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <array>
#include <cmath>
#include <deque>

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// Answers whatever dialog the program opens, in the nested event loop that shows it: message
// boxes with their default button (or yes), the save dialog with a file in the run's folder, the print
// dialog with a PDF file there; anything else is cancelled.
class DialogAnswerer final : public QObject
{
public:
    explicit DialogAnswerer(const QString &folder) : m_folder(folder)
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::answer);
        m_timer.start();
    }
    int answered() const { return m_answered; }

private:
    // Answers from a posted call, not from the timer's own slot: an answer can open a dialog of
    // its own (the save dialog asks before replacing a file) and run its event loop there, and Qt
    // fires no timer whose slot is still running, so that dialog would never be answered.
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_answering)
            return;
        m_answering = modal;
        QMetaObject::invokeMethod(this, [this, modal = QPointer<QWidget>(modal)] {
            if (modal)
                respond(modal);
            m_answering = nullptr; // still open: answered again
        }, Qt::QueuedConnection);
    }

    void respond(QWidget *modal)
    {
        ++m_answered;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            // "Replace it?" is answered yes, so that a save dialog is not asked again and again.
            QAbstractButton *button = box->button(QMessageBox::Yes);
            if (!button)
                button = box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
            if (button)
                button->click();
            else
                box->reject();
        } else if (auto *save = qobject_cast<QFileDialog *>(modal)) {
            // Every tenth answer cancels, the others save under one of a few names.
            if (m_answered % 10 == 0) {
                save->reject();
                return;
            }
            save->selectFile(m_folder + QStringLiteral("/poster%1.bmp").arg(m_answered % 3));
            static_cast<QDialog *>(save)->accept();
        } else if (auto *print = qobject_cast<QPrintDialog *>(modal)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(m_folder + QStringLiteral("/poster.pdf"));
            static_cast<QDialog *>(print)->accept();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QString m_folder;
    QTimer m_timer;
    QPointer<QWidget> m_answering; // the dialog an answer is on its way to
    int m_answered = 0;
};

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void randomUse();

private:
    QList<QWidget *> targets() const;
    void event();
    void check();
    QString failure(const QString &what) const;
    void note(const QString &what);
    void watchHistory();
    void undoEverything();

    QTemporaryDir m_dir;
    QRandomGenerator m_random;
    quint32 m_seed = 1;
    int m_index = 0;
    int m_restarts = 0;
    std::deque<QString> m_recent;
    std::array<int, 4> m_eventsInStep{};
    // With undo: the poster as the wizard's step started, its dots, and the checks made.
    bool m_undo = false;
    history::PosterState m_stepStart;
    QImage m_startPaper, m_startFinished;
    int m_undoneToStart = 0;
};

void TestMonkey::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The program starts in a folder with a few pictures of its own.
    const QDir samples(testing::SourcePath(QStringLiteral("samples")));
    for (const QString &name : samples.entryList(QDir::Files)) {
        if (name != QLatin1String("tovi.mdb"))
            QFile::copy(samples.filePath(name), m_dir.filePath(name));
    }
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

// The visible, enabled controls of the windows that take input now: the program's own
// controls, the registration window's lists and boxes, the colour picker's swatches.
QList<QWidget *> TestMonkey::targets() const
{
    QList<QWidget *> found;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !window->isEnabled() || window->objectName().isEmpty())
            continue;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")))
                continue;
            if (widget->isVisible() && widget->isEnabled() && widget->width() > 0 && widget->height() > 0)
                found.append(widget);
        }
    }
    return found;
}

void TestMonkey::note(const QString &what)
{
    m_recent.push_back(QStringLiteral("%1: %2").arg(m_index).arg(what));
    if (m_recent.size() > 25)
        m_recent.pop_front();
}

QString TestMonkey::failure(const QString &what) const
{
    QString text = QStringLiteral("seed %1, event %2: %3\nthe events before it:\n").arg(m_seed).arg(m_index).arg(what);
    for (const QString &line : m_recent)
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    return text;
}

// One random event on a random control.
void TestMonkey::event()
{
    Form1 *form = MainWindow();
    const int dice = m_random.bounded(100);
    // The menu: the registration window now and then, the end of the program rarely.
    if (form && form->isVisible() && dice < 2) {
        QAction *action = m_random.bounded(10) == 0 ? form->itemend : form->ItemSetDir;
        note(QStringLiteral("menu %1").arg(action->text()));
        if (action->isEnabled())
            action->trigger();
        return;
    }
    const QList<QWidget *> candidates = targets();
    if (candidates.isEmpty())
        return;
    QPointer<QWidget> target = candidates[m_random.bounded(int(candidates.size()))];
    // "おわり" ends the program; it is pressed far less often than the rest.
    if (target->objectName() == QLatin1String("Command3") && m_random.bounded(20) != 0)
        return;
    const auto pointIn = [this](const QWidget *widget) {
        return QPoint(m_random.bounded(widget->width()), m_random.bounded(widget->height()));
    };
    const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    const Qt::MouseButton button = buttons[m_random.bounded(5)];
    const QString name = target->objectName();

    if (dice < 50) {
        const QPoint at = pointIn(target);
        note(QStringLiteral("click %1 at %2,%3 button %4").arg(name).arg(at.x()).arg(at.y()).arg(int(button)));
        QTest::mouseClick(target, button, {}, at);
    } else if (dice < 78) {
        // A drag: pressed on the control, moved anywhere over its window, released.
        QPoint at = pointIn(target);
        QWidget *window = target->window();
        const int moves = 1 + m_random.bounded(12);
        note(QStringLiteral("drag %1 from %2,%3, %4 moves, button %5").arg(name).arg(at.x()).arg(at.y()).arg(moves).arg(int(button)));
        QTest::mousePress(target, button, {}, at);
        for (int k = 0; k < moves && target; ++k) {
            const QPoint inWindow(m_random.bounded(window->width()), m_random.bounded(window->height()));
            at = target->mapFrom(window, inWindow);
            QTest::mouseMove(target, at);
        }
        if (target)
            QTest::mouseRelease(target, button, {}, at);
    } else if (dice < 90) {
        // The pointer passing over a control, no button held.
        const QPoint at = pointIn(target);
        note(QStringLiteral("move over %1 at %2,%3").arg(name).arg(at.x()).arg(at.y()));
        QTest::mouseMove(target, at);
    } else if (qobject_cast<QLineEdit *>(target) || qobject_cast<QTextEdit *>(target)) {
        static const QString keys = QStringLiteral("あいうえおかきくけこがぱっゃー。abc1 ");
        target->setFocus();
        if (m_random.bounded(4) == 0) {
            const Qt::Key key = m_random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Return;
            note(QStringLiteral("key %1 into %2").arg(int(key)).arg(name));
            QTest::keyClick(target, key);
        } else {
            const QString text = keys.mid(m_random.bounded(int(keys.size())), 1);
            note(QStringLiteral("type %1 into %2").arg(text, name));
            if (text[0].unicode() < 0x80) {
                QTest::keyClicks(target, text);
            } else {
                // Kana come as an input method commits them.
                QInputMethodEvent commit;
                commit.setCommitString(text);
                QApplication::sendEvent(target, &commit);
            }
        }
    } else {
        note(QStringLiteral("wheel-less pause"));
    }
}

// What must hold after every event.
void TestMonkey::check()
{
    QCoreApplication::processEvents();
    // A drop-down list left open (the drive list) closes, as a click elsewhere would close it.
    while (QWidget *popup = QApplication::activePopupWidget()) {
        note(QStringLiteral("closed the open list"));
        popup->close();
    }
    if (QWidget *modal = QApplication::activeModalWidget())
        QFAIL(qPrintable(failure(QStringLiteral("a dialog is still open: %1").arg(modal->metaObject()->className()))));

    Form1 *form = MainWindow();
    if (!form || !form->isVisible()) {
        // The program was ended ("おわり" or the menu): start it again, as a user would.
        note(QStringLiteral("program ended; started again"));
        ++m_restarts;
        StartTovimaru();
        form = MainWindow();
        QVERIFY2(form && form->isVisible(), qPrintable(failure(QStringLiteral("the program did not start again"))));
        watchHistory();
        return;
    }
    if (m_undo && m_random.bounded(40) == 0)
        undoEverything();

    int placed = 0;
    for (platform::ImageControl *slot : form->Image3) {
        const double values[] = {slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()};
        for (double value : values) {
            if (!std::isfinite(value))
                QFAIL(qPrintable(failure(slot->objectName() + QStringLiteral(" has a geometry that is not finite"))));
        }
        if (slot->isVisibleTo(form) && slot->twipsLeft() < 9300)
            ++placed;
    }
    if (placed > 10)
        QFAIL(qPrintable(failure(QStringLiteral("%1 pictures on the poster").arg(placed))));
    for (platform::RichTextBox *slot : form->Text1) {
        const double values[] = {slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight(), slot->fontSize()};
        for (double value : values) {
            if (!std::isfinite(value))
                QFAIL(qPrintable(failure(slot->objectName() + QStringLiteral(" has a geometry that is not finite"))));
        }
    }

    // The step's buttons: the caption of Label5 names the step, and the table says what it shows.
    int step = 0;
    for (int s = 1; s <= 4; ++s) {
        if (form->Label5->caption() == testing::StepCaption(s))
            step = s;
    }
    if (step == 0)
        QFAIL(qPrintable(failure(QStringLiteral("Label5 names no step: ") + form->Label5->caption())));
    ++m_eventsInStep[step - 1];
    for (const auto &[name, shows] : testing::StepTable()) {
        QWidget *control = form->findChild<QWidget *>(name);
        const bool shown = shows[step - 1] != QLatin1Char('H');
        if (!control || control->isVisibleTo(form) != shown) {
            QFAIL(qPrintable(failure(QStringLiteral("step %1 %2 %3").arg(step).arg(shown ? "hides" : "shows", name))));
        }
    }

    // The phrase store still opens (a store that was never written is fine too).
    if (!Module1::DataDir.isEmpty()) {
        Phrases phrases;
        if (PhraseStore(Module1::DataDir).load(phrases) == PhraseStore::Loaded::Unreadable)
            QFAIL(qPrintable(failure(QStringLiteral("the phrase store no longer opens"))));
    }
}

void TestMonkey::randomUse()
{
    m_seed = quint32(qEnvironmentVariableIntValue("TOVIMARU_MONKEY_SEED"));
    if (m_seed == 0)
        m_seed = 1;
    int events = qEnvironmentVariableIntValue("TOVIMARU_MONKEY_EVENTS");
    if (events <= 0)
        events = 3000;
    const int memoryEvery = qEnvironmentVariableIntValue("TOVIMARU_MONKEY_MEMORY_EVERY");
    m_random.seed(m_seed);

    m_undo = qEnvironmentVariableIntValue("TOVIMARU_MONKEY_UNDO") != 0;
    if (m_undo) {
        settings::Settings options;
        options.undo = options.quitPrompt = true;
        settings::SetCurrent(options);
    }
    if (qEnvironmentVariableIntValue("TOVIMARU_MONKEY_ACCESS") != 0) {
        settings::Settings options = settings::Current();
        options.clickToCarry = options.keyboardPointer = true;
        options.dwell = 0.5;
        settings::SetCurrent(options);
    }
    DialogAnswerer answerer(m_dir.path());
    StartTovimaru();
    watchHistory();
    QElapsedTimer clock;
    clock.start();
    for (m_index = 0; m_index < events; ++m_index) {
        event();
        check();
        if (QTest::currentTestFailed())
            return;
        if (memoryEvery > 0 && (m_index + 1) % memoryEvery == 0) {
            std::printf("monkey: %d events, %lld s, resident %ld KiB\n", m_index + 1,
                        clock.elapsed() / 1000, testing::ResidentKib());
            std::fflush(stdout);
        }
    }
    qInfo("seed %u: %d events in %lld ms (steps 1-4: %d, %d, %d, %d), %d dialogs answered, %d restarts, "
          "resident %ld KiB, %d times undone to the step's start",
          m_seed, events, clock.elapsed(), m_eventsInStep[0], m_eventsInStep[1], m_eventsInStep[2],
          m_eventsInStep[3], answerer.answered(), m_restarts, testing::ResidentKib(), m_undoneToStart);
}

// Keeps the poster as each step of the wizard starts, from the program's start on.
void TestMonkey::watchHistory()
{
    Form1 *form = MainWindow();
    history::PosterHistory *steps = form ? history::PosterHistory::Of(*form) : nullptr;
    if (!steps)
        return;
    auto record = [this, form] {
        m_stepStart = history::TakeSnapshot(*form);
        m_startPaper = testing::DotsOf(*form->Picture1);
        m_startFinished = testing::DotsOf(*form->Picture2);
    };
    record();
    connect(steps, &history::PosterHistory::startChanged, steps, record);
}

// Clicks "とりけし" until it greys: the poster must be as the step started.
void TestMonkey::undoEverything()
{
    Form1 *form = MainWindow();
    const history::PosterHistory *steps = history::PosterHistory::Of(*form);
    auto *undo = form->client()->findChild<QWidget *>(QStringLiteral("CommandUndo"));
    if (!steps || !undo || !steps->reachesStart() || Module1::EditMode.toInt() == 1 || form->PenDown != 0)
        return;
    note(QStringLiteral("undo everything (%1 steps)").arg(steps->steps()));
    for (int k = 0; k <= history::PosterHistory::StepsKept && undo->isEnabled(); ++k)
        QTest::mouseClick(undo, Qt::LeftButton);
    QCoreApplication::processEvents();
    if (undo->isEnabled() || QApplication::activeModalWidget())
        QFAIL(qPrintable(failure(QStringLiteral("\"とりけし\" never greyed"))));
    // The poster as the child sees it; what is selected, and a picture laid over a cell by the
    // pointer passing, are no part of it.
    if (!history::SamePoster(history::TakeSnapshot(*form), m_stepStart))
        QFAIL(qPrintable(failure(QStringLiteral("undoing everything did not bring back the step's start"))));
    if (testing::DotsOf(*form->Picture1) != m_startPaper || testing::DotsOf(*form->Picture2) != m_startFinished)
        QFAIL(qPrintable(failure(QStringLiteral("undoing everything did not bring back the dots of the step's start"))));
    ++m_undoneToStart;
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
