// SPDX-License-Identifier: GPL-3.0-or-later
// Carrying, placing and drawing without holding a button, against the real main window: each
// gesture done by two clicks (clickToCarry), by the keys (keyboardPointer) and by two rests of the
// pointer (dwell, with clickToCarry) leaves the poster
// exactly as the same gesture done by a drag, property for property and pixel for pixel; Escape
// puts back what is carried; with the options off a click is only a click. A screen reader places
// and takes off pictures and texts through their actions, also over the real accessibility bus.

#include "TestPaths.h"
#include "PosterPointer.h"
#include "StartedProgram.h"
#include "TestSupport.h"
#include "XServer.h"

#include "access/Dwell.h"
#include "access/KeyPointer.h"
#include "access/ScreenReader.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/PosterState.h"
#include "images/Gallery.h"
#include "output/PosterCapture.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPainter>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Gesture { GalleryOntoPoster, MovePlaced, CarryText, Stroke };
enum class Way { Drag, Clicks, Keys, Dwell };

// The rest that clicks, in the tests.
constexpr double DwellSeconds = 0.5;

// One step of the pointer keys: a way and whether Shift is held.
struct KeyStep
{
    QPoint way;
    bool shift;
};

// The key presses that take the pointer by delta (whole multiples of 8 pixels), as long steps
// first, across then down.
QList<KeyStep> KeyPath(QPoint delta)
{
    QList<KeyStep> steps;
    for (int *d : {&delta.rx(), &delta.ry()}) {
        const bool across = d == &delta.rx();
        while (*d != 0) {
            const int sign = *d > 0 ? 1 : -1;
            const bool shift = std::abs(*d) >= accessibility::KeyPointer::ShiftStep;
            const int step = shift ? accessibility::KeyPointer::ShiftStep : accessibility::KeyPointer::Step;
            steps.append({across ? QPoint(sign, 0) : QPoint(0, sign), shift});
            *d -= sign * step;
        }
    }
    return steps;
}

Qt::Key KeyOf(QPoint way)
{
    return way.x() < 0 ? Qt::Key_Left : way.x() > 0 ? Qt::Key_Right : way.y() < 0 ? Qt::Key_Up : Qt::Key_Down;
}

// The poster as a gesture left it.
struct Look
{
    QList<QRectF> rects; // the picture slots 0 and 1 and the text slot 0, in twips
    QImage capture;
};

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void eachGestureAsADragDoes_data();
    void eachGestureAsADragDoes();
    void escapePutsBack_data();
    void escapePutsBack();
    void withTheOptionsOffAClickIsAClick();
    void tabWalksTheControls();
    void aFocusedTextBoxKeepsItsKeys();
    void enterInADialogIsTheDialogs_data();
    void enterInADialogIsTheDialogs();
    void screenReadersPlaceAndTakeOff();
    void aScreenReaderPlacesOverTheBus();

private:
    void start(Way way);
    // The window's point of a point in pixels of its client area.
    QPoint InWindow(QPoint client) const { return m_form->client()->mapTo(m_form, client); }
    QPoint ClientPixel(QPointF twips) const { return {qRound(twips.x() / 15), qRound(twips.y() / 15)}; }
    void mouse(QEvent::Type type, QPoint client);
    // The gesture from one point of the client area by delta, the pointer stopping at each key step.
    void carry(Way way, QPoint from, QPoint delta);
    QPoint prepare(Gesture gesture);
    Look look() const;

    QTemporaryDir m_folder;
    Form1 *m_form = nullptr;
    bool m_held = false;
};

void TestAccess::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int x = 0; x < 320; x += 20)
        painter.fillRect(x, 0, 20, 240, (x / 20) % 2 ? Qt::red : Qt::yellow);
    painter.end();
    QVERIFY(image.save(m_folder.filePath(QStringLiteral("0.jpg")), "JPG", 95));
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestAccess::cleanup()
{
    settings::SetCurrent(settings::Settings{});
}

