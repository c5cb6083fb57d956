// SPDX-License-Identifier: GPL-3.0-or-later
// How the scan tests work the program: by the switch (one or two) or, for the poster to compare
// with, by the mouse.

#include "tst_scan.h"

#include "StartedProgram.h"

void TestScan::start(int switches, bool saveFormats, bool speech)
{
    settings::Settings chosen;
    chosen.speech = speech;
    chosen.scan = switches;
    chosen.saveFormats = saveFormats;
    settings::SetCurrent(chosen);
    m_switches = switches;
    testing::StartOnGallery(m_folder.path(), {QStringLiteral("0.jpg"), QStringLiteral("1.jpg")}, &m_form);
    if (QTest::currentTestFailed())
        return;
    if (switches != 0) {
        QVERIFY(scanner());
        scanner()->setTimes(StepMs, StepMs);
        QVERIFY(QTest::qWaitFor([this] { return lightIn(m_form); }));
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
            // Each press lets the program run first, as the time between a hand's presses does.
            for (int k = 0; k < 100 && !(QCoreApplication::processEvents(), onIt()); ++k)
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

void TestScan::use(QWidget *control)
{
    if (m_switches == 0)
        testing::ClickThroughWindow(control);
    else
        reach([control](const ScanChoice &c) { return c.control == control; });
}

void TestScan::carry(QWidget *control, int k, int j)
{
    const ScanChoice place = accessibility::PlacesOn(accessibility::PaperRect(*m_form)).choices[k].choices[j];
    if (m_switches != 0) {
        use(control);
        // In the hand: the places on the paper and "やめる".
        QVERIFY(QTest::qWaitFor([this] { return scanner()->lit() != nullptr; }));
        QVERIFY(scanner()->lit()->id.startsWith(QLatin1String("area:")));
        reach([&](const ScanChoice &c) { return c.id == place.id; });
        return;
    }
    const QPoint from = control->mapToGlobal(control->rect().center());
    const QPoint to = place.rect.center();
    mouse(QEvent::MouseMove, from);
    mouse(QEvent::MouseButtonPress, from);
    for (int n = 1; n <= 8; ++n)
        mouse(QEvent::MouseMove, from + (to - from) * n / 8);
    mouse(QEvent::MouseButtonRelease, to);
}

void TestScan::dot(int across, int down)
{
    if (m_switches != 0) {
        reach([](const ScanChoice &c) { return c.kind == ScanChoice::Kind::Paper; });
        stopAt(across);
        stopAt(down);
        return;
    }
    // Where the lines cross: they lie in the middles of equal bands of the paper.
    const QRect paper(m_form->Picture1->mapToGlobal(QPoint(0, 0)), m_form->Picture1->size());
    const QPoint at(paper.left() + paper.width() * (2 * across + 1) / (2 * Scanner::SweepSteps),
                    paper.top() + paper.height() * (2 * down + 1) / (2 * Scanner::SweepSteps));
    mouse(QEvent::MouseMove, at);
    mouse(QEvent::MouseButtonPress, at);
    mouse(QEvent::MouseButtonRelease, at);
}

void TestScan::makePoster(int switches, const QString &path)
{
    start(switches, true);
    // Step 1: a pale yellow paper, and a dot.
    use(m_form->Command12);
    QTRY_VERIFY(testing::TopLevel(QStringLiteral("Form2")) && testing::TopLevel(QStringLiteral("Form2"))->isVisible());
    auto *picker = testing::TopLevel(QStringLiteral("Form2"));
    use(picker->findChild<QWidget *>(QStringLiteral("Label3(3)")));
    use(picker->findChild<QWidget *>(QStringLiteral("Command12")));
    QTRY_VERIFY(!picker->isVisible());
    dot(4, 6);
    if (switches != 0)
        reach([](const ScanChoice &c) { return c.id == QLatin1String("done"); });
    // Step 2: two pictures, the second made bigger.
    use(m_form->Command11);
    QTRY_VERIFY(m_form->Image1[1]->isVisible());
    carry(m_form->Image1[0], 1, 4);
    carry(m_form->Image1[1], 3, 4);
    use(m_form->Command2);
    // Step 3: a text on the poster, "さくら" typed into it.
    use(m_form->Command6);
    QTRY_VERIFY(m_form->Command21->isVisible());
    carry(m_form->Text1[0]->viewport(), 7, 4);
    use(m_form->Command21);
    QTRY_VERIFY(m_form->Label1[10]->isVisible());
    for (int key : {10, 7, 40, 64}) // さ く ら ＯＫ
        use(m_form->Label1[key]);
    use(m_form->Command21);
    QTRY_COMPARE(m_form->Text1[0]->text(), QStringLiteral("さくら"));
    // Step 4: saved through the save dialog, as BMP under the name it offers.
    use(m_form->Command4);
    QTRY_VERIFY(m_form->Command20->isVisible());
    bool answered = false;
    testing::OnNextModal<QFileDialog>([&](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(path); // where the test keeps it; a child takes the name offered
        auto *box = dialog->findChild<QDialogButtonBox *>();
        QAbstractButton *save = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                save = button;
        }
        answered = save != nullptr;
        if (save)
            use(save);
        // A click that went nowhere fails the test instead of leaving the dialog waiting.
        if (dialog->isVisible())
            dialog->reject();
    });
    use(m_form->Command20);
    QVERIFY(answered);
    QTRY_VERIFY(QFileInfo::exists(path));
}
