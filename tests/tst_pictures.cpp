// SPDX-License-Identifier: GPL-3.0-or-later
// Placing and moving pictures in step 2, driven through the main window with the pointer as a
// user would: a pass over a thumbnail lays a copy over it, a drag carries it onto the poster
// where it grows once, a release in the side panel takes it off, the eleventh picture is
// refused. Placed pictures are decoded for the size they are shown at, follow size changes,
// and reach the step-4 capture sharp. A placed picture stays the one chosen whatever happens to
// its file afterwards.

#include "PosterPointer.h"
#include "TestSupport.h"
#include "tests/support/ExifJpeg.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "images/Gallery.h"
#include "images/PictureSlots.h"
#include "output/PosterCapture.h"
#include "base/Twips.h"

#include <QBuffer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

using images::PictureSlotController;
using platform::CaptureDensity;
using platform::ImageControl;
using testing::InCell;
using testing::Pointer;

namespace {

// 3200 x 2402 pixels: width-fitted height 1785 x 2402 / 3200 = 1339.9, so its cell is exactly
// 1785 x 1340. Blocks of 16 pixels in random colours: fine detail that a thumbnail loses.
constexpr QSize PhotoSize(3200, 2402);

QImage Blocks(QSize size, int block, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    quint32 state = seed;
    for (int y = 0; y < size.height(); y += block) {
        for (int x = 0; x < size.width(); x += block) {
            state = state * 1664525u + 1013904223u;
            painter.fillRect(x, y, block, block, QColor::fromRgb(state >> 8 & 0xFFFFFF));
        }
    }
    return image;
}

// Mean difference per channel of two images of one size, over their inner part.
double MeanDifference(const QImage &a, const QImage &b, int margin)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0, count = 0;
    for (int row = margin; row < x.height() - margin; ++row) {
        for (int column = margin; column < x.width() - margin; ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
            count += 3;
        }
    }
    return count ? double(sum) / count : 255;
}

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// What a file of the gallery turns into after its picture was placed.
enum class FileChange {
    Overwritten,      // another picture written into the same file
    Replaced,         // another picture written beside it and renamed over it
    SameSizeAndTimes, // another picture of the same length, the file's times set back
    Deleted,
    Truncated,        // the start of another picture of the same kind, in the same file
    Garbage,          // random bytes of the same length
};

// Green, as the chosen picture is; the magenta that takes its place differs in every channel.
bool IsGreen(QColor c)
{
    return c.green() > 150 && c.red() < 70 && c.blue() < 70;
}

// Whether the image is green at its centre and near its four corners.
bool LooksGreen(const QImage &image)
{
    if (image.isNull())
        return false;
    const int w = image.width(), h = image.height();
    for (const QPoint p : {QPoint(w / 2, h / 2), QPoint(w / 8, h / 8), QPoint(7 * w / 8, h / 8),
                           QPoint(w / 8, 7 * h / 8), QPoint(7 * w / 8, 7 * h / 8)}) {
        if (!IsGreen(image.pixelColor(p)))
            return false;
    }
    return true;
}

QByteArray Encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

bool WriteInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path); // opened for writing, the same file is truncated: its inode stays
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The slot's size as the control holds it (single precision).
QSizeF SizeOf(const ImageControl &slot)
{
    return {slot.twipsWidth(), slot.twipsHeight()};
}
QSizeF SingleSize(double width, double height)
{
    return {static_cast<float>(width), static_cast<float>(height)};
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void passingOverACellLaysACopyOverIt();
    void dragFromTheGalleryGrowsOnce();
    void dragBackToTheSidePanelTakesItOff();
    void releaseAtExactlyTheLimitTakesItOff();
    void growsAgainOnlyWhenSmall_data();
    void growsAgainOnlyWhenSmall();
    void theEleventhPicture_data();
    void theEleventhPicture();
    void dragsIntoTheTopAndLeftEdges();
    void placedPictureFollowsItsSizeSharply();
    void settlingMakesTheDecodeAtOnce();
    void stepFourCaptureIsSharpAndComesBack();
    void cameraPhotoIsPlacedUprightFromItsOwnPixels();
    void placedPictureStaysWhatWasChosen_data();
    void placedPictureStaysWhatWasChosen();

private:
    // Hovers cell i, presses and drags the copy until its top-left corner is at (left, top).
    ImageControl &place(int cell, double left, double top, bool release = true);
    ImageControl &slot(int s) { return *form->Image3[s]; }

    QTemporaryDir m_folder;
    QStringList m_names;
    QImage m_photo;
    Form1 *form = nullptr;
    std::unique_ptr<Pointer> pointer;
};

