// SPDX-License-Identifier: GPL-3.0-or-later
// Printing and saving the finished poster: fitted to one page at its top-left corner, sharp,
// and saved under exactly the chosen name without ever destroying an existing file.

#include "PdfPages.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "output/PosterCapture.h"
#include "output/PrintAndSave.h"
#include "base/Twips.h"

#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using platform::CaptureDensity;
using platform::Picture;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// A poster-shaped picture, pale yellow, with a red block at its top-left corner and a blue one
// at its bottom-right corner.
Picture MarkedPoster()
{
    QImage image(QSize(707, 499) * CaptureDensity, QImage::Format_RGB32);
    image.setDevicePixelRatio(CaptureDensity);
    image.fill(QColor(0xFF, 0xFF, 0xC0));
    QPainter painter(&image);
    painter.fillRect(QRectF(0, 0, 40, 40), Qt::red);
    painter.fillRect(QRectF(707 - 40, 499 - 40, 40, 40), Qt::blue);
    painter.end();
    return Picture::fromImage(image);
}

bool IsRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool IsBlue(QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }

void GoToStepFour(Form1 *form)
{
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->Picture2->isVisible());
}

// Width of the BMP's pixels and its bits per pixel, from the file header.
std::tuple<int, int, int> BmpHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {0, 0, 0};
    const QByteArray head = file.read(54);
    if (head.size() < 54 || !head.startsWith("BM"))
        return {0, 0, 0};
    auto word = [&](int at) { return int(quint8(head[at])) | int(quint8(head[at + 1])) << 8; };
    return {word(18), word(22), word(28)};
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void fitToPage_data();
    void fitToPage();
    void printedPictureIsSharpAndLossless();
    void squarePicturePrintsPortrait();
    void printButtonPrintsThePosterWithItsDots();
    void cancellingThePrintDialogOnlyRefreshesThePoster();
    void aPrintJobThatCannotStartSaysSo();
    void saveWritesA24BitBmp();
    void saveKeepsTheExactName();
    void saveOverAnExistingFileAsksFirst();
    void saveOffersTheLastName();
    void cancellingTheSaveDialogWritesNothing();
    void saveWhereNothingCanBeWrittenSaysSo();
    void aFailedSaveLeavesTheOldFileIntact();

private:
    QTemporaryDir dir;
    Form1 *form = nullptr;
};

void TestPrint::initTestCase()
{
    // No print server: the print dialog must keep the PDF printer a test sets up (with printers
    // present, accepting it would switch to the default printer).
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    // The dialogs remember folders in Qt's settings: keep them away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    if (testing::Run(QStringLiteral("pdftoppm"), {"-v"}).isNull() && QProcess::execute("pdftoppm", {"-v"}) < 0)
        QSKIP("poppler-utils is not installed");
}

void TestPrint::init()
{
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
}

void TestPrint::fitToPage_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<double>("margin"); // the printer's unprintable margin, points
    QTest::addColumn<QRect>("expected"); // where the picture lands, points of the landscape page
    // A4 landscape is 842 x 595 points, Letter 792 x 612; the poster's 707:499 is 1.417.
    QTest::newRow("A4 without margins: the width limits") << int(QPageSize::A4) << 0.0 << QRect(0, 0, 842, 594);
    QTest::newRow("A4 with margins: the height limits, strip at the right")
        << int(QPageSize::A4) << 10.0 << QRect(10, 10, 815, 575);
    QTest::newRow("Letter: the width limits, strip at the bottom") << int(QPageSize::Letter) << 0.0 << QRect(0, 0, 792, 559);
    QTest::newRow("Letter with margins") << int(QPageSize::Letter) << 10.0 << QRect(10, 10, 772, 545);
}

