// SPDX-License-Identifier: GPL-3.0-or-later
// The layer over Qt: the program's rounding, controls that hold twips exactly as set, pointer
// positions in twips, stacking layers, yields that hold user input back, message boxes.

#include "TestSupport.h"

#include "platform/ControlLayout.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "base/Twips.h"

#include <QMessageBox>
#include <QAbstractEventDispatcher>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace platform;

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void roundInt16_data();
    void roundInt16();
    void units();
    void twipsAreHeldAsSet();
    void pixelRectsTouchWhereTwipsTouch();
    void layoutTableBuildsNamedControls();
    void bringToFrontStaysInItsLayer();
    void pointerPositionsAreTwips();
    void pictureBoxDotsAndClearing();
    void keyLabelLooksAndClicks();
    void yieldHoldsInputUntilTheHandlerReturns();
    void aDialogOpenedAfterAYieldTakesInputAndTheLoopSleeps();
    void yieldLetsTimersTick();
    void errorMessageBox();
};

void TestPlatform::roundInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("half down to even") << 2.5 << 2;
    QTest::newRow("half up to even") << 3.5 << 4;
    QTest::newRow("negative half") << -2.5 << -2;
    QTest::newRow("thumbnail height") << 892.5 << 892;
    QTest::newRow("just below half") << 1.4999 << 1;
    QTest::newRow("just above half") << 1.5001 << 2;
    QTest::newRow("largest") << 32767.4 << 32767;
    QTest::newRow("over the range") << 40000.0 << 32767;
    QTest::newRow("under the range") << -40000.0 << -32768;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
    QTest::newRow("not a number") << std::nan("") << 0;
}

void TestPlatform::roundInt16()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int(RoundInt16(value)), expected);
}

void TestPlatform::units()
{
    QCOMPARE(HimetricToTwips(2540), 1440.0);
    QCOMPARE(TwipsToHimetric(1440), 2540.0);
    QCOMPARE(PixelsToHimetric(127), 3360);
    QCOMPARE(PixelsToHimetric(64), 1693);
    QCOMPARE(TwipsToPixels(240), 16);
    QCOMPARE(TwipsToPixels(2760), 184);
    QCOMPARE(TwipsToPixels(-7680), -512);
}

void TestPlatform::twipsAreHeldAsSet()
{
    QWidget parent;
    ImageControl slot(&parent);
    // A picture slot that grew 2.24 times on the poster.
    slot.setTwipsGeometry(100, 200, 1785 * 2.24, 1340 * 2.24);
    QCOMPARE(slot.twipsWidth(), double(float(3998.4)));
    QCOMPARE(slot.property("twipsWidth").toDouble(), double(float(3998.4)));
    QCOMPARE(slot.twipsHeight(), double(float(3001.6)));
    // Edges are rounded, not sizes: 100 / 15 -> 7 and (100 + 3998.4) / 15 -> 273.
    QCOMPARE(slot.geometry(), QRect(7, 13, 266, 200));
    // Through the Qt property, as a test or an accessibility tool would set it.
    QVERIFY(slot.setProperty("twipsLeft", 9300.0));
    QCOMPARE(slot.twipsLeft(), 9300.0);
    QCOMPARE(slot.x(), 620);
}

void TestPlatform::pixelRectsTouchWhereTwipsTouch()
{
    // Keys of the keyboard touch each other: 1995 + 885 = 2880.
    const QRect a = TwipsToPixelRect(1995, 9360, 885, 885);
    const QRect b = TwipsToPixelRect(2880, 9360, 885, 885);
    QCOMPARE(a.right() + 1, b.left());
    QCOMPARE(TwipsToPixelRect(240, 2760, 10605, 7485), QRect(16, 184, 707, 499));
}