void TestPictures::initTestCase()
{
    m_photo = Blocks(PhotoSize, 16, 7);
    QVERIFY(m_photo.save(m_folder.filePath(QStringLiteral("0 photo.jpg")), "JPG", 95));
    QVERIFY(Blocks(QSize(400, 300), 20, 9).save(m_folder.filePath(QStringLiteral("1 small.jpg")), "JPG"));
    // A phone photo held upright: stored on its side in four coloured quarters (red, green above
    // blue, white), with the orientation tag and a plain red thumbnail for previews.
    QImage quarters(800, 600, QImage::Format_RGB32);
    quarters.fill(Qt::white);
    QPainter painter(&quarters);
    painter.fillRect(0, 0, 400, 300, Qt::red);
    painter.fillRect(400, 0, 400, 300, Qt::green);
    painter.fillRect(0, 300, 400, 300, Qt::blue);
    painter.end();
    QFile camera(m_folder.filePath(QStringLiteral("2 camera.jpg")));
    QVERIFY(camera.open(QIODevice::WriteOnly));
    QImage thumbnail(160, 120, QImage::Format_RGB32);
    thumbnail.fill(Qt::red);
    camera.write(exifjpeg::WithExif(exifjpeg::Encode(quarters, 95), 6, exifjpeg::Encode(thumbnail)));
    camera.close();
    m_names = {QStringLiteral("0 photo.jpg"), QStringLiteral("1 small.jpg"), QStringLiteral("2 camera.jpg")};
}

void TestPictures::init()
{
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    Module1::ImageDir = m_folder.path() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(m_names);
    QTest::mouseClick(form->Command11, Qt::LeftButton); // to step 2
    QVERIFY(form->Image1[0]->isVisible());
    pointer = std::make_unique<Pointer>(*form);
}

void TestPictures::cleanup()
{
    pointer.reset();
}

ImageControl &TestPictures::place(int cell, double left, double top, bool release)
{
    pointer->hover(InCell(cell));
    ImageControl &copy = slot(Module1::FreeSlot);
    pointer->press(InCell(cell));
    pointer->dragTo(QPointF(left + form->GrabX, top + form->GrabY));
    if (release)
        pointer->release();
    return copy;
}

void TestPictures::passingOverACellLaysACopyOverIt()
{
    const ImageControl &cell = *form->Image1[0];
    pointer->hover(InCell(0) + QPointF(15, 0));
    QCOMPARE(Module1::FreeSlot, 0);
    QCOMPARE(form->HasSelection, 1);
    QCOMPARE(form->GrabX, 915);
    QCOMPARE(form->GrabY, 600);
    const ImageControl &copy = slot(0);
    QVERIFY(copy.isVisible());
    QCOMPARE(copy.geometry(), cell.geometry());
    QCOMPARE(SizeOf(copy), SizeOf(cell));
    // The gallery's own decode: nothing was decoded again.
    QVERIFY(copy.picture().isSameObject(cell.picture()));

    // The copy now takes the pointer's events; passing on to another cell moves it there.
    pointer->hover(InCell(0) + QPointF(150, 30));
    QCOMPARE(form->GrabX, 915);
    pointer->hover(InCell(1));
    QCOMPARE(Module1::FreeSlot, 0);
    QCOMPARE(copy.geometry(), form->Image1[1]->geometry());
    QVERIFY(copy.picture().isSameObject(form->Image1[1]->picture()));
    QCOMPARE(form->GrabX, 900);
}

