// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the poster: dragging the text slots and the size they keep, the text-editing
// mode and its hand-over of the typing line, the size buttons' arithmetic and bounds, "クリア",
// and one whole poster made through the four steps with its texts in the finished picture.

#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Startup.h"
#include "drawing/Form2.h"
#include "output/PosterCapture.h"
#include "platform/ControlLayout.h"
#include "platform/EventLoop.h"
#include "input/KeyInjection.h"
#include "base/Twips.h"
#include "text/Keyboard.h"

#include <QClipboard>
#include <QtTest>

using platform::CaptureDensity;
using platform::RichTextBox;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

Form2 *Picker()
{
    return qobject_cast<Form2 *>(testing::TopLevel(QStringLiteral("Form2")));
}

void Click(QAbstractButton *button)
{
    QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

// A point of the main window's client area, in pixels, for a point in twips.
QPoint ClientPixel(double left, double top)
{
    return QPoint(platform::TwipsToPixels(left), platform::TwipsToPixels(top));
}

// The mouse on a text slot. Its events arrive at the slot's text area, at the position the
// client-area point has there now, as they would for a pointer held down while the slot moves.
void Mouse(QTest::MouseAction action, RichTextBox *slot, QPoint clientPoint, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *area = slot->viewport();
    const QPoint at = area->mapFrom(slot->parentWidget(), clientPoint);
    if (action == QTest::MouseMove)
        QTest::mouseMove(area, at);
    else
        QTest::mouseEvent(action, area, button, Qt::NoModifier, at);
}

// Presses a slot at (x, y) twips inside it, moves the pointer by (dx, dy) twips in three steps
// and lets go.
void Drag(RichTextBox *slot, double x, double y, double dx, double dy, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint from = ClientPixel(slot->twipsLeft() + x, slot->twipsTop() + y);
    Mouse(QTest::MousePress, slot, from, button);
    for (int step = 1; step <= 3; ++step)
        Mouse(QTest::MouseMove, slot, from + ClientPixel(dx * step / 3, dy * step / 3));
    Mouse(QTest::MouseRelease, slot, from + ClientPixel(dx, dy), button);
}

void Press(RichTextBox *slot)
{
    const QPoint at = ClientPixel(slot->twipsLeft() + 300, slot->twipsTop() + 300);
    Mouse(QTest::MousePress, slot, at);
    Mouse(QTest::MouseRelease, slot, at);
}

bool IsStandard(const RichTextBox *slot)
{
    return slot->twipsWidth() == 3855 && slot->twipsHeight() == 615 && slot->fontSize() == 24;
}

// What the desktop's input method does when the user confirms a word.
void CommitWord(QWidget *box, const QString &word)
{
    QInputMethodEvent event;
    event.setCommitString(word);
    QApplication::sendEvent(box, &event);
}

// Sets the kana lock as a handler of the program would: input held back during its yield is
// let go when it returns.
void SetKanaLock(bool on)
{
    platform::YieldingHandler handler;
    if (platform::KanaLockOn() != on)
        text::ToggleKanaLock();
}

QImage Solid(QColor colour)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Picks a picture slot as pressing it would: the picture slots' own handlers select it.
void PickPicture(Form1 *form, int index)
{
    form->HasSelection = 1;
    Module1::SelectedKind = 1;
    Module1::SelectedIndex = static_cast<std::int16_t>(index);
}

const QString Phrases[10] = {"あさ", "いぬ", "うみ", "えき", "おに", "かさ", "きつね", "くま", "けむり", "こま"};

} // namespace

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void phrasesArriveAtTheStandardSize();
    void dragWithAnyButton_data();
    void dragWithAnyButton();
    void aSlotDraggedBackGetsTheStandardSizeAtOnce();
    void pressSelectsAndBringsToFront();
    void typingSizesOnlyPlacedSlots();
    void editingModeOpensAndCloses();
    void pressDuringEditingHandsTheTypingLineOver();
    void closingWritesBackEvenWithNothingTyped();
    void editingFollowsSelectedIndex_data();
    void editingFollowsSelectedIndex();
    void sizeButtons_data();
    void sizeButtons();
    void sizeButtonsNeedAPick();
    void sizeButtonBounds_data();
    void sizeButtonBounds();
    void clearWithAPictureSelected();
    void wholePosterThroughTheFourSteps();
    void theCaretStaysOffThePoster();

