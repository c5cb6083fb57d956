// SPDX-License-Identifier: GPL-3.0-or-later
// The four steps: after every move, reached by every path, each control is shown, hidden or
// disabled exactly as its step wants; the captures hold the poster as it was shown; the moves
// back withdraw or keep what they should.

#include "StepTable.h"
#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Startup.h"
#include "app/Wizard.h"
#include "base/Twips.h"

#include <QtTest>

using platform::CaptureDensity;
using platform::Picture;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

void Click(QAbstractButton *button)
{
    QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

using testing::StepTable;

QString Caption(int step)
{
    return testing::StepCaption(step);
}

Picture Solid(QColor colour)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(colour);
    return Picture::fromImage(image);
}

// The colour of a capture at a logical pixel of the poster.
QColor At(const Picture &picture, double x, double y)
{
    return picture.image().pixelColor(int(x * CaptureDensity), int(y * CaptureDensity));
}

// A logical pixel of the poster for a point in twips of the main window.
QPointF PosterPixel(double left, double top)
{
    return {left / 15 - 16, top / 15 - 184};
}

} // namespace

class TestWizard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void stateAfterEveryPath_data();
    void stateAfterEveryPath();
    void noMoveBackFromStepOneNorForwardFromStepFour();
    void aClickDuringAMoveWaitsForIt();
    void leavingStepOneFreezesThePaper();
    void goingForwardAgainCapturesTheNewPaper();
    void stepThreeKeepsOnlyPlacedPictures();
    void stepFourCapturesWithoutSelectionBorders();
    void stepFourGivesSidePanelTextsTheirStandardSize();
    void backFromStepTwoWithdrawsEverything();
    void backFromStepThreeKeepsWhatIsPlaced();
    void backFromStepFourDropsTheFinishedPicture();

private:
    Form1 *form = nullptr;
};

void TestWizard::init()
{
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    // Three thumbnails in the gallery.
    for (int i = 0; i < 3; ++i)
        form->Image1[i]->setPicture(Solid(Qt::green));
    Module1::ThumbCount = 3;
}

void TestWizard::stateAfterEveryPath_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("placedTextShownInStep2");

    auto row = [](const char *name, QStringList path, int step, bool placedText = false) {
        QTest::newRow(name) << path << step << placedText;
    };
    row("start", {}, 1);
    row("1>2", {"Command11"}, 2);
    row("1>2>3", {"Command11", "Command6"}, 3);
    row("1>2>3>4", {"Command11", "Command6", "Command4"}, 4);
    row("1>2>1", {"Command11", "Command5"}, 1);
    row("1>2>1>2", {"Command11", "Command5", "Command11"}, 2);
    row("1>2>3>2", {"Command11", "Command6", "Command15"}, 2, true);
    row("1>2>3>2>3", {"Command11", "Command6", "Command15", "Command6"}, 3);
    row("1>2>3>2>1", {"Command11", "Command6", "Command15", "Command5"}, 1);
    row("1>2>3>4>3", {"Command11", "Command6", "Command4", "Command16"}, 3);
    row("1>2>3>4>3>4", {"Command11", "Command6", "Command4", "Command16", "Command4"}, 4);
    row("1>2>3>4>3>2", {"Command11", "Command6", "Command4", "Command16", "Command15"}, 2, true);
    row("1>2>3>4>3>2>1", {"Command11", "Command6", "Command4", "Command16", "Command15", "Command5"}, 1);
}

