// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs of step 4 answered as a person answers them: clicks and keys through the dialog's
// own window, never a call that closes it in code. The print and save buttons yield before
// their dialogs open (so that the capture shows no selection border); the dialogs must still take
// the input meant for them, and the main window under them none.

#include "TestSupport.h"

#include "form/Form1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "images/PictureSlots.h"
#include "output/PrintAndSave.h"
#include "platform/MessageBox.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// Types text key by key into a window, as the keyboard does.
void TypeThroughWindow(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

// Closes whatever dialog is still open a few seconds after a test began answering it, so that a
// dialog that ignores its input fails the test instead of hanging it.
class Watchdog
{
public:
    Watchdog()
    {
        QTimer::singleShot(5000, &m_guard, [this] {
            while (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                m_fired = true;
                dialog->reject();
                QCoreApplication::processEvents();
            }
        });
    }
    bool fired() const { return m_fired; }

private:
    QObject m_guard;
    bool m_fired = false;
};

QPushButton *PrintDialogButton(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(which) : nullptr;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void printDialogCancelledByItsButton();
    void printDialogPrintsByItsButton();
    void saveDialogTakesATypedNameAndEnter();
    void saveDialogClosedByEscape();
    void overwriteQuestionAnsweredNoThenYes();
    void inputForTheMainWindowWaitsForTheHandler();
    void messagesBreakOnlyBetweenPhrases_data();
    void messagesBreakOnlyBetweenPhrases();

private:
    void goToStepFour();
    // Step 4, with the program's printer writing a PDF of that name into the test's folder.
    QString goToStepFourPrintingTo(const QString &name);
    QTemporaryDir m_dir;
    Form1 *m_form = nullptr;
};

void TestDialogs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No print server: the print dialog keeps the PDF printer the test sets up.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    QStandardPaths::setTestModeEnabled(true);
    QDir::setCurrent(m_dir.path());
}

void TestDialogs::init()
{
    StartTovimaru();
    m_form = MainWindow();
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestDialogs::goToStepFour()
{
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    QTest::mouseClick(m_form->Command4, Qt::LeftButton);
    QVERIFY(m_form->Picture2->isVisible());
}

QString TestDialogs::goToStepFourPrintingTo(const QString &name)
{
    goToStepFour();
    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(name));
    return printer.outputFileName();
}

void TestDialogs::printDialogCancelledByItsButton()
{
    const QString pdf = goToStepFourPrintingTo(QStringLiteral("cancelled.pdf"));
    QString cancelCaption;
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        QVERIFY(qobject_cast<QPrintDialog *>(dialog));
        QPushButton *cancel = PrintDialogButton(dialog, QDialogButtonBox::Cancel);
        QVERIFY(cancel);
        cancelCaption = cancel->text();
        testing::ClickThroughWindow(cancel);
    });
    QTest::mouseClick(m_form->Command14, Qt::LeftButton);
    QVERIFY2(!watchdog.fired(), "the print dialog ignored the click on its cancel button");
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Qt's dialogs speak Japanese as the rest of the program does.
    QCOMPARE(cancelCaption, QStringLiteral("キャンセル"));
}

void TestDialogs::printDialogPrintsByItsButton()
{
    const QString pdf = goToStepFourPrintingTo(QStringLiteral("printed.pdf"));
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        QPushButton *print = PrintDialogButton(dialog, QDialogButtonBox::Ok);
        QVERIFY(print);
        testing::ClickThroughWindow(print);
    });
    QTest::mouseClick(m_form->Command14, Qt::LeftButton);
    QVERIFY2(!watchdog.fired(), "the print dialog ignored the click on its print button");
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestDialogs::saveDialogTakesATypedNameAndEnter()
{
    goToStepFour();
    const QString path = m_dir.filePath(QStringLiteral("typed.bmp"));
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        testing::ClickThroughWindow(name);
        TypeThroughWindow(dialog->windowHandle(), QStringLiteral("typed.bmp"));
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
    });
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QVERIFY2(!watchdog.fired(), "the save dialog ignored the typed name and Enter");
    QCOMPARE(QImage(path).size(), QSize(707, 499));
    QCOMPARE(CurrentProgram()->printing().lastFileName(), path);
}