void TestAccess::start(Way way)
{
    settings::Settings chosen;
    chosen.clickToCarry = way != Way::Drag;
    chosen.keyboardPointer = way == Way::Keys;
    chosen.dwell = way == Way::Dwell ? DwellSeconds : 0;
    settings::SetCurrent(chosen);
    testing::StartOnGallery(m_folder.path(), {QStringLiteral("0.jpg")}, &m_form);
    m_held = false;
}

void TestAccess::mouse(QEvent::Type type, QPoint client)
{
    QWindow *window = m_form->windowHandle();
    if (type == QEvent::MouseButtonPress)
        QTest::mousePress(window, Qt::LeftButton, {}, InWindow(client));
    else if (type == QEvent::MouseButtonRelease)
        QTest::mouseRelease(window, Qt::LeftButton, {}, InWindow(client));
    else
        QTest::mouseMove(window, InWindow(client));
}

void TestAccess::carry(Way way, QPoint from, QPoint delta)
{
    // Come from a little way off (a rest clicks only once the pointer left the last click).
    mouse(QEvent::MouseMove, from + QPoint(20, 20));
    mouse(QEvent::MouseMove, from);
    // While a text box has the focus (a text slot has it in step 3) the pointer keys take Ctrl.
    const Qt::KeyboardModifiers ctrl = qobject_cast<QTextEdit *>(QApplication::focusWidget()) ? Qt::ControlModifier : Qt::NoModifier;
    const auto tap = [&](QPoint at) {
        if (way == Way::Keys) {
            QTest::keyClick(m_form, Qt::Key_Space, ctrl);
        } else if (way == Way::Dwell) {
            // The ring fills from the moment the pointer rests, until the rest clicks.
            auto *dwell = CurrentProgram()->findChild<accessibility::DwellClicker *>();
            QVERIFY(dwell && dwell->ring());
            const int before = dwell->clicks();
            QTRY_COMPARE_WITH_TIMEOUT(dwell->clicks(), before + 1, 5000);
            QVERIFY(!dwell->ring());
        } else {
            mouse(QEvent::MouseButtonPress, at);
            if (way == Way::Clicks)
                mouse(QEvent::MouseButtonRelease, at);
        }
    };
    tap(from);
    QPoint at = from;
    for (const KeyStep &step : KeyPath(delta)) {
        at += step.way * (step.shift ? accessibility::KeyPointer::ShiftStep : accessibility::KeyPointer::Step);
        if (way == Way::Keys)
            QTest::keyClick(m_form, KeyOf(step.way), ctrl | (step.shift ? Qt::ShiftModifier : Qt::NoModifier));
        else
            mouse(QEvent::MouseMove, at);
    }
    if (way == Way::Drag)
        mouse(QEvent::MouseButtonRelease, at);
    else
        tap(at);
    QCoreApplication::processEvents();
}

// Brings the program to the step of the gesture; returns where the gesture starts.
QPoint TestAccess::prepare(Gesture gesture)
{
    if (gesture != Gesture::Stroke)
        QTest::mouseClick(m_form->Command11, Qt::LeftButton); // step 2
    if (gesture == Gesture::CarryText)
        QTest::mouseClick(m_form->Command6, Qt::LeftButton); // step 3
    const QPoint cell = ClientPixel(testing::InCell(0));
    switch (gesture) {
    case Gesture::GalleryOntoPoster:
        return cell;
    case Gesture::MovePlaced:
        carry(Way::Drag, cell, {-440, 40});
        return cell + QPoint(-440, 40);
    case Gesture::CarryText:
        return m_form->Text1[0]->geometry().center();
    case Gesture::Stroke:
        return m_form->Picture1->geometry().topLeft() + QPoint(100, 100);
    }
    return {};
}

