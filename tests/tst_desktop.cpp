// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program under a real X server, used as a person uses it: Xvfb for the screen,
// xdotool for the pointer and the keyboard. It confirms the registration window, carries a
// picture onto the poster, goes to step 4, prints through the print dialog to a PDF queue of a
// private print server, and saves through the save dialog by typing a name. Faults of this kind
// (a dialog that takes no input) cannot be seen by tests that run without a display server.
// Then whole posters made without holding a button (clickToCarry by clicks, dwell by resting the
// pointer, keyboardPointer by keys), each printed to PDF through the print dialog.
// With the shelf on, a poster made and ended is taken from the shelf in the next run, continued
// and printed. TOVIMARU_DESKTOP_SHOTS names a folder for screenshots of each stage, to be looked at.

#include "TestPaths.h"
#include "base/HelperPrograms.h"
#include "PrivateCups.h"
#include "TestSupport.h"
#include "XServer.h"

#include "form/Form1.h"
#include "app/Shelf.h"
#include "app/Startup.h"
#include "images/Gallery.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <csignal>

using testing::Output;
using testing::Tool;

namespace {

const char Queue[] = "TOVIMARUDESKTOP";
constexpr QRgb Green = 0xFF00A040;
constexpr QRgb Blue = 0xFF3050E0;

bool Nearly(QColor c, QRgb colour)
{
    return qAbs(c.red() - qRed(colour)) < 30 && qAbs(c.green() - qGreen(colour)) < 30 && qAbs(c.blue() - qBlue(colour)) < 30;
}

// The pixels of a colour in an image, counting every step-th pixel of every step-th row.
int PixelsOf(const QImage &image, QRgb colour, int step = 1)
{
    int count = 0;
    for (int y = 0; y < image.height(); y += step) {
        for (int x = 0; x < image.width(); x += step)
            count += Nearly(image.pixelColor(x, y), colour);
    }
    return count;
}

int GreenPixels(const QImage &image, int step = 1)
{
    return PixelsOf(image, Green, step);
}

// How a whole poster is made without holding a button.
enum class Hand { Clicks, Dwell, Keys };

// Where the controls are inside their windows, taken from the same windows made in this process:
// the layout in twips, the menu bar and the style are those of the program under test.
struct Places
{
    QPoint confirm;       // "これでよし" in the registration window
    QPoint next1, next2, next3; // "つぎへ" of steps 1, 2 and 3
    QPoint cell0;         // the first gallery cell
    QPoint poster;        // a point on the poster
    QPoint print, save;   // "いんさつ" and "ほぞん"
    // For the whole posters.
    QPoint paperColour;            // "かみのいろ"
    QPoint swatch, pickerOk;       // in the colour picker: a pale colour and "OK"
    QPoint strokeFrom, strokeTo;   // on the paper of step 1
    QPoint cell1, poster0, poster1; // the second cell; where the two pictures go
    QPoint text0, posterText;      // the first text slot at home; where it goes
    QPoint edit;                   // "もじ の へんしゅう"
    QList<QPoint> keys;            // さ く ら ＯＫ on the on-screen keyboard
    QPoint printFromCorner;        // the print dialog's Print button, from its bottom-right corner
    QPoint end;           // "おわり"
    QPoint shelf;         // "たな", with the shelf on
    QPoint shelved;       // the first poster on the shelf's page
    QPoint printButton;   // the print dialog's own "Print"
};

QPoint Centre(QWidget *control)
{
    return control->mapTo(control->window(), control->rect().center());
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printAndSaveAsAPersonDoes();
    void aWholePosterWithoutHoldingAButton_data();
    void aWholePosterWithoutHoldingAButton();
    void aPosterFromTheShelfIsPrinted();

private:
    // Starts the installed program with arguments and confirms its registration window: the main
    // window's id, or "".
    QString startProgram(const QStringList &arguments);
    // Carries the first gallery cell's picture onto the poster, in step 2.
    void carryPicture(const QString &form);
    QString xdo(const QStringList &arguments) { return Output(QStringLiteral("xdotool"), arguments, m_env); }
    // The visible top-level windows of the display, by X id.
    QStringList windows() { return xdo({"search", "--onlyvisible", "--name", ""}).split('\n', Qt::SkipEmptyParts); }
    // named: only a window with a title (the colour picker's is blank).
    QString waitForNewWindow(const QStringList &before, int ms = 15000, bool named = true);
    QPoint origin(const QString &window);
    // Waits until the keyboard's input goes to window, as it does once the window is active.
    bool waitForFocus(const QString &window, int ms = 15000);
    // Clicks a button of window that opens a dialog: the dialog once it has the keyboard, or "".
    QString openDialog(const QString &window, QPoint button);
    void click(const QString &window, QPoint at);
    // A click made by the hand of the row at a point of the screen, and a carry from one point
    // to another (a click, the moves, a click).
    void use(Hand hand, QPoint at);
    void carryBy(Hand hand, QPoint from, QPoint to);
    void pointTo(Hand hand, QPoint at); // the pointer there, clicking nothing
    void shot(const QString &name);
    // Starts the installed program; its main window and registration window.
    void start(const QStringList &arguments, QString *form, QString *registration);
    QPoint m_pointer;   // where the keys have taken the pointer
    bool m_ctrl = false; // a text box has the keyboard focus: the pointer keys take Ctrl
    QString m_shots;    // TOVIMARU_DESKTOP_SHOTS: a folder for screenshots, or none

    testing::PrivateCups m_cups{QLatin1String(Queue)};
    QTemporaryDir m_work;
    QProcess m_xvfb;
    QProcess m_program;
    QProcessEnvironment m_env;
    Places m_places;
    QString m_prefix;
};

void TestDesktop::initTestCase()
{
    if (Tool(QStringLiteral("Xvfb")).isEmpty() || Tool(QStringLiteral("xdotool")).isEmpty())
        QSKIP("Xvfb and xdotool are not installed (xvfb, xdotool)");
    if (const QString why = testing::PrivateCups::Unavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QString why;
    QVERIFY2(m_cups.start(&why), qPrintable(why));

    // The program installed into a scratch prefix, as a package would install it.
    m_prefix = m_work.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TOVIMARU_CMAKE), {"--install", helpers::BuildTreePath({}), "--prefix", m_prefix});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());

    const int display = testing::StartXvfb(m_xvfb);
    QVERIFY2(display >= 0, "Xvfb did not start");
    m_env = testing::DisplayEnvironment(display, m_work.filePath(QStringLiteral("home")));
    m_env.insert(QStringLiteral("CUPS_SERVER"), m_cups.socket());

    // Where the controls lie inside their windows, from the program's own windows made here.
    StartTovimaru();
    auto *form = qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
    QWidget *registration = testing::TopLevel(QStringLiteral("frmList"));
    if (!registration) // the registration window is a window of the main window's
        registration = form->findChild<QWidget *>(QStringLiteral("frmList"));
    QVERIFY(form && registration);
    const QPoint client = form->client()->mapTo(form, QPoint(0, 0));
    auto twips = [&](double left, double top) { return client + QPoint(qRound(left / 15), qRound(top / 15)); };
    m_places.confirm = Centre(registration->findChild<QWidget *>(QStringLiteral("Command12")));
    m_places.next1 = Centre(form->Command11);
    m_places.next2 = Centre(form->Command6);
    m_places.next3 = Centre(form->Command4);
    m_places.cell0 = twips(images::CellLeft(0) + 900, images::CellTop(0) + 600);
    m_places.poster = twips(3000, 3000);
    m_places.print = Centre(form->Command14);
    m_places.save = Centre(form->Command20);

    // For the whole posters: the colour picker as the program makes it, and the print dialog.
    m_places.paperColour = Centre(form->Command12);
    QTest::mouseClick(form->Command12, Qt::LeftButton);
    QWidget *picker = testing::TopLevel(QStringLiteral("Form2"));
    if (!picker)
        picker = form->findChild<QWidget *>(QStringLiteral("Form2"));
    QVERIFY(picker);
    m_places.swatch = Centre(picker->findChild<QWidget *>(QStringLiteral("Label3(10)")));
    m_places.pickerOk = Centre(picker->findChild<QWidget *>(QStringLiteral("Command12")));
    picker->hide();
    m_places.strokeFrom = twips(5000, 6000);
    m_places.strokeTo = twips(9000, 8400);
    m_places.cell1 = twips(images::CellLeft(1) + 900, images::CellTop(1) + 600);
    m_places.poster0 = twips(2000, 3400);
    m_places.poster1 = twips(6500, 3400);
    m_places.text0 = Centre(form->Text1[0]);
    m_places.posterText = twips(3000, 8600);
    m_places.edit = Centre(form->Command21);
    for (int key : {10, 7, 40, 64}) // さ く ら ＯＫ
        m_places.keys.append(Centre(form->Label1[key]));
    {
        QPrinter printer;
        QPrintDialog dialog(&printer, form);
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *box = dialog.findChild<QDialogButtonBox *>();
        QVERIFY(box);
        for (QAbstractButton *button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                m_places.printFromCorner = QPoint(dialog.width(), dialog.height()) - button->mapTo(&dialog, button->rect().center());
        }
        QVERIFY(!m_places.printFromCorner.isNull());
        dialog.hide();
    }
    m_shots = qEnvironmentVariable("TOVIMARU_DESKTOP_SHOTS");
    m_places.end = Centre(form->Command3);
    {
        QPrinter printer;
        QPrintDialog print(&printer, form);
        print.show();
        QDialogButtonBox *answers = print.findChild<QDialogButtonBox *>();
        QVERIFY(answers && answers->button(QDialogButtonBox::Ok));
        m_places.printButton = Centre(answers->button(QDialogButtonBox::Ok));
    }

    // With the shelf on: its button, and the first poster of its page (after the starters' rows).
    settings::Settings shelfOn;
    shelfOn.shelf = true;
    settings::SetCurrent(shelfOn);
    StartTovimaru();
    form = qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
    auto *shelf = form->client()->findChild<QPushButton *>(QStringLiteral("CommandShelf"));
    QVERIFY(shelf);
    m_places.shelf = Centre(shelf);
    QVERIFY(!shelf::Starters().isEmpty() && QDir().mkpath(shelf::Folder()));
    QVERIFY(QFile::copy(shelf::Starters().value(0), shelf::Folder() + QStringLiteral("/one.poster")));
    {
        ShelfWindow page(*form);
        QVERIFY(page.posterButtons().size() == 1);
        m_places.shelved = Centre(page.posterButtons().value(0));
    }
    settings::SetCurrent(settings::Settings{});
}

