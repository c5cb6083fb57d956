// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning against the real main window, with one switch (Space alone, the light moving by
// itself) and with two (Space moves, Enter takes): the light's groups, rounds and rest, a press
// held to go back, a picture carried from the gallery onto the paper and a dot drawn by the point
// scan, each leaving the poster as the mouse leaves it; with scan off the switch keys are keys.

#include "PosterPointer.h"
#include "TestSupport.h"

#include "access/Scan.h"
#include "access/ScanLight.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/PosterState.h"
#include "output/PosterCapture.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using accessibility::ScanChoice;
using accessibility::Scanner;

namespace {

// The light's times in the tests: short, yet long enough for a wait to see each step.
constexpr int StepMs = 60;

// The poster as the switch or the mouse left it.
struct Look
{
    QRectF slot; // picture slot 0, in twips
    QImage capture;
};

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void theLightGoesRoundAndRests();
    void takingForwardGoesToStep2_data();
    void takingForwardGoesToStep2();
    void aHeldPressGoesBackUp();
    void aPictureGoesOntoThePaperAsByTheMouse_data();
    void aPictureGoesOntoThePaperAsByTheMouse();
    void cancelPutsThePictureBack();
    void theSweepDrawsTheDotTheMouseDraws_data();
    void theSweepDrawsTheDotTheMouseDraws();
    void withScanOffTheKeysAreKeys();

private:
    void start(int switches);
    Scanner *scanner() const { return CurrentProgram()->findChild<Scanner *>(); }
    void press(Qt::Key key) { QTest::keyClick(m_form, key); }
    // Takes, level by level, the choice test names.
    void reach(const std::function<bool(const ScanChoice &)> &test);
    // Stops the sweeping line at step k.
    void stopAt(int k);
    bool isControl(const ScanChoice &choice, const QWidget *control) const { return choice.control == control; }
    Look look() const
    {
        const platform::ImageControl *slot = m_form->Image3[0];
        return {{slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()},
                output::CapturePoster(m_form->client()).image()};
    }
    void mouse(QEvent::Type type, QPoint global);

    QTemporaryDir m_folder;
    Form1 *m_form = nullptr;
    int m_switches = 0;
};

void TestScan::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int x = 0; x < 320; x += 20)
        painter.fillRect(x, 0, 20, 240, (x / 20) % 2 ? Qt::blue : Qt::green);
    painter.end();
    QVERIFY(image.save(m_folder.filePath(QStringLiteral("0.jpg")), "JPG", 95));
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestScan::cleanup()
{
    settings::SetCurrent(settings::Settings{});
}

void TestScan::start(int switches)
{
    settings::Settings chosen;
    chosen.scan = switches;
    settings::SetCurrent(chosen);
    m_switches = switches;
    StartTovimaru();
    m_form = qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    if (frmList *registration = CurrentProgram()->registration())
        registration->hide();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    Module1::ImageDir = m_folder.path() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder({QStringLiteral("0.jpg")});
    m_form->Command13->setBackColor(Qt::black); // a pen that shows on the white paper
    if (switches != 0) {
        QVERIFY(scanner());
        scanner()->setTimes(StepMs, StepMs);
        QVERIFY(QTest::qWaitFor([this] { return scanner()->light() && scanner()->light()->window() == m_form; }));
    }
}

void TestScan::mouse(QEvent::Type type, QPoint global)
{
    QWindow *window = m_form->windowHandle();
    const QPoint at = m_form->mapFromGlobal(global);
    if (type == QEvent::MouseButtonPress)
        QTest::mousePress(window, Qt::LeftButton, {}, at);
    else if (type == QEvent::MouseButtonRelease)
        QTest::mouseRelease(window, Qt::LeftButton, {}, at);
    else
        QTest::mouseMove(window, at);
}

void TestScan::reach(const std::function<bool(const ScanChoice &)> &test)
{
    const auto onIt = [&] { return scanner()->lit() && scanner()->lit()->holds(test); };
    for (int level = 0; level < 6; ++level) {
        if (m_switches == 1) {
            QVERIFY2(QTest::qWaitFor(onIt, 20000), "the light never came to the choice");
        } else {
            for (int k = 0; k < 100 && !onIt(); ++k)
                press(Qt::Key_Space);
            QVERIFY2(onIt(), "Space never took the light to the choice");
        }
        const bool last = test(*scanner()->lit());
        press(m_switches == 1 ? Qt::Key_Space : Qt::Key_Return);
        if (last)
            return;
    }
    QFAIL("the choice lies deeper than the groups go");
}