Look TestAccess::look() const
{
    Look seen;
    for (const platform::ImageControl *slot : {m_form->Image3[0], m_form->Image3[1]})
        seen.rects.append({slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()});
    const platform::RichTextBox *text = m_form->Text1[0];
    seen.rects.append({text->twipsLeft(), text->twipsTop(), text->twipsWidth(), text->twipsHeight()});
    seen.capture = output::CapturePoster(m_form->client()).image();
    return seen;
}

void TestAccess::eachGestureAsADragDoes_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<Way>("way");
    const struct
    {
        const char *name;
        Gesture gesture;
        QPoint delta;
    } gestures[] = {
        {"a gallery picture onto the poster", Gesture::GalleryOntoPoster, {-440, 40}},
        {"a placed picture", Gesture::MovePlaced, {-160, 120}},
        {"a text", Gesture::CarryText, {-480, 80}},
        {"a stroke of dots", Gesture::Stroke, {160, 88}},
    };
    for (const auto &g : gestures) {
        QTest::addRow("%s, by clicks", g.name) << g.gesture << g.delta << Way::Clicks;
        QTest::addRow("%s, by keys", g.name) << g.gesture << g.delta << Way::Keys;
        QTest::addRow("%s, by rests", g.name) << g.gesture << g.delta << Way::Dwell;
    }
}

void TestAccess::eachGestureAsADragDoes()
{
    QFETCH(Gesture, gesture);
    QFETCH(QPoint, delta);
    QFETCH(Way, way);
    start(Way::Drag);
    const QPoint from = prepare(gesture);
    const QImage unchanged = look().capture;
    carry(Way::Drag, from, delta);
    const Look dragged = look();
    QVERIFY(dragged.capture != unchanged);

    start(way);
    carry(way, prepare(gesture), delta);
    const Look carried = look();
    QCOMPARE(carried.rects, dragged.rects);
    QVERIFY(carried.capture == dragged.capture);
    // Put down: the pointer and the poster are as before.
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(m_form->client()->findChild<QWidget *>(QStringLiteral("qt_carry_frame")), nullptr);
    if (way == Way::Dwell) {
        // Resting on where it clicked clicks no more.
        auto *dwell = CurrentProgram()->findChild<accessibility::DwellClicker *>();
        QTest::qWait(int(DwellSeconds * 1000) + 200);
        QCOMPARE(dwell->clicks(), 2);
    }
}

void TestAccess::escapePutsBack_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::newRow("a gallery picture") << Gesture::GalleryOntoPoster;
    QTest::newRow("a placed picture") << Gesture::MovePlaced;
}

void TestAccess::escapePutsBack()
{
    QFETCH(Gesture, gesture);
    start(Way::Clicks);
    const QPoint from = prepare(gesture);
    mouse(QEvent::MouseMove, from);
    const history::PosterState before = history::TakeSnapshot(*m_form);
    mouse(QEvent::MouseButtonPress, from);
    mouse(QEvent::MouseButtonRelease, from);
    for (int k = 1; k <= 4; ++k)
        mouse(QEvent::MouseMove, from + QPoint(-60 * k, 30 * k));
    // In the hand: a closed hand and a frame around the picture.
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    QVERIFY(m_form->client()->findChild<QWidget *>(QStringLiteral("qt_carry_frame")));
    QVERIFY(history::TakeSnapshot(*m_form) != before);

    QTest::keyClick(m_form, Qt::Key_Escape);
    QVERIFY(history::TakeSnapshot(*m_form) == before);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // The next move moves nothing.
    mouse(QEvent::MouseMove, from + QPoint(-300, 0));
    QVERIFY(history::TakeSnapshot(*m_form) == before);
}

void TestAccess::withTheOptionsOffAClickIsAClick()
{
    start(Way::Drag);
    prepare(Gesture::GalleryOntoPoster);
    const QPoint cell = ClientPixel(testing::InCell(0));
    mouse(QEvent::MouseMove, cell);
    mouse(QEvent::MouseButtonPress, cell);
    mouse(QEvent::MouseButtonRelease, cell);
    mouse(QEvent::MouseMove, cell + QPoint(-440, 40));
    // Released in the side panel, the picture went off again; nothing follows the pointer.
    QVERIFY(!m_form->Image3[0]->isVisible());
    QVERIFY(!Poster::IsPlaced(*m_form->Image3[0]));
}

