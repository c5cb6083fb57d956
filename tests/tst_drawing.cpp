// SPDX-License-Identifier: GPL-3.0-or-later
// The pen and the paper: dots where the mouse presses and moves, their size and colour, the
// timer's count of four, the clear buttons of steps 1 and 2, and the colour picker.

#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Startup.h"
#include "drawing/Form2.h"
#include "platform/ControlLayout.h"
#include "base/Twips.h"

#include <QStyleFactory>
#include <QtTest>

using platform::CaptureDensity;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

Form2 *Picker()
{
    return qobject_cast<Form2 *>(testing::TopLevel(QStringLiteral("Form2")));
}

// Number of surface pixels (at the capture density) covered by the pen colour.
int Covered(const platform::PictureBox *box, QColor pen)
{
    const QImage surface = box->drawingSurface();
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(surface.constScanLine(y));
        for (int x = 0; x < surface.width(); ++x)
            count += qAlpha(line[x]) == 255 && QColor(line[x]).rgb() == pen.rgb();
    }
    return count;
}

// Connected groups of pen-coloured pixels along one row of the surface.
int RunsOnRow(const platform::PictureBox *box, int logicalY, QColor pen)
{
    const QImage surface = box->drawingSurface();
    int runs = 0;
    bool inside = false;
    const int y = logicalY * CaptureDensity + CaptureDensity / 2;
    for (int x = 0; x < surface.width(); ++x) {
        const bool on = surface.pixelColor(x, y).rgb() == pen.rgb() && surface.pixelColor(x, y).alpha() == 255;
        runs += on && !inside;
        inside = on;
    }
    return runs;
}

// Pixels of a button's face, inside its frame and outside its caption, that are not its back
// colour (each channel within a small tolerance); and whether the caption stands out from it.
struct Face
{
    int off = 0;      // face pixels of another colour
    int faint = 0;    // the caption's contrast with the face (largest channel sum distance)
};

Face FaceOf(QWidget *button, QColor back)
{
    const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = image.devicePixelRatio();
    const QRect inside = QRect(QPoint(0, 0), image.size()).adjusted(3 * ratio, 3 * ratio, -3 * ratio, -3 * ratio);
    const QFontMetrics metrics(button->font());
    QRect caption(QPoint(0, 0), QSize(metrics.horizontalAdvance(button->property("caption").toString()), metrics.height()));
    caption.moveCenter(button->rect().center());
    const QRect captionPixels = QRectF(QRectF(caption).topLeft() * ratio, QRectF(caption).size() * ratio)
                                    .toRect()
                                    .adjusted(-4 * ratio, -4 * ratio, 4 * ratio, 4 * ratio);
    Face face;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = qAbs(c.red() - back.red()) + qAbs(c.green() - back.green()) + qAbs(c.blue() - back.blue());
            if (captionPixels.contains(x, y))
                face.faint = std::max(face.faint, distance);
            else
                face.off += std::max({qAbs(c.red() - back.red()), qAbs(c.green() - back.green()), qAbs(c.blue() - back.blue())}) > 4;
        }
    }
    return face;
}

void ChoosePenColour(Form1 *form, int swatch)
{
    QTest::mouseClick(form->Command13, Qt::LeftButton);
    QTest::mouseClick(Picker()->Label3[swatch], Qt::LeftButton);
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
}

} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void oneDotPerClickWithAnyButton_data();
    void oneDotPerClickWithAnyButton();
    void movesDrawOnlyWhileAButtonIsHeld();
    void releaseOutsideThePaperEndsTheStroke();
    void dotsSurviveARepaint();
    void dotSizeFollowsTheBarMidStroke();
    void penColourAppliesFromTheNextDot();
    void startUpPenIsInvisibleOnStartUpPaper();
    void drawingOnTheFinishedPoster();
    void timerCountsFourTicks();
    void clearPaper();
    void clearPlacedPictures();
    void pickerPlacementAndSwatches();
    void pickerOkWithoutSwatchAppliesWhite();
    void pickerRetargetsWhileOpen();
    void pickerColoursTheSelectedTextSlot();
    void pickerPaperColourWipesTheDrawing();
    void pickerClosedByItsFrameAppliesNothing();
    void colourButtonsArePaintedFlatInTheirColour_data();
    void colourButtonsArePaintedFlatInTheirColour();
    void graphicalButtonsOfTheLayoutAreFlat();