private:
    void toStepThree();

    Form1 *form = nullptr;
};

void TestText::init()
{
    StartTovimaru();
    form = MainWindow();
    QVERIFY(form);
    SetKanaLock(false);
    // The registration window writes the phrases into the slots while they are hidden.
    for (int i = 0; i < 10; ++i)
        form->Text1[i]->setText(Phrases[i]);
}

void TestText::toStepThree()
{
    Click(form->Command11);
    Click(form->Command6);
}

void TestText::phrasesArriveAtTheStandardSize()
{
    for (int i = 0; i < 10; ++i) {
        const RichTextBox *slot = form->Text1[i];
        QVERIFY2(IsStandard(slot), qPrintable(slot->objectName()));
        QCOMPARE(slot->twipsLeft(), 11040.0);
        QCOMPARE(slot->twipsTop(), 2520.0 + 720 * i);
        // Real colours from the start: the desktop's window and window-text colours.
        QVERIFY(slot->backColor().isValid() && slot->foreColor().isValid());
        QCOMPARE(slot->backColor(), QApplication::palette().color(QPalette::Base));
        QCOMPARE(slot->foreColor(), QApplication::palette().color(QPalette::Text));
    }
}

void TestText::dragWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestText::dragWithAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    toStepThree();
    RichTextBox *slot = form->Text1[3];
    if (QApplication::clipboard()->supportsSelection()) // a middle click must not paste it
        QApplication::clipboard()->setText(QStringLiteral("PASTED"), QClipboard::Selection);
    Drag(slot, 600, 300, -6000, 1500, button);
    // The slot followed the pointer, kept its size and its words, and is the selected element.
    QCOMPARE(slot->twipsLeft(), 11040.0 - 6000);
    QCOMPARE(slot->twipsTop(), 4680.0 + 1500);
    QVERIFY(IsStandard(slot));
    QCOMPARE(slot->text(), Phrases[3]);
    QCOMPARE(slot->borderStyle(), 1);
    QCOMPARE(form->GrabX, 600);
    QCOMPARE(form->GrabY, 300);
    QCOMPARE(form->HasSelection, 1);
    QCOMPARE(Module1::SelectedKind, 2);
    QCOMPARE(Module1::SelectedIndex, 3);
    // With no button held the pointer passes over it and moves nothing.
    const QPoint over = ClientPixel(slot->twipsLeft() + 600, slot->twipsTop() + 300);
    Mouse(QTest::MouseMove, slot, over + QPoint(40, 20));
    QCOMPARE(slot->twipsLeft(), 11040.0 - 6000);
    QCOMPARE(slot->twipsTop(), 4680.0 + 1500);
}

void TestText::aSlotDraggedBackGetsTheStandardSizeAtOnce()
{
    toStepThree();
    RichTextBox *slot = form->Text1[0];
    Drag(slot, 300, 300, -8010, 3000);
    QVERIFY(IsStandard(slot)); // dragged onto the poster, it keeps the standard size
    Click(form->Command2);
    QCOMPARE(slot->fontSize(), 26.0);
    // Half way back it is still on the poster and keeps its size.
    Drag(slot, 300, 300, 2010, 0);
    QCOMPARE(slot->fontSize(), 26.0);
    QCOMPARE(slot->twipsLeft(), 5040.0);
    // One step past the limit is enough.
    const QPoint from = ClientPixel(slot->twipsLeft() + 300, slot->twipsTop() + 300);
    Mouse(QTest::MousePress, slot, from);
    Mouse(QTest::MouseMove, slot, from + ClientPixel(4290, 0));
    QCOMPARE(slot->twipsLeft(), 9330.0);
    QVERIFY(IsStandard(slot));
    Mouse(QTest::MouseRelease, slot, from + ClientPixel(4290, 0));
}