QString TestDesktop::startProgram(const QStringList &arguments)
{
    QString form, registration;
    start(arguments, &form, &registration);
    if (QTest::currentTestFailed() || registration.isEmpty())
        return {};
    click(registration, m_places.confirm);
    QElapsedTimer clock;
    for (clock.start(); clock.elapsed() < 10000; QTest::qWait(100)) {
        if (xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")}).isEmpty())
            return form;
    }
    return {};
}

void TestDesktop::carryPicture(const QString &form)
{
    const QPoint cell = origin(form) + m_places.cell0;
    const QPoint poster = origin(form) + m_places.poster;
    xdo({"mousemove", QString::number(cell.x()), QString::number(cell.y())});
    QTest::qWait(400);
    xdo({"mousedown", "1"});
    for (int k = 1; k <= 8; ++k) {
        const QPoint p = cell + (poster - cell) * k / 8;
        xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
        QTest::qWait(50);
    }
    xdo({"mouseup", "1"});
    QTest::qWait(300);
}

void TestDesktop::cleanupTestCase()
{
    testing::EndProcesses({&m_program, &m_xvfb});
}

QString TestDesktop::waitForNewWindow(const QStringList &before, int ms, bool named)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        for (const QString &window : windows()) {
            if (!before.contains(window) && (!named || !xdo({"getwindowname", window}).isEmpty()))
                return window;
        }
        QTest::qWait(100);
    }
    return {};
}