private:
    Form1 *form = nullptr;
};

void TestDrawing::init()
{
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    form->Command13->setBackColor(Qt::black);
}

void TestDrawing::oneDotPerClickWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestDrawing::oneDotPerClickWithAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    QTest::mouseClick(form->Picture1, button, {}, QPoint(100, 100));
    QCOMPARE(RunsOnRow(form->Picture1, 100, Qt::black), 1);
    QVERIFY(Covered(form->Picture1, Qt::black) > 0);
    QCOMPARE(form->PenDown, 0);
    QCOMPARE(form->BrushRadius, 5);
}

void TestDrawing::movesDrawOnlyWhileAButtonIsHeld()
{
    QTest::mouseMove(form->Picture1, QPoint(50, 50));
    QTest::mouseMove(form->Picture1, QPoint(60, 50));
    QCOMPARE(Covered(form->Picture1, Qt::black), 0);
    QTest::mousePress(form->Picture1, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseMove(form->Picture1, QPoint(120, 200));
    QTest::mouseMove(form->Picture1, QPoint(140, 200));
    QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, QPoint(140, 200));
    // Three separate dots: moves are not joined by lines.
    QCOMPARE(RunsOnRow(form->Picture1, 200, Qt::black), 3);
    // Right after the stroke, moving draws nothing.
    const int before = Covered(form->Picture1, Qt::black);
    QTest::mouseMove(form->Picture1, QPoint(300, 300));
    QCOMPARE(Covered(form->Picture1, Qt::black), before);
}

void TestDrawing::releaseOutsideThePaperEndsTheStroke()
{
    QTest::mousePress(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(form->PenDown, 1);
    // The release lands outside the paper; Qt's mouse grab brings it back to the paper.
    QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, QPoint(800, 100));
    QCOMPARE(form->PenDown, 0);
}

void TestDrawing::dotsSurviveARepaint()
{
    form->HScroll1->setValue(30);
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    // Another window passed over the paper.
    form->Picture1->repaint();
    const QImage shown = form->Picture1->grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(100, 100) * shown.devicePixelRatio()), QColor(Qt::black));
}

void TestDrawing::dotSizeFollowsTheBarMidStroke()
{
    form->HScroll1->setValue(1);
    QTest::mousePress(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    const int small = Covered(form->Picture1, Qt::black);
    form->HScroll1->setValue(30);
    QTest::mouseMove(form->Picture1, QPoint(300, 300));
    QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, QPoint(300, 300));
    QCOMPARE(form->BrushRadius, 30);
    const int both = Covered(form->Picture1, Qt::black);
    // A dot of radius 30 twips (2 pixels) outlines one pixel wide: about 5 pixels across.
    QVERIFY2(both - small > 10 * small, qPrintable(QStringLiteral("%1 %2").arg(small).arg(both)));
    const double across = 2 * 30 / 15.0 + 1;
    const double area = 3.14159 * across * across / 4 * CaptureDensity * CaptureDensity;
    QVERIFY(qAbs((both - small) - area) < 0.25 * area);
}

void TestDrawing::penColourAppliesFromTheNextDot()
{
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    ChoosePenColour(form, 17); // #FF0000
    QCOMPARE(form->Command13->backColor(), QColor(0xFF, 0x00, 0x00));
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(RunsOnRow(form->Picture1, 100, Qt::black), 1);
    QCOMPARE(RunsOnRow(form->Picture1, 100, QColor(0xFF, 0, 0)), 1);
}

void TestDrawing::startUpPenIsInvisibleOnStartUpPaper()
{
    StartTovimaru();
    form = MainWindow();
    QCOMPARE(form->Command13->backColor(), QColor(Qt::white));
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    const QImage shown = form->Picture1->grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(100, 100) * shown.devicePixelRatio()), form->Picture1->backColor());
}

