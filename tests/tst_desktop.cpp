// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program under a real X server, used as a person uses it: Xvfb for the screen,
// xdotool for the pointer and the keyboard. It confirms the registration window, carries a
// picture onto the poster, goes to step 4, prints through the print dialog to a PDF queue of a
// private print server, and saves through the save dialog by typing a name. Faults of this kind
// (a dialog that takes no input) cannot be seen by tests that run without a display server.

#include "TestPaths.h"
#include "PrivateCups.h"
#include "TestSupport.h"
#include "XServer.h"

#include "form/Form1.h"
#include "app/Startup.h"
#include "images/Gallery.h"

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

private:
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
    install.start(QStringLiteral(TOVIMARU_CMAKE), {"--install", testing::BuildPath(), "--prefix", m_prefix});
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

    const QStringList before = windows();
    m_program.setProcessEnvironment(m_env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(m_prefix + QStringLiteral("/bin/tovimaru"), {folder});
    QVERIFY(m_program.waitForStarted());

    // The main window and the registration window above it.
    const QString main = waitForNewWindow(before);
    QVERIFY2(!main.isEmpty(), "no window opened");
    QTRY_VERIFY_WITH_TIMEOUT(!xdo({"search", "--onlyvisible", "--name", "^Tovimaru$"}).isEmpty(), 10000);
    const QString form = xdo({"search", "--onlyvisible", "--name", "^Tovimaru$"}).section('\n', 0, 0);
    QString registration;
    QTRY_VERIFY_WITH_TIMEOUT(!(registration = xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")})
                                                  .section('\n', 0, 0))
                                  .isEmpty(),
                             10000);
    QTest::qWait(500);
    click(registration, m_places.confirm);
    QTRY_VERIFY_WITH_TIMEOUT(xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")}).isEmpty(), 10000);

    // Step 1 to step 2, and the picture carried from its cell onto the poster.
    click(form, m_places.next1);
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

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
