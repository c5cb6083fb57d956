// SPDX-License-Identifier: GPL-3.0-or-later
// Fingers on a touch screen, against the real main window: a finger carries a picture from a
// gallery cell onto the poster (also when it lands where the last finger left), places a text,
// draws dots; a second finger draws nothing, and a tap that wiggles is a click, not a drag.

#include "TestSupport.h"

#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "images/PictureSlots.h"
#include "platform/Controls.h"

#include <QPointingDevice>
#include <QtTest>

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// A point of a control in its window's coordinates.
QPoint In(QWidget *control, QPoint at)
{
    return control->mapTo(control->window(), at);
}

QPoint Centre(QWidget *control)
{
    return In(control, control->rect().center());
}

// Pixels of the drawing surface in the pen's colour.
int Covered(const platform::PictureBox *box)
{
    const QImage surface = box->drawingSurface();
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x)
            count += qAlpha(surface.pixel(x, y)) == 255;
    }
    return count;
}

} // namespace

class TestTouch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void aFingerCarriesAPictureOntoThePoster_data();
    void aFingerCarriesAPictureOntoThePoster();
    void aFingerPlacesAText();
    void aWiggledTapIsAClickNotADrag();
    void aFingerDrawsDotsAndASecondFingerNothing();

private:
    void drag(QPoint from, QPoint to, int steps = 8);

    QPointingDevice *m_screen = nullptr;
    Form1 *m_form = nullptr;
};

void TestTouch::initTestCase()
{
    m_screen = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
}

void TestTouch::init()
{
    StartTovimaru();
    m_form = MainWindow();
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

// One finger from one point to another, pressed, moved in steps and lifted.
void TestTouch::drag(QPoint from, QPoint to, int steps)
{
    QWindow *window = m_form->windowHandle();
    QTest::touchEvent(window, m_screen).press(0, from, window);
    for (int i = 1; i <= steps; ++i)
        QTest::touchEvent(window, m_screen).move(0, from + (to - from) * i / steps, window);
    QTest::touchEvent(window, m_screen).release(0, to, window);
    QCoreApplication::processEvents();
}

void TestTouch::aFingerCarriesAPictureOntoThePoster_data()
{
    QTest::addColumn<bool>("tappedThereBefore");
    QTest::newRow("a finger landing") << false;
    // Where the last finger lifted, a finger makes no pass over the cell before its press.
    QTest::newRow("where the last finger lifted") << true;
}

void TestTouch::aFingerCarriesAPictureOntoThePoster()
{
    QFETCH(bool, tappedThereBefore);
    QImage green(60, 40, QImage::Format_RGB32);
    green.fill(Qt::green);
    m_form->Image1[0]->setPicture(platform::Picture::fromImage(green));
    Module1::ThumbCount = 1;
    QTest::mouseClick(m_form->Command11, Qt::LeftButton); // step 2
    QTRY_VERIFY(m_form->Image1[0]->isVisible());

    const QPoint cell = Centre(m_form->Image1[0]);
    QWindow *window = m_form->windowHandle();
    if (tappedThereBefore) {
        QTest::touchEvent(window, m_screen).press(0, cell, window);
        QTest::touchEvent(window, m_screen).release(0, cell, window);
        QCoreApplication::processEvents();
        QVERIFY(!Poster::IsPlaced(*m_form->Image3[0]));
    }
    const double cellWidth = m_form->Image1[0]->twipsWidth();
    drag(cell, Centre(m_form->Image2));

    platform::ImageControl &slot = *m_form->Image3[0];
    QVERIFY(slot.isVisible());
    QVERIFY(Poster::IsPlaced(slot));
    QCOMPARE(m_form->OnPoster[0], std::int16_t(1));
    // It grew once, by 2.24, and not again on the moves after.
    QVERIFY2(qAbs(slot.twipsWidth() - cellWidth * images::PictureSlotController::GrowthFactor) < 1,
             qPrintable(QString::number(slot.twipsWidth())));
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
}

void TestTouch::aFingerPlacesAText()
{
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton); // step 3
    QTRY_VERIFY(m_form->Text1[0]->isVisible());
    drag(Centre(m_form->Text1[0]), Centre(m_form->Image2));
    QVERIFY(Poster::IsPlaced(*m_form->Text1[0]));
    QCOMPARE(Module1::SelectedKind, std::int16_t(2));
}

void TestTouch::aWiggledTapIsAClickNotADrag()
{
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    platform::RichTextBox &text = *m_form->Text1[0];
    QTRY_VERIFY(text.isVisible());
    drag(Centre(&text), Centre(m_form->Image2));
    const double left = text.twipsLeft(), top = text.twipsTop();

    // A finger's tap that wiggles by three pixels: selected, not moved.
    drag(Centre(&text), Centre(&text) + QPoint(3, 2), 3);
    QCOMPARE(text.twipsLeft(), left);
    QCOMPARE(text.twipsTop(), top);
    QCOMPARE(text.borderStyle(), 1);

    // A finger that goes further drags from where it pressed.
    drag(Centre(&text), Centre(&text) + QPoint(40, 0), 8);
    QVERIFY2(qAbs(text.twipsLeft() - (left + 40 * 15)) <= 15, qPrintable(QString::number(text.twipsLeft())));

    // The mouse keeps its every move.
    QTest::mousePress(text.viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(text.viewport(), QPoint(23, 10));
    QTest::mouseRelease(text.viewport(), Qt::LeftButton, {}, QPoint(23, 10));
    QVERIFY(text.twipsLeft() != left + 40 * 15 || qAbs(text.twipsLeft() - (left + 43 * 15)) <= 15);
}

void TestTouch::aFingerDrawsDotsAndASecondFingerNothing()
{
    platform::PictureBox *paper = m_form->Picture1;
    QVERIFY(paper->isVisible());
    QCOMPARE(Covered(paper), 0);
    const QPoint first = In(paper, QPoint(100, 100));
    QWindow *window = m_form->windowHandle();
    QTest::touchEvent(window, m_screen).press(0, first, window);
    QTest::touchEvent(window, m_screen).move(0, first + QPoint(30, 0), window);
    QCoreApplication::processEvents();
    const int byTheFirst = Covered(paper);
    QVERIFY(byTheFirst > 0);

    // A second finger while the first rests: no dot where it goes.
    const QPoint second = In(paper, QPoint(400, 300));
    QTest::touchEvent(window, m_screen).stationary(0).press(1, second, window);
    QTest::touchEvent(window, m_screen).stationary(0).move(1, second + QPoint(50, 50), window);
    QTest::touchEvent(window, m_screen).stationary(0).release(1, second + QPoint(50, 50), window);
    QTest::touchEvent(window, m_screen).release(0, first + QPoint(30, 0), window);
    QCoreApplication::processEvents();
    QCOMPARE(Covered(paper), byTheFirst);
    const QImage surface = paper->drawingSurface();
    const double density = double(surface.width()) / paper->width();
    QCOMPARE(qAlpha(surface.pixel(int(425 * density), int(325 * density))), 0);
}

QTEST_MAIN(TestTouch)
#include "tst_touch.moc"