void TestPlatform::layoutTableBuildsNamedControls()
{
    const ControlSpec table[] = {
        {.name = "Back", .kind = ControlKind::Image, .left = 0, .top = 0, .width = 1500, .height = 1500,
         .layer = Layer::Background},
        {.name = "Slot", .kind = ControlKind::Image, .left = 15, .top = 15, .width = 300, .height = 300,
         .visible = false, .layer = Layer::PictureSlots, .index = 3},
        {.name = "Go", .kind = ControlKind::Button, .left = 30, .top = 30, .width = 900, .height = 450,
         .caption = "つぎへ", .face = FontFace::RoundedGothic, .fontSize = 20.25, .fontStyle = FontStyle::Bold,
         .backColor = Rgb(0xC0C0C0), .enabled = false},
        {.name = "Paper", .kind = ControlKind::PictureBox, .left = 0, .top = 0, .width = 1500, .height = 1500,
         .backColor = WindowColor, .layer = Layer::PictureBoxes},
    };
    QWidget parent;
    BuildControls(&parent, table);
    auto *slot = FindControl<ImageControl>(&parent, QStringLiteral("Slot(3)"));
    QVERIFY(slot);
    QCOMPARE(slot->index(), 3);
    QVERIFY(slot->isHidden());
    auto *go = FindControl<CommandButton>(&parent, QStringLiteral("Go"));
    QVERIFY(go);
    QCOMPARE(go->caption(), QStringLiteral("つぎへ"));
    QCOMPARE(go->accessibleName(), QStringLiteral("つぎへ"));
    QCOMPARE(go->backColor(), QColor(0xC0, 0xC0, 0xC0));
    QVERIFY(go->font().bold());
    QCOMPARE(go->fontSize(), 20.25);
    QVERIFY(!go->isEnabled());
    // The paper box, built last but one, lies in front of the button, which belongs to the panel
    // layer above it.
    const QObjectList order = parent.children();
    QVERIFY(order.indexOf(FindControl<QWidget>(&parent, QStringLiteral("Back"))) < order.indexOf(slot));
    QVERIFY(order.indexOf(slot) < order.indexOf(FindControl<QWidget>(&parent, QStringLiteral("Paper"))));
    QVERIFY(order.indexOf(FindControl<QWidget>(&parent, QStringLiteral("Paper"))) < order.indexOf(go));
}

void TestPlatform::bringToFrontStaysInItsLayer()
{
    std::vector<ControlSpec> table;
    for (int i = 0; i < 3; ++i)
        table.push_back({.name = "Slot", .kind = ControlKind::Image, .left = 0, .top = 0, .width = 150, .height = 150,
                         .layer = Layer::PictureSlots, .index = i});
    for (int i = 0; i < 2; ++i)
        table.push_back({.name = "Text", .kind = ControlKind::RichTextBox, .left = 0, .top = 0, .width = 150,
                         .height = 150, .layer = Layer::TextSlots, .index = i});
    table.push_back({.name = "Paper", .kind = ControlKind::PictureBox, .left = 0, .top = 0, .width = 150,
                     .height = 150, .layer = Layer::PictureBoxes});
    QWidget parent;
    BuildControls(&parent, table);
    auto name = [&](int position) { return parent.children().at(position)->objectName(); };
    auto order = [&] {
        QStringList names;
        for (int i = 0; i < parent.children().size(); ++i)
            names << name(i);
        return names;
    };
    BringToFront(FindControl<QWidget>(&parent, QStringLiteral("Slot(0)")));
    QCOMPARE(order(), QStringList({"Slot(1)", "Slot(2)", "Slot(0)", "Text(0)", "Text(1)", "Paper"}));
    BringToFront(FindControl<QWidget>(&parent, QStringLiteral("Text(0)")));
    QCOMPARE(order(), QStringList({"Slot(1)", "Slot(2)", "Slot(0)", "Text(1)", "Text(0)", "Paper"}));
    // The text slot in front receives the click where it overlaps the picture slots.
    parent.resize(20, 20);
    QCOMPARE(parent.childAt(5, 5), FindControl<QWidget>(&parent, QStringLiteral("Paper")));
    FindControl<QWidget>(&parent, QStringLiteral("Paper"))->hide();
    QVERIFY(parent.childAt(5, 5)->objectName() == QLatin1String("Text(0)")
            || parent.childAt(5, 5)->parentWidget()->objectName() == QLatin1String("Text(0)"));
}

