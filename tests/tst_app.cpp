// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user first sees it: every control where the layout puts it, with its
// caption, font and colours; the start-up state; the image folder; the ways of ending.

#include "TestSupport.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "platform/ControlLayout.h"
#include "platform/Controls.h"
#include "base/Twips.h"
#include "registration/frmList.h"

#include <QAction>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using testing::TopLevel;

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(TopLevel(QStringLiteral("Form1")));
}

QWidget *ControlOf(const QString &name)
{
    return MainWindow()->client()->findChild<QWidget *>(name);
}

enum Face { Rounded, PGothic, Gothic, None };

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void layout_data();
    void layout();
    void keyboardLayout_data();
    void keyboardLayout();
    void arrays();
    void startupShowsOnlyStepOne();
    void windowIsCentredAtItsOuterHeight();
    void stackingKeepsThePaperInFront();
    void menuCommands();
    void initImageDir_data();
    void initImageDir();
    void dataDirKeepsTheStartFolder();
    void ending_data();
    void ending();
    void registrationReopens();
    void registrationFillsTheTextsAndTheGallery();
    void boldCaptionsStayBold_data();
    void boldCaptionsStayBold();
};

void TestApp::init()
{
    StartTovimaru();
    QVERIFY(MainWindow());
}

void TestApp::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("face");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("back"); // "" for the style's own
    QTest::addColumn<QString>("fore");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");

    auto row = [](const char *name, QRectF twips, const char *caption, int face, double points, const char *back,
                  const char *fore, bool visible, bool enabled = true) {
        QTest::newRow(name) << QString::fromUtf8(name) << twips << QString::fromUtf8(caption) << face << points
                            << QString::fromLatin1(back) << QString::fromLatin1(fore) << visible << enabled;
    };
    // Header and step controls.
    row("Label3", {240, 300, 6495, 735}, "Tovimaru２", PGothic, 30.75, "#c0ffff", "#0000ff", true);
    row("Label5", {6960, 480, 4695, 495}, "１．かみのいろを きめます", PGothic, 18, "#e0e0e0", "#800000", true);
    row("Label2", {11160, 1560, 4095, 375}, "ここで もどると すべて きえます", PGothic, 12.75, "#e0e0e0", "#000000", false);
    row("Command3", {1080, 1800, 1815, 735}, "おわり", Rounded, 20.25, "", "", true);
    row("Command5", {11040, 360, 1815, 1095}, "もどる", Rounded, 20.25, "#c0c0c0", "", true, false);
    row("Command15", {11040, 360, 1815, 1095}, "もどる", Rounded, 20.25, "#c0c0c0", "", false);
    row("Command16", {11040, 360, 1815, 1095}, "もどる", Rounded, 20.25, "#c0c0c0", "", false);
    row("Command11", {13080, 360, 1815, 1095}, "つぎへ", Rounded, 20.25, "#c0c0c0", "", true);
    row("Command4", {13080, 360, 1815, 1095}, "つぎへ", Rounded, 20.25, "#c0c0c0", "", false);
    row("Command6", {13080, 360, 1815, 1095}, "つぎへ", Rounded, 20.25, "#c0c0c0", "", false);
    // Working buttons and the side panel.
    row("Command19", {3240, 1800, 1695, 735}, "クリア", Rounded, 20.25, "", "", true);
    row("Command10", {3240, 1800, 1695, 735}, "クリア", Rounded, 20.25, "", "", false);
    row("Command9", {3240, 1800, 1695, 735}, "クリア", Rounded, 20.25, "", "", false);
    row("Command1", {5280, 1800, 2055, 735}, "ちいさく", Rounded, 20.25, "", "", false);
    row("Command2", {7680, 1800, 2055, 735}, "おおきく", Rounded, 20.25, "", "", false);
    row("Command12", {11400, 2880, 3135, 1695}, "かみのいろ", Rounded, 21.75, "#ffffff", "", true);
    row("Command13", {11400, 5040, 3135, 975}, "せんのいろ", Rounded, 20.25, "#ffffff", "", true);
    row("HScroll1", {11400, 6480, 3135, 495}, "", None, 0, "", "", true); // shown by start-up
    row("Command17", {11040, 1680, 1815, 735}, "もじいろ", Rounded, 18.75, "", "", false);
    row("Command18", {13080, 1680, 1815, 735}, "わくいろ", Rounded, 18.75, "", "", false);
    row("Command20", {11400, 2880, 3135, 1695}, "ほぞん", Rounded, 20.25, "#ffffff", "", false);
    row("Command14", {11400, 8760, 3135, 1215}, "いんさつ", Rounded, 20.25, "#ffffff", "", false);
    row("Command21", {11040, 9720, 3855, 735}, "もじ の へんしゅう", Rounded, 18.75, "", "", false);
    row("VScroll1", {14880, 2280, 255, 7575}, "", None, 0, "", "", false);
    row("Check1", {9000, 2880, 255, 180}, "Check1", None, 0, "#ffffff", "", false);
    row("Label4", {9240, 2880, 1575, 255}, "［つぎ］ボタンを表示", PGothic, 9, "#ffffff", "", false);
    row("Text2", {240, 3120, 8775, 1575}, "", PGothic, 20.25, "", "", false);
    // The poster area.
    row("Image2", {240, 2760, 10605, 7485}, "", None, 0, "", "", true);
    row("Picture1", {240, 2760, 10605, 7485}, "", None, 0, "window", "windowtext", true);
    row("Picture2", {240, 2760, 10605, 7485}, "", None, 0, "window", "windowtext", false);
    row("Picture3", {1560, 1200, 3375, 495}, "", None, 0, "", "", false);
}