void TestPictures::dragFromTheGalleryGrowsOnce()
{
    pointer->hover(InCell(0));
    ImageControl &copy = slot(0);
    pointer->press(InCell(0));
    QCOMPARE(copy.borderStyle(), 1);
    QCOMPARE(Module1::SelectedKind, 1);

    // Still in the side panel: it moves but keeps its size.
    pointer->dragTo(InCell(0) - QPointF(600, 0), 2);
    QCOMPARE(copy.twipsLeft(), images::CellLeft(0) - 600);
    QCOMPARE(SizeOf(copy), SingleSize(1785, 1340));
    QCOMPARE(form->OnPoster[0], 0);

    // The first move that ends on the poster makes it 2.24 times as large, once.
    pointer->dragTo(QPointF(3000, 3990));
    QCOMPARE(SizeOf(copy), SingleSize(3998.4, 3001.6));
    QCOMPARE(form->OnPoster[0], 1);
    QCOMPARE(Module1::SelectedIndex, 0);
    QCOMPARE(copy.twipsLeft(), 3000.0 - 900);
    QCOMPARE(copy.twipsTop(), 3990.0 - 600);
    pointer->release();
    QVERIFY(copy.isVisible());

    // A second drag: the press records no pick-up point, so the first move shifts the picture by
    // the difference between the point pressed and the one last recorded; then it follows.
    const QPointF pressed(3495, 4395); // 1395, 1005 inside it; the last pick-up point is 900, 600
    pointer->press(pressed);
    pointer->dragTo(pressed + QPointF(15, 0), 1);
    QCOMPARE(copy.twipsLeft(), 2100.0 + 1410 - 900);
    QCOMPARE(copy.twipsTop(), 3390.0 + 1005 - 600);
    pointer->dragTo(pointer->at() + QPointF(300, 150), 1);
    QCOMPARE(copy.twipsLeft(), 2100.0 + 510 + 300);
    QCOMPARE(copy.twipsTop(), 3390.0 + 405 + 150);
    QCOMPARE(SizeOf(copy), SingleSize(3998.4, 3001.6));
    pointer->release();
    QVERIFY(copy.isVisible());
}

void TestPictures::dragBackToTheSidePanelTakesItOff()
{
    ImageControl &copy = place(0, 1995, 3000);
    QCOMPARE(SizeOf(copy), SingleSize(3998.4, 3001.6));
    pointer->press(pointer->at());
    pointer->dragTo(QPointF(9600 + form->GrabX, 3000 + form->GrabY));
    QCOMPARE(form->OnPoster[0], 0);
    QCOMPARE(SizeOf(copy), SingleSize(3998.4, 3001.6)); // until it is released
    pointer->release();
    QVERIFY(copy.isHidden());
    QCOMPARE(SizeOf(copy), SingleSize(1785, 1340));
    QCOMPARE(copy.twipsLeft(), 9600.0); // free where it lies
    // Free again: the next pass over a cell takes it.
    pointer->hover(InCell(1));
    QCOMPARE(Module1::FreeSlot, 0);
}

void TestPictures::releaseAtExactlyTheLimitTakesItOff()
{
    // 11040 - 9300 = 1740 twips, in steps of whole pixels.
    pointer->hover(InCell(0));
    ImageControl &copy = slot(0);
    pointer->press(InCell(0));
    pointer->dragTo(InCell(0) - QPointF(1740, 0), 4);
    QCOMPARE(copy.twipsLeft(), 9300.0);
    QCOMPARE(form->OnPoster[0], 0);
    QCOMPARE(SizeOf(copy), SingleSize(1785, 1340));
    pointer->release();
    QVERIFY(copy.isHidden());
}