void TestScan::stopAt(int k)
{
    if (m_switches == 1) {
        QVERIFY(QTest::qWaitFor([&] { return scanner()->sweepStep() == k; }, 20000));
    } else {
        for (int n = 0; n < Scanner::SweepSteps && scanner()->sweepStep() != k; ++n)
            press(Qt::Key_Space);
        QCOMPARE(scanner()->sweepStep(), k);
    }
    press(m_switches == 1 ? Qt::Key_Space : Qt::Key_Return);
}

void TestScan::theLightGoesRoundAndRests()
{
    start(1);
    Scanner *scan = scanner();
    // A thick frame around the first group, over the window and not in the poster.
    QWidget *light = scan->light();
    QVERIFY(light);
    QVERIFY(accessibility::ScanLight::Width >= 6);
    const QRect lit = scan->lit()->rect;
    QCOMPARE(QRect(light->mapToGlobal(QPoint(0, 0)), light->size()),
             lit.adjusted(-accessibility::ScanLight::Width, -accessibility::ScanLight::Width,
                          accessibility::ScanLight::Width, accessibility::ScanLight::Width));
    QCOMPARE(light->parentWidget(), m_form);
    // Step 1 offers its buttons, the paper and the moving buttons.
    QStringList seen;
    const auto record = [&] {
        if (const ScanChoice *choice = scan->lit())
            seen.append(choice->id);
    };
    seen.append(scan->lit()->id);
    connect(scan, &Scanner::lightMoved, this, record);
    QVERIFY(QTest::qWaitFor([&] { return scan->lit() == nullptr; }, 10000));
    disconnect(scan, &Scanner::lightMoved, this, nullptr);
    // Two rounds (the default scanLoops), then the light rests.
    QCOMPARE(seen.size() % 2, 0);
    const QStringList round = seen.mid(0, seen.size() / 2);
    QCOMPARE(seen.mid(seen.size() / 2), round);
    QVERIFY(round.contains(QStringLiteral("Picture1")));
    QVERIFY(round.contains(QStringLiteral("moving")));
    QVERIFY(!scan->light());
    // A press wakes it on the first choice and takes nothing.
    press(Qt::Key_Space);
    QVERIFY(scan->lit());
    QCOMPARE(scan->lit()->id, round.first());
    QVERIFY(m_form->Picture1->isVisible()); // still step 1
}

void TestScan::takingForwardGoesToStep2_data()
{
    QTest::addColumn<int>("switches");
    QTest::newRow("one switch") << 1;
    QTest::newRow("two switches") << 2;
}

void TestScan::takingForwardGoesToStep2()
{
    QFETCH(int, switches);
    start(switches);
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Command11); });
    QTRY_VERIFY(m_form->Image1[0]->isVisible()); // step 2
    // The light is back on the choices of step 2.
    QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() != nullptr; }));
    QVERIFY(scanner()->lit()->holds([this](const ScanChoice &c) { return isControl(c, m_form->Command11); }) == false);
}

void TestScan::aHeldPressGoesBackUp()
{
    start(2);
    reach([](const ScanChoice &c) { return c.id == QLatin1String("moving"); });
    QVERIFY(scanner()->lit()->kind == ScanChoice::Kind::Control);
    QTest::keyPress(m_form, Qt::Key_Space);
    QTest::qWait(Scanner::HoldMs + 100);
    QTest::keyRelease(m_form, Qt::Key_Space);
    QCOMPARE(scanner()->lit()->id, QStringLiteral("moving"));
}

void TestScan::aPictureGoesOntoThePaperAsByTheMouse_data()
{
    QTest::addColumn<int>("switches");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("place");
    QTest::newRow("one switch, the middle") << 1 << 4 << 4;
    QTest::newRow("two switches, low left") << 2 << 6 << 2;
}