void TestApp::layout()
{
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    QFETCH(QString, caption);
    QFETCH(int, face);
    QFETCH(double, points);
    QFETCH(QString, back);
    QFETCH(QString, fore);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);

    QWidget *control = ControlOf(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->property("twipsLeft").toDouble(), twips.left());
    QCOMPARE(control->property("twipsTop").toDouble(), twips.top());
    QCOMPARE(control->property("twipsWidth").toDouble(), twips.width());
    QCOMPARE(control->property("twipsHeight").toDouble(), twips.height());
    // On screen at 15 twips per pixel.
    QCOMPARE(control->geometry(), platform::TwipsToPixelRect(twips.left(), twips.top(), twips.width(), twips.height()));

    if (!caption.isEmpty()) {
        QCOMPARE(control->property("caption").toString(), caption);
        QCOMPARE(control->accessibleName(), caption);
    } else {
        QCOMPARE(control->accessibleName(), name);
    }
    if (face != None) {
        QCOMPARE(control->property("fontSize").toDouble(), points);
        const QString family = QFontInfo(control->font()).family();
        QCOMPARE(family, face == Rounded ? QStringLiteral("MotoyaLMaru") : QStringLiteral("IPAPGothic"));
    }
    const QPalette system = QApplication::palette();
    auto expected = [&](const QString &colour, QPalette::ColorRole role) {
        if (colour == QLatin1String("window"))
            return system.color(QPalette::Base);
        if (colour == QLatin1String("windowtext"))
            return system.color(QPalette::Text);
        return colour.isEmpty() ? control->palette().color(role) : QColor(colour);
    };
    if (!back.isEmpty())
        QCOMPARE(control->property("backColor").value<QColor>(), expected(back, QPalette::Window));
    if (!fore.isEmpty())
        QCOMPARE(control->property("foreColor").value<QColor>(), expected(fore, QPalette::WindowText));

    QCOMPARE(control->isVisible(), visible);
    QCOMPARE(control->isEnabled(), enabled);
}

