// SPDX-License-Identifier: GPL-3.0-or-later
// Poster capture: a picture of exactly what the poster area shows, at the capture density.

#include "TestSupport.h"

#include "form/Form1.h"
#include "app/Startup.h"
#include "output/PosterCapture.h"
#include "base/Twips.h"

#include <QPainter>
#include <QtTest>

using platform::CaptureDensity;
using platform::Picture;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// The colour of the capture at a logical pixel of the poster.
QColor At(const Picture &picture, int x, int y)
{
    return picture.image().pixelColor(x * CaptureDensity + CaptureDensity / 2, y * CaptureDensity + CaptureDensity / 2);
}

// Pixels of an image near the colour of a text selection's block.
int HighlightPixels(const QImage &image, const QRect &area, QColor highlight)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += qAbs(c.red() - highlight.red()) + qAbs(c.green() - highlight.green())
                         + qAbs(c.blue() - highlight.blue()) < 60;
        }
    }
    return count;
}

Picture Solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return Picture::fromImage(image);
}

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void captureHoldsThePaperAndItsDots();
    void captureHoldsNothingOfTheSidePanel();
    void twoCapturesAreIndependent();
    void captureShowsSlotsOverTheStillPicture();
    void grabOutsideTheClientAreaIsBlack();
    void aDoubleClickedWordStaysOffThePoster();
    void dotsOnThePaperLookAsTheCaptureShowsThem();
};

void TestOutput::init()
{
    StartTovimaru();
    QVERIFY(MainWindow());
}