void TestDrawing::drawingOnTheFinishedPoster()
{
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->Picture2->isVisible());
    QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(RunsOnRow(form->Picture2, 100, Qt::black), 1);
    QCOMPARE(Covered(form->Picture1, Qt::black), 0);
}

void TestDrawing::timerCountsFourTicks()
{
    QVERIFY(!form->Timer1->isEnabled());
    form->HScroll1->setValue(7);
    QCOMPARE(form->TimerTicks, 1);
    QVERIFY(form->Timer1->isEnabled());
    emit form->Timer1->tick();
    emit form->Timer1->tick();
    // A second change within the count neither restarts nor resets it.
    form->HScroll1->setValue(8);
    QCOMPARE(form->TimerTicks, 3);
    emit form->Timer1->tick();
    QCOMPARE(form->TimerTicks, 4);
    QVERIFY(form->Timer1->isEnabled());
    emit form->Timer1->tick();
    QCOMPARE(form->TimerTicks, 0);
    QVERIFY(!form->Timer1->isEnabled());
    QCOMPARE(form->Timer1->interval(), 1000);
}

void TestDrawing::clearPaper()
{
    form->Picture1->setBackColor(Qt::yellow);
    form->Command12->setBackColor(Qt::yellow);
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    QVERIFY(!form->Picture1->picture().isEmpty());
    QTest::mouseClick(form->Command19, Qt::LeftButton);
    const QColor window = platform::Resolve(platform::WindowColor);
    QCOMPARE(form->Picture1->backColor(), window);
    QCOMPARE(form->Command12->backColor(), window);
    QVERIFY(form->Picture1->picture().isEmpty());
    QCOMPARE(Covered(form->Picture1, Qt::black), 0);
}

void TestDrawing::clearPlacedPictures()
{
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    for (int i = 0; i <= 10; ++i) {
        form->Image3[i]->setTwipsGeometry(1000 + 100 * i, 3000, 3998.4f, 3001.6f);
        form->Image3[i]->show();
    }
    Module1::SelectedIndex = 4;
    form->Image3[4]->setBorderStyle(1);
    form->HasSelection = 1;
    QTest::mouseClick(form->Command10, Qt::LeftButton);
    QCOMPARE(form->HasSelection, 0);
    QCOMPARE(form->TimerTicks, 1);
    QCOMPARE(form->Image3[4]->borderStyle(), 0);
    QVERIFY(form->Picture1->picture().isEmpty());
    QVERIFY(form->Picture1->isHidden());
    for (int i = 0; i < 10; ++i) {
        QVERIFY(form->Image3[i]->isHidden());
        QCOMPARE(form->Image3[i]->twipsLeft(), 9500.0);
        QCOMPARE(form->Image3[i]->twipsWidth(), 1785.0);
        QCOMPARE(form->Image3[i]->twipsHeight(), 1340.0);
    }
    // The overflow slot is not touched.
    QVERIFY(form->Image3[10]->isVisible());
    QCOMPARE(form->Image3[10]->twipsLeft(), 2000.0);
}