void TestPrint::fitToPage()
{
    QFETCH(int, paper);
    QFETCH(double, margin);
    QFETCH(QRect, expected);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("fit-%1-%2.pdf").arg(paper).arg(margin));
    printer.setOutputFileName(pdf);
    const QMarginsF margins(margin, margin, margin, margin);
    // Portrait chosen in the dialog: the poster's shape turns it to landscape.
    QVERIFY(printer.setPageLayout(QPageLayout(QPageSize(QPageSize::PageSizeId(paper)), QPageLayout::Portrait, margins,
                                              QPageLayout::Point, margins)));
    QVERIFY(output::PrintPictureFitted(printer, MarkedPoster()));

    const QString info = testing::Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\b"))), qPrintable(info));
    const QImage page = testing::PdfPage(pdf);
    QVERIFY(page.width() > page.height()); // landscape
    const QRect ink = testing::Ink(page);
    QVERIFY2(qAbs(ink.left() - expected.left()) <= 1 && qAbs(ink.top() - expected.top()) <= 1
                 && qAbs(ink.width() - expected.width()) <= 2 && qAbs(ink.height() - expected.height()) <= 2,
             qPrintable(QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    // The picture's top-left corner is at the printable area's top-left corner, right way up.
    QVERIFY(IsRed(page.pixelColor(ink.left() + 5, ink.top() + 5)));
    QVERIFY(IsBlue(page.pixelColor(ink.right() - 5, ink.bottom() - 5)));
}

void TestPrint::printedPictureIsSharpAndLossless()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("sharp.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(output::PrintPictureFitted(printer, MarkedPoster()));
    const QStringList lines = testing::Run(QStringLiteral("pdfimages"), {"-list", pdf}).split(QLatin1Char('\n'));
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    QVERIFY(lines.size() >= 3);
    const QStringList fields = lines.at(2).simplified().split(QLatin1Char(' '));
    QVERIFY2(fields.size() >= 14, qPrintable(lines.at(2)));
    QCOMPARE(fields.at(3).toInt(), 707 * CaptureDensity);
    QCOMPARE(fields.at(4).toInt(), 499 * CaptureDensity);
    QVERIFY2(fields.at(8) != QLatin1String("jpeg"), qPrintable(lines.at(2)));
    QVERIFY2(fields.at(12).toInt() >= 240 && fields.at(13).toInt() >= 240, qPrintable(lines.at(2)));
}

void TestPrint::squarePicturePrintsPortrait()
{
    QImage square(300, 300, QImage::Format_RGB32);
    square.fill(Qt::red);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("square.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    QVERIFY(output::PrintPictureFitted(printer, Picture::fromImage(square)));
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
    QVERIFY(!output::PrintPictureFitted(printer, Picture())); // nothing to print: no division by zero
}

void TestPrint::printButtonPrintsThePosterWithItsDots()
{
    form->Picture1->setBackColor(QColor(0xC0, 0xFF, 0xFF));
    GoToStepFour(form);
    // A big red dot drawn on the finished poster, and an element still selected.
    form->Command13->setBackColor(Qt::red);
    form->HScroll1->setValue(30);
    QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, QPoint(350, 250));
    form->HasSelection = 1;

    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("button.pdf"));
    printer.setOutputFileName(pdf);
    QString dialogName;
    testing::AnswerNextModal([&](QDialog *dialog) {
        QVERIFY(qobject_cast<QPrintDialog *>(dialog));
        dialogName = dialog->objectName();
    });
    QTest::mouseClick(form->Command14, Qt::LeftButton);
    QCOMPARE(dialogName, QStringLiteral("CommonDialog1"));
    QCOMPARE(printer.docName(), QStringLiteral("とびまる")); // the job's name in the print queue
    QCOMPARE(form->HasSelection, 0);
    QVERIFY(form->Picture2->isVisible());
    QVERIFY(QFile::exists(pdf));

    // One landscape page: the paper colour and the dot of step 4 are on it.
    const QImage page = testing::PdfPage(pdf);
    QVERIFY(page.width() > page.height());
    const QRect ink = testing::Ink(page);
    QVERIFY(ink.width() > 780);
    const QColor paper = page.pixelColor(ink.left() + 20, ink.top() + 20);
    QVERIFY(qAbs(paper.red() - 0xC0) <= 2 && paper.green() >= 0xFD && paper.blue() >= 0xFD);
    // The dot, at (350, 250) of the finished poster.
    const QPointF dot(ink.left() + 350.5 * ink.width() / 707.0, ink.top() + 250.5 * ink.height() / 499.0);
    QVERIFY(IsRed(page.pixelColor(dot.toPoint())));
}

void TestPrint::cancellingThePrintDialogOnlyRefreshesThePoster()
{
    GoToStepFour(form);
    const Picture before = form->Picture2->picture();
    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("cancelled.pdf"));
    printer.setOutputFileName(pdf);
    form->HasSelection = 1;
    testing::CancelNextModal();
    QTest::mouseClick(form->Command14, Qt::LeftButton);
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!form->Picture2->picture().isSameObject(before));
    QCOMPARE(form->HasSelection, 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // no message
}

void TestPrint::aPrintJobThatCannotStartSaysSo()
{
    GoToStepFour(form);
    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/poster.pdf")));
    QString message, title;
    testing::AnswerNextModal([&](QDialog *dialog) {
        // After the print dialog comes the message.
        testing::AnswerNextModal([&](QDialog *box) {
            message = qobject_cast<QMessageBox *>(box) ? qobject_cast<QMessageBox *>(box)->text() : QString();
            title = box->windowTitle();
            if (auto *message = qobject_cast<QMessageBox *>(box))
                testing::ExpectTheProgramsMessageLook(message);
        });
        Q_UNUSED(dialog);
    });
    QTest::mouseClick(form->Command14, Qt::LeftButton);
    QCOMPARE(message, output::PrintController::PrintFailedMessage);
    QCOMPARE(title, QStringLiteral("いんさつ"));
}