void TestDialogs::saveDialogClosedByEscape()
{
    goToStepFour();
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        TypeThroughWindow(dialog->windowHandle(), QStringLiteral("never.bmp"));
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
    });
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QVERIFY2(!watchdog.fired(), "the save dialog ignored Escape");
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

void TestDialogs::overwriteQuestionAnsweredNoThenYes()
{
    goToStepFour();
    const QString path = m_dir.filePath(QStringLiteral("old.bmp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older poster");
    }
    QStringList captions;
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        // The question after the first Enter: "いいえ" goes back to the dialog, and the question
        // after the second Enter is answered "はい".
        testing::ClickNextMessageBox(QMessageBox::No, [&](QMessageBox *box) {
            captions << box->button(QMessageBox::No)->text();
            testing::ClickNextMessageBox(QMessageBox::Yes, [&](QMessageBox *again) {
                captions << again->button(QMessageBox::Yes)->text();
            });
            QTimer::singleShot(300, dialog, [dialog] { QTest::keyClick(dialog->windowHandle(), Qt::Key_Return); });
        });
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        testing::ClickThroughWindow(name);
        TypeThroughWindow(dialog->windowHandle(), QStringLiteral("old.bmp"));
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
    });
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QVERIFY2(!watchdog.fired(), "the question before replacing a file ignored its buttons");
    // Qt's Japanese buttons, with their keys: "いいえ(&N)", "はい(&Y)".
    captions.replaceInStrings(QRegularExpression(QStringLiteral("\\(&.\\)$")), QString());
    QCOMPARE(captions, (QStringList{QStringLiteral("いいえ"), QStringLiteral("はい")}));
    QCOMPARE(QImage(path).size(), QSize(707, 499));
}

void TestDialogs::inputForTheMainWindowWaitsForTheHandler()
{
    // While the save dialog is open the main window takes no click, then or after: a click on
    // "もどる" under the dialog does not go back to step 3 once the dialog is closed.
    goToStepFour();
    Watchdog watchdog;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        QWindow *main = m_form->windowHandle();
        QWidget *button = nullptr;
        for (QWidget *b : {static_cast<QWidget *>(m_form->Command5), static_cast<QWidget *>(m_form->Command15),
                           static_cast<QWidget *>(m_form->Command16)}) {
            if (b->isVisible())
                button = b;
        }
        QVERIFY(button);
        const QPoint back = button->mapTo(m_form, button->rect().center());
        QTest::mouseClick(main, Qt::LeftButton, {}, back);
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
    });
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QVERIFY(!watchdog.fired());
    QCoreApplication::processEvents();
    QVERIFY(m_form->Picture2->isVisible()); // still step 4
}

void TestDialogs::messagesBreakOnlyBetweenPhrases_data()
{
    QTest::addColumn<QString>("text");
    for (const QString &text : {images::PictureSlotController::TooManyPictures, QStringLiteral("ディスクをセットしてください"),
                                QStringLiteral("がぞうがありません、がぞうをいれるには\u3000[ディレクトリの指定]からおこなってください。"),
                                QStringLiteral("ことばを よみこめませんでした"), QStringLiteral("ことばを ほぞんできませんでした"),
                                Program::QuitQuestion, output::PrintController::PrintFailedMessage,
                                output::PrintController::SaveFailedMessage})
        QTest::newRow(qPrintable(text)) << text;
}

void TestDialogs::messagesBreakOnlyBetweenPhrases()
{
    // The message's lines as its label lays them out: each ends at a space, "、" or "。" (never
    // "…してくだ｜さい"), and the label and the box hold them all on the screen.
    QFETCH(QString, text);
    QTextLayout layout(text);
    testing::AnswerNextModal([&](QDialog *box) {
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        layout.setFont(label->font()); // wrapped at word boundaries, as the label's
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(label->contentsRect().width());
        layout.endLayout();
        QVERIFY(label->contentsRect().height() >= layout.boundingRect().height());
        QVERIFY(box->screen()->availableGeometry().contains(box->frameGeometry()));
    });
    platform::ShowErrorMessage(m_form, text, QStringLiteral("確認"));
    QVERIFY(layout.lineCount() > 0);
    for (int i = 1; i < layout.lineCount(); ++i) {
        const int start = layout.lineAt(i).textStart();
        QVERIFY2(QStringLiteral(" \u3000、。").contains(text[start - 1]), qPrintable(text.left(start) + u'｜'));
    }
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
