// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program under a real X server, used as a person uses it: Xvfb for the screen,
// xdotool for the pointer and the keyboard. It confirms the registration window, carries a
// picture onto the poster, goes to step 4, prints through the print dialog to a PDF queue of a
// private print server, and saves through the save dialog by typing a name. Faults of this kind
// (a dialog that takes no input) cannot be seen by tests that run without a display server.
// With the shelf on, a poster made and ended is taken from the shelf in the next run, continued
// and printed; TOVIMARU_SHOTS names a folder for screenshots of each stage, to be looked at.

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

bool NearlyGreen(QColor c)
{
    return qAbs(c.red() - 0x00) < 30 && qAbs(c.green() - 0xA0) < 30 && qAbs(c.blue() - 0x40) < 30;
}

// The pixels of the picture's green in an image, counting every step-th pixel of every step-th row.
int GreenPixels(const QImage &image, int step = 1)
{
    int green = 0;
    for (int y = 0; y < image.height(); y += step) {
        for (int x = 0; x < image.width(); x += step)
            green += NearlyGreen(image.pixelColor(x, y));
    }
    return green;
}

// Where the controls are inside their windows, taken from the same windows made in this process:
// the layout in twips, the menu bar and the style are those of the program under test.
struct Places
{
    QPoint confirm;       // "これでよし" in the registration window
    QPoint next1, next2, next3; // "つぎへ" of steps 1, 2 and 3
    QPoint cell0;         // the first gallery cell
    QPoint poster;        // a point on the poster
    QPoint print, save;   // "いんさつ" and "ほぞん"
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
    void aPosterFromTheShelfIsPrinted();

private:
    // Starts the installed program with arguments and confirms its registration window: the main
    // window's id, or "".
    QString startProgram(const QStringList &arguments);
    // Carries the first gallery cell's picture onto the poster, in step 2.
    void carryPicture(const QString &form);
    // A screenshot of the whole screen into TOVIMARU_SHOTS, when it names a folder.
    void shoot(const QString &name);
    QString xdo(const QStringList &arguments) { return Output(QStringLiteral("xdotool"), arguments, m_env); }
    // The visible top-level windows of the display, by X id.
    QStringList windows() { return xdo({"search", "--onlyvisible", "--name", ""}).split('\n', Qt::SkipEmptyParts); }
    QString waitForNewWindow(const QStringList &before, int ms = 15000);
    QPoint origin(const QString &window);
    // Waits until the keyboard's input goes to window, as it does once the window is active.
    bool waitForFocus(const QString &window, int ms = 15000);
    // Clicks a button of window that opens a dialog: the dialog once it has the keyboard, or "".
    QString openDialog(const QString &window, QPoint button);
    void click(const QString &window, QPoint at);

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
    install.start(QStringLiteral(TOVIMARU_CMAKE), {"--install", QStringLiteral(TOVIMARU_BUILD_DIR), "--prefix", m_prefix});
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

void TestDesktop::shoot(const QString &name)
{
    const QString folder = qEnvironmentVariable("TOVIMARU_SHOTS");
    if (!folder.isEmpty() && !Tool(QStringLiteral("import")).isEmpty())
        Output(QStringLiteral("import"), {"-window", "root", folder + QLatin1Char('/') + name + QStringLiteral(".png")}, m_env);
}

QString TestDesktop::startProgram(const QStringList &arguments)
{
    const QStringList before = windows();
    m_program.setProcessEnvironment(m_env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(m_prefix + QStringLiteral("/bin/tovimaru"), arguments);
    if (!m_program.waitForStarted() || waitForNewWindow(before).isEmpty())
        return {};
    // The main window and the registration window above it.
    QString form, registration;
    QElapsedTimer clock;
    clock.start();
    while ((form.isEmpty() || registration.isEmpty()) && clock.elapsed() < 10000) {
        QTest::qWait(100);
        form = xdo({"search", "--onlyvisible", "--name", "^Tovimaru$"}).section('\n', 0, 0);
        registration = xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")}).section('\n', 0, 0);
    }
    if (registration.isEmpty())
        return {};
    QTest::qWait(500);
    click(registration, m_places.confirm);
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

QString TestDesktop::waitForNewWindow(const QStringList &before, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        for (const QString &window : windows()) {
            if (!before.contains(window) && !xdo({"getwindowname", window}).isEmpty())
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
    shoot(QStringLiteral("1-start"));
    click(form, m_places.next1);
    carryPicture(form);
    shoot(QStringLiteral("2-made"));
    click(form, m_places.end);
    QTRY_COMPARE_WITH_TIMEOUT(m_program.state(), QProcess::NotRunning, 10000);
    // Its picture's file gone (the USB stick taken out): the poster's file keeps its bytes.
    QVERIFY(QFile::remove(folder + QStringLiteral("/GREEN.BMP")));
    picture.fill(Qt::white);
    QVERIFY(picture.save(folder + QStringLiteral("/WHITE.BMP"), "BMP"));

    // The next run: "たな", the poster taken, carried on to step 4.
    const QString again = startProgram(shelfOn);
    QVERIFY2(!again.isEmpty(), "the program's windows did not open again");
    shoot(QStringLiteral("3-again"));
    const QStringList before = windows();
    click(again, m_places.shelf);
    const QString shelf = waitForNewWindow(before);
    QVERIFY2(!shelf.isEmpty(), "no shelf opened");
    QTest::qWait(500);
    shoot(QStringLiteral("4-shelf"));
    click(shelf, m_places.shelved);
    QTRY_VERIFY_WITH_TIMEOUT(!windows().contains(shelf), 5000);
    shoot(QStringLiteral("5-taken"));
    click(again, m_places.next2);
    click(again, m_places.next3);
    shoot(QStringLiteral("6-step4"));

    // Printed through the print dialog's own button: the page shows the picture kept.
    const QDir out(m_cups.out());
    const QStringList printed = out.entryList({"*.pdf"}, QDir::Files);
    const QString dialog = openDialog(again, m_places.print);
    QVERIFY2(!dialog.isEmpty(), "no print dialog with the keyboard");
    shoot(QStringLiteral("7-print"));
    click(dialog, m_places.printButton);
    QTRY_VERIFY_WITH_TIMEOUT(out.entryList({"*.pdf"}, QDir::Files).size() > printed.size(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(testing::PrivateCups::output(QStringLiteral("lpstat"), {"-o", Queue}).trimmed().isEmpty(), 30000);
    shoot(QStringLiteral("8-printed"));
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