namespace {

// Answers the save dialog with a file name; "replace" answers the question an existing file
// brings up. Returns, through "offered", the name the dialog offered when it opened.
void AnswerSaveDialog(const QString &fileName, QString *offered = nullptr, bool replace = false)
{
    testing::AnswerNextModal([=](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        QCOMPARE(files->objectName(), QStringLiteral("CommonDialog1"));
        QCOMPARE(files->nameFilters(), QStringList{QStringLiteral("BMP(*.bmp)")});
        QCOMPARE(files->defaultSuffix(), QString());
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        if (offered)
            *offered = files->selectedFiles().value(0);
        files->selectFile(fileName);
        if (replace)
            testing::AnswerNextMessageBox(QMessageBox::Yes);
    });
}

} // namespace

void TestPrint::saveWritesA24BitBmp()
{
    form->Picture1->setBackColor(QColor(0xFF, 0xE0, 0xC0));
    GoToStepFour(form);
    form->Command13->setBackColor(Qt::blue);
    form->HScroll1->setValue(30);
    QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, QPoint(100, 300));
    form->HasSelection = 1;
    const QString path = dir.filePath(QStringLiteral("ぽすたー.bmp"));
    AnswerSaveDialog(path);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(form->HasSelection, 0);
    QVERIFY(form->Picture2->isVisible());
    QCOMPARE(BmpHeader(path), std::make_tuple(707, 499, 24));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(707, 499));
    QCOMPARE(saved.pixelColor(5, 5), QColor(0xFF, 0xE0, 0xC0));
    QCOMPARE(saved.pixelColor(100, 300), QColor(Qt::blue)); // the dot of step 4
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Printed after it is saved, the job takes the poster's name.
    testing::CancelNextModal();
    QTest::mouseClick(form->Command14, Qt::LeftButton);
    QCOMPARE(CurrentProgram()->printing().printer().docName(), QStringLiteral("ぽすたー"));
}

void TestPrint::saveKeepsTheExactName()
{
    GoToStepFour(form);
    const QString path = dir.filePath(QStringLiteral("poster without suffix"));
    AnswerSaveDialog(path);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(std::get<2>(BmpHeader(path)), 24);
    QVERIFY(!QFile::exists(path + QStringLiteral(".bmp")));
}

void TestPrint::saveOverAnExistingFileAsksFirst()
{
    GoToStepFour(form);
    const QString path = dir.filePath(QStringLiteral("old.bmp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older poster");
    }
    AnswerSaveDialog(path, nullptr, true);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(BmpHeader(path), std::make_tuple(707, 499, 24));
    // Nothing is left behind in the folder but the poster.
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("old*")}, QDir::Files | QDir::Hidden), QStringList{"old.bmp"});
}

void TestPrint::saveOffersTheLastName()
{
    GoToStepFour(form);
    const QString first = dir.filePath(QStringLiteral("first.bmp"));
    QString offered = QStringLiteral("not asked");
    AnswerSaveDialog(first, &offered);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QVERIFY(QFile::exists(first));
    AnswerSaveDialog(dir.filePath(QStringLiteral("second.bmp")), &offered);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(offered, first);
    QCOMPARE(CurrentProgram()->printing().lastFileName(), dir.filePath(QStringLiteral("second.bmp")));
}

void TestPrint::cancellingTheSaveDialogWritesNothing()
{
    GoToStepFour(form);
    const Picture before = form->Picture2->picture();
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    form->HasSelection = 1;
    testing::CancelNextModal();
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
    QVERIFY(!form->Picture2->picture().isSameObject(before));
    QCOMPARE(form->HasSelection, 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

namespace {

// Waits for the program's message after the save dialog, reads it and answers it.
void CatchMessage(QString *text, QString *title, int tries = 400)
{
    QTimer::singleShot(10, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->icon() == QMessageBox::Critical) {
            *text = box->text();
            *title = box->windowTitle();
            box->accept();
        } else if (tries > 0) {
            CatchMessage(text, title, tries - 1);
        }
    });
}

} // namespace

void TestPrint::saveWhereNothingCanBeWrittenSaysSo()
{
    GoToStepFour(form);
    // A folder where not even root may create a file.
    const QString path = QStringLiteral("/sys/tovimaru-poster.bmp");
    QString message, title;
    AnswerSaveDialog(path);
    CatchMessage(&message, &title);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QCOMPARE(message, output::PrintController::SaveFailedMessage);
    QCOMPARE(title, QStringLiteral("ほぞん"));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(CurrentProgram()->printing().lastFileName(), path);
}

void TestPrint::aFailedSaveLeavesTheOldFileIntact()
{
    // A folder the user may read but not write. Root writes anywhere, so CI runs this case again
    // as another user (see tests/CMakeLists.txt).
    if (geteuid() == 0)
        QSKIP("root writes into read-only folders; run as another user");
    QTemporaryDir locked;
    const QString path = locked.filePath(QStringLiteral("poster.bmp"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the poster of last week");
    }
    QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
    GoToStepFour(form);
    QString message, title;
    AnswerSaveDialog(path, nullptr, true);
    CatchMessage(&message, &title);
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(message, output::PrintController::SaveFailedMessage);
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the poster of last week"));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