void TestPlatform::pointerPositionsAreTwips()
{
    QWidget parent;
    parent.resize(300, 300);
    ImageControl cell(&parent);
    cell.setIndex(7);
    cell.setTwipsGeometry(150, 150, 1785, 1340);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QList<std::pair<int, PointerEvent>> events;
    auto record = [&](int index, const PointerEvent &event) { events.append({index, event}); };
    connect(&cell, &ImageControl::mouseMove, &parent, record);
    connect(&cell, &ImageControl::mouseDown, &parent, record);
    connect(&cell, &ImageControl::mouseUp, &parent, record);

    // A pointer passing over the cell with no button held is reported too.
    QTest::mouseMove(&cell, QPoint(10, 20));
    QTest::mousePress(&cell, Qt::RightButton, Qt::ShiftModifier, QPoint(11, 21));
    QTest::mouseRelease(&cell, Qt::RightButton, Qt::ShiftModifier, QPoint(11, 21));
    QVERIFY(events.size() >= 3);
    QCOMPARE(events.first().first, 7);
    QCOMPARE(events.first().second.x, 150.0);
    QCOMPARE(events.first().second.y, 300.0);
    QCOMPARE(events.first().second.buttons, Qt::NoButton);
    const PointerEvent &press = events.at(events.size() - 2).second;
    QCOMPARE(press.button, Qt::RightButton);
    QCOMPARE(press.shift, Qt::ShiftModifier);
    QCOMPARE(press.x, 165.0);
    QCOMPARE(press.y, 315.0);
}

void TestPlatform::pictureBoxDotsAndClearing()
{
    PictureBox box;
    box.setTwipsGeometry(0, 0, 1500, 1500); // 100 x 100 pixels
    box.setBackColor(QColor(Qt::yellow));
    box.drawCircle(750, 750, 30, Qt::blue, Qt::blue);
    const QImage surface = box.drawingSurface();
    QCOMPARE(surface.size(), QSize(100, 100) * CaptureDensity);
    QCOMPARE(surface.devicePixelRatio(), double(CaptureDensity));
    // A dot of radius 30 twips (2 pixels) plus the one-pixel outline: solid at its centre,
    // nothing five pixels away.
    QCOMPARE(surface.pixelColor(50 * CaptureDensity, 50 * CaptureDensity), QColor(Qt::blue));
    QCOMPARE(surface.pixelColor(55 * CaptureDensity, 50 * CaptureDensity).alpha(), 0);

    QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(50, 50) * shown.devicePixelRatio()), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(QPoint(10, 10) * shown.devicePixelRatio()), QColor(Qt::yellow));

    // A new back colour leaves a plain paper.
    box.setBackColor(QColor(Qt::green));
    shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(50, 50) * shown.devicePixelRatio()), QColor(Qt::green));

    // The smallest dot, a third of a pixel across, is still one whole pixel in its colour on the
    // screen and the same area in the capture, not a pale smudge over four.
    box.drawCircle(300, 300, 5, Qt::blue, Qt::blue);
    shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(QPoint(20, 20) * shown.devicePixelRatio()), QColor(Qt::blue));
    for (int k = 0; k < CaptureDensity * CaptureDensity; ++k)
        QCOMPARE(box.drawingSurface().pixelColor(20 * CaptureDensity + k % CaptureDensity, 20 * CaptureDensity + k / CaptureDensity), QColor(Qt::blue));
}

void TestPlatform::keyLabelLooksAndClicks()
{
    KeyLabel key;
    key.setIndex(25);
    key.setCaption(QStringLiteral("は"));
    key.resize(59, 59);
    QList<QString> seen;
    connect(&key, &KeyLabel::mouseDown, &key, [&](int i) { seen << QStringLiteral("down %1 look %2").arg(i).arg(key.appearance()); });
    connect(&key, &KeyLabel::mouseDown, &key, [&](int) { key.setAppearance(KeyLabel::Etched); });
    connect(&key, &KeyLabel::mouseUp, &key, [&](int i) { seen << QStringLiteral("up %1").arg(i); });
    connect(&key, &KeyLabel::click, &key, [&](int i) { seen << QStringLiteral("click %1").arg(i); });
    QTest::mousePress(&key, Qt::LeftButton);
    QCOMPARE(key.appearance(), int(KeyLabel::Etched));
    QTest::mouseRelease(&key, Qt::LeftButton);
    QCOMPARE(seen, QList<QString>({"down 25 look 1", "up 25", "click 25"}));
    // A release outside the key is no click.
    seen.clear();
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(200, 5));
    QCOMPARE(seen, QList<QString>({"down 25 look 3", "up 25"}));
}