void TestWizard::stateAfterEveryPath()
{
    QFETCH(QStringList, path);
    QFETCH(int, step);
    QFETCH(bool, placedTextShownInStep2);

    // One picture placed on the poster and one text: put there as a drag would leave them.
    form->Image3[2]->setPicture(Solid(Qt::blue));
    form->Image3[2]->setTwipsGeometry(2000, 4000, 3998.4f, 3001.6f);
    bool textPlaced = false;
    for (const QString &name : path) {
        Click(form->client()->findChild<QAbstractButton *>(name));
        if (name == QLatin1String("Command11") && form->Image3[2]->twipsLeft() < 9300)
            form->Image3[2]->show(); // dragged onto the poster in the first visit to step 2
        if (name == QLatin1String("Command6") && !textPlaced) {
            form->Text1[4]->setTwipsGeometry(3000, 8000, 3855, 615);
            textPlaced = true;
        }
    }

    QCOMPARE(form->Label5->caption(), Caption(step));
    for (const auto &[name, states] : StepTable()) {
        QWidget *control = form->client()->findChild<QWidget *>(name);
        QVERIFY(control);
        const QChar expected = states.at(step - 1);
        QVERIFY2(control->isVisible() == (expected != QLatin1Char('H')), qPrintable(name));
        if (expected != QLatin1Char('H'))
            QVERIFY2(control->isEnabled() == (expected == QLatin1Char('S')), qPrintable(name));
    }
    // Exactly one of each trio of back and next buttons is shown.
    auto shown = [&](std::initializer_list<QWidget *> trio) {
        return std::count_if(trio.begin(), trio.end(), [](QWidget *w) { return w->isVisible(); });
    };
    QCOMPARE(shown({form->Command5, form->Command15, form->Command16}), 1);
    QCOMPARE(shown({form->Command11, form->Command6, form->Command4}), 1);

    for (int i = 0; i < 10; ++i) {
        QCOMPARE(form->Image1[i]->isVisible(), step == 2 && i < Module1::ThumbCount);
        const bool placedPicture = i == 2 && form->Image3[2]->twipsLeft() < 9300;
        QCOMPARE(form->Image3[i]->isVisible(), (step == 2 || step == 3) && placedPicture);
        const bool placedText = i == 4 && form->Text1[4]->twipsLeft() < 9300;
        const bool textShown = step == 3 || (step == 2 && placedTextShownInStep2 && placedText);
        QCOMPARE(form->Text1[i]->isVisible(), textShown);
        QCOMPARE(form->Text1[i]->borderStyle(), 0);
    }
    QVERIFY(form->Image3[10]->isHidden());
    // The keyboard and the typing line are the text-editing mode's, never the wizard's.
    QVERIFY(form->Text2->isHidden() && form->Check1->isHidden() && form->Label4->isHidden());
    for (auto *key : form->Label1)
        QVERIFY(key->isHidden());
}

void TestWizard::noMoveBackFromStepOneNorForwardFromStepFour()
{
    QTest::mouseClick(form->Command5, Qt::LeftButton); // disabled in step 1
    QCOMPARE(form->Label5->caption(), Caption(1));
    Click(form->Command11);
    Click(form->Command6);
    Click(form->Command4);
    QTest::mouseClick(form->Command4, Qt::LeftButton); // shown, disabled in step 4
    QCOMPARE(form->Label5->caption(), Caption(4));
    QVERIFY(form->Picture2->isVisible());
}

void TestWizard::aClickDuringAMoveWaitsForIt()
{
    // The user clicks "つぎへ" twice quickly: the second click arrives while the first move lets
    // the window repaint, on the button that move has just shown.
    bool firstMoveFinished = false;
    connect(form->Command6, &QPushButton::pressed, this, [&] { firstMoveFinished = form->Image1[0]->isVisible(); });
    // Posted now, they are delivered at the first pass of the event loop: inside the move.
    const QPointF at(20, 20);
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(form->Command6, new QMouseEvent(type, at, form->Command6->mapToGlobal(at),
                                                                     Qt::LeftButton, held, Qt::NoModifier));
    }
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QTRY_COMPARE(form->Label5->caption(), Caption(3));
    QVERIFY(firstMoveFinished);
}

void TestWizard::leavingStepOneFreezesThePaper()
{
    form->Picture1->setBackColor(QColor(0xFF, 0xFF, 0xC0));
    form->Picture1->drawCircle(3000, 3000, 30, Qt::red, Qt::red);
    Click(form->Command11);
    // The still picture and the paper's own picture both hold the paper with its dot, as two
    // separate pictures.
    const Picture still = form->Image2->picture();
    const Picture paper = form->Picture1->picture();
    QVERIFY(!still.isSameObject(paper));
    for (const Picture &picture : {still, paper}) {
        QCOMPARE(picture.logicalSize(), QSizeF(707, 499));
        QCOMPARE(At(picture, 200, 200), QColor(Qt::red));
        QCOMPARE(At(picture, 10, 10), QColor(0xFF, 0xFF, 0xC0));
    }
    QVERIFY(form->Picture1->isHidden());
    // Step 2 shows the still picture where the paper was.
    const QImage shown = form->client()->grab(QRect(16, 184, 707, 499)).toImage();
    QCOMPARE(shown.pixelColor(QPoint(10, 10) * shown.devicePixelRatio()), QColor(0xFF, 0xFF, 0xC0));
}

void TestWizard::goingForwardAgainCapturesTheNewPaper()
{
    form->Picture1->setBackColor(Qt::white);
    Click(form->Command11);
    Click(form->Command5);
    // Back in step 1 the paper shows what it was, and the user draws on.
    QVERIFY(form->Picture1->isVisible());
    QCOMPARE(At(form->Picture1->picture(), 200, 200), QColor(Qt::white));
    form->Picture1->drawCircle(3000, 3000, 30, Qt::blue, Qt::blue);
    Click(form->Command11);
    QCOMPARE(At(form->Image2->picture(), 200, 200), QColor(Qt::blue));
    QCOMPARE(At(form->Picture1->picture(), 200, 200), QColor(Qt::blue));
}