void TestAccess::tabWalksTheControls()
{
    start(Way::Keys);
    const QList<QWidget *> controls = accessibility::KeyPointer::ControlsInReadingOrder(m_form);
    QVERIFY(controls.size() > 3);
    const auto centre = [&](qsizetype k) { return controls[k]->mapToGlobal(controls[k]->rect().center()); };
    // From a point that lies on no control, Tab goes to the first control.
    mouse(QEvent::MouseMove, {-5, -5});
    QTest::keyClick(m_form, Qt::Key_Tab);
    QCOMPARE(QCursor::pos(), centre(0));
    QTest::keyClick(m_form, Qt::Key_Tab);
    QTest::keyClick(m_form, Qt::Key_Tab);
    QCOMPARE(QCursor::pos(), centre(2));
    QTest::keyClick(m_form, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QCursor::pos(), centre(1));
    // Space presses the control the pointer is on: "つぎへ" goes to step 2.
    const qsizetype forward = controls.indexOf(m_form->Command11);
    QVERIFY(forward >= 0);
    for (qsizetype k = 1; k != forward; k = (k + 1) % controls.size())
        QTest::keyClick(m_form, Qt::Key_Tab);
    QCOMPARE(QCursor::pos(), centre(forward));
    QTest::keyClick(m_form, Qt::Key_Space);
    QTRY_VERIFY(m_form->Image1[0]->isVisible()); // step 2
}

void TestAccess::aFocusedTextBoxKeepsItsKeys()
{
    start(Way::Keys);
    prepare(Gesture::CarryText); // step 3: the first text slot has the keyboard focus
    QCOMPARE(QApplication::focusWidget(), m_form->Text1[0]);
    mouse(QEvent::MouseMove, {300, 300});
    const QPoint at = QCursor::pos();
    QWidget *text = m_form->Text1[0];
    QTest::keyClick(text, Qt::Key_Space);
    QTest::keyClick(text, Qt::Key_Left);
    QTest::keyClick(text, Qt::Key_A);
    QCOMPARE(m_form->Text1[0]->text(), QStringLiteral("a "));
    QCOMPARE(QCursor::pos(), at);
    // With Ctrl they are the pointer's.
    QTest::keyClick(text, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(QCursor::pos(), m_form->client()->mapToGlobal(QPoint(300 + accessibility::KeyPointer::Step, 300)));
    QCOMPARE(m_form->Text1[0]->text(), QStringLiteral("a "));
}

void TestAccess::enterInADialogIsTheDialogs_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QMessageBox::StandardButton>("pressed");
    QTest::newRow("Enter, the default button") << Qt::Key_Return << QMessageBox::Yes;
    QTest::newRow("Space, the button under the pointer") << Qt::Key_Space << QMessageBox::No;
}

void TestAccess::enterInADialogIsTheDialogs()
{
    QFETCH(Qt::Key, key);
    QFETCH(QMessageBox::StandardButton, pressed);
    start(Way::Keys);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tovimaru"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No, m_form);
    box.setDefaultButton(QMessageBox::Yes);
    testing::OnNextModal<QMessageBox>([key](QMessageBox *shown) {
        // The pointer on "No", the default button elsewhere.
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QAbstractButton *no = shown->button(QMessageBox::No);
        QTest::mouseMove(shown->windowHandle(), no->mapTo(shown, no->rect().center()) + QPoint(1, 0));
        QTest::mouseMove(shown->windowHandle(), no->mapTo(shown, no->rect().center()));
        QTest::keyClick(shown, key);
        shown->hide(); // nothing pressed, if the key pressed nothing
    });
    box.exec();
    QCOMPARE(box.standardButton(box.clickedButton()), pressed);
}