void TestText::pressSelectsAndBringsToFront()
{
    toStepThree();
    RichTextBox *one = form->Text1[1];
    RichTextBox *two = form->Text1[2];
    one->setTwipsGeometry(2000, 4000, 3855, 615); // two texts on the poster, overlapping
    two->setTwipsGeometry(2600, 4200, 3855, 615);
    form->Image3[4]->setBorderStyle(1);           // a picture picked before
    form->Image3[10]->setBorderStyle(1);          // the overflow slot is not the texts' business
    const QPoint overlap = ClientPixel(3000, 4500);
    Press(two);
    Press(one);
    // A press without movement selects without moving.
    QCOMPARE(one->twipsLeft(), 2000.0);
    QCOMPARE(one->twipsTop(), 4000.0);
    QCOMPARE(one->borderStyle(), 1);
    QCOMPARE(two->borderStyle(), 0);
    QCOMPARE(form->Image3[4]->borderStyle(), 0);
    QCOMPARE(form->Image3[10]->borderStyle(), 1);
    QWidget *top = form->client()->childAt(overlap);
    QVERIFY(top == one || top == one->viewport());
    // The texts lie above the pictures, whatever was pressed last.
    form->Image3[0]->setPicture(platform::Picture::fromImage(Solid(Qt::blue)));
    form->Image3[0]->setTwipsGeometry(1500, 3500, 3000, 2000);
    form->Image3[0]->show();
    platform::BringToFront(form->Image3[0]);
    top = form->client()->childAt(overlap);
    QVERIFY(top == one || top == one->viewport());
}

