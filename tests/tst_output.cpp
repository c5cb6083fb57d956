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

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