void TestApp::keyboardLayout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<double>("points");
    QTest::addColumn<QColor>("back");

    const QColor yellow(0xFF, 0xFF, 0x80);
    auto key = [&](int index, const char *caption, double left, double top, double width = 885, double height = 885,
                   double points = 39.75, QColor back = QColor()) {
        QTest::addRow("Label1(%d)", index) << index << QString::fromUtf8(caption) << QRectF(left, top, width, height)
                                           << points << (back.isValid() ? back : yellow);
    };
    // The kana grid: columns from right to left, rows from top to bottom.
    const double rows[] = {4800, 5685, 6570, 7455, 8340};
    const char *columns[][5] = {{"あ", "い", "う", "え", "お"}, {"か", "き", "く", "け", "こ"},
                                {"さ", "し", "す", "せ", "そ"}, {"た", "ち", "つ", "て", "と"},
                                {"な", "に", "ぬ", "ね", "の"}, {"は", "ひ", "ふ", "へ", "ほ"},
                                {"ま", "み", "む", "め", "も"}};
    const double lefts[] = {9960, 9075, 8190, 7305, 6420, 5535, 4650};
    for (int c = 0; c < 7; ++c) {
        for (int r = 0; r < 5; ++r)
            key(c * 5 + r, columns[c][r], lefts[c], rows[r]);
    }
    key(35, "や", 3765, 4800);
    key(36, "ゆ", 3765, 6570);
    key(37, "よ", 3765, 8340);
    const char *ra[] = {"ら", "り", "る", "れ", "ろ"};
    for (int r = 0; r < 5; ++r)
        key(40 + r, ra[r], 2880, rows[r]);
    key(45, "わ", 1995, 4800);
    key(46, "を", 1995, 5685);
    key(47, "ん", 1995, 6570);
    key(39, " ゜", 1995, 7455);
    key(38, " ゛", 1995, 8340);
    const char *digits[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９", "０"};
    for (int d = 0; d < 10; ++d)
        key(51 + d, digits[d], 1995 + 885 * d, 9360);
    key(48, "、", 120, 5685);
    key(49, "。", 1005, 5685);
    key(67, "ー", 120, 6570);
    key(62, "", 1005, 6570);
    key(66, "ひらがな", 120, 7455, 885, 885, 20.25);
    key(65, "カタカナ", 1005, 7455, 885, 885, 20.25);
    key(50, "こ\u3000もじ", 120, 8340, 885, 885, 20.25);
    key(61, "漢\u3000\u3000字", 1005, 8340, 885, 885, 20.25);
    key(63, "←", 120, 9360, 885, 885, 39.75, QColor(0xC0, 0xFF, 0xC0));
    key(68, "け\u3000\u3000す", 1005, 9360, 885, 885, 20.25, QColor(0xC0, 0xFF, 0xC0));
    key(69, "カナ入力きりかえ", 120, 4800, 1770, 810, 18.75, QColor(0xC0, 0xC0, 0xFF));
    key(64, "ＯＫ", 9120, 3120, 1725, 720, 33, QColor(0xFF, 0x80, 0xFF));
    key(70, "つぎ", 9120, 3960, 1725, 720, 30.75, QColor(0xFF, 0x80, 0xFF));
}

void TestApp::keyboardLayout()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QRectF, twips);
    QFETCH(double, points);
    QFETCH(QColor, back);

    auto *key = qobject_cast<platform::KeyLabel *>(ControlOf(QStringLiteral("Label1(%1)").arg(index)));
    QVERIFY(key);
    QCOMPARE(MainWindow()->Label1[index], key);
    QCOMPARE(key->caption(), caption);
    QCOMPARE(key->index(), index);
    QCOMPARE(QRectF(key->twipsLeft(), key->twipsTop(), key->twipsWidth(), key->twipsHeight()), twips);
    QCOMPARE(key->fontSize(), points);
    QCOMPARE(QFontInfo(key->font()).family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(key->backColor(), back);
    QCOMPARE(key->appearance(), int(platform::KeyLabel::Raised));
    QVERIFY(key->isHidden());
}