void TestText::typingSizesOnlyPlacedSlots()
{
    toStepThree();
    RichTextBox *home = form->Text1[5];
    home->setFocus();
    home->moveCursor(QTextCursor::End);
    QTest::keyClicks(home, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    CommitWord(home, QStringLiteral("ながいことばですね"));
    QCOMPARE(home->text(), Phrases[5] + QStringLiteral("abcdefghijklmnopqrstuvwxyzながいことばですね"));
    QVERIFY(IsStandard(home));

    RichTextBox *placed = form->Text1[6];
    Drag(placed, 300, 300, -9000, 0);
    const double before = placed->twipsWidth();
    placed->moveCursor(QTextCursor::End);
    CommitWord(placed, QStringLiteral("とおくまでいきましょう"));
    QCOMPARE(placed->text(), Phrases[6] + QStringLiteral("とおくまでいきましょう"));
    const double grown = placed->twipsWidth();
    QVERIFY(grown > before);
    QCOMPARE(placed->fontSize(), 24.0);
    // Everything typed is shown: the text area holds the text's own width.
    QVERIFY(placed->viewport()->width() >= placed->document()->idealWidth());
    for (int i = 0; i < 11; ++i)
        QTest::keyClick(placed, Qt::Key_Backspace);
    QCOMPARE(placed->text(), Phrases[6]);
    QVERIFY(placed->twipsWidth() < grown);
    QVERIFY(placed->viewport()->width() >= placed->document()->idealWidth());
}

void TestText::editingModeOpensAndCloses()
{
    toStepThree();
    Drag(form->Text1[2], 300, 300, -7005, 0); // a text on the poster
    form->Image3[4]->setTwipsGeometry(1000, 6000, 1785, 1340); // a picture on the poster
    form->Image3[4]->show();
    form->Image3[10]->setTwipsGeometry(1000, 3000, 1785, 1340); // the overflow slot, left alone
    form->Image3[10]->show();
    Module1::WaitForNext = 1;
    const double keyTops[3] = {form->Label1[0]->twipsTop(), form->Label1[64]->twipsTop(), form->Label1[70]->twipsTop()};
    auto keysAt = [&](double shift) {
        return form->Label1[0]->twipsTop() == keyTops[0] + shift && form->Label1[64]->twipsTop() == keyTops[1] + shift
               && form->Label1[70]->twipsTop() == keyTops[2] + shift;
    };
    const QList<QAbstractButton *> six = {form->Command1, form->Command2, form->Command3,
                                          form->Command4, form->Command9, form->Command15};

    Click(form->Command21); // first opening
    QCOMPARE(Module1::EditMode, QStringLiteral("1"));
    QCOMPARE(Module1::WaitForNext, 0);
    QVERIFY(form->Text1[2]->isHidden() && form->Image3[4]->isHidden());
    QVERIFY(form->Image3[10]->isVisible());
    QVERIFY(form->Text1[3]->isVisible()); // in the side panel
    for (int k = 0; k < 70; ++k)
        QVERIFY(form->Label1[k]->isVisible());
    QVERIFY(form->Label1[70]->isHidden());
    QVERIFY(keysAt(0));
    QVERIFY(form->Label4->isVisible() && form->Check1->isVisible() && form->Text2->isVisible());
    QVERIFY(platform::KanaLockOn());
    QCOMPARE(form->Text2->text(), Phrases[2]);
    for (QAbstractButton *button : six)
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(form->itemend->isEnabled());
    QVERIFY(form->Command17->isEnabled() && form->Command18->isEnabled());
    QCOMPARE(form->Command21->caption(), QStringLiteral("はりつけ に もどる"));
    // Dragging is inert while editing.
    Drag(form->Text1[3], 300, 300, -3000, 0);
    QCOMPARE(form->Text1[3]->twipsLeft(), 11040.0);

    Click(form->Command21); // closing
    QCOMPARE(Module1::EditMode, QStringLiteral("0"));
    QVERIFY(form->Text1[2]->isVisible() && form->Image3[4]->isVisible());
    QVERIFY(keysAt(7680));
    for (auto *key : form->Label1)
        QVERIFY(key->isHidden()); // put away below the window, and out of sight
    QVERIFY(form->Label4->isHidden() && form->Check1->isHidden() && form->Text2->isHidden());
    QVERIFY(!platform::KanaLockOn());
    for (QAbstractButton *button : six)
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QCOMPARE(form->Command21->caption(), QStringLiteral("もじ の へんしゅう"));

    // Opening again: the keys come back with the visibility they had; the kana lock, already
    // on, is left on, and closing turns it over all the same.
    SetKanaLock(true);
    Click(form->Command21);
    QVERIFY(platform::KanaLockOn());
    QVERIFY(keysAt(0));
    QVERIFY(form->Label1[5]->isVisible() && form->Label1[70]->isHidden());
    form->Label1[70]->show(); // as its check box does
    form->Label1[5]->hide();
    Click(form->Command21);
    QVERIFY(!platform::KanaLockOn());
    QVERIFY(keysAt(7680));
    Click(form->Command21);
    QVERIFY(keysAt(0));
    QVERIFY(form->Label1[70]->isVisible() && form->Label1[5]->isHidden());
}

void TestText::pressDuringEditingHandsTheTypingLineOver()
{
    toStepThree();
    Press(form->Text1[2]);
    Click(form->Command21);
    QTest::keyClicks(form->Text2, QStringLiteral("abc"));
    Press(form->Text1[4]);
    QCOMPARE(form->Text1[2]->text(), Phrases[2] + QStringLiteral("abc"));
    QCOMPARE(form->Text2->text(), Phrases[4]);
    QCOMPARE(Module1::SelectedIndex, 4);
    QCOMPARE(form->Text1[4]->borderStyle(), 1);
    QCOMPARE(form->Text1[2]->borderStyle(), 0);
    QTest::keyClicks(form->Text2, QStringLiteral("xyz"));
    Click(form->Command21);
    QCOMPARE(form->Text1[4]->text(), Phrases[4] + QStringLiteral("xyz"));
    QCOMPARE(form->Text1[2]->text(), Phrases[2] + QStringLiteral("abc"));
    QVERIFY(IsStandard(form->Text1[2]) && IsStandard(form->Text1[4]));
}

void TestText::closingWritesBackEvenWithNothingTyped()
{
    toStepThree();
    Press(form->Text1[5]);
    Click(form->Command21);
    form->Text1[5]->setText(QStringLiteral("べつのことば")); // the phrases confirmed again meanwhile
    Click(form->Command21);
    QCOMPARE(form->Text1[5]->text(), Phrases[5]);
}

void TestText::editingFollowsSelectedIndex_data()
{
    QTest::addColumn<int>("picture");
    QTest::newRow("picture 5 picked") << 5;
    QTest::newRow("overflow picture picked") << 10;
}

void TestText::editingFollowsSelectedIndex()
{
    QFETCH(int, picture);
    toStepThree();
    Press(form->Text1[1]);
    PickPicture(form, picture);
    Click(form->Command21);
    QCOMPARE(form->Text2->text(), picture < 10 ? Phrases[picture] : QString());
    QTest::keyClicks(form->Text2, QStringLiteral("new"));
    if (picture == 10) {
        // Pressing a slot: no slot receives the typing line, which takes the pressed slot's text.
        Press(form->Text1[8]);
        QCOMPARE(form->Text2->text(), Phrases[8]);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(form->Text1[i]->text(), Phrases[i]);
        PickPicture(form, 10);
    }
    Click(form->Command21);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(form->Text1[i]->text(), i == picture ? Phrases[i] + QStringLiteral("new") : Phrases[i]);
}

void TestText::sizeButtons_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("presses");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("fontSize");

    // Each press scales the size the slot reports, read as whole twips (halves to even).
    QTest::newRow("picture smaller once") << true << "Command1" << 1 << 1606.5f << 1206.0f << 0;
    QTest::newRow("picture smaller three times") << true << "Command1" << 3 << 1300.5f << 976.5f << 0;
    QTest::newRow("picture bigger once") << true << "Command2" << 1 << 1963.5f << 1474.0f << 0;
    QTest::newRow("picture bigger three times") << true << "Command2" << 3 << 2376.0f << 1783.1f << 0;
    QTest::newRow("text smaller once") << false << "Command1" << 1 << 3469.5f << 553.5f << 22;
    QTest::newRow("text smaller three times") << false << "Command1" << 3 << 2810.7f << 449.1f << 18;
    QTest::newRow("text bigger once") << false << "Command2" << 1 << 4240.5f << 676.5f << 26;
    QTest::newRow("text bigger three times") << false << "Command2" << 3 << 5130.4f << 818.4f << 30;
}