void TestPictures::growsAgainOnlyWhenSmall_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("grows");
    QTest::newRow("made smaller") << 1700.0 << 1300.0 << true;
    QTest::newRow("just below") << 1789.5 << 1344.5 << true;
    QTest::newRow("as high as the limit") << 1700.0 << 1345.0 << false;
    QTest::newRow("as wide as the limit") << 1790.0 << 1300.0 << false;
}

void TestPictures::growsAgainOnlyWhenSmall()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(bool, grows);
    ImageControl &copy = place(0, 1995, 3000);
    // What the size buttons do.
    copy.setTwipsHeight(height);
    copy.setTwipsWidth(width);
    // Into the side panel and back without letting go.
    pointer->press(pointer->at());
    pointer->dragTo(QPointF(9450 + form->GrabX, 3000 + form->GrabY), 2);
    QCOMPARE(form->OnPoster[0], 0);
    pointer->dragTo(QPointF(3000 + form->GrabX, 3000 + form->GrabY), 2);
    QCOMPARE(form->OnPoster[0], 1);
    const QSizeF expected = grows ? SingleSize(float(width) * 2.24, float(height) * 2.24) : SingleSize(width, height);
    QCOMPARE(float(copy.twipsWidth()), float(expected.width()));
    QCOMPARE(float(copy.twipsHeight()), float(expected.height()));
    // Only once.
    pointer->dragTo(QPointF(2500 + form->GrabX, 3000 + form->GrabY), 1);
    QCOMPARE(SizeOf(copy), expected);
    pointer->release();
}

void TestPictures::theEleventhPicture_data()
{
    // Slot 0 leaves the poster while the overflow slot lies over a cell: only "クリア" does that
    // (a press on slot 0 would hide the overflow slot), and a slot left at exactly 9300 counts as
    // placed for the overflow slot.
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("refused");
    QTest::newRow("slot 0 at exactly 9300 counts as placed") << false << true;
    QTest::newRow("slot 0 taken off by clearing") << true << false;
}

void TestPictures::theEleventhPicture()
{
    QFETCH(bool, cleared);
    QFETCH(bool, refused);

    for (int k = 0; k < 10; ++k) {
        const ImageControl &copy = place(k % 2, 300 + 450 * k, 2805 + 105 * k);
        QCOMPARE(&copy, form->Image3[k]);
    }
    // The next pass lays the overflow slot over the cell; no other slot is hidden.
    pointer->hover(InCell(1));
    QCOMPARE(Module1::FreeSlot, 10);
    ImageControl &overflow = slot(10);
    QVERIFY(overflow.isVisible());
    for (int k = 0; k < 10; ++k)
        QVERIFY(slot(k).isVisible());

    QString text, title;
    auto pressOverflow = [&] {
        text.clear();
        title.clear();
        // Answered by a click on its OK, as a person answers it.
        testing::ClickNextMessageBox(QMessageBox::Ok, [&](QMessageBox *box) {
            text = box->text();
            title = box->windowTitle();
            QCOMPARE(box->icon(), QMessageBox::Critical);
            testing::ExpectTheProgramsMessageLook(box);
        }, 20);
        pointer->press(InCell(1));
        pointer->release();
        if (text.isEmpty()) // no message: the answer must stop waiting before a later dialog
            QTest::qWait(300);
    };
    pressOverflow();
    QCOMPARE(text, PictureSlotController::TooManyPictures);
    QCOMPARE(title, PictureSlotController::TooManyPicturesTitle);
    QVERIFY(overflow.isVisible());
    QCOMPARE(overflow.borderStyle(), 0);

    // The button still held once the message is closed: the refused copy does not follow.
    testing::ClickNextMessageBox(QMessageBox::Ok, {}, 20);
    pointer->press(InCell(1));
    pointer->dragTo(QPointF(3000, 3000), 2);
    pointer->release();
    QCOMPARE(overflow.twipsLeft(), images::CellLeft(1));
    QVERIFY(overflow.isVisible());

    if (cleared)
        QTest::mouseClick(form->Command10, Qt::LeftButton);
    else
        slot(0).setTwipsLeft(9300);
    QVERIFY(overflow.isVisible());

    pressOverflow();
    if (refused) {
        QCOMPARE(text, PictureSlotController::TooManyPictures);
        QVERIFY(overflow.isVisible());
    } else {
        QVERIFY(text.isEmpty());
        QVERIFY(overflow.isHidden());
        QCOMPARE(Module1::SelectedKind, 1);
    }
}