void TestApp::arrays()
{
    Form1 *form = MainWindow();
    for (int i = 0; i < 10; ++i) {
        platform::ImageControl *cell = form->Image1[i];
        QCOMPARE(cell->objectName(), QStringLiteral("Image1(%1)").arg(i));
        QCOMPARE(cell->twipsLeft(), i % 2 ? 13080.0 : 11040.0);
        QCOMPARE(cell->twipsTop(), 2280.0 + 1560 * (i / 2));
        QCOMPARE(cell->twipsWidth(), 1785.0);
        QCOMPARE(cell->twipsHeight(), 1340.0);
        QVERIFY(cell->isHidden());

        platform::RichTextBox *slot = form->Text1[i];
        QCOMPARE(slot->objectName(), QStringLiteral("Text1(%1)").arg(i));
        QCOMPARE(QRectF(slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()),
                 QRectF(11040, 2520 + 720 * i, 3855, 555));
        QCOMPARE(slot->fontSize(), 24.0);
        QCOMPARE(QFontInfo(slot->font()).family(), QStringLiteral("IPAPGothic"));
        QVERIFY(slot->isHidden());
    }
    for (int i = 0; i <= 10; ++i) {
        platform::ImageControl *slot = form->Image3[i];
        QCOMPARE(slot->objectName(), QStringLiteral("Image3(%1)").arg(i));
        QCOMPARE(QRectF(slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()),
                 QRectF(11040 + 120 * i, 0, 1785, 1335));
        QVERIFY(slot->isHidden());
        QVERIFY(slot->pictureImage().isNull());
    }
    QCOMPARE(form->Timer1->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(form->Timer1->interval(), 1000);
    QVERIFY(!form->Timer1->isEnabled());

    QCOMPARE(form->HScroll1->minimum(), 1);
    QCOMPARE(form->HScroll1->maximum(), 30);
    QCOMPARE(form->HScroll1->largeChange(), 5);
    QCOMPARE(form->HScroll1->smallChange(), 1);
    QCOMPARE(form->HScroll1->value(), 5);
    QCOMPARE(form->VScroll1->minimum(), 0);
    QCOMPARE(form->VScroll1->smallChange(), 5);
    QCOMPARE(form->VScroll1->largeChange(), 10);
    QCOMPARE(form->VScroll1->value(), 0);
}

void TestApp::startupShowsOnlyStepOne()
{
    Form1 *form = MainWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->caption(), QStringLiteral("Tovimaru"));
    QCOMPARE(form->client()->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QVERIFY(!QApplication::windowIcon().isNull());

    const QStringList expected = {"Label3", "Label5", "Command3", "Command5", "Command11", "Command19",
                                  "Command12", "Command13", "Picture1", "Image2", "HScroll1"};
    QStringList shown;
    for (QWidget *control : form->client()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isVisible())
            shown << control->objectName();
    }
    shown.sort();
    QStringList sorted = expected;
    sorted.sort();
    QCOMPARE(shown, sorted);
    QVERIFY(!form->Command5->isEnabled());

    // The program-wide values start as the program expects them.
    QCOMPARE(form->HasSelection, 0);
    QCOMPARE(form->PenDown, 0);
    QCOMPARE(form->TimerTicks, 0);
    QCOMPARE(form->BrushRadius, 50);
    QCOMPARE(Module1::EditMode, QStringLiteral("3"));
    QCOMPARE(Module1::ThumbCount, 0);
    QCOMPARE(Module1::SelectedIndex, 0);
    QVERIFY(Module1::ChosenDrive.isEmpty() && Module1::ChosenDir.isEmpty());
    QCOMPARE(int(Module1::ImageFiles.size()), 32001);

    // The registration window is open above the main window, and neither blocks the other.
    QWidget *registration = TopLevel(QStringLiteral("frmList"));
    QVERIFY(registration && registration->isVisible());
    QCOMPARE(registration->windowTitle(), QStringLiteral("データの登録"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(form->Command11->isEnabled());
}

void TestApp::windowIsCentredAtItsOuterHeight()
{
    Form1 *form = MainWindow();
    QCOMPARE(form->twipsHeight(), 11520.0);
    const double designedHeight = platform::PixelsToTwips(710 + form->menuBar()->sizeHint().height());
    // Centred before it was shown, when the window system had not framed it yet.
    QCOMPARE(form->twipsLeft(), float((form->screenWidthTwips() - 15120) / 2));
    QCOMPARE(form->twipsTop(), float((form->screenHeightTwips() - designedHeight) / 2));
    // The frame's top-left corner is where the window was put (the offscreen desktop may nudge
    // a window wider than its screen by the width of the frame).
    QVERIFY(qAbs(form->frameGeometry().left() - platform::TwipsToPixels(form->twipsLeft())) <= 2);
    QVERIFY(qAbs(form->frameGeometry().top() - platform::TwipsToPixels(form->twipsTop())) <= 1);
    QCOMPARE(form->frameGeometry().height(), 768);
    // The whole poster area fits in the client area.
    QVERIFY(form->client()->height() >= 184 + 499);
    QCOMPARE(form->client()->width(), 1008);
}

void TestApp::stackingKeepsThePaperInFront()
{
    Form1 *form = MainWindow();
    const QObjectList order = form->client()->children(); // back to front
    auto at = [&](QWidget *w) { return order.indexOf(w); };
    QVERIFY(at(form->Image2) < at(form->Image1[9]));
    QVERIFY(at(form->Image1[9]) < at(form->Image3[0]));
    QVERIFY(at(form->Image3[10]) < at(form->Text1[0]));
    QVERIFY(at(form->Text1[9]) < at(form->Label1[0]));
    QVERIFY(at(form->Label1[70]) < at(form->Picture1));
    QVERIFY(at(form->Label1[70]) < at(form->Picture2));

    // Bringing a picture slot to the front keeps it under the text slots and the paper.
    platform::BringToFront(form->Image3[0]);
    const QObjectList after = form->client()->children();
    QVERIFY(after.indexOf(form->Image3[0]) > after.indexOf(form->Image3[10]));
    QVERIFY(after.indexOf(form->Image3[0]) < after.indexOf(form->Text1[0]));
    QVERIFY(after.indexOf(form->Image3[0]) < after.indexOf(form->Picture1));
    // A text slot brought to the front stays under the keys.
    platform::BringToFront(form->Text1[0]);
    const QObjectList last = form->client()->children();
    QVERIFY(last.indexOf(form->Text1[0]) > last.indexOf(form->Text1[9]));
    QVERIFY(last.indexOf(form->Text1[0]) < last.indexOf(form->Label1[0]));
}

void TestApp::menuCommands()
{
    Form1 *form = MainWindow();
    const QList<QAction *> items = form->menuBar()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->objectName(), QStringLiteral("ItemSetDir"));
    QCOMPARE(items[0]->text(), QStringLiteral("ディレクトリの指定(&D)"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("itemend"));
    QCOMPARE(items[1]->text(), QStringLiteral("終了(&Q)"));
    for (QAction *item : items)
        QVERIFY(!item->menu()); // commands straight on the bar
}

void TestApp::initImageDir_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << QStringLiteral("/");
    QTest::newRow("temporary") << QDir::tempPath();
}

void TestApp::initImageDir()
{
    QFETCH(QString, folder);
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    Program::InitImageDir();
    QDir::setCurrent(before);
    const QString canonical = QDir(folder).absolutePath();
    QCOMPARE(Module1::ImageDir, canonical == QLatin1String("/") ? QStringLiteral("/") : canonical + QLatin1Char('/'));
}

void TestApp::dataDirKeepsTheStartFolder()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    StartTovimaru();
    QDir::setCurrent(before);
    const QString start = QDir(dir.path()).absolutePath() + QLatin1Char('/');
    QCOMPARE(Module1::ImageDir, start);
    QCOMPARE(Module1::DataDir, start);
}