void TestText::sizeButtons()
{
    QFETCH(bool, picture);
    QFETCH(QString, button);
    QFETCH(int, presses);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(int, fontSize);

    toStepThree();
    if (picture) {
        form->Image3[2]->setTwipsGeometry(1000, 3000, 1785, 1340);
        form->Image3[2]->show();
        PickPicture(form, 2);
    } else {
        Drag(form->Text1[6], 300, 300, -8010, 0);
    }
    for (int i = 0; i < presses; ++i)
        Click(form->client()->findChild<QAbstractButton *>(button));
    const double w = picture ? form->Image3[2]->twipsWidth() : form->Text1[6]->twipsWidth();
    const double h = picture ? form->Image3[2]->twipsHeight() : form->Text1[6]->twipsHeight();
    QCOMPARE(float(w), width);
    QCOMPARE(float(h), height);
    if (!picture)
        QCOMPARE(form->Text1[6]->fontSize(), double(fontSize));
    QVERIFY(form->Timer1->isEnabled());
}

void TestText::sizeButtonsNeedAPick()
{
    toStepThree();
    Drag(form->Text1[0], 300, 300, -8010, 0);
    form->HasSelection = 0; // as after "クリア", print or save
    Click(form->Command2);
    QVERIFY(IsStandard(form->Text1[0]));
    QCOMPARE(form->TimerTicks, 0);
    // Picked, but nothing selected yet: only the timer starts.
    form->HasSelection = 1;
    Module1::SelectedKind = 0;
    Click(form->Command2);
    QVERIFY(IsStandard(form->Text1[0]));
    QVERIFY(form->TimerTicks > 0);
}