void TestPictures::dragsIntoTheTopAndLeftEdges()
{
    ImageControl &copy = place(0, 1995, 3000);
    pointer->press(pointer->at());
    // Up past the top in one move: it ends partly outside, then moves no further up.
    pointer->dragTo(QPointF(pointer->at().x(), 300), 1);
    QCOMPARE(copy.twipsTop(), 300.0 - 600);
    pointer->dragTo(QPointF(pointer->at().x(), 150), 1);
    QCOMPARE(copy.twipsTop(), -300.0);
    // It can be dragged back.
    pointer->dragTo(QPointF(pointer->at().x(), 600), 1);
    QCOMPARE(copy.twipsTop(), 0.0);

    // The same at the left edge.
    pointer->dragTo(QPointF(450, pointer->at().y()), 1);
    QCOMPARE(copy.twipsLeft(), 450.0 - 900);
    pointer->dragTo(QPointF(300, pointer->at().y()), 1);
    QCOMPARE(copy.twipsLeft(), -450.0);
    pointer->dragTo(QPointF(900, pointer->at().y()), 1);
    QCOMPARE(copy.twipsLeft(), 0.0);
    pointer->release();
    QVERIFY(copy.isVisible());
}

void TestPictures::placedPictureFollowsItsSizeSharply()
{
    ImageControl &copy = place(0, 1995, 3000);
    const auto sharpSize = [&copy] {
        return (copy.size() * CaptureDensity).boundedTo(PhotoSize);
    };
    // Decoded for its shown size at the capture density, off the GUI thread.
    QTRY_COMPARE(copy.picture().image().size(), sharpSize());
    QVERIFY(copy.isSettled());
    QCOMPARE(copy.picture().himetricSize(), form->Image1[0]->picture().himetricSize());

    // Three presses of "おおきく" set the height and then the width, 1.1 times larger each.
    for (int press = 0; press < 3; ++press) {
        copy.setTwipsHeight(platform::RoundInt16(copy.twipsHeight()) * 1.1);
        copy.setTwipsWidth(platform::RoundInt16(copy.twipsWidth()) * 1.1);
        QTRY_COMPARE(copy.picture().image().size(), sharpSize());
    }
    QVERIFY(copy.picture().image().width() > 1300);
    // A pixel wider, as a dragged picture's rounding makes it now and then: no new decode.
    const qint64 decoded = copy.picture().image().cacheKey();
    copy.setTwipsWidth(copy.twipsWidth() + 15);
    QCoreApplication::processEvents();
    QVERIFY(copy.isSettled());
    QCOMPARE(copy.picture().image().cacheKey(), decoded);
}

void TestPictures::settlingMakesTheDecodeAtOnce()
{
    // A slot told to keep its thumbnail sharp and settled before any event has run: the decode
    // is made there and then (or awaited, if a decoding thread took it first).
    ImageControl &copy = slot(0);
    const QString path = images::ImageFileAt(0);
    copy.setPicture(images::ThumbnailPicture(path, *form), path);
    copy.setTwipsGeometry(1500, 3000, 3998.4, 3001.6);
    copy.show();
    copy.setKeepSharp(true);
    QVERIFY(!copy.isSettled());
    copy.settle();
    QVERIFY(copy.isSettled());
    QCOMPARE(copy.picture().image().size(), copy.size() * CaptureDensity);
    // A picture set anew stops keeping the old one sharp.
    copy.setPicture(form->Image1[1]->picture());
    QVERIFY(!copy.keepsSharp());
    QVERIFY(copy.isSettled());
}

