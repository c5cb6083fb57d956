// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning against the real main window, with one switch (Space alone, the light moving by
// itself) and with two (Space moves, Enter takes): the light's groups, rounds and rest, a press
// held to go back, a picture carried from the gallery onto the paper, any placed picture made
// bigger and a dot drawn by the point scan at a size set on its bar, each leaving the poster as
// the mouse leaves it; the registration window's lists and the print and save dialogs worked by
// the switch; with scan off the switch keys are keys.

#include "tst_scan.h"

namespace {

QStringList said;

class RecordingVoice final : public platform::Voice
{
public:
    void say(const QString &text) override { said.append(text); }
    void stop() override {}
};

} // namespace

void TestScan::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int x = 0; x < 320; x += 20)
        painter.fillRect(x, 0, 20, 240, (x / 20) % 2 ? Qt::blue : Qt::green);
    painter.end();
    QVERIFY(image.save(m_folder.filePath(QStringLiteral("0.jpg")), "JPG", 95));
    image.fill(Qt::red);
    QVERIFY(image.save(m_folder.filePath(QStringLiteral("1.jpg")), "JPG", 95));
    QVERIFY(QDir::setCurrent(m_folder.path()));
    platform::SetVoiceMaker([] { return std::make_unique<RecordingVoice>(); });
}

void TestScan::cleanup()
{
    settings::SetCurrent(settings::Settings{});
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
    // A press wakes it on the first choice and takes nothing: a click of any mouse button is the
    // switch too.
    QTest::mouseClick(m_form->windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(scan->lit());
    QCOMPARE(scan->lit()->id, round.first());
    QVERIFY(m_form->Picture1->isVisible()); // still step 1
}

void TestScan::takingForwardGoesToStep2_data()
{
    QTest::addColumn<int>("switches");
    // Pictures enough for three pages of the gallery.
    QTest::addColumn<bool>("pages");
    QTest::newRow("one switch") << 1 << false;
    QTest::newRow("two switches") << 2 << false;
    QTest::newRow("two switches, three pages of pictures") << 2 << true;
}

void TestScan::takingForwardGoesToStep2()
{
    QFETCH(int, switches);
    QFETCH(bool, pages);
    start(switches);
    if (pages) {
        QStringList names;
        for (int k = 0; k < 25; ++k)
            names.append(k % 2 ? QStringLiteral("1.jpg") : QStringLiteral("0.jpg"));
        CurrentProgram()->gallery().ScanImageFolder(names);
    }
    reach([this](const ScanChoice &c) { return isControl(c, m_form->Command11); });
    QTRY_VERIFY(m_form->Image1[0]->isVisible()); // step 2
    // The light is back on the choices of step 2.
    QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() != nullptr; }));
    QVERIFY(scanner()->lit()->holds([this](const ScanChoice &c) { return isControl(c, m_form->Command11); }) == false);
    if (!pages)
        return;
    // The gallery: its rows of two cells, then its scroll bar, whose step a page down shows the
    // next page.
    reach([](const ScanChoice &c) { return c.id == QLatin1String("gallery"); });
    QStringList rows;
    for (int k = 0; k < 8; ++k) {
        rows.append(QStringLiteral("%1 %2").arg(scanner()->lit()->id).arg(scanner()->lit()->choices.size()));
        press(Qt::Key_Space);
    }
    QCOMPARE(rows.join(QLatin1Char(',')), QStringLiteral("gallery:row:0 2,gallery:row:1 2,gallery:row:2 2,gallery:row:3 2,"
                                                         "gallery:row:4 2,VScroll1 4,gallery:row:0 2,gallery:row:1 2"));
    reach([](const ScanChoice &c) { return c.id == QStringLiteral("VScroll1:step:%1").arg(QAbstractSlider::SliderPageStepAdd); });
    QCOMPARE(m_form->VScroll1->value(), 10);
}

void TestScan::aHeldPressGoesBackUp()
{
    start(2);
    reach([](const ScanChoice &c) { return c.id == QLatin1String("moving"); });
    QVERIFY(scanner()->lit()->kind == ScanChoice::Kind::Control);
    holdBack();
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
    QList<Look> looks;
    for (int by : {switches, 0}) {
        start(by);
        use(m_form->Command11);
        QTRY_VERIFY(m_form->Image1[0]->isVisible());
        carry(m_form->Image1[0], area, place);
        if (by != 0)
            QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() && scanner()->lit()->id == QLatin1String("working"); }));
        QVERIFY(Poster::IsPlaced(*m_form->Image3[0]));
        looks.append(look());
    }
    QCOMPARE(looks[0].slot, looks[1].slot);
    QVERIFY(looks[0].capture == looks[1].capture);
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
    // A step of the dot size bar taken first (0 none), and where the mouse clicks the bar for it
    // (a fraction of its width).
    QTest::addColumn<int>("step");
    QTest::addColumn<double>("click");
    QTest::newRow("one switch") << 1 << 0 << 0.0;
    QTest::newRow("two switches") << 2 << 0 << 0.0;
    QTest::newRow("one switch, a step smaller") << 1 << int(QAbstractSlider::SliderSingleStepSub) << 0.01;
    QTest::newRow("two switches, a page bigger") << 2 << int(QAbstractSlider::SliderPageStepAdd) << 0.75;
}