void TestText::sizeButtonBounds_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QString>("button");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<bool>("refused");

    QTest::newRow("picture height past 32767") << true << "Command2" << 2000.0 << 30000.0 << 0 << true;
    QTest::newRow("picture width past 32767") << true << "Command2" << 29790.0 << 2000.0 << 0 << true;
    QTest::newRow("picture width up to 32767") << true << "Command2" << 29788.0 << 2000.0 << 0 << false;
    QTest::newRow("text width past 32767") << false << "Command2" << 30000.0 << 615.0 << 24 << true;
    QTest::newRow("text font below 2") << false << "Command1" << 3855.0 << 615.0 << 3 << true;
    QTest::newRow("text font down to 2") << false << "Command1" << 3855.0 << 615.0 << 4 << false;
}

void TestText::sizeButtonBounds()
{
    QFETCH(bool, picture);
    QFETCH(QString, button);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, fontSize);
    QFETCH(bool, refused);

    toStepThree();
    RichTextBox *text = form->Text1[7];
    platform::ImageControl *image = form->Image3[3];
    if (picture) {
        image->setTwipsGeometry(500, 3000, width, height);
        image->show();
        PickPicture(form, 3);
    } else {
        Drag(text, 300, 300, -8010, 0);
        text->setFontSize(fontSize);
        text->setTwipsWidth(width);
        text->setTwipsHeight(height);
    }
    Click(form->client()->findChild<QAbstractButton *>(button));
    const double w = picture ? image->twipsWidth() : text->twipsWidth();
    const double h = picture ? image->twipsHeight() : text->twipsHeight();
    QCOMPARE(w == width && h == height, refused);
    if (!picture)
        QCOMPARE(text->fontSize() == fontSize, refused);
}

void TestText::clearWithAPictureSelected()
{
    toStepThree();
    Drag(form->Text1[3], 300, 300, -8010, 1005);
    Click(form->Command2);
    form->Text1[9]->hide(); // a hidden text stays hidden
    form->Image3[3]->setTwipsGeometry(1000, 3000, 2500, 2000);
    form->Image3[3]->show();
    PickPicture(form, 3);
    form->Image3[3]->setBorderStyle(1);
    form->Text1[3]->setBorderStyle(1);
    form->Picture1->setPicture(platform::Picture::fromImage(Solid(Qt::red)));
    Click(form->Command9);
    QCOMPARE(form->HasSelection, 0);
    QCOMPARE(form->Text1[3]->borderStyle(), 0); // the text slot with the picture's number
    QCOMPARE(form->Image3[3]->borderStyle(), 1);
    QCOMPARE(form->Image3[3]->twipsLeft(), 1000.0);
    QCOMPARE(form->Image3[3]->twipsWidth(), 2500.0);
    QVERIFY(form->Picture1->isHidden() && form->Picture1->pictureImage().isNull());
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(form->Text1[i]->twipsLeft(), 11040.0);
        QCOMPARE(form->Text1[i]->twipsTop(), 2520.0 + 720 * i);
        QVERIFY(IsStandard(form->Text1[i]));
        QCOMPARE(form->Text1[i]->text(), Phrases[i]);
        QCOMPARE(form->Text1[i]->isVisible(), i != 9);
    }
    // The size buttons rest until something is picked again.
    Click(form->Command2);
    QCOMPARE(form->Image3[3]->twipsWidth(), 2500.0);
}