void TestApp::ending_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("おわり") << QStringLiteral("button");
    QTest::newRow("終了(&Q)") << QStringLiteral("menu");
    QTest::newRow("window frame") << QStringLiteral("frame");
}

void TestApp::ending()
{
    QFETCH(QString, how);
    Form1 *form = MainWindow();
    QVERIFY(TopLevel(QStringLiteral("frmList"))->isVisible());
    if (how == QLatin1String("button"))
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    else if (how == QLatin1String("menu"))
        form->itemend->trigger();
    else
        form->close();
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void TestApp::registrationReopens()
{
    Form1 *form = MainWindow();
    QWidget *registration = TopLevel(QStringLiteral("frmList"));
    QPointer<QWidget> first(registration);
    registration->close(); // the window system's close destroys it
    QTRY_VERIFY(first.isNull());
    QVERIFY(!TopLevel(QStringLiteral("frmList")));
    form->ItemSetDir->trigger();
    QWidget *again = TopLevel(QStringLiteral("frmList"));
    QVERIFY(again && again->isVisible());
    // Used while it is open, it only comes to the front again.
    form->ItemSetDir->trigger();
    QCOMPARE(TopLevel(QStringLiteral("frmList")), again);
}

void TestApp::registrationFillsTheTextsAndTheGallery()
{
    // The program started in a folder of photos: the folder of the pictures and of the phrases.
    QTemporaryDir folder;
    SKIP_WITHOUT_TESTDATA();
    const QDir photos(testing::TestdataPath(QStringLiteral("images/jpeg")));
    for (const QString &name : photos.entryList({QStringLiteral("*.jpg")}, QDir::Files))
        QVERIFY(QFile::copy(photos.filePath(name), folder.filePath(name)));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    StartTovimaru();
    QDir::setCurrent(before);

    auto *registration = qobject_cast<frmList *>(TopLevel(QStringLiteral("frmList")));
    QVERIFY(registration && registration->isVisible());
    QCOMPARE(registration->File1->count(), photos.entryList({QStringLiteral("*.jpg")}, QDir::Files).size());
    // Typed through the input method, which commits the kana into the focused box.
    registration->PhraseBox[0]->setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("おはよう"));
    QApplication::sendEvent(registration->PhraseBox[0], &typed);
    QTest::mouseClick(registration->Command12, Qt::LeftButton);
    QTRY_VERIFY(!TopLevel(QStringLiteral("frmList")));

    Form1 *form = MainWindow();
    QCOMPARE(form->Text1[0]->text(), QStringLiteral("おはよう"));
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("tovi.mdb"))));
    QVERIFY(Module1::ImageFiles[0].startsWith(QDir(folder.path()).absolutePath() + QLatin1Char('/')));
    QCOMPARE(form->VScroll1->maximum(), 10); // 20 files, one of which is not a picture Qt reads
    QVERIFY(Module1::ThumbCount >= 9);
    // Step 2 shows the thumbnails.
    QTest::mouseClick(form->Command11, Qt::LeftButton);
    QVERIFY(form->Image1[0]->isVisible());
    QVERIFY(!form->Image1[0]->pictureImage().isNull());

    // The next start offers the phrase again.
    QVERIFY(QDir::setCurrent(folder.path()));
    StartTovimaru();
    QDir::setCurrent(before);
    registration = qobject_cast<frmList *>(TopLevel(QStringLiteral("frmList")));
    QVERIFY(registration);
    QCOMPARE(registration->PhraseBox[0]->text(), QStringLiteral("おはよう"));
}

