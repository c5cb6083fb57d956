// SPDX-License-Identifier: GPL-3.0-or-later
// Two options of a teacher's settings for step 4: "ほぞん" writing PNG and PDF files and offering a
// name of its own (saveFormats), and "いんさつ" showing the page before printing (printPreview).
// Dialogs are answered through their own windows where a person's click matters.

#include "PdfPages.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "output/PrintAndSave.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Bmp = QStringLiteral("BMP(*.bmp)");
const QString Png = QStringLiteral("PNG(*.png)");
const QString Pdf = QStringLiteral("PDF(*.pdf)");

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// What a file holds, from its first bytes: "BMP", "PNG", "PDF", or empty.
QString KindOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(5);
    if (head.startsWith("BM"))
        return QStringLiteral("BMP");
    if (head.startsWith("\x89PNG"))
        return QStringLiteral("PNG");
    if (head.startsWith("%PDF-"))
        return QStringLiteral("PDF");
    return {};
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The paper colour of the posters of these tests.
const QColor PaperColour(0xC0, 0xFF, 0xFF);

bool IsPaper(QColor c)
{
    return qAbs(c.red() - PaperColour.red()) <= 2 && c.green() >= 0xFD && c.blue() >= 0xFD;
}

QPushButton *DialogButton(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(which) : nullptr;
}

// Answers the save dialog: chooses the file type and the name as a person does, then accepts
// as its button does. "replace" answers the question an existing file brings up; after "No" the
// dialog stays open and is cancelled.
void AnswerSaveDialog(const QString &filter, const QString &fileName,
                      QMessageBox::StandardButton replace = QMessageBox::NoButton)
{
    testing::OnNextModal<QFileDialog>([=](QFileDialog *files) {
        files->selectNameFilter(filter);
        // Typed into the name box, which has the focus (selectFile() leaves it alone then).
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(fileName);
        if (replace != QMessageBox::NoButton)
            testing::ClickNextMessageBox(replace);
        static_cast<QDialog *>(files)->accept(); // as its save button does
        if (files->isVisible())
            files->reject();
    });
}

} // namespace

class TestSaveFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void theDialogsTypesAndName_data();
    void theDialogsTypesAndName();
    void saveAs_data();
    void saveAs();
    void thePngHoldsTheBmpsPixels();
    void thePdfHoldsThePosterFittedToOnePage();
    void overwritingAsksAboutTheNameWritten_data();
    void overwritingAsksAboutTheNameWritten();
    void freshNames_data();
    void freshNames();
    void theMouseAloneSaves();
    void previewGoesBackOrPrints_data();
    void previewGoesBackOrPrints();

private:
    // Starts the program with these options and goes to step 4, the paper coloured.
    void startInStepFour(bool saveFormats, bool printPreview = false);
    QTemporaryDir m_dir;
    Form1 *m_form = nullptr;
};

void TestSaveFormats::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No print server: the print dialog keeps the PDF printer a test sets up.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    QStandardPaths::setTestModeEnabled(true);
    QDir::setCurrent(m_dir.path());
    if (testing::Run(QStringLiteral("pdftoppm"), {"-v"}).isNull() && QProcess::execute("pdftoppm", {"-v"}) < 0)
        QSKIP("poppler-utils is not installed");
}

void TestSaveFormats::cleanup()
{
    settings::SetCurrent(settings::Settings{});
    QDir::setCurrent(m_dir.path());
}

void TestSaveFormats::startInStepFour(bool saveFormats, bool printPreview)
{
    settings::Settings chosen;
    chosen.saveFormats = saveFormats;
    chosen.printPreview = printPreview;
    settings::SetCurrent(chosen);
    StartTovimaru();
    m_form = MainWindow();
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->Picture1->setBackColor(PaperColour);
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    QTest::mouseClick(m_form->Command4, Qt::LeftButton);
    QVERIFY(m_form->Picture2->isVisible());
}

void TestSaveFormats::theDialogsTypesAndName_data()
{
    QTest::addColumn<bool>("saveFormats");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("offered"); // the name in the name box when the dialog opens
    QTest::newRow("as designed") << false << QStringList{Bmp} << QString();
    QTest::newRow("saveFormats") << true << QStringList{Bmp, Png, Pdf} << QStringLiteral("ぽすたー１.bmp");
}