void TestText::wholePosterThroughTheFourSteps()
{
    // Step 1: a pale yellow paper.
    Click(form->Command12);
    QTest::mouseClick(Picker()->Label3[3], Qt::LeftButton); // #FFFFC0
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    Click(form->Command11);
    Click(form->Command6);

    // Step 3: one text dragged onto the poster, typed, coloured and made bigger.
    RichTextBox *slot = form->Text1[1];
    Drag(slot, 300, 300, -9000, 1500); // to left 2040, top 4740
    Click(form->Command21);
    QTest::keyClicks(form->Text2, QStringLiteral("TOVI"));
    Click(form->Command21);
    QCOMPARE(slot->text(), Phrases[1] + QStringLiteral("TOVI"));
    Click(form->Command17); // text colour
    QTest::mouseClick(Picker()->Label3[17], Qt::LeftButton); // #FF0000
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    Click(form->Command18); // frame colour
    QTest::mouseClick(Picker()->Label3[22], Qt::LeftButton); // #0000FF
    QTest::mouseClick(Picker()->Command12, Qt::LeftButton);
    Click(form->Command2);
    QCOMPARE(slot->fontSize(), 26.0);
    const QRectF place(slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight());
    QCOMPARE(place.topLeft(), QPointF(2040, 4740));

    Click(form->Command4);
    const QImage poster = form->Picture2->picture().image();
    QCOMPARE(poster.size(), QSize(707, 499) * CaptureDensity);
    // Device pixels of the capture for the slot's rectangle, less a pixel of margin.
    const QRect area = QRectF((place.left() / 15 - 16) * CaptureDensity, (place.top() / 15 - 184) * CaptureDensity,
                              place.width() / 15 * CaptureDensity, place.height() / 15 * CaptureDensity)
                           .toRect()
                           .adjusted(CaptureDensity, CaptureDensity, -CaptureDensity, -CaptureDensity);
    int red = 0, blue = 0, mixedBlocks = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = poster.pixelColor(x, y);
            red += c == QColor(0xFF, 0, 0);
            blue += c == QColor(0, 0, 0xFF);
        }
    }
    QVERIFY2(red > 500, qPrintable(QString::number(red)));
    QVERIFY(blue > red);
    // Sharp at the capture density: glyph edges fall inside the blocks of device pixels that
    // make one screen pixel, which an enlarged screen picture would never show.
    for (int y = area.top(); y + CaptureDensity <= area.bottom(); y += CaptureDensity) {
        for (int x = area.left(); x + CaptureDensity <= area.right(); x += CaptureDensity) {
            bool hasRed = false, hasBlue = false;
            for (int dy = 0; dy < CaptureDensity; ++dy) {
                for (int dx = 0; dx < CaptureDensity; ++dx) {
                    const QColor c = poster.pixelColor(x + dx, y + dy);
                    hasRed = hasRed || c == QColor(0xFF, 0, 0);
                    hasBlue = hasBlue || c == QColor(0, 0, 0xFF);
                }
            }
            mixedBlocks += hasRed && hasBlue;
        }
    }
    QVERIFY2(mixedBlocks > 20, qPrintable(QString::number(mixedBlocks)));
    // Around the text, the paper; the texts left in the side panel are not on the poster.
    const QPoint outside((1500 / 15 - 16) * CaptureDensity, (4000 / 15 - 184) * CaptureDensity);
    QCOMPARE(poster.pixelColor(outside), QColor(0xFF, 0xFF, 0xC0));
    QCOMPARE(poster.pixelColor(QPoint(700, 490) * CaptureDensity), QColor(0xFF, 0xFF, 0xC0));
}

QTEST_MAIN(TestText)
// The slot being typed into shows its caret on the screen; a capture of the poster never does.
void TestText::theCaretStaysOffThePoster()
{
    toStepThree();
    RichTextBox *slot = form->Text1[0];
    Drag(slot, 300, 300, -8000, 1500);
    slot->setText(QString());
    Press(slot);
    QApplication::setActiveWindow(form);
    slot->setFocus();
    QTRY_VERIFY(slot->hasFocus());
    QVERIFY(slot->cursorWidth() > 0);
    slot->setBorderStyle(0); // as the move to step 4 takes it off
    const QImage poster = output::CapturePoster(form->client()).image().convertToFormat(QImage::Format_RGB32);
    // The slot's rectangle in device pixels of the capture (the poster's corner lies at 16, 184
    // pixels of the client area).
    const QRect area(int((slot->twipsLeft() / 15 - 16) * CaptureDensity), int((slot->twipsTop() / 15 - 184) * CaptureDensity),
                     int(slot->twipsWidth() / 15 * CaptureDensity), int(slot->twipsHeight() / 15 * CaptureDensity));
    int dark = 0;
    for (int y = area.top(); y < area.bottom(); ++y) {
        for (int x = area.left(); x < area.right(); ++x)
            dark += qGray(poster.pixel(x, y)) < 100;
    }
    QCOMPARE(dark, 0);
    QVERIFY(slot->cursorWidth() > 0); // the screen keeps its caret
}

#include "tst_text.moc"