bool TestDesktop::waitForFocus(const QString &window, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (xdo({"getwindowfocus"}) == window)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QString TestDesktop::openDialog(const QString &window, QPoint button)
{
    const QStringList before = windows();
    click(window, button);
    const QString dialog = waitForNewWindow(before);
    if (dialog.isEmpty() || !waitForFocus(dialog))
        return {};
    QTest::qWait(300);
    return dialog;
}

QPoint TestDesktop::origin(const QString &window)
{
    int left = 0, top = 0;
    for (const QString &line : xdo({"getwindowgeometry", "--shell", window}).split('\n')) {
        if (line.startsWith(QLatin1String("X=")))
            left = line.mid(2).toInt();
        else if (line.startsWith(QLatin1String("Y=")))
            top = line.mid(2).toInt();
    }
    return {left, top};
}

void TestDesktop::click(const QString &window, QPoint at)
{
    const QPoint p = origin(window) + at;
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
    QTest::qWait(150);
    xdo({"click", "1"});
    QTest::qWait(300);
}

void TestDesktop::start(const QStringList &arguments, QString *form, QString *registration)
{
    const QStringList before = windows();
    m_program.setProcessEnvironment(m_env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(m_prefix + QStringLiteral("/bin/tovimaru"), arguments);
    QVERIFY(m_program.waitForStarted());
    // The main window and the registration window above it.
    QVERIFY2(!waitForNewWindow(before).isEmpty(), "no window opened");
    QTRY_VERIFY_WITH_TIMEOUT(!(*form = xdo({"search", "--onlyvisible", "--name", "^Tovimaru$"}).section('\n', 0, 0)).isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!(*registration = xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")})
                                                   .section('\n', 0, 0))
                                  .isEmpty(),
                             10000);
    QTest::qWait(500);
}

void TestDesktop::shot(const QString &name)
{
    if (m_shots.isEmpty())
        return;
    QProcess::execute(QStringLiteral("sh"), {"-c", QStringLiteral("DISPLAY=%1 import -window root '%2/%3.png'")
                                                      .arg(m_env.value(QStringLiteral("DISPLAY")), m_shots, name)});
}

// Key names of xdotool for the pointer keys, with Ctrl while a text box has the keyboard focus.
static QStringList PointerKeys(QPoint delta, bool ctrl)
{
    QStringList keys;
    const QString prefix = ctrl ? QStringLiteral("ctrl+") : QString();
    for (const bool across : {true, false}) {
        int d = across ? delta.x() : delta.y();
        const QString way = across ? (d < 0 ? QStringLiteral("Left") : QStringLiteral("Right"))
                                   : (d < 0 ? QStringLiteral("Up") : QStringLiteral("Down"));
        const int sign = d < 0 ? -1 : 1;
        for (; sign * d >= 40; d -= sign * 40)
            keys.append(prefix + QStringLiteral("shift+") + way);
        for (; sign * d >= 4; d -= sign * 8)
            keys.append(prefix + way);
    }
    return keys;
}

void TestDesktop::pointTo(Hand hand, QPoint at)
{
    if (hand == Hand::Keys) {
        const QStringList keys = PointerKeys(at - m_pointer, m_ctrl);
        for (const QString &key : keys) {
            const QString name = key.section('+', -1);
            const int step = key.contains(QLatin1String("shift+")) ? 40 : 8;
            m_pointer += (name == QLatin1String("Left") ? QPoint(-step, 0) : name == QLatin1String("Right") ? QPoint(step, 0)
                          : name == QLatin1String("Up") ? QPoint(0, -step) : QPoint(0, step));
        }
        if (!keys.isEmpty())
            xdo(QStringList{"key", "--delay", "8"} + keys);
        QTest::qWait(50);
        return;
    }
    xdo({"mousemove", QString::number(at.x()), QString::number(at.y())});
    QTest::qWait(60);
}

void TestDesktop::use(Hand hand, QPoint at)
{
    pointTo(hand, at);
    switch (hand) {
    case Hand::Clicks:
        xdo({"click", "1"});
        break;
    case Hand::Dwell:
        QTest::qWait(500); // the shortest rest, and a little for the ring's last frame
        break;
    case Hand::Keys:
        xdo({"key", m_ctrl ? "ctrl+space" : "space"});
        break;
    }
    QTest::qWait(hand == Hand::Dwell ? 200 : 120);
}

void TestDesktop::carryBy(Hand hand, QPoint from, QPoint to)
{
    use(hand, from);
    // Moved as a hand moves, in steps; no step rests long enough for a dwell's click.
    for (int k = 1; k < 4; ++k)
        pointTo(hand, from + (to - from) * k / 4);
    use(hand, to);
}

void TestDesktop::aWholePosterWithoutHoldingAButton_data()
{
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("clicks") << Hand::Clicks << QStringList{"clickToCarry=true"};
    QTest::newRow("dwell") << Hand::Dwell << QStringList{"clickToCarry=true", "dwell=0.5"};
    QTest::newRow("keys") << Hand::Keys << QStringList{"clickToCarry=true", "keyboardPointer=true"};
}

void TestDesktop::aWholePosterWithoutHoldingAButton()
{
    QFETCH(Hand, hand);
    QFETCH(QStringList, options);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    testing::EndProcesses({&m_program});
    const QString folder = m_work.filePath(QStringLiteral("posters-") + row);
    QVERIFY(QDir().mkpath(folder));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Green);
    QVERIFY(picture.save(folder + QStringLiteral("/A.BMP"), "BMP"));
    picture.fill(Blue);
    QVERIFY(picture.save(folder + QStringLiteral("/B.BMP"), "BMP"));

    QElapsedTimer clock;
    clock.start();
    QStringList arguments;
    for (const QString &option : options)
        arguments << QStringLiteral("--set") << option;
    QString form, registration;
    start(arguments << folder, &form, &registration);
    if (QTest::currentTestFailed())
        return;
    const QPoint at = origin(form);
    m_ctrl = false;
    if (hand == Hand::Keys) {
        // Where the pointer is: the keys move it from there.
        const QString where = xdo({"getmouselocation", "--shell"});
        m_pointer = {where.section(QLatin1String("X="), 1).section('\n', 0, 0).toInt(),
                     where.section(QLatin1String("Y="), 1).section('\n', 0, 0).toInt()};
    }
    use(hand, origin(registration) + m_places.confirm);
    QTRY_VERIFY_WITH_TIMEOUT(xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")}).isEmpty(), 10000);

    // Step 1: a pale paper from the colour picker, and a stroke of dots.
    QStringList windowsNow = windows();
    use(hand, at + m_places.paperColour);
    const QString picker = waitForNewWindow(windowsNow, 15000, false);
    QVERIFY2(!picker.isEmpty(), "no colour picker");
    QTest::qWait(300);
    use(hand, origin(picker) + m_places.swatch);
    use(hand, origin(picker) + m_places.pickerOk);
    QTRY_VERIFY_WITH_TIMEOUT(!windows().contains(picker), 5000);
    carryBy(hand, at + m_places.strokeFrom, at + m_places.strokeTo);
    shot(row + QStringLiteral("-1-paper"));

    // Step 2: two pictures; the second is shown carried before it is put down.
    use(hand, at + m_places.next1);
    QTest::qWait(300);
    carryBy(hand, at + m_places.cell0, at + m_places.poster0);
    use(hand, at + m_places.cell1);
    for (int k = 1; k < 6; ++k)
        pointTo(hand, at + m_places.cell1 + (m_places.poster1 - m_places.cell1) * k / 6);
    pointTo(hand, at + m_places.poster1);
    shot(row + QStringLiteral("-2-carried"));
    use(hand, at + m_places.poster1);
    shot(row + QStringLiteral("-2-pictures"));

    // Step 3: the first text onto the poster, then "さくら" on the on-screen keyboard.
    use(hand, at + m_places.next2);
    QTest::qWait(300);
    m_ctrl = true; // a text slot has the keyboard focus from here on
    carryBy(hand, at + m_places.text0, at + m_places.posterText);
    use(hand, at + m_places.edit);
    QTest::qWait(300);
    for (const QPoint &key : std::as_const(m_places.keys))
        use(hand, at + key);
    shot(row + QStringLiteral("-3-typed"));
    use(hand, at + m_places.edit);
    QTest::qWait(300);
    shot(row + QStringLiteral("-3-text"));

    // Step 4, printed through the print dialog.
    use(hand, at + m_places.next3);
    QTest::qWait(300);
    const QStringList pdfsBefore = QDir(m_cups.out()).entryList({"*.pdf"}, QDir::Files);
    windowsNow = windows();
    use(hand, at + m_places.print);
    const QString dialog = waitForNewWindow(windowsNow);
    QVERIFY2(!dialog.isEmpty(), "no print dialog");
    QVERIFY(waitForFocus(dialog));
    QTest::qWait(500);
    shot(row + QStringLiteral("-4-dialog"));
    if (hand == Hand::Keys) {
        xdo({"key", "Return"}); // the dialog's default button, Print
    } else {
        int width = 0, height = 0;
        for (const QString &line : xdo({"getwindowgeometry", "--shell", dialog}).split('\n')) {
            if (line.startsWith(QLatin1String("WIDTH=")))
                width = line.mid(6).toInt();
            else if (line.startsWith(QLatin1String("HEIGHT=")))
                height = line.mid(7).toInt();
        }
        use(hand, origin(dialog) + QPoint(width, height) - m_places.printFromCorner);
    }
    QString pdf;
    const auto newPdf = [&] {
        for (const QString &name : QDir(m_cups.out()).entryList({"*.pdf"}, QDir::Files)) {
            if (!pdfsBefore.contains(name))
                pdf = m_cups.out() + QLatin1Char('/') + name;
        }
        return !pdf.isEmpty();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(newPdf(), "no job reached the print server", 30000);
    QTRY_VERIFY_WITH_TIMEOUT(testing::PrivateCups::output(QStringLiteral("lpstat"), {"-o", Queue}).trimmed().isEmpty(), 30000);
    shot(row + QStringLiteral("-4-printed"));
    qInfo("%s: %.1f s", qPrintable(row), clock.elapsed() / 1000.0);

    // The page: the paper's colour, both pictures and the text's dark strokes.
    const QString base = pdf + QStringLiteral(".page");
    Output(QStringLiteral("pdftoppm"), {"-r", "36", "-png", "-singlefile", pdf, base});
    const QImage page(base + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    if (!m_shots.isEmpty())
        page.save(m_shots + QLatin1Char('/') + row + QStringLiteral("-page.png"));
    int dark = 0, paper = 0;
    const QColor white(Qt::white);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            dark += c.red() < 90 && c.green() < 90 && c.blue() < 90;
            paper += c != white && c.saturation() > 20 && c.value() > 200 && !Nearly(c, Green) && !Nearly(c, Blue);
        }
    }
    const QString counts = QStringLiteral("green %1, blue %2, dark %3, paper %4")
                               .arg(PixelsOf(page, Green)).arg(PixelsOf(page, Blue)).arg(dark).arg(paper);
    QVERIFY2(PixelsOf(page, Green) > 100 && PixelsOf(page, Blue) > 100, qPrintable(counts));
    QVERIFY2(dark > 20 && paper > 1000, qPrintable(counts));
    QCOMPARE(m_program.state(), QProcess::Running);
    testing::EndProcesses({&m_program});
}

void TestDesktop::printAndSaveAsAPersonDoes()
{
    // A folder with one picture: a green rectangle.
    const QString folder = m_work.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Green);
    QVERIFY(picture.save(folder + QStringLiteral("/GREEN.BMP"), "BMP"));

    const QString form = startProgram({folder});
    QVERIFY2(!form.isEmpty(), "the program's windows did not open");

    // Step 1 to step 2, and the picture carried from its cell onto the poster.
    click(form, m_places.next1);
    carryPicture(form);
    click(form, m_places.next2);
    click(form, m_places.next3);

    // "いんさつ": the print dialog, answered with Enter (its Print button is the default one).
    const int windowsBefore = windows().size();
    QVERIFY2(!openDialog(form, m_places.print).isEmpty(), "no print dialog with the keyboard");
    xdo({"key", "Return"});
    QString pdf;
    QTRY_VERIFY2_WITH_TIMEOUT(!(pdf = m_cups.firstPdf()).isEmpty(), "no job reached the print server", 30000);
    QTRY_VERIFY_WITH_TIMEOUT(windows().size() <= windowsBefore, 10000); // the dialog has gone
    // The page holds the green picture.
    QTRY_VERIFY_WITH_TIMEOUT(testing::PrivateCups::output(QStringLiteral("lpstat"), {"-o", Queue}).trimmed().isEmpty(), 30000);
    const QString base = pdf + QStringLiteral(".page");
    Output(QStringLiteral("pdftoppm"), {"-r", "36", "-png", "-singlefile", pdf, base});
    const QImage page(base + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    const int green = GreenPixels(page);
    QVERIFY2(green > 100, qPrintable(QStringLiteral("%1 green pixels on the page").arg(green)));

    // "ほぞん": the save dialog, a name typed key by key and Enter.
    QVERIFY2(!openDialog(form, m_places.save).isEmpty(), "no save dialog with the keyboard");
    xdo({"type", "--delay", "50", "poster.bmp"});
    xdo({"key", "Return"});
    const QString bmp = folder + QStringLiteral("/poster.bmp");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(bmp).size() > 0, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(QImage(bmp).size() == QSize(707, 499), 5000);
    const QImage saved(bmp);
    QVERIFY2(GreenPixels(saved, 4) > 100, "the saved poster does not show the picture");
    QCOMPARE(m_program.state(), QProcess::Running);
}

void TestDesktop::aPosterFromTheShelfIsPrinted()
{
    testing::EndProcesses({&m_program});
    const QString folder = m_work.filePath(QStringLiteral("shelf pictures"));
    QVERIFY(QDir().mkpath(folder));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Green);
    QVERIFY(picture.save(folder + QStringLiteral("/GREEN.BMP"), "BMP"));
    const QStringList shelfOn{"--set", "shelf=true", folder};

    // A poster made, and "おわり".
    const QString form = startProgram(shelfOn);
    QVERIFY2(!form.isEmpty(), "the program's windows did not open");
    shot(QStringLiteral("1-start"));
    click(form, m_places.next1);
    carryPicture(form);
    shot(QStringLiteral("2-made"));
    click(form, m_places.end);
    QTRY_COMPARE_WITH_TIMEOUT(m_program.state(), QProcess::NotRunning, 10000);
    // Its picture's file gone (the USB stick taken out): the poster's file keeps its bytes.
    QVERIFY(QFile::remove(folder + QStringLiteral("/GREEN.BMP")));
    picture.fill(Qt::white);
    QVERIFY(picture.save(folder + QStringLiteral("/WHITE.BMP"), "BMP"));

    // The next run: "たな", the poster taken, carried on to step 4.
    const QString again = startProgram(shelfOn);
    QVERIFY2(!again.isEmpty(), "the program's windows did not open again");
    shot(QStringLiteral("3-again"));
    const QStringList before = windows();
    click(again, m_places.shelf);
    const QString shelf = waitForNewWindow(before);
    QVERIFY2(!shelf.isEmpty(), "no shelf opened");
    QTest::qWait(500);
    shot(QStringLiteral("4-shelf"));
    click(shelf, m_places.shelved);
    QTRY_VERIFY_WITH_TIMEOUT(!windows().contains(shelf), 5000);
    shot(QStringLiteral("5-taken"));
    click(again, m_places.next2);
    click(again, m_places.next3);
    shot(QStringLiteral("6-step4"));

    // Printed through the print dialog's own button: the page shows the picture kept.
    const QDir out(m_cups.out());
    const QStringList printed = out.entryList({"*.pdf"}, QDir::Files);
    const QString dialog = openDialog(again, m_places.print);
    QVERIFY2(!dialog.isEmpty(), "no print dialog with the keyboard");
    shot(QStringLiteral("7-print"));
    click(dialog, m_places.printButton);
    QTRY_VERIFY_WITH_TIMEOUT(out.entryList({"*.pdf"}, QDir::Files).size() > printed.size(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(testing::PrivateCups::output(QStringLiteral("lpstat"), {"-o", Queue}).trimmed().isEmpty(), 30000);
    shot(QStringLiteral("8-printed"));
    QString pdf;
    for (const QString &name : out.entryList({"*.pdf"}, QDir::Files))
        pdf = printed.contains(name) ? pdf : out.filePath(name);
    Output(QStringLiteral("pdftoppm"), {"-r", "36", "-png", "-singlefile", pdf, pdf + QStringLiteral(".page")});
    const int green = GreenPixels(QImage(pdf + QStringLiteral(".page.png")));
    QVERIFY2(green > 100, qPrintable(QStringLiteral("%1 green pixels on the page").arg(green)));
    QCOMPARE(m_program.state(), QProcess::Running);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