void TestSaveFormats::theDialogsTypesAndName()
{
    QFETCH(bool, saveFormats);
    QFETCH(QStringList, filters);
    QFETCH(QString, offered);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    startInStepFour(saveFormats);
    QStringList shownFilters;
    QString shownName, shownFilter;
    testing::OnNextModal<QFileDialog>([&](QFileDialog *files) {
        shownFilters = files->nameFilters();
        shownFilter = files->selectedNameFilter();
        shownName = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        QCOMPARE(files->defaultSuffix(), QString());
        QCOMPARE(files->directory().absolutePath(), QDir(folder.path()).absolutePath());
        testing::ClickThroughWindow(DialogButton(files, QDialogButtonBox::Cancel));
    });
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QCOMPARE(shownFilters, filters);
    QCOMPARE(shownFilter, Bmp);
    QCOMPARE(shownName, offered);
    // Cancelled: nothing written, nothing said.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestSaveFormats::saveAs_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("kind");
    QTest::newRow("PNG, no extension") << Png << "ぽすたー" << "ぽすたー.png" << "PNG";
    QTest::newRow("PNG with its extension") << Png << "poster.png" << "poster.png" << "PNG";
    QTest::newRow("PNG, another extension") << Png << "poster.bmp" << "poster.bmp.png" << "PNG";
    QTest::newRow("PNG, the extension in capitals") << Png << "POSTER.PNG" << "POSTER.PNG" << "PNG";
    QTest::newRow("PDF, no extension") << Pdf << "ぽすたー" << "ぽすたー.pdf" << "PDF";
    QTest::newRow("PDF with its extension") << Pdf << "poster.pdf" << "poster.pdf" << "PDF";
    QTest::newRow("PDF, a dot in the name") << Pdf << "ぽすたー.２" << "ぽすたー.２.pdf" << "PDF";
    QTest::newRow("BMP keeps the exact name") << Bmp << "ぽすたー" << "ぽすたー" << "BMP";
    QTest::newRow("BMP keeps any extension") << Bmp << "poster.png" << "poster.png" << "BMP";
}

void TestSaveFormats::saveAs()
{
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    startInStepFour(true);
    QTemporaryDir folder;
    AnswerSaveDialog(filter, folder.filePath(typed));
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // no failure message
    // That one file, whole: nothing else left in the folder.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{written});
    QCOMPARE(KindOf(folder.filePath(written)), kind);
    QCOMPARE(CurrentProgram()->printing().lastFileName(), folder.filePath(written));
}

void TestSaveFormats::thePngHoldsTheBmpsPixels()
{
    startInStepFour(true);
    m_form->Command13->setBackColor(Qt::red);
    m_form->HScroll1->setValue(30);
    QTest::mouseClick(m_form->Picture2, Qt::LeftButton, {}, QPoint(350, 250));
    const QString png = m_dir.filePath(QStringLiteral("pixels.png"));
    AnswerSaveDialog(Png, png);
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    // The BMP of the very capture the PNG was written from.
    const QString bmp = m_dir.filePath(QStringLiteral("pixels.bmp"));
    QVERIFY(output::SavePictureAsBmp(m_form->Picture2->picture(), bmp));
    const QImage fromPng(png), fromBmp(bmp);
    QCOMPARE(fromPng.size(), QSize(707, 499));
    QCOMPARE(fromPng.convertToFormat(QImage::Format_RGB32), fromBmp.convertToFormat(QImage::Format_RGB32));
    QVERIFY(IsPaper(fromPng.pixelColor(5, 5)));
    QCOMPARE(fromPng.pixelColor(350, 250), QColor(Qt::red)); // the dot of step 4
}

void TestSaveFormats::thePdfHoldsThePosterFittedToOnePage()
{
    startInStepFour(true);
    const QString pdf = m_dir.filePath(QStringLiteral("fitted.pdf"));
    AnswerSaveDialog(Pdf, pdf);
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    const QString info = testing::Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\b"))), qPrintable(info));
    // The page of the program's printer, turned landscape by the poster's shape; the poster from
    // its top-left corner across the whole width, as printing puts it.
    const QImage page = testing::PdfPage(pdf);
    const QSizeF paper = CurrentProgram()->printing().printer().pageLayout().pageSize().size(QPageSize::Point);
    QVERIFY(qAbs(page.width() - qMax(paper.width(), paper.height())) <= 1);
    QVERIFY(qAbs(page.height() - qMin(paper.width(), paper.height())) <= 1);
    const QRect ink = testing::Ink(page);
    QCOMPARE(ink.topLeft(), QPoint(0, 0));
    QVERIFY(ink.width() >= page.width() - 1);
    QVERIFY(qAbs(double(ink.width()) / ink.height() - 707.0 / 499.0) < 0.01);
    QVERIFY(IsPaper(page.pixelColor(ink.center())));
}

void TestSaveFormats::overwritingAsksAboutTheNameWritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("existing"); // the name written, which exists
    QTest::addColumn<int>("answer");
    QTest::newRow("replaced") << "old" << "old.png" << int(QMessageBox::Yes);
    QTest::newRow("kept") << "old" << "old.png" << int(QMessageBox::No);
    QTest::newRow("another extension, kept") << "old.bmp" << "old.bmp.png" << int(QMessageBox::No);
}

void TestSaveFormats::overwritingAsksAboutTheNameWritten()
{
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(int, answer);
    startInStepFour(true);
    QTemporaryDir folder;
    const QString old = folder.filePath(existing);
    WriteFile(old, "an older poster");
    // The name with the extension added exists: Qt's question comes first.
    AnswerSaveDialog(Png, folder.filePath(typed), QMessageBox::StandardButton(answer));
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{existing});
    if (answer == QMessageBox::Yes)
        QCOMPARE(QImage(old).size(), QSize(707, 499));
    else
        QCOMPARE(Contents(old), QByteArray("an older poster"));
}

