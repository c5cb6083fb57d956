// Printing through a real print server: a private CUPS daemon with a PDF queue, started for this
// test alone under a temporary folder, receives the poster from the program's print button.
// CUPS's PDF backend needs a server running as root, so the test is skipped for other users.

#include "TestSupport.h"

#include "app/form/Form1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "output/PrintAndSave.h"

#include <QPrintDialog>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const char Queue[] = "TOVIMARUTEST";

bool Write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class TestCups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printButtonPrintsThroughTheQueue();

private:
    QTemporaryDir m_work;
    QProcess m_cupsd;
    QString m_out;
};

void TestCups::initTestCase()
{
    if (geteuid() != 0)
        QSKIP("the PDF queue needs a print server running as root");
    if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/sbin"}).isEmpty()
        || !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))
        QSKIP("cups and printer-driver-cups-pdf are not installed");

    const QString d = m_work.path();
    m_out = d + QStringLiteral("/out");
    for (const char *sub : {"etc", "spool/tmp", "cache", "state", "log", "out"})
        QVERIFY(QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub)));
    QVERIFY(Write(d + "/etc/cups-files.conf",
                  QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                 "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                 "PageLog %1/log/page_log\nSystemGroup root\nFileDevice No\n")
                      .arg(d).toUtf8()));
    QVERIFY(Write(d + "/etc/cupsd.conf",
                  QStringLiteral("LogLevel info\nListen %1/cups.sock\nBrowsing Off\nWebInterface No\n"
                                 "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(d).toUtf8()));
    // The PDF backend reads its settings for the queue from this file: it writes into our folder.
    QVERIFY(Write(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(QLatin1String(Queue)),
                  QStringLiteral("Out %1\n").arg(m_out).toUtf8()));
    // The filters run as the lp user: they must reach the spool through the temporary folder.
    QCOMPARE(QProcess::execute(QStringLiteral("chmod"), {"0755", d}), 0);
    QCOMPARE(QProcess::execute(QStringLiteral("chown"), {"root:lp", d + "/spool", d + "/spool/tmp", d + "/cache", d + "/state"}), 0);
    QCOMPARE(QProcess::execute(QStringLiteral("chmod"), {"1777", d + "/spool/tmp"}), 0);

    m_cupsd.start(QStringLiteral("cupsd"), {"-f", "-c", d + "/etc/cupsd.conf", "-s", d + "/etc/cups-files.conf"});
    QVERIFY(m_cupsd.waitForStarted());
    qputenv("CUPS_SERVER", (d + "/cups.sock").toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(testing::Run(QStringLiteral("lpstat"), {"-r"}).contains(QLatin1String("is running")), 10000);
    QCOMPARE(QProcess::execute(QStringLiteral("lpadmin"),
                               {"-p", Queue, "-E", "-v", QStringLiteral("cups-pdf:/%1").arg(QLatin1String(Queue)), "-P",
                                "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"}),
             0);
    QCOMPARE(QProcess::execute(QStringLiteral("lpadmin"), {"-d", Queue}), 0);
}

void TestCups::cleanupTestCase()
{
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        m_cupsd.waitForFinished(5000);
    }
    QFile::remove(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(QLatin1String(Queue)));
    QFile::remove(QStringLiteral("/var/log/cups/cups-pdf-%1_log").arg(QLatin1String(Queue)));
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
                                         + testing::Run(QStringLiteral("tail"), {"-5", m_work.path() + "/log/error_log"})),
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