void TestAccess::screenReadersPlaceAndTakeOff()
{
    const auto actions = [](QWidget *control) {
        QAccessibleActionInterface *face = QAccessible::queryAccessibleInterface(control)->actionInterface();
        return face ? face->actionNames() : QStringList();
    };
    const auto act = [](QWidget *control, const QString &action) {
        QAccessible::queryAccessibleInterface(control)->actionInterface()->doAction(action);
    };
    start(Way::Drag);
    prepare(Gesture::GalleryOntoPoster);
    carry(Way::Drag, ClientPixel(testing::InCell(0)), {-440, 40});
    const QSize grown = m_form->Image3[0]->size();
    start(Way::Drag);
    prepare(Gesture::GalleryOntoPoster);
    QVERIFY(!actions(m_form->Image3[0]).contains(accessibility::TakeOffAction));

    // Two pictures: the top-left place of the paper, then the one right of it.
    const QRect paper = m_form->Picture1->geometry();
    const QPoint first = accessibility::PlacingPoint(*m_form);
    for (int k = 0; k < 2; ++k) {
        QVERIFY(actions(m_form->Image1[0]).contains(accessibility::PlaceAction));
        act(m_form->Image1[0], accessibility::PlaceAction);
        QTRY_VERIFY(m_form->Image3[k]->isVisible() && Poster::IsPlaced(*m_form->Image3[k]));
        const QRect placed = m_form->Image3[k]->geometry();
        QCOMPARE(placed.size(), grown);
        QVERIFY(paper.contains(placed));
        QCOMPARE(placed.top(), paper.top());
        if (k == 0)
            QCOMPARE(placed.left(), paper.left());
        else
            QVERIFY(qAbs(placed.center().x() - paper.center().x()) <= 1);
    }
    QVERIFY(actions(m_form->Image3[0]).contains(accessibility::TakeOffAction));
    act(m_form->Image3[0], accessibility::TakeOffAction);
    QTRY_VERIFY(!m_form->Image3[0]->isVisible());
    QVERIFY(!Poster::IsPlaced(*m_form->Image3[0]));
    // Its place is the first free one again.
    QCOMPARE(accessibility::PlacingPoint(*m_form), first);

    // A text carried onto the poster goes home.
    QTest::mouseClick(m_form->Command6, Qt::LeftButton); // step 3
    carry(Way::Drag, m_form->Text1[0]->geometry().center(), {-480, 80});
    QVERIFY(Poster::IsPlaced(*m_form->Text1[0]));
    act(m_form->Text1[0], accessibility::TakeOffAction);
    QTRY_COMPARE(m_form->Text1[0]->twipsLeft(), Poster::TextHomeLeft);
    QCOMPARE(m_form->Text1[0]->twipsTop(), Poster::TextHomeTop(0));
    // It is still read and edited as a text.
    m_form->Text1[0]->setText(QStringLiteral("はれ"));
    QAccessibleInterface *text = QAccessible::queryAccessibleInterface(m_form->Text1[0]);
    QVERIFY(text->textInterface() && text->editableTextInterface());
    QCOMPARE(text->textInterface()->text(0, text->textInterface()->characterCount()), QStringLiteral("はれ"));
}

// What a screen reader does over the bus: confirms the registration window, goes to step 2 and
// does "はる" on a gallery cell found by its name; the placed picture then lies on the paper.
const char ScreenReader[] = R"(
import sys, time, warnings
warnings.simplefilter('ignore')
import pyatspi

def walk(a):
    yield a
    for i in range(a.childCount):
        c = a.getChildAtIndex(i)
        if c is not None:
            yield from walk(c)

def actions(a):
    try:
        act = a.queryAction()
    except NotImplementedError:
        return []
    return [act.getName(i) for i in range(act.nActions)]