void TestWizard::stepThreeKeepsOnlyPlacedPictures()
{
    Click(form->Command11);
    // Slot 0 on the poster, slot 1 left exactly at the limit (not placed), slot 10 anywhere.
    form->Image3[0]->setTwipsGeometry(1000, 3000, 3998.4f, 3001.6f);
    form->Image3[1]->setTwipsGeometry(9300, 3000, 3998.4f, 3001.6f);
    form->Image3[10]->setTwipsGeometry(1000, 6000, 1785, 1340);
    for (int i : {0, 1, 10})
        form->Image3[i]->show();
    Click(form->Command6);
    QVERIFY(form->Image3[0]->isVisible());
    QCOMPARE(form->Image3[0]->twipsWidth(), double(3998.4f));
    QVERIFY(form->Image3[1]->isHidden());
    QCOMPARE(form->Image3[1]->twipsWidth(), 1785.0);
    QCOMPARE(form->Image3[1]->twipsHeight(), 1340.0);
    QCOMPARE(form->Image3[1]->twipsLeft(), 9300.0);
    QVERIFY(form->Image3[10]->isHidden());
    // All ten text slots are shown where they are, and the first has the focus.
    for (auto *slot : form->Text1)
        QVERIFY(slot->isVisible());
    QCOMPARE(form->focusWidget(), form->Text1[0]); // the window's focus, whether or not it is active
}

void TestWizard::stepFourCapturesWithoutSelectionBorders()
{
    form->Picture1->setBackColor(Qt::white);
    Click(form->Command11);
    form->Image3[0]->setPicture(Solid(Qt::white));
    form->Image3[0]->setTwipsGeometry(1500, 3000, 3000, 1500);
    form->Image3[0]->show();
    Click(form->Command6);
    // A text slot selected on the poster, and the picture selected before it.
    platform::RichTextBox *text = form->Text1[3];
    text->setTwipsGeometry(1500, 6000, 3855, 615);
    text->setBackColor(Qt::white);
    text->setBorderStyle(1);
    form->Image3[0]->setBorderStyle(1);
    form->HasSelection = 1;
    Click(form->Command4);
    QCOMPARE(form->HasSelection, 0);
    const Picture poster = form->Picture2->picture();
    // Where the borders were, the capture shows white.
    for (double x = 1500; x < 4500; x += 300) {
        const QPointF top = PosterPixel(x, 3000);
        QCOMPARE(At(poster, top.x() + 0.1, top.y() + 0.1), QColor(Qt::white));
        const QPointF textTop = PosterPixel(x, 6000);
        QCOMPARE(At(poster, textTop.x() + 0.1, textTop.y() + 0.1), QColor(Qt::white));
    }
    QVERIFY(form->Picture2->isVisible());
    // The live pictures and texts are hidden but keep their places for the way back.
    QVERIFY(form->Image3[0]->isHidden());
    QCOMPARE(form->Image3[0]->twipsLeft(), 1500.0);
    QVERIFY(text->isHidden());
}

void TestWizard::stepFourGivesSidePanelTextsTheirStandardSize()
{
    Click(form->Command11);
    Click(form->Command6);
    form->Text1[1]->setTwipsGeometry(11040, 3240, 4240.5f, 676.5f); // made bigger in the side panel
    form->Text1[1]->setFontSize(26);
    form->Text1[2]->setTwipsGeometry(2000, 3000, 4240.5f, 676.5f); // made bigger on the poster
    form->Text1[2]->setFontSize(26);
    Click(form->Command4);
    QCOMPARE(form->Text1[1]->twipsWidth(), 3855.0);
    QCOMPARE(form->Text1[1]->twipsHeight(), 615.0);
    QCOMPARE(form->Text1[1]->fontSize(), 24.0);
    QCOMPARE(form->Text1[2]->twipsWidth(), double(4240.5f));
    QCOMPARE(form->Text1[2]->fontSize(), 26.0);
}