void TestScan::theSweepDrawsTheDotTheMouseDraws()
{
    QFETCH(int, switches);
    QFETCH(int, step);
    QFETCH(double, click);
    start(switches);
    const QImage blank = look().capture;
    platform::ScrollBar *bar = m_form->HScroll1;
    const int size = bar->value();
    if (step != 0) {
        // The light stays on the step; held presses go back up to the paper's level.
        const QString stepId = QStringLiteral("HScroll1:step:%1").arg(step);
        reach([&](const ScanChoice &c) { return c.id == stepId; });
        QVERIFY(bar->value() != size);
        QCOMPARE(scanner()->lit()->id, stepId);
        holdBack();
        holdBack();
    }
    const int scannedSize = bar->value();
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

    start(0);
    if (step != 0)
        QTest::mouseClick(m_form->HScroll1, Qt::LeftButton, {},
                          QPoint(int(m_form->HScroll1->width() * click), m_form->HScroll1->height() / 2));
    QCOMPARE(m_form->HScroll1->value(), scannedSize);
    dot(across, down);
    QVERIFY(look().capture == scanned);
}

void TestScan::anyPlacedPictureIsEnlargedAsByTheMouse_data()
{
    QTest::addColumn<int>("switches");
    QTest::newRow("one switch") << 1;
    QTest::newRow("two switches") << 2;
}

void TestScan::anyPlacedPictureIsEnlargedAsByTheMouse()
{
    QFETCH(int, switches);
    // Two pictures placed, then the first one (not the one placed last) made bigger.
    QList<QRectF> placed;
    QImage capture;
    for (int by : {switches, 0}) {
        start(by);
        use(m_form->Command11);
        QTRY_VERIFY(m_form->Image1[1]->isVisible());
        carry(m_form->Image1[0], 1, 4);
        carry(m_form->Image1[1], 3, 4);
        const QList<QRectF> before = slotRects();
        use(m_form->Image3[0]);
        if (by != 0) {
            // Picked up, and put down where it lies.
            QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() != nullptr; }));
            reach([](const ScanChoice &c) { return c.id == QLatin1String("here"); });
            QCOMPARE(slotRects(), before);
        }
        use(m_form->Command2);
        QVERIFY(slotRects()[0].width() > before[0].width());
        QCOMPARE(slotRects()[1], before[1]);
        if (by != 0) {
            placed = slotRects();
            capture = look().capture;
        }
    }
    QCOMPARE(placed, slotRects());
    QVERIFY(capture == look().capture);
}

void TestScan::aFolderIsTakenThenOpened()
{
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("sub")));
    start(2);
    frmList *registration = CurrentProgram()->registration();
    registration->show();
    QVERIFY(QTest::qWaitFor([&] { return lightIn(registration); }));
    const QString folder = registration->Dir1->path();
    // The lists do not make one row with the phrase boxes beside them.
    for (int k = 0; k < 20 && !scanner()->lit()->holds([&](const ScanChoice &c) { return c.control == registration->Dir1; }); ++k)
        press(Qt::Key_Space);
    QVERIFY(!scanner()->lit()->holds([&](const ScanChoice &c) { return c.control == registration->PhraseBox[0]; }));
    // Taken once, the folder is selected as a click selects it; the light stays on it.
    reach(item(QStringLiteral("sub")));
    QCOMPARE(registration->Dir1->currentItem()->text().trimmed(), QStringLiteral("sub"));
    QCOMPARE(registration->Dir1->path(), folder);
    QVERIFY(item(QStringLiteral("sub"))(*scanner()->lit()));
    // Taken again, it opens as a double click opens it.
    press(Qt::Key_Return);
    QCOMPARE(registration->Dir1->path(), folder + QStringLiteral("/sub"));
}

void TestScan::aDialogIsWorkedBySwitches_data()
{
    QTest::addColumn<int>("switches");
    QTest::addColumn<QString>("what");
    QTest::newRow("print, copies, one switch") << 1 << QStringLiteral("copies");
    QTest::newRow("print, a tab, two switches") << 2 << QStringLiteral("tab");
    QTest::newRow("save, a file, two switches") << 2 << QStringLiteral("file");
    QTest::newRow("print, the page's margins, two switches") << 2 << QStringLiteral("margins");
}