void TestDrawing::pickerPlacementAndSwatches()
{
    QVERIFY(!Picker());
    QTest::mouseClick(form->Command12, Qt::LeftButton);
    Form2 *picker = Picker();
    QVERIFY(picker && picker->isVisible());
    QCOMPARE(Module1::ColorTarget, 1);
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // modeless
    QCOMPARE(picker->caption(), QString());
    QCOMPARE(picker->twipsLeft(), float((form->screenWidthTwips() - form->twipsWidth()) / 2 + 11000));
    QCOMPARE(picker->twipsTop(), float((form->screenHeightTwips() - form->twipsHeight()) / 2 + 780));
    QCOMPARE(picker->client()->size(), QSize(273, 157));
    const QRgb colours[24] = {0xFFFFFF, 0xFFC0C0, 0xFFE0C0, 0xFFFFC0, 0xC0FFC0, 0xC0FFFF, 0xC0C0FF, 0xFFC0FF,
                              0xE0E0E0, 0xFF8080, 0xFFC080, 0xFFFF80, 0x80FF80, 0x80FFFF, 0x8080FF, 0xFF80FF,
                              0x000000, 0xFF0000, 0xFF8000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF};
    for (int i = 0; i < 24; ++i) {
        platform::Label *swatch = picker->Label3[i];
        QCOMPARE(swatch->objectName(), QStringLiteral("Label3(%1)").arg(i));
        QCOMPARE(swatch->backColor(), QColor(colours[i]));
        QCOMPARE(swatch->twipsLeft(), 120.0 + 480 * (i % 8));
        QCOMPARE(swatch->twipsTop(), 120.0 + 480 * (i / 8));
        QCOMPARE(swatch->twipsWidth(), 495.0);
        QCOMPARE(swatch->borderStyle(), 1);
        QVERIFY(swatch->caption().isEmpty());
    }
    QCOMPARE(picker->Command12->caption(), QStringLiteral("OK"));
    QCOMPARE(QRectF(picker->Command12->twipsLeft(), picker->Command12->twipsTop(), picker->Command12->twipsWidth(),
                    picker->Command12->twipsHeight()),
             QRectF(840, 1680, 2415, 615));
    // Several swatches: only the last counts; the preview shows it.
    QTest::mouseClick(picker->Label3[9], Qt::LeftButton);
    QTest::mouseClick(picker->Label3[21], Qt::LeftButton);
    QCOMPARE(picker->Command12->backColor(), QColor(0x00, 0xFF, 0xFF));
    QTest::mouseClick(picker->Command12, Qt::LeftButton);
    QCOMPARE(form->Picture1->backColor(), QColor(0x00, 0xFF, 0xFF));
    QCOMPARE(form->Command12->backColor(), QColor(0x00, 0xFF, 0xFF));
    // "OK" hides it; the next opening shows the same window at the same place, with the preview
    // of the last choice.
    QVERIFY(picker->isHidden());
    const QPoint where = picker->pos();
    QTest::mouseClick(form->Command13, Qt::LeftButton);
    QCOMPARE(Picker(), picker);
    QCOMPARE(picker->pos(), where);
    QCOMPARE(picker->Command12->backColor(), QColor(0x00, 0xFF, 0xFF));
}

void TestDrawing::pickerOkWithoutSwatchAppliesWhite()
{
    QTest::mouseClick(form->Command13, Qt::LeftButton);
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    QCOMPARE(form->Command13->backColor(), QColor(Qt::white));
}

void TestDrawing::pickerRetargetsWhileOpen()
{
    QTest::mouseClick(form->Command12, Qt::LeftButton);
    Form2 *picker = Picker();
    const QPoint where = picker->pos();
    QTest::mouseClick(picker->Label3[22], Qt::LeftButton);
    QTest::mouseClick(form->Command13, Qt::LeftButton); // while the picker is open
    QCOMPARE(Module1::ColorTarget, 2);
    QCOMPARE(Picker(), picker);
    QCOMPARE(picker->pos(), where);
    QCOMPARE(picker->Command12->backColor(), QColor(0x00, 0x00, 0xFF));
    QTest::mouseClick(picker->Command12, Qt::LeftButton);
    QCOMPARE(form->Command13->backColor(), QColor(0x00, 0x00, 0xFF));
    QCOMPARE(form->Command12->backColor(), QColor(Qt::white)); // the paper was not the target
}

void TestDrawing::pickerColoursTheSelectedTextSlot()
{
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    Module1::SelectedIndex = 2;
    QTest::mouseClick(form->Command18, Qt::LeftButton); // わくいろ
    QCOMPARE(Module1::ColorTarget, 3);
    QTest::mouseClick(Picker()->Label3[3], Qt::LeftButton);
    // The slot is the one selected when "OK" is pressed, even a hidden one.
    Module1::SelectedIndex = 6;
    form->Text1[6]->hide();
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    QCOMPARE(form->Text1[6]->backColor(), QColor(0xFF, 0xFF, 0xC0));
    QVERIFY(form->Text1[2]->backColor() != QColor(0xFF, 0xFF, 0xC0));

    QTest::mouseClick(form->Command17, Qt::LeftButton); // もじいろ
    QCOMPARE(Module1::ColorTarget, 4);
    QTest::mouseClick(Picker()->Label3[17], Qt::LeftButton);
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    QCOMPARE(form->Text1[6]->foreColor(), QColor(0xFF, 0x00, 0x00));
}