void TestWizard::backFromStepTwoWithdrawsEverything()
{
    form->Picture1->setBackColor(QColor(0xC0, 0xFF, 0xC0));
    form->Picture1->drawCircle(1500, 1500, 30, Qt::black, Qt::black);
    Click(form->Command11);
    form->Image3[0]->setPicture(Solid(Qt::red));
    form->Image3[0]->setTwipsGeometry(1000, 2000, 3998.4f, 3001.6f);
    form->Image3[0]->show();
    Click(form->Command6);
    form->Text1[5]->setText(QStringLiteral("ねこ"));
    form->Text1[5]->setTwipsGeometry(3000, 7000, 5000, 800);
    form->Text1[5]->setFontSize(30);
    Click(form->Command15);
    QVERIFY(form->Text1[5]->isVisible()); // placed: stays in step 2
    form->HasSelection = 1;
    Click(form->Command5);

    for (int i = 0; i < 10; ++i) {
        QVERIFY(form->Image3[i]->isHidden());
        QCOMPARE(form->Image3[i]->twipsLeft(), 9500.0);
        QCOMPARE(form->Image3[i]->twipsWidth(), 1785.0);
        QCOMPARE(form->Image3[i]->twipsHeight(), 1340.0);
        QVERIFY(form->Text1[i]->isHidden());
        QCOMPARE(form->Text1[i]->twipsLeft(), 11040.0);
        QCOMPARE(form->Text1[i]->twipsTop(), 2520.0 + 720 * i);
        QCOMPARE(form->Text1[i]->twipsWidth(), 3855.0);
        QCOMPARE(form->Text1[i]->twipsHeight(), 615.0);
        QCOMPARE(form->Text1[i]->fontSize(), 24.0);
    }
    QCOMPARE(form->Image3[0]->twipsTop(), 2000.0);       // its top stays
    QVERIFY(!form->Image3[0]->pictureImage().isNull());  // and so does its picture
    QCOMPARE(form->Text1[5]->text(), QStringLiteral("ねこ"));
    QCOMPARE(form->HasSelection, 0);
    // The paper shows the drawing as it was when step 1 was left.
    const QImage shown = form->client()->grab(QRect(16, 184, 707, 499)).toImage();
    const qreal ratio = shown.devicePixelRatio();
    QCOMPARE(shown.pixelColor(QPoint(100, 100) * ratio), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(QPoint(300, 300) * ratio), QColor(0xC0, 0xFF, 0xC0));
}

void TestWizard::backFromStepThreeKeepsWhatIsPlaced()
{
    Click(form->Command11);
    Click(form->Command6);
    form->Text1[0]->setTwipsGeometry(2000, 4000, 4000, 700); // on the poster
    form->Text1[0]->setFontSize(28);
    form->Text1[1]->setTwipsGeometry(12000, 5000, 4000, 700); // moved within the side panel
    form->Text1[1]->setFontSize(28);
    form->HasSelection = 1;
    Click(form->Command15);
    QVERIFY(form->Text1[0]->isVisible());
    QCOMPARE(form->Text1[0]->twipsWidth(), 4000.0);
    QCOMPARE(form->Text1[0]->fontSize(), 28.0);
    QVERIFY(form->Text1[1]->isHidden());
    QCOMPARE(form->Text1[1]->twipsLeft(), 12000.0); // its place stays
    QCOMPARE(form->Text1[1]->twipsTop(), 5000.0);
    QCOMPARE(form->Text1[1]->twipsWidth(), 3855.0);
    QCOMPARE(form->Text1[1]->twipsHeight(), 615.0);
    QCOMPARE(form->Text1[1]->fontSize(), 24.0);
    QCOMPARE(form->HasSelection, 1);
    QVERIFY(form->Command5->isEnabled());
}

void TestWizard::backFromStepFourDropsTheFinishedPicture()
{
    form->Picture1->setBackColor(Qt::white);
    Click(form->Command11);
    form->Image3[0]->setPicture(Solid(Qt::blue));
    form->Image3[0]->setTwipsGeometry(1000, 3000, 3000, 2000);
    form->Image3[0]->show();
    Click(form->Command6);
    Click(form->Command4);
    // A stroke on the finished poster.
    form->Picture2->drawCircle(9000, 6000, 30, Qt::red, Qt::red);
    Click(form->Command16);
    QVERIFY(form->Picture2->isHidden());
    QVERIFY(form->Image3[0]->isVisible());
    for (auto *slot : form->Text1)
        QVERIFY(slot->isVisible());
    QCOMPARE(form->focusWidget(), form->Text1[0]); // the window's focus, whether or not it is active
    // Forward again: a new capture, without the stroke of the first visit to step 4.
    Click(form->Command4);
    const QPointF stroke = PosterPixel(240 + 9000, 2760 + 6000);
    QCOMPARE(At(form->Picture2->picture(), stroke.x(), stroke.y()), QColor(Qt::white));
}

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