void TestScan::aDialogIsWorkedBySwitches()
{
    QFETCH(int, switches);
    QFETCH(QString, what);
    // A poster saved before in a folder of its own, listed in the save dialog a moment after the
    // folder is opened.
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("kept")));
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(m_folder.filePath(QStringLiteral("kept/old.bmp"))));
    const auto removed = qScopeGuard([&] { QDir(m_folder.filePath(QStringLiteral("kept"))).removeRecursively(); });
    start(switches);
    for (QWidget *next : QList<QWidget *>{m_form->Command11, m_form->Command6, m_form->Command4, m_form->Command20}) {
        QTRY_VERIFY(next->isVisible());
        if (next != m_form->Command20)
            use(next);
    }
    bool done = false;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        // A failure leaves no dialog waiting.
        const auto closed = qScopeGuard([dialog] { dialog->reject(); });
        QVERIFY(QTest::qWaitFor([&] { return lightIn(dialog); }));
        if (what == QLatin1String("file")) {
            // The folder taken, then taken again, opens; the poster taken is the name to save
            // under, as a click on it makes it.
            for (const char *name : {"kept", "kept", "old.bmp"})
                reach(item(QLatin1String(name)));
            QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("old.bmp"));
        } else if (what == QLatin1String("margins")) {
            bool properties = false;
            testing::OnNextModal<QDialog>([&](QDialog *inner) {
                const auto closedToo = qScopeGuard([inner] { inner->reject(); });
                QVERIFY(QTest::qWaitFor([&] { return lightIn(inner); }));
                // The page drawn beside the margins only shows them: it is not offered.
                const QWidget *page = inner->findChild<QWidget *>(QStringLiteral("preview"));
                QVERIFY(page && page->isVisible());
                for (int k = 0; k < 12; ++k, press(Qt::Key_Space))
                    QVERIFY(!scanner()->lit()->holds([&](const ScanChoice &c) { return c.control == page; }));
                auto *margin = inner->findChild<QDoubleSpinBox *>(QStringLiteral("leftMargin"));
                const double before = margin->value();
                reach([&](const ScanChoice &c) { return c.control == margin && c.caption == QStringLiteral("ふやす"); });
                QVERIFY(margin->value() > before);
                properties = true;
            });
            reach([](const ScanChoice &c) { return c.id == QLatin1String("properties"); });
            QVERIFY(properties);
        } else {
            reach([](const ScanChoice &c) { return c.caption.startsWith(QStringLiteral("オプション >")); });
            if (what == QLatin1String("copies")) {
                auto *copies = dialog->findChild<QSpinBox *>(QStringLiteral("copies"));
                reach([&](const ScanChoice &c) { return c.control == copies && c.caption == QStringLiteral("ふやす"); });
                QCOMPARE(copies->value(), 2);
            } else {
                reach([](const ScanChoice &c) { return c.caption == QStringLiteral("オプション"); });
                QCOMPARE(dialog->findChild<QTabBar *>()->currentIndex(), 1);
            }
        }
        done = true;
    });
    use(what == QLatin1String("file") ? m_form->Command20 : m_form->Command14);
    QVERIFY(done);
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

void TestScan::aWholePosterAsByTheMouse()
{
    const QString byMouse = m_folder.filePath(QStringLiteral("mouse.bmp"));
    makePoster(0, byMouse);
    const QImage expected(byMouse);
    QVERIFY(!expected.isNull());
    const QList<QRectF> placed = slotRects();
    for (int switches : {1, 2}) {
        const QString scanned = m_folder.filePath(QStringLiteral("scan%1.bmp").arg(switches));
        makePoster(switches, scanned);
        QCOMPARE(slotRects(), placed);
        QVERIFY2(QImage(scanned) == expected, qPrintable(scanned));
    }
}

void TestScan::withSpeechTheLitChoiceIsSaid()
{
    start(2, false, true);
    auto *narrator = CurrentProgram()->findChild<platform::Narrator *>();
    QVERIFY(narrator);
    QTRY_VERIFY(narrator->voice());
    said.clear();
    QStringList lit;
    for (int k = 0; k < 4; ++k) {
        press(Qt::Key_Space);
        lit.append(scanner()->lit()->caption);
    }
    QCOMPARE(said, lit);
    QVERIFY(lit.contains(QStringLiteral("かみ")));
    // A control says its spoken caption: the light on "つぎへ" says it as the pointer would.
    reach([](const ScanChoice &c) { return c.id == QLatin1String("moving"); });
    for (int k = 0; k < 10 && scanner()->lit()->control != m_form->Command11; ++k)
        press(Qt::Key_Space);
    QCOMPARE(said.last(), platform::Narrator::CaptionOf(m_form->Command11));
}

QTEST_MAIN(TestScan)