void TestOutput::captureHoldsThePaperAndItsDots()
{
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(QColor(0xFF, 0xC0, 0xC0));
    // A dot of radius 30 twips at the centre of the paper, drawn as the pen draws it.
    form->Picture1->drawCircle(10605 / 2.0, 7485 / 2.0, 30, QColor(0x00, 0x00, 0xFF), QColor(0x00, 0x00, 0xFF));

    const Picture capture = output::CapturePoster(form->client());
    QCOMPARE(capture.kind(), Picture::Kind::Raster);
    QCOMPARE(capture.logicalSize(), QSizeF(707, 499));
    QCOMPARE(capture.image().size(), QSize(707, 499) * CaptureDensity);
    QCOMPARE(capture.himetricSize(), QSize(18706, 13203)); // 707 x 499 pixels at 96 dpi
    QCOMPARE(At(capture, 0, 0), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(At(capture, 706, 498), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(At(capture, 353, 249), QColor(0x00, 0x00, 0xFF));
    // The dot is held sharply: at the capture density its edge is a few device pixels wide.
    const QImage pixels = capture.image();
    int blue = 0;
    for (int x = 0; x < pixels.width(); ++x)
        blue += pixels.pixelColor(x, 249 * CaptureDensity + 2) == QColor(0, 0, 255);
    QVERIFY2(blue >= 4 * (CaptureDensity - 1) && blue <= 6 * CaptureDensity, qPrintable(QString::number(blue)));
}

void TestOutput::captureHoldsNothingOfTheSidePanel()
{
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(QColor(0x80, 0xFF, 0x80));
    const QImage pixels = output::CapturePoster(form->client()).image();
    // Every pixel is the paper: no header, no button, no panel grey at the edges.
    for (int y = 0; y < pixels.height(); y += 7) {
        QCOMPARE(pixels.pixelColor(0, y), QColor(0x80, 0xFF, 0x80));
        QCOMPARE(pixels.pixelColor(pixels.width() - 1, y), QColor(0x80, 0xFF, 0x80));
    }
    for (int x = 0; x < pixels.width(); x += 7) {
        QCOMPARE(pixels.pixelColor(x, 0), QColor(0x80, 0xFF, 0x80));
        QCOMPARE(pixels.pixelColor(x, pixels.height() - 1), QColor(0x80, 0xFF, 0x80));
    }
}

void TestOutput::twoCapturesAreIndependent()
{
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(Qt::white);
    const Picture first = output::CapturePoster(form->client());
    form->Picture1->drawCircle(1500, 1500, 30, Qt::red, Qt::red);
    const Picture second = output::CapturePoster(form->client());
    QVERIFY(!first.isSameObject(second));
    QCOMPARE(At(first, 100, 100), QColor(Qt::white));
    QCOMPARE(At(second, 100, 100), QColor(Qt::red));

    // Holding a capture in the paper and the still picture, as leaving step 1 does, keeps both.
    form->Image2->setPicture(first);
    form->Picture1->setPicture(second);
    QCOMPARE(At(form->Image2->picture(), 100, 100), QColor(Qt::white));
    QCOMPARE(At(form->Picture1->picture(), 100, 100), QColor(Qt::red));
}

void TestOutput::captureShowsSlotsOverTheStillPicture()
{
    Form1 *form = MainWindow();
    form->Image2->setPicture(Solid({70, 50}, QColor(0xFF, 0xFF, 0x80)));
    form->Picture1->hide();
    // A picture slot placed on the poster at twips (1500, 3000), 150 x 100 pixels.
    form->Image3[0]->setPicture(Solid({30, 20}, QColor(0x00, 0x80, 0xFF)));
    form->Image3[0]->setTwipsGeometry(1500, 3000, 2250, 1500);
    form->Image3[0]->show();
    // A text slot on the poster.
    form->Text1[0]->setText(QStringLiteral("あいうえお"));
    form->Text1[0]->setForeColor(Qt::black);
    form->Text1[0]->setBackColor(Qt::white);
    form->Text1[0]->setTwipsGeometry(6000, 6000, 3855, 615);
    form->Text1[0]->show();
    // A slot in the side panel is not on the poster.
    form->Image3[1]->setPicture(Solid({30, 20}, Qt::red));
    form->Image3[1]->setTwipsGeometry(11040, 3000, 1785, 1340);
    form->Image3[1]->show();

    const Picture capture = output::CapturePoster(form->client());
    QCOMPARE(At(capture, 5, 5), QColor(0xFF, 0xFF, 0x80)); // the still picture, stretched
    // The slot's rectangle, relative to the poster: (100 - 16, 200 - 184) to (250 - 16, 300 - 184).
    QCOMPARE(At(capture, 100 - 16 + 5, 200 - 184 + 5), QColor(0x00, 0x80, 0xFF));
    QCOMPARE(At(capture, 250 - 16 - 5, 300 - 184 - 5), QColor(0x00, 0x80, 0xFF));
    QCOMPARE(At(capture, 250 - 16 + 5, 300 - 184 + 5), QColor(0xFF, 0xFF, 0x80));
    // Black text on white in the text slot's rectangle.
    int dark = 0;
    for (int y = 400; y < 441; ++y) {
        for (int x = 400; x < 657; ++x)
            dark += At(capture, x - 16, y - 184).lightness() < 100;
    }
    QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
    QCOMPARE(At(capture, 650 - 16, 401 - 184), QColor(Qt::white));
    // Nothing red: the side panel slot is outside the capture.
    const QImage pixels = capture.image();
    for (int y = 0; y < pixels.height(); y += 5) {
        for (int x = 0; x < pixels.width(); x += 5)
            QVERIFY(pixels.pixelColor(x, y) != QColor(Qt::red));
    }
}

void TestOutput::grabOutsideTheClientAreaIsBlack()
{
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(Qt::white);
    const Picture corner = output::GrabWindowArea(form->client(), 1000, 0, 20, 10); // 8 pixels inside
    QCOMPARE(corner.logicalSize(), QSizeF(20, 10));
    QCOMPARE(At(corner, 19, 5), QColor(Qt::black));
    QVERIFY(At(corner, 2, 5) != QColor(Qt::black));
}

// A word double-clicked in step 3 is selected on the screen, as in any text box; the selection
// is a mark like the selection border: the move to step 4 captures the poster without it, and a
// slot that has lost the focus shows none.
void TestOutput::aDoubleClickedWordStaysOffThePoster()
{
    Form1 *form = MainWindow();
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    platform::RichTextBox *slot = form->Text1[2];
    slot->setText(QStringLiteral("うみ"));
    slot->setTwipsLeft(3000);
    slot->setTwipsTop(4500);
    QApplication::setActiveWindow(form);
    QTest::mouseDClick(slot->viewport(), Qt::LeftButton, {}, QPoint(15, slot->viewport()->height() / 2));
    QTRY_VERIFY(slot->hasFocus());
    QVERIFY(slot->textCursor().hasSelection());
    const QColor highlight = slot->palette().color(QPalette::Active, QPalette::Highlight);
    QVERIFY2(HighlightPixels(slot->grab().toImage(), slot->rect(), highlight) > 50, "no selection on the screen");

    QTest::mouseClick(form->Command4, Qt::LeftButton);
    const auto step4 = [form] { return form->Picture2->picture().image().convertToFormat(QImage::Format_RGB32); };
    const QRect area(int((slot->twipsLeft() / 15 - 16) * CaptureDensity), int((slot->twipsTop() / 15 - 184) * CaptureDensity),
                     int(slot->twipsWidth() / 15 * CaptureDensity), int(slot->twipsHeight() / 15 * CaptureDensity));
    QCOMPARE(HighlightPixels(step4(), area, highlight), 0);
    int dark = 0; // the word itself is there
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(step4().pixel(x, y)) < 100;
    }
    QVERIFY(dark > 100);

    // Back in step 3 the slot shows its word without the block, and the next move captures it so.
    QTest::mouseClick(form->Command16, Qt::LeftButton);
    QVERIFY(slot->isVisible());
    QCOMPARE(HighlightPixels(slot->grab().toImage(), slot->rect(), highlight), 0);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(HighlightPixels(step4(), area, highlight), 0);
}

// The dots of step 1 on the screen look as they will in the capture that "つぎへ" takes and
// shows in step 2: the same shape and the same colour, the dots of the smallest sizes too.
void TestOutput::dotsOnThePaperLookAsTheCaptureShowsThem()
{
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(QColor(0xFF, 0xFF, 0xC0));
    form->Command13->setBackColor(QColor(0xFF, 0x00, 0x00));
    for (int size : {1, 5, 12, 30}) {
        form->HScroll1->setValue(size);
        for (int k = 0; k < 4; ++k)
            QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(60 + 90 * k + size * 3, 40 + 30 * size + k));
    }
    const QImage paper = form->Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QVERIFY(!form->Picture1->isVisible());
    const QImage still = form->Image2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(still.size(), paper.size());
    int reddish = 0, worst = 0;
    QPoint where;
    for (int y = 0; y < paper.height(); ++y) {
        for (int x = 0; x < paper.width(); ++x) {
            const QColor a = paper.pixelColor(x, y), b = still.pixelColor(x, y);
            const int difference = std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())});
            if (difference > worst) {
                worst = difference;
                where = QPoint(x, y);
            }
            reddish += b.blue() < 0xA0;
        }
    }
    QVERIFY2(reddish > 20, "no dots in the capture");
    QVERIFY2(worst <= 8, qPrintable(QStringLiteral("the paper and the capture differ by %1 at %2, %3")
                                        .arg(worst).arg(where.x()).arg(where.y())));
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
