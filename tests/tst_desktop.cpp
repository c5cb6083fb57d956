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

#include "tst_desktop.h"

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

void TestDesktop::cleanupTestCase()
{
    testing::EndProcesses({&m_program, &m_xvfb});
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