void TestApp::boldCaptionsStayBold_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Command11") << QStringLiteral("Command11"); // the rounded gothic
    QTest::newRow("Command12") << QStringLiteral("Command12");
    QTest::newRow("Command19") << QStringLiteral("Command19");
    QTest::newRow("Label5") << QStringLiteral("Label5"); // the proportional gothic
}

// At every scale of the screen (this runs again at QT_SCALE_FACTOR=2) a bold caption carries
// clearly more ink than the same caption in the regular weight; at 1 it carries about half as
// much again.
void TestApp::boldCaptionsStayBold()
{
    QFETCH(QString, name);
    QWidget *control = ControlOf(name);
    QVERIFY(control);
    QVERIFY(control->font().bold());
    const auto ink = [control] {
        const QImage image = control->grab().toImage();
        const QColor back = control->property("backColor").value<QColor>();
        // Inside the frame, where only the caption differs from the face.
        const int inset = qRound(4 * image.devicePixelRatio());
        int count = 0;
        for (int y = inset; y < image.height() - inset; ++y) {
            for (int x = inset; x < image.width() - inset; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const int distance = qAbs(pixel.red() - back.red()) + qAbs(pixel.green() - back.green())
                                     + qAbs(pixel.blue() - back.blue());
                count += distance > 200;
            }
        }
        return count;
    };
    const QFont designed = control->font();
    const int bold = ink();
    QFont regular = designed;
    regular.setBold(false);
    control->setFont(regular);
    const int plain = ink();
    control->setFont(designed);
    QVERIFY2(plain > 0 && bold > plain * 13 / 10,
             qPrintable(QStringLiteral("bold %1, regular %2 at a scale of %3")
                            .arg(bold).arg(plain).arg(control->devicePixelRatioF())));
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