void TestPictures::stepFourCaptureIsSharpAndComesBack()
{
    ImageControl &copy = place(0, 1500, 3200);
    const QRect shown = copy.geometry();
    // On to step 4 at once: the capture must not wait for the screen to catch up.
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->Picture2->isVisible());
    const QImage poster = form->Picture2->picture().image();
    QCOMPARE(poster.size(), output::PosterRect.size() * CaptureDensity);

    const QRect inCapture((shown.topLeft() - output::PosterRect.topLeft()) * CaptureDensity,
                          shown.size() * CaptureDensity);
    const QImage captured = poster.copy(inCapture);
    const QImage source = m_photo.scaled(inCapture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage blurred = form->Image1[0]->picture().image().scaled(inCapture.size(), Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation);
    const double sharp = MeanDifference(captured, source, 8);
    const double thumbnail = MeanDifference(blurred, source, 8);
    QVERIFY2(sharp < 4 && thumbnail > 20,
             qPrintable(QStringLiteral("capture %1, thumbnail %2").arg(sharp).arg(thumbnail)));

    // Back to step 3: the picture is there as it was.
    QTest::mouseClick(form->Command16, Qt::LeftButton);
    QVERIFY(copy.isVisible());
    QCOMPARE(copy.geometry(), shown);
    QCOMPARE(SizeOf(copy), SingleSize(3998.4, 3001.6));
    QCOMPARE(copy.picture().image().size(), shown.size() * CaptureDensity);
    const QImage again = output::CapturePoster(form->client()).image().copy(inCapture);
    QVERIFY(MeanDifference(again, source, 8) < 4);
}

void TestPictures::cameraPhotoIsPlacedUprightFromItsOwnPixels()
{
    // The cell shows the camera's thumbnail, turned upright.
    ImageControl &cell = *form->Image1[2];
    QVERIFY(cell.picture().isPreview());
    QVERIFY(cell.twipsHeight() > cell.twipsWidth());
    const QColor shownInCell = cell.grab().toImage().pixelColor(cell.width() / 2, cell.height() / 2);
    QVERIFY(shownInCell.red() > 200 && shownInCell.green() < 40 && shownInCell.blue() < 40);

    ImageControl &copy = place(2, 1500, 3000);
    QVERIFY(copy.twipsHeight() > copy.twipsWidth());
    const QRect shown = copy.geometry();
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    const QImage poster = form->Picture2->picture().image();
    const QImage captured = poster.copy(QRect((shown.topLeft() - output::PosterRect.topLeft()) * CaptureDensity,
                                              shown.size() * CaptureDensity));
    // Turned a quarter clockwise: blue top left, red top right, white bottom left, green bottom
    // right; the photo's own pixels, not the red thumbnail.
    const int x1 = captured.width() / 4, x2 = 3 * captured.width() / 4;
    const int y1 = captured.height() / 4, y2 = 3 * captured.height() / 4;
    const auto near = [&captured](int x, int y, Qt::GlobalColor expected) {
        const QColor seen = captured.pixelColor(x, y);
        const QColor want(expected);
        return qAbs(seen.red() - want.red()) < 40 && qAbs(seen.green() - want.green()) < 40
                && qAbs(seen.blue() - want.blue()) < 40;
    };
    QVERIFY(near(x1, y1, Qt::blue));
    QVERIFY(near(x2, y1, Qt::red));
    QVERIFY(near(x1, y2, Qt::white));
    QVERIFY(near(x2, y2, Qt::green));
}

void TestPictures::placedPictureStaysWhatWasChosen_data()
{
    QTest::addColumn<FileChange>("change");
    QTest::addColumn<QString>("format"); // of the chosen picture and of what replaces it
    QTest::newRow("overwritten with another picture") << FileChange::Overwritten << QStringLiteral("jpg");
    QTest::newRow("replaced by another file of the name") << FileChange::Replaced << QStringLiteral("jpg");
    QTest::newRow("same size, times set back") << FileChange::SameSizeAndTimes << QStringLiteral("bmp");
    QTest::newRow("deleted") << FileChange::Deleted << QStringLiteral("jpg");
    QTest::newRow("cut to a part of another picture") << FileChange::Truncated << QStringLiteral("bmp");
    QTest::newRow("garbage") << FileChange::Garbage << QStringLiteral("jpg");
}