void TestSaveFormats::freshNames_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("fresh");
    QTest::newRow("an empty folder") << QStringList() << "ぽすたー１";
    QTest::newRow("a PNG of the first") << QStringList{"ぽすたー１.png"} << "ぽすたー２";
    QTest::newRow("any extension, none, or a folder")
        << QStringList{"ぽすたー１", "ぽすたー２.pdf", "ぽすたー３.BMP", "ぽすたー４/"} << "ぽすたー５";
    QTest::newRow("a gap") << QStringList{"ぽすたー２.png", "ぽすたー1.png"} << "ぽすたー１";
    QTest::newRow("ten") << QStringList{"ぽすたー１.png", "ぽすたー２.png", "ぽすたー３.png", "ぽすたー４.png",
                                        "ぽすたー５.png", "ぽすたー６.png", "ぽすたー７.png", "ぽすたー８.png",
                                        "ぽすたー９.bmp"}
                         << "ぽすたー１０";
}

void TestSaveFormats::freshNames()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, fresh);
    QTemporaryDir folder;
    for (const QString &name : existing) {
        if (name.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(folder.path()).mkdir(name.chopped(1)));
        else
            WriteFile(folder.filePath(name), "x");
    }
    QCOMPARE(output::FreshPosterName(folder.path()), fresh);
}

void TestSaveFormats::theMouseAloneSaves()
{
    // A child clicks "ほぞん" and the dialog's save button, and nothing else: the first free name
    // in the current folder. The next save offers a fresh name in the folder saved into last, of
    // the type chosen last.
    QTemporaryDir start;
    QDir::setCurrent(start.path());
    WriteFile(start.filePath(QStringLiteral("ぽすたー１.png")), "a poster of yesterday");
    startInStepFour(true);
    QStringList offered;
    auto clickSave = [&] {
        testing::OnNextModal<QFileDialog>([&](QFileDialog *files) {
            offered << files->selectedFiles().value(0);
            testing::ClickThroughWindow(DialogButton(files, QDialogButtonBox::Save));
        });
        QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    };
    clickSave();
    QCOMPARE(KindOf(start.filePath(QStringLiteral("ぽすたー２.bmp"))), QStringLiteral("BMP"));

    QTemporaryDir other;
    AnswerSaveDialog(Png, other.filePath(QStringLiteral("mine")));
    QTest::mouseClick(m_form->Command20, Qt::LeftButton);
    QCOMPARE(KindOf(other.filePath(QStringLiteral("mine.png"))), QStringLiteral("PNG"));

    clickSave();
    QCOMPARE(offered, (QStringList{start.filePath(QStringLiteral("ぽすたー２.bmp")),
                                   other.filePath(QStringLiteral("ぽすたー１.png"))}));
    QCOMPARE(KindOf(other.filePath(QStringLiteral("ぽすたー１.png"))), QStringLiteral("PNG"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestSaveFormats::previewGoesBackOrPrints_data()
{
    QTest::addColumn<bool>("print");
    QTest::newRow("もどる") << false;
    QTest::newRow("いんさつ") << true;
}

void TestSaveFormats::previewGoesBackOrPrints()
{
    QFETCH(bool, print);
    startInStepFour(false, true);
    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath(QStringLiteral("preview-%1.pdf").arg(print));
    printer.setOutputFileName(pdf);

    int pages = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QStringList captions;
    bool printDialogShown = false;
    testing::OnNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog *preview) {
        auto *page = preview->findChild<QPrintPreviewWidget *>();
        QVERIFY(page);
        pages = page->pageCount();
        orientation = page->orientation();
        auto *go = preview->findChild<QPushButton *>(QStringLiteral("CommandPreviewPrint"));
        auto *back = preview->findChild<QPushButton *>(QStringLiteral("CommandPreviewBack"));
        QVERIFY(go && back);
        captions << go->text() << back->text();
        if (print) {
            // Printing goes on as without the preview: through the print dialog.
            testing::OnNextModal<QPrintDialog>([&](QPrintDialog *dialog) {
                printDialogShown = true;
                testing::ClickThroughWindow(DialogButton(dialog, QDialogButtonBox::Ok));
            });
        }
        testing::ClickThroughWindow(print ? go : back);
    });
    QTest::mouseClick(m_form->Command14, Qt::LeftButton);
    QCOMPARE(captions, (QStringList{QStringLiteral("いんさつ"), QStringLiteral("もどる")}));
    QCOMPARE(pages, 1);
    QCOMPARE(orientation, QPageLayout::Landscape);
    QCOMPARE(printDialogShown, print);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(QFile::exists(pdf), print);
    if (print) {
        const QImage page = testing::PdfPage(pdf);
        QVERIFY(page.width() > page.height());
        QVERIFY(IsPaper(page.pixelColor(testing::Ink(page).center())));
    }
}

QTEST_MAIN(TestSaveFormats)
#include "tst_saveformats.moc"