void TestScan::aPictureGoesOntoThePaperAsByTheMouse()
{
    QFETCH(int, switches);
    QFETCH(int, area);
    QFETCH(int, place);
    start(switches);
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Command11); });
    QTRY_VERIFY(m_form->Image1[0]->isVisible());
    const QPoint from = m_form->Image1[0]->mapToGlobal(m_form->Image1[0]->rect().center());
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Image1[0]); });
    // In the hand: the places on the paper and "やめる".
    QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() != nullptr; }));
    QVERIFY(scanner()->lit()->id.startsWith(QLatin1String("area:")));
    const QString placeId = QStringLiteral("place:%1:%2").arg(area).arg(place);
    QPoint to;
    reach([&](const ScanChoice &c) {
        if (c.id != placeId)
            return false;
        to = c.rect.center();
        return true;
    });
    QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() && scanner()->lit()->id == QLatin1String("working"); }));
    const Look scanned = look();
    QVERIFY(Poster::IsPlaced(*m_form->Image3[0]));

    start(0);
    QTest::mouseClick(m_form->Command11, Qt::LeftButton);
    mouse(QEvent::MouseMove, from);
    mouse(QEvent::MouseButtonPress, from);
    for (int k = 1; k <= 8; ++k)
        mouse(QEvent::MouseMove, from + (to - from) * k / 8);
    mouse(QEvent::MouseButtonRelease, to);
    const Look dragged = look();
    QCOMPARE(scanned.slot, dragged.slot);
    QVERIFY(scanned.capture == dragged.capture);
}

void TestScan::cancelPutsThePictureBack()
{
    start(2);
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Command11); });
    QTRY_VERIFY(m_form->Image1[0]->isVisible());
    // A pointer that passed over the cell has laid a slot over it already.
    const QPoint cell = m_form->Image1[0]->mapToGlobal(m_form->Image1[0]->rect().center());
    mouse(QEvent::MouseMove, cell);
    const history::PosterState before = history::TakeSnapshot(*m_form);
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Image1[0]); });
    QVERIFY(m_form->findChild<QWidget *>(QStringLiteral("qt_scan_choice")));
    reach([](const ScanChoice &c) { return c.id == QLatin1String("cancel"); });
    QVERIFY(history::TakeSnapshot(*m_form) == before);
    QCOMPARE(m_form->findChild<QWidget *>(QStringLiteral("qt_scan_choice")), nullptr);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestScan::theSweepDrawsTheDotTheMouseDraws_data()
{
    QTest::addColumn<int>("switches");
    QTest::newRow("one switch") << 1;
    QTest::newRow("two switches") << 2;
}

void TestScan::theSweepDrawsTheDotTheMouseDraws()
{
    QFETCH(int, switches);
    start(switches);
    const QImage blank = look().capture;
    reach([](const ScanChoice &c) { return c.kind == ScanChoice::Kind::Paper; });
    QCOMPARE(scanner()->phase(), Scanner::Phase::Across);
    QVERIFY(scanner()->light());
    const int across = 5, down = 12;
    stopAt(across);
    QCOMPARE(scanner()->phase(), Scanner::Phase::Down);
    stopAt(down);
    QCOMPARE(scanner()->phase(), Scanner::Phase::Choices);
    const QImage scanned = look().capture;
    QVERIFY(scanned != blank);
    // "もういちど" and "おわり"; "おわり" gives the step's choices back.
    QCOMPARE(scanner()->lit()->caption, QStringLiteral("もういちど"));
    reach([](const ScanChoice &c) { return c.id == QLatin1String("done"); });
    QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() && scanner()->lit()->id == QLatin1String("working"); }));
    QVERIFY(look().capture == scanned);

    const QRect paper = QRect(m_form->Picture1->mapToGlobal(QPoint(0, 0)), m_form->Picture1->size());
    // The lines lie in the middles of equal bands of the paper.
    const QPoint at(paper.left() + paper.width() * (2 * across + 1) / (2 * Scanner::SweepSteps),
                    paper.top() + paper.height() * (2 * down + 1) / (2 * Scanner::SweepSteps));
    start(0);
    mouse(QEvent::MouseMove, at);
    mouse(QEvent::MouseButtonPress, at);
    mouse(QEvent::MouseButtonRelease, at);
    QVERIFY(look().capture == scanned);
}

void TestScan::withScanOffTheKeysAreKeys()
{
    start(0);
    QCOMPARE(scanner(), nullptr);
    QCOMPARE(m_form->findChild<QWidget *>(QStringLiteral("qt_scan_light")), nullptr);
    // Space presses the button with the focus, as always.
    m_form->Command11->setFocus();
    QTest::keyClick(m_form->Command11, Qt::Key_Space);
    QTRY_VERIFY(m_form->Image1[0]->isVisible());
}

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