void TestPlatform::yieldHoldsInputUntilTheHandlerReturns()
{
    QWidget window;
    window.resize(200, 100);
    CommandButton first(&window), second(&window);
    first.setGeometry(0, 0, 80, 40);
    second.setGeometry(100, 0, 80, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList log;
    connect(&second, &QPushButton::clicked, &window, [&] { log << QStringLiteral("second clicked"); });
    connect(&first, &QPushButton::clicked, &window, [&] {
        log << QStringLiteral("first begins");
        // The user clicks the second button while the first handler lets the window repaint.
        const QPointF at(20, 20);
        QCoreApplication::postEvent(&second, new QMouseEvent(QEvent::MouseButtonPress, at, second.mapToGlobal(at),
                                                             Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(&second, new QMouseEvent(QEvent::MouseButtonRelease, at, second.mapToGlobal(at),
                                                             Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        Yield();
        QVERIFY(IsHoldingInput());
        Yield();
        log << QStringLiteral("first ends");
    });
    QTest::mouseClick(&first, Qt::LeftButton);
    QTRY_COMPARE(log, QStringList({"first begins", "first ends", "second clicked"}));
    QVERIFY(!IsHoldingInput());
}

void TestPlatform::aDialogOpenedAfterAYieldTakesInputAndTheLoopSleeps()
{
    QWidget window;
    window.resize(200, 100);
    CommandButton button(&window);
    button.setGeometry(0, 0, 80, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The event loop's wake-ups while the box waits for its answer: a hold that posts itself
    // again and again wakes it without end.
    int wakeUps = 0;
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &window, [&] { ++wakeUps; });
    int answer = -1, wakeUpsWhileOpen = -1;
    connect(&button, &QPushButton::clicked, &window, [&] {
        YieldingHandler handler;
        Yield();
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No,
                        &window);
        QTimer::singleShot(50, &box, [&] { wakeUps = 0; });
        QTimer::singleShot(350, &box, [&] {
            wakeUpsWhileOpen = wakeUps;
            // A click on the main window under the box is refused, one on "No" is taken.
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
            QAbstractButton *no = box.button(QMessageBox::No);
            QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, no->mapTo(&box, no->rect().center()));
        });
        QTimer::singleShot(3000, &box, [&] { box.reject(); }); // never hang the test
        answer = box.exec();
    });
    int clicks = 0;
    connect(&button, &QPushButton::clicked, &window, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(answer, int(QMessageBox::No));
    QCOMPARE(clicks, 1); // the click under the box reached the button neither then nor later
    QVERIFY2(wakeUpsWhileOpen < 50, qPrintable(QString::number(wakeUpsWhileOpen)));
    QVERIFY(!IsHoldingInput());
}

void TestPlatform::yieldLetsTimersTick()
{
    Timer timer;
    timer.setInterval(0);
    int ticks = 0;
    connect(&timer, &Timer::tick, &timer, [&] { ++ticks; });
    timer.setEnabled(true);
    QVERIFY(timer.isEnabled());
    Yield();
    QVERIFY(ticks >= 1);
    timer.setEnabled(false);
    QVERIFY(!timer.isEnabled());
}

void TestPlatform::errorMessageBox()
{
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton *> buttons;
    testing::AnswerNextModal([&](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->buttons();
        // Shown, so that its buttons have their size.
        testing::ExpectTheProgramsMessageLook(box);
    });
    ShowErrorMessage(nullptr, QStringLiteral("がぞうは１０まいまでにしてください"), QStringLiteral("入力エラー"));
    QCOMPARE(text, QStringLiteral("がぞうは１０まいまでにしてください"));
    QCOMPARE(title, QStringLiteral("入力エラー"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons.size(), 1);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