void TestDrawing::pickerPaperColourWipesTheDrawing()
{
    QTest::mouseClick(form->Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    QVERIFY(!form->Picture1->picture().isEmpty());
    QTest::mouseClick(form->Command12, Qt::LeftButton);
    QTest::mouseClick(Picker()->Label3[11], Qt::LeftButton);
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    QVERIFY(form->Picture1->picture().isEmpty());
    const QImage shown = form->Picture1->grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(100, 100) * shown.devicePixelRatio()), QColor(0xFF, 0xFF, 0x80));
}

void TestDrawing::pickerClosedByItsFrameAppliesNothing()
{
    QTest::mouseClick(form->Command13, Qt::LeftButton);
    QPointer<Form2> picker = Picker();
    QTest::mouseClick(picker->Label3[17], Qt::LeftButton);
    picker->close();
    QTRY_VERIFY(picker.isNull());
    QCOMPARE(form->Command13->backColor(), QColor(Qt::black));
    // The next opening creates it afresh: preview white again.
    QTest::mouseClick(form->Command13, Qt::LeftButton);
    QVERIFY(Picker());
    QCOMPARE(Picker()->Command12->backColor(), QColor(Qt::white));
}

void TestDrawing::colourButtonsArePaintedFlatInTheirColour_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("swatch");
    for (const char *style : {"Fusion", "Windows"}) {
        QTest::addRow("%s, pale yellow", style) << QString::fromLatin1(style) << 3;   // #FFFFC0
        QTest::addRow("%s, light grey", style) << QString::fromLatin1(style) << 8;    // #E0E0E0
        QTest::addRow("%s, black", style) << QString::fromLatin1(style) << 16;        // #000000
        QTest::addRow("%s, blue", style) << QString::fromLatin1(style) << 22;         // #0000FF
    }
}

// The picker's "OK", "かみのいろ" and "せんのいろ" show the chosen colour itself, edge to edge
// inside their frames, whatever the desktop's style, with a caption that stands out from it.
void TestDrawing::colourButtonsArePaintedFlatInTheirColour()
{
    QFETCH(QString, style);
    QFETCH(int, swatch);
    QApplication::setStyle(QStyleFactory::create(style));
    const QColor colour = QColor::fromRgb(Form2::SwatchColor(swatch));
    QTest::mouseClick(form->Command12, Qt::LeftButton);
    QTest::mouseClick(Picker()->Label3[swatch], Qt::LeftButton);
    QCOMPARE(Picker()->Command12->backColor(), colour);
    Face face = FaceOf(Picker()->Command12, colour);
    QCOMPARE(face.off, 0);
    QVERIFY2(face.faint > 250, qPrintable(QString::number(face.faint)));
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    ChoosePenColour(form, swatch);
    for (platform::CommandButton *button : {form->Command12, form->Command13}) {
        QCOMPARE(button->backColor(), colour);
        face = FaceOf(button, colour);
        QVERIFY2(face.off == 0, qPrintable(QStringLiteral("%1: %2 pixels").arg(button->objectName()).arg(face.off)));
        QVERIFY2(face.faint > 250, qPrintable(QString::number(face.faint)));
    }
}

// Every button with a back colour in the layout, and "クリア" of step 1, is flat in its colour.
void TestDrawing::graphicalButtonsOfTheLayoutAreFlat()
{
    for (const char *name : {"Command11", "Command5", "Command12", "Command13", "Command19"}) {
        auto *button = form->client()->findChild<platform::CommandButton *>(QString::fromLatin1(name));
        QVERIFY(button);
        QCOMPARE(FaceOf(button, button->backColor()).off, 0);
    }
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