void TestPictures::placedPictureStaysWhatWasChosen()
{
    QFETCH(FileChange, change);
    QFETCH(QString, format);
    static int written = 0;
    const QString name = QStringLiteral("3 chosen %1.%2").arg(++written).arg(format);
    const QString path = m_folder.filePath(name);
    const QByteArray kind = format.toLatin1();
    QImage green(1600, 1200, QImage::Format_RGB32);
    green.fill(QColor(0, 200, 0));
    QImage magenta(green.size(), QImage::Format_RGB32);
    magenta.fill(QColor(220, 0, 220));
    const QByteArray chosen = Encoded(green, kind.constData());
    const QByteArray other = Encoded(magenta, kind.constData());
    QVERIFY(WriteInPlace(path, chosen));
    CurrentProgram()->gallery().ScanImageFolder(m_names + QStringList{name});
    ImageControl &cell = *form->Image1[3];
    QVERIFY(cell.isVisible());

    // Carried onto the poster and shown from its own decode there.
    ImageControl &copy = place(3, 1500, 3200);
    QTRY_VERIFY(copy.isSettled());
    const int placedWidth = copy.picture().image().width();
    QVERIFY2(placedWidth > 4 * cell.picture().image().width(), qPrintable(QString::number(placedWidth)));
    QVERIFY(LooksGreen(copy.picture().image()));

    struct stat before = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    switch (change) {
    case FileChange::Overwritten:
        QVERIFY(WriteInPlace(path, other));
        break;
    case FileChange::Replaced: {
        const QString beside = path + QStringLiteral(".new");
        QVERIFY(WriteInPlace(beside, other));
        QCOMPARE(std::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData()), 0);
        break;
    }
    case FileChange::SameSizeAndTimes: {
        QCOMPARE(other.size(), chosen.size());
        QVERIFY(WriteInPlace(path, other));
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
        struct stat after = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_size, before.st_size);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        break;
    }
    case FileChange::Deleted:
        QVERIFY(QFile::remove(path));
        break;
    case FileChange::Truncated:
        QVERIFY(WriteInPlace(path, other.left(other.size() * 3 / 5)));
        break;
    case FileChange::Garbage: {
        QByteArray noise(chosen.size(), Qt::Uninitialized);
        QRandomGenerator random(20);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QVERIFY(WriteInPlace(path, noise));
        break;
    }
    }

    // Three presses of "おおきく": each size wants more pixels than the slot holds.
    for (int press = 0; press < 3; ++press) {
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QTRY_VERIFY(copy.isSettled());
        QVERIFY(LooksGreen(copy.picture().image()));
    }
    QVERIFY(copy.twipsWidth() > 3998.4 * 1.33);
    // As sharp as it was made for its size on the poster, never the gallery's thumbnail.
    QVERIFY(copy.picture().image().width() >= placedWidth);
    QVERIFY(LooksGreen(cell.picture().image()));
    const QRect shown = copy.geometry();

    // On to step 4: the capture holds the chosen picture, and so does the saved file.
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->Picture2->isVisible());
    const QRect inCapture((shown.topLeft() - output::PosterRect.topLeft()) * CaptureDensity,
                          shown.size() * CaptureDensity);
    QVERIFY(LooksGreen(form->Picture2->picture().image().copy(inCapture)));

    const QString saved = m_folder.filePath(QStringLiteral("poster %1.bmp").arg(written));
    testing::AnswerNextModal([saved](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        files->selectFile(saved);
    });
    QTest::mouseClick(form->Command20, Qt::LeftButton);
    const QImage poster(saved);
    QCOMPARE(poster.size(), output::PosterRect.size());
    QVERIFY(LooksGreen(poster.copy(QRect(shown.topLeft() - output::PosterRect.topLeft(), shown.size()))));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
