// SPDX-License-Identifier: GPL-3.0-or-later
// Printing through a real print server: a private CUPS daemon with a PDF queue, started for this
// test alone under a temporary folder, receives the poster from the program's print button.
// CUPS's PDF backend needs a server running as root, so the test is skipped for other users.

#include "PrivateCups.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "output/PrintAndSave.h"

#include <QPrintDialog>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char Queue[] = "TOVIMARUTEST";

} // namespace

class TestCups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printButtonPrintsThroughTheQueue();

private:
    testing::PrivateCups m_cups{QLatin1String(Queue)};
    QString m_out;
};

void TestCups::initTestCase()
{
    if (const QString why = testing::PrivateCups::Unavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QString why;
    QVERIFY2(m_cups.start(&why), qPrintable(why));
    m_out = m_cups.out();
}

void TestCups::printButtonPrintsThroughTheQueue()
{
    StartTovimaru();
    auto *form = qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
    QVERIFY(form);
    form->Picture1->setBackColor(QColor(0xFF, 0xC0, 0xC0));
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);

    // The program's printer is the server's default queue.
    QCOMPARE(CurrentProgram()->printing().printer().printerName(), QLatin1String(Queue));
    testing::AnswerNextModal([](QDialog *dialog) { QVERIFY(qobject_cast<QPrintDialog *>(dialog)); });
    QTest::mouseClick(form->Command14, Qt::LeftButton);
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // no failure message

    QString pdf;
    QTRY_VERIFY_WITH_TIMEOUT(!(pdf = QDir(m_out).entryList({"*.pdf"}, QDir::Files).value(0)).isEmpty(), 30000);
    pdf = m_out + QLatin1Char('/') + pdf;
    QTRY_VERIFY2_WITH_TIMEOUT(testing::Run(QStringLiteral("lpstat"), {"-o", Queue}).trimmed().isEmpty(),
                              qPrintable(testing::Run(QStringLiteral("lpstat"), {"-l", "-o", Queue})
                                         + testing::Run(QStringLiteral("tail"), {"-5", m_cups.errorLog()})),
                              30000);
    const QString info = testing::Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\b"))), qPrintable(info));

    // The PDF queue hands the landscape page over turned to portrait, as a printer does with the
    // paper: the poster's box is 499 wide and 707 high in proportion.
    const QString base = pdf + QStringLiteral(".page");
    testing::Run(QStringLiteral("pdftoppm"), {"-r", "72", "-png", "-singlefile", pdf, base});
    const QImage page(base + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    QRect ink;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixelColor(x, y).lightness() < 245)
                ink |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY(page.height() > page.width());
    QVERIFY2(qAbs(double(ink.width()) / ink.height() - 499.0 / 707.0) < 0.01,
             qPrintable(QStringLiteral("%1x%2").arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.height() > 0.9 * page.height()); // as large as the page allows
    const QColor paper = page.pixelColor(ink.center());
    QVERIFY(paper.red() > 240 && paper.green() > 180 && paper.green() < 205);
}

QTEST_MAIN(TestCups)
#include "tst_cups.moc"