def find(what, role, name, action=None):
    end = time.time() + 30
    while time.time() < end:
        desk = pyatspi.Registry.getDesktop(0)
        for app in (desk.getChildAtIndex(k) for k in range(desk.childCount)):
            for a in walk(app) if app is not None and app.name == 'tovimaru' else ():
                if a.getRoleName() == role and a.name == name and a.getState().contains(pyatspi.STATE_SHOWING) \
                        and (action is None or action in actions(a)):
                    return a
        time.sleep(0.2)
    sys.exit('not found over the bus: ' + what)

def do(a, action):
    a.queryAction().doAction(actions(a).index(action))

def extents(a):
    e = a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.x + e.width, e.y + e.height

do(find('"これでよし"', 'push button', 'これでよし', 'Press'), 'Press')
do(find('"つぎへ"', 'push button', 'つぎへ', 'Press'), 'Press')
do(find('a gallery cell', 'push button', 'え', 'はる'), 'はる')
picture = extents(find('the placed picture', 'image', 'え', 'もどす'))
paper = extents(find('the paper', 'image', 'かみ'))
print('picture', picture, 'paper', paper)
on = paper[0] <= picture[0] and paper[1] <= picture[1] and picture[2] <= paper[2] and picture[3] <= paper[3]
sys.exit(0 if on else 'the picture is not on the paper')
)";

void TestAccess::aScreenReaderPlacesOverTheBus()
{
    if (qEnvironmentVariableIsSet("TOVIMARU_SANITIZED"))
        QSKIP("not in the sanitized build: the program under X stops in libxkbcommon-x11 there");
    const QString launcher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
    const QString python = QStringLiteral("/usr/bin/python3"); // the Debian module, not another Python
    if (testing::Tool(QStringLiteral("Xvfb")).isEmpty() || testing::Tool(QStringLiteral("dbus-daemon")).isEmpty()
        || !QFileInfo(launcher).isExecutable()
        || QProcess::execute(python, {"-c", "import pyatspi"}) != 0)
        QSKIP("the accessibility bus needs xvfb, dbus-daemon, at-spi2-core and python3-pyatspi");

    QProcess xvfb, bus, a11y, program, reader;
    const auto end = qScopeGuard([&] { testing::EndProcesses({&reader, &program, &a11y, &bus, &xvfb}); });
    const int display = testing::StartXvfb(xvfb);
    QVERIFY2(display >= 0, "Xvfb did not start");
    QProcessEnvironment env = testing::DisplayEnvironment(display, m_folder.filePath(QStringLiteral("home")));
    // A session bus of its own, and the accessibility bus its launcher starts on it.
    bus.setStandardErrorFile(QProcess::nullDevice());
    bus.start(testing::Tool(QStringLiteral("dbus-daemon")), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(bus.waitForStarted());
    QByteArray address;
    while (!address.contains('\n') && bus.waitForReadyRead(10000))
        address += bus.readAllStandardOutput();
    QVERIFY2(address.contains('\n'), "the session bus did not start");
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLocal8Bit(address.trimmed()));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    a11y.setProcessEnvironment(env);
    a11y.setStandardOutputFile(QProcess::nullDevice());
    a11y.setStandardErrorFile(QProcess::nullDevice());
    a11y.start(launcher, {"--launch-immediately"});
    QVERIFY(a11y.waitForStarted());

    program.setProcessEnvironment(env);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(testing::ProgramPath(), {m_folder.path()});
    QVERIFY(program.waitForStarted());

    reader.setProcessEnvironment(env);
    reader.setProcessChannelMode(QProcess::MergedChannels);
    reader.start(python, {"-"});
    reader.write(ScreenReader);
    reader.closeWriteChannel();
    QVERIFY(reader.waitForFinished(90000));
    const QByteArray said = reader.readAll();
    QVERIFY2(reader.exitCode() == 0, said.constData());
    QCOMPARE(program.state(), QProcess::Running);
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
