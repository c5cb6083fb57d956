// SPDX-License-Identifier: GPL-3.0-or-later
// A teacher's settings: the file and --set as read at start, the settings window, and what each
// option does to the running program (and that without it nothing changes). Scale runs the
// program in a child process on a screen of 1920 x 1080, as the factor must be set before the
// application object exists.

#include "TestSupport.h"

#include "app/Scaling.h"
#include "app/SettingsWindow.h"
#include "app/Startup.h"
#include "app/Wizard.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "output/PrintAndSave.h"
#include "app/Program.h"
#include "platform/BigCursor.h"
#include "platform/Controls.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

using settings::Settings;

Q_DECLARE_METATYPE(Settings)

namespace {

void WriteFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

// Starts the program with these settings.
Form1 *Start(const Settings &chosen)
{
    settings::SetCurrent(chosen);
    StartTovimaru();
    return MainWindow();
}

// A click through the main window at a control's centre, as a person's click arrives.
void Click(QWidget *control)
{
    QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
    testing::ClickThroughWindow(control);
}

// The screen of a classroom PC for the offscreen platform of a child process.
QString ScreenConfig(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("screen.json"));
    WriteFile(path, R"({"screens": [{"name": "classroom", "x": 0, "y": 0, "width": 1920, "height": 1080,
                        "logicalDpi": 96, "logicalBpi": 96, "dpr": 1}]})");
    return path;
}

// The child's side of scale: the program started as main() starts it, then what it shows.
int ScaleChild(int argc, char *argv[])
{
    QStringList warnings;
    const Settings chosen = settings::LoadSettings(qEnvironmentVariable("TOVIMARU_TEST_SET").split(QLatin1Char(' '), Qt::SkipEmptyParts), &warnings);
    settings::SetCurrent(chosen);
    ApplyScaleSetting(chosen, argc, argv);
    QApplication application(argc, argv);
    StartTovimaru();
    Form1 *form = MainWindow();
    QTest::qWait(50);
    const QWidget *ok = form->Command11;
    std::printf("ratio %g\nclient %d %d\ncommand11 %d %d %d %d\nscreen %d %d\nfullscreen %d\nbottom %d\n",
                form->devicePixelRatioF(), form->client()->width(), form->client()->height(),
                ok->x(), ok->y(), ok->width(), ok->height(), form->screen()->geometry().width(),
                form->screen()->geometry().height(), form->isFullScreen() ? 1 : 0,
                form->frameGeometry().bottom() + 1);
    // Qt's own dialogs, here the save dialog of "ほぞん", are drawn at the same factor.
    double dialogRatio = 0;
    testing::OnNextModal<QDialog>([&](QDialog *dialog) {
        dialogRatio = dialog->devicePixelRatioF();
        dialog->reject();
    });
    CurrentProgram()->printing().Save();
    std::printf("dialog %g\n", dialogRatio);
    std::fflush(stdout);
    return 0;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsTheFileAndTheCommandLine_data();
    void readsTheFileAndTheCommandLine();
    void aClassroomDefaultServesUntilTheUserHasAFile();
    void aFileThatCannotBeReadCountsAsNone();
    void savedSettingsReadBackTheSame();
    void theWindowRecommendsAndSaves();
    void theWindowFitsASmallScreenAndAsksBeforeClosing();
    void theWindowHasASwitchForEachOption_data();
    void theWindowHasASwitchForEachOption();
    void scaleFactors_data();
    void scaleFactors();
    void scaledProgramKeepsItsLayout_data();
    void scaledProgramKeepsItsLayout();

    void galleryButtonsPageAsTheScrollBar();
    void wizardGuardIgnoresTheSecondClickOfADoubleClick();
    void bigCursor();
    void fullScreenCentresTheLayout();

private:
    QTemporaryDir m_config;
};

void TestSettings::init()
{
    qputenv("XDG_CONFIG_HOME", m_config.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", m_config.filePath(QStringLiteral("system")).toUtf8());
    QDir(m_config.filePath(QStringLiteral("home"))).removeRecursively();
    QDir(m_config.filePath(QStringLiteral("system"))).removeRecursively();
}

void TestSettings::cleanup()
{
    settings::SetCurrent(Settings{});
}

void TestSettings::readsTheFileAndTheCommandLine_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QStringList>("overrides");
    QTest::addColumn<Settings>("expected");
    QTest::addColumn<int>("warnings");

    Settings all;
    all.scale = 1.5;
    all.fullscreen = all.bigCursor = all.galleryButtons = all.wizardGuard = true;
    all.undo = all.autosave = all.shelf = all.quitPrompt = all.speech = true;
    all.moreFormats = all.saveFormats = all.printPreview = all.builtinPictures = true;
    all.clickToCarry = all.keyboardPointer = true;
    all.dwell = 1.25;
    all.scan = 2;
    all.scanInterval = 0.75;
    all.scanLoops = 3;
    Settings buttons;
    buttons.galleryButtons = true;
    Settings fit;
    fit.scale = settings::ScaleFit;

    QTest::newRow("no file") << QByteArray() << QStringList() << Settings{} << 0;
    QTest::newRow("every key") << QByteArray("scale=1.5\nfullscreen=true\nbigCursor=yes\ngalleryButtons=1\n"
                                             "wizardGuard=on\nundo=true\nautosave=true\nshelf=true\nquitPrompt=true\n"
                                             "speech=true\nmoreFormats=true\nsaveFormats=true\n"
                                             "printPreview=true\nbuiltinPictures=TRUE\nclickToCarry=true\n"
                                             "keyboardPointer=true\ndwell=1.25\nscan=2\nscanInterval=0.75\n"
                                             "scanLoops=3\n")
                               << QStringList() << all << 0;
    QTest::newRow("--set over the file") << QByteArray("galleryButtons=true\nscale=2\n")
                                         << QStringList{"scale=fit", "galleryButtons=false"} << fit << 0;
    QTest::newRow("--set alone") << QByteArray() << QStringList{"galleryButtons=true"} << buttons << 0;
    QTest::newRow("unknown key") << QByteArray("colour=red\ngalleryButtons=true\n") << QStringList() << buttons << 1;
    QTest::newRow("scale out of range") << QByteArray("scale=3\n") << QStringList() << Settings{} << 1;
    QTest::newRow("dwell too short") << QByteArray("dwell=0.2\n") << QStringList() << Settings{} << 1;
    QTest::newRow("scan of three switches") << QByteArray("scan=3\n") << QStringList() << Settings{} << 1;
    QTest::newRow("scanInterval too short") << QByteArray("scanInterval=0.2\n") << QStringList() << Settings{} << 1;
    QTest::newRow("scanLoops none") << QByteArray("scanLoops=0\n") << QStringList() << Settings{} << 1;
    QTest::newRow("not a switch") << QByteArray("wizardGuard=maybe\n") << QStringList() << Settings{} << 1;
    QTest::newRow("a list") << QByteArray("scale=1,2\n") << QStringList() << Settings{} << 1;
    QTest::newRow("another section") << QByteArray("[window]\nscale=2\n") << QStringList() << Settings{} << 1;
    QTest::newRow("--set without a value") << QByteArray() << QStringList{"scale"} << Settings{} << 1;
    QTest::newRow("--set unknown key") << QByteArray() << QStringList{"speed=2"} << Settings{} << 1;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251);
    QTest::newRow("binary garbage") << garbage << QStringList() << Settings{} << -1;
}

void TestSettings::readsTheFileAndTheCommandLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, overrides);
    QFETCH(Settings, expected);
    QFETCH(int, warnings);
    if (!file.isEmpty())
        WriteFile(settings::UserSettingsPath(), file);
    QStringList said;
    const Settings read = settings::LoadSettings(overrides, &said);
    QVERIFY(read == expected);
    if (warnings >= 0)
        QCOMPARE(said.size(), warnings);
    else
        QVERIFY2(said.size() <= 6, qPrintable(said.join(QLatin1Char('\n')))); // a few lines, not one a key
}

void TestSettings::aClassroomDefaultServesUntilTheUserHasAFile()
{
    WriteFile(m_config.filePath(QStringLiteral("system/tovimaru/tovimaru.conf")), "galleryButtons=true\n");
    QStringList said;
    QVERIFY(settings::LoadSettings({}, &said).galleryButtons);
    WriteFile(settings::UserSettingsPath(), "wizardGuard=true\n");
    const Settings read = settings::LoadSettings({}, &said);
    QVERIFY(read.wizardGuard);
    QVERIFY(!read.galleryButtons);
    QVERIFY(said.isEmpty());
}

void TestSettings::aFileThatCannotBeReadCountsAsNone()
{
    // A folder where the file should be: nothing can read it, whoever runs the test.
    QVERIFY(QDir().mkpath(settings::UserSettingsPath()));
    QStringList said;
    QVERIFY(settings::LoadSettings({QStringLiteral("bigCursor=true")}, &said).bigCursor);
    QCOMPARE(said.size(), 1);
}

void TestSettings::savedSettingsReadBackTheSame()
{
    WriteFile(settings::UserSettingsPath(), "oldKey=1\nscale=2\n");
    Settings chosen;
    chosen.scale = settings::ScaleFit;
    chosen.wizardGuard = true;
    chosen.speech = true;
    chosen.dwell = 2;
    chosen.scan = 1;
    chosen.scanInterval = 2.5;
    chosen.scanLoops = 4;
    QCOMPARE(settings::SaveUserSettings(chosen), QString());
    QStringList said;
    QVERIFY(settings::ReadSettingsFile(settings::UserSettingsPath(), &said) == chosen);
    QVERIFY(said.isEmpty()); // the key this program does not know went with the old file
}

void TestSettings::theWindowRecommendsAndSaves()
{
    Settings start;
    start.bigCursor = true;
    start.dwell = 1.25; // a time the list does not offer is kept
    start.scan = 2;
    start.scanInterval = 2.5;
    SettingsWindow window(start);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *recommend = window.findChild<QPushButton *>(QStringLiteral("CommandRecommended"));
    QVERIFY(recommend);
    QCOMPARE(recommend->text(), QStringLiteral("おすすめ"));
    QTest::mouseClick(recommend, Qt::LeftButton);
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("scale"))->currentData().toDouble(), settings::ScaleFit);
    auto *dwell = window.findChild<QComboBox *>(QStringLiteral("dwell"));
    QVERIFY(dwell);
    QCOMPARE(dwell->currentData().toDouble(), 1.25);
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("scan"))->currentData().toInt(), 2);
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("scanInterval"))->currentData().toDouble(), 2.5);
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("scanLoops"))->currentData().toInt(), 2);
    // What a classroom wants; bigCursor left as it was; no voice nor full screen.
    for (const char *key : {"galleryButtons", "wizardGuard", "undo", "quitPrompt", "autosave", "saveFormats",
                            "printPreview", "moreFormats", "builtinPictures", "bigCursor"})
        QVERIFY2(window.findChild<QCheckBox *>(key)->isChecked(), key);
    for (const char *key : {"speech", "fullscreen"})
        QVERIFY2(!window.findChild<QCheckBox *>(key)->isChecked(), key);
    QVERIFY(!QFileInfo::exists(settings::UserSettingsPath())); // nothing saved yet

    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("CommandSave")), Qt::LeftButton);
    QStringList said;
    QVERIFY(settings::ReadSettingsFile(settings::UserSettingsPath(), &said) == SettingsWindow::Recommended(start));
}

void TestSettings::theWindowFitsASmallScreenAndAsksBeforeClosing()
{
    SettingsWindow window{Settings{}};
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Whole on the screen, and within a classroom PC's 1024 x 768.
    const QRect frame = window.frameGeometry();
    QVERIFY2(window.screen()->availableGeometry().contains(frame) && frame.width() <= 1024 && frame.height() <= 768,
             qPrintable(QStringLiteral("%1 x %2").arg(frame.width()).arg(frame.height())));
    for (const char *name : {"CommandRecommended", "CommandSave", "CommandClose"}) {
        auto *button = window.findChild<QPushButton *>(name);
        QVERIFY2(window.rect().contains(QRect(button->mapTo(&window, QPoint()), button->size())), name);
    }
    auto *close = window.findChild<QPushButton *>(QStringLiteral("CommandClose"));
    // Closing with a change not saved asks first; "キャンセル" keeps the window.
    auto *undo = window.findChild<QCheckBox *>(QStringLiteral("undo"));
    QTest::mouseClick(undo, Qt::LeftButton, {}, QPoint(8, undo->height() / 2));
    bool asked = false;
    testing::ClickNextMessageBox(QMessageBox::Cancel, [&](QMessageBox *) { asked = true; });
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(asked);
    QVERIFY(window.isVisible());
    // What saving says leaves every text its lines; saved, the window closes without a word.
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("CommandSave")), Qt::LeftButton);
    QCoreApplication::processEvents();
    for (const QLabel *label : window.findChildren<QLabel *>())
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

void TestSettings::theWindowHasASwitchForEachOption_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key : {"fullscreen", "bigCursor", "galleryButtons", "wizardGuard", "saveFormats", "printPreview",
                            "moreFormats", "builtinPictures", "speech", "undo", "quitPrompt", "autosave", "shelf", "clickToCarry",
                            "keyboardPointer"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void TestSettings::theWindowHasASwitchForEachOption()
{
    QFETCH(QString, key);
    SettingsWindow window{Settings{}};
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *box = window.findChild<QCheckBox *>(key);
    QVERIFY(box);
    QVERIFY(!box->text().isEmpty());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    Settings expected;
    QCOMPARE(settings::SetValue(expected, key, QStringLiteral("true")), QString());
    QVERIFY(window.chosen() == expected); // that option and no other
}

void TestSettings::scaleFactors_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QSizeF>("available");
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<double>("factor");

    const QSizeF fullHd(1920, 1080), fullHdPanel(1920, 1040), laptop(1366, 768), laptopPanel(1366, 740);
    QTest::newRow("as designed") << "scale=1" << fullHdPanel << fullHd << 1.0;
    QTest::newRow("1.25 fits") << "scale=1.25" << fullHdPanel << fullHd << 1.25;
    QTest::newRow("2 is cut to the fit") << "scale=2" << fullHdPanel << fullHd << 1.35;
    QTest::newRow("fit") << "scale=fit" << fullHdPanel << fullHd << 1.35;
    QTest::newRow("fit on a laptop") << "scale=fit" << laptopPanel << laptop << 1.0;
    QTest::newRow("1.5 on a laptop") << "scale=1.5" << laptopPanel << laptop << 1.0;
    QTest::newRow("full screen") << "fullscreen=true" << fullHdPanel << fullHd << 1.40;
    QTest::newRow("4K fit") << "scale=fit" << QSizeF(3840, 2110) << QSizeF(3840, 2160) << 2.74;
}

void TestSettings::scaleFactors()
{
    QFETCH(QString, set);
    QFETCH(QSizeF, available);
    QFETCH(QSizeF, screen);
    QFETCH(double, factor);
    QStringList said;
    const double chosen = ChooseScaleFactor(settings::LoadSettings({set}, &said), available, screen);
    QVERIFY2(qAbs(chosen - factor) < 1e-9, qPrintable(QString::number(chosen)));
    // The window with its frame fits where it must: the available area, or in full screen the
    // whole screen.
    const QSizeF room = set.startsWith(QLatin1String("fullscreen")) ? screen : available;
    QVERIFY(ScaledWindowHeight * chosen <= std::max(ScaledWindowHeight, room.height()));
}

void TestSettings::scaledProgramKeepsItsLayout_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<bool>("fullscreen");
    QTest::newRow("none") << "" << 1.0 << false;
    QTest::newRow("scale=1.25") << "scale=1.25" << 1.25 << false;
    QTest::newRow("scale=fit") << "scale=fit" << 1.4 << false;
    QTest::newRow("fullscreen") << "fullscreen=true" << 1.4 << true;
}

void TestSettings::scaledProgramKeepsItsLayout()
{
    QFETCH(QString, set);
    QFETCH(double, ratio);
    QFETCH(bool, fullscreen);
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + ScreenConfig(dir));
    environment.insert(QStringLiteral("TOVIMARU_TEST_SCALE_CHILD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TOVIMARU_TEST_SET"), set);
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(dir.path());
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY2(lines.size() >= 7, qPrintable(lines.join(QLatin1Char('|'))));
    // The logical layout stays as designed: the client area's width (its height follows the
    // forced outer height and the menu bar), a button's place and size.
    QVERIFY2(lines[1].startsWith(QLatin1String("client 1008 ")), qPrintable(lines[1]));
    QCOMPARE(lines[2], QStringLiteral("command11 872 24 121 73"));
    const double shown = lines[0].section(QLatin1Char(' '), 1).toDouble();
    QVERIFY2(qAbs(shown - ratio) < 0.06, qPrintable(lines[0]));
    // The screen in logical pixels holds the window at that factor.
    const double screenHeight = lines[3].section(QLatin1Char(' '), 2).toDouble();
    QVERIFY2(screenHeight * shown <= 1080.5, qPrintable(lines[3]));
    QCOMPARE(lines[4], QStringLiteral("fullscreen %1").arg(fullscreen ? 1 : 0));
    // None of the window is cut off at the bottom of the screen.
    QVERIFY2(lines[5].section(QLatin1Char(' '), 1).toInt() <= screenHeight, qPrintable(lines[5]));
    QVERIFY2(qAbs(lines[6].section(QLatin1Char(' '), 1).toDouble() - shown) < 0.01, qPrintable(lines[6]));
}

void TestSettings::galleryButtonsPageAsTheScrollBar()
{
    Form1 *form = Start(Settings{});
    QVERIFY(!form->client()->findChild<QWidget *>(QStringLiteral("CommandPageUp")));

    Settings chosen;
    chosen.galleryButtons = true;
    form = Start(chosen);
    QTemporaryDir folder;
    QStringList names;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int i = 0; i < 25; ++i) {
        names << QStringLiteral("%1.bmp").arg(i, 2, 10, QLatin1Char('0'));
        QVERIFY(image.save(folder.filePath(names.last()), "BMP"));
    }
    Module1::ImageDir = folder.path() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);

    auto *up = form->client()->findChild<platform::CommandButton *>(QStringLiteral("CommandPageUp"));
    auto *down = form->client()->findChild<platform::CommandButton *>(QStringLiteral("CommandPageDown"));
    QVERIFY(up && down);
    QCOMPARE(up->property("caption").toString(), QStringLiteral("▲"));
    QCOMPARE(down->property("caption").toString(), QStringLiteral("▼"));
    QVERIFY(!up->isVisible() && !down->isVisible()); // step 1 has no gallery

    Click(form->Command11);
    QTRY_VERIFY(form->VScroll1->isVisible());
    QVERIFY(up->isVisible() && down->isVisible());
    // Beside the gallery, over no control that step 2 shows.
    for (QWidget *other : form->client()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != up && other != down && other->isVisible())
            QVERIFY2(!other->geometry().intersects(up->geometry()) && !other->geometry().intersects(down->geometry()),
                     qPrintable(other->objectName()));
    }

    // Exactly as the scroll bar's own track: a page of ten, and no further than its ends.
    const QString firstOfPage2 = Module1::ImageFiles[10];
    Click(down);
    QCOMPARE(form->VScroll1->value(), 10);
    Click(down);
    QCOMPARE(form->VScroll1->value(), 20);
    Click(down);
    QCOMPARE(form->VScroll1->value(), 20);
    QCOMPARE(Module1::ThumbCount, std::int16_t(5));
    Click(up);
    QCOMPARE(form->VScroll1->value(), 10);
    QCOMPARE(Module1::ThumbCount, std::int16_t(10));
    QCOMPARE(firstOfPage2, folder.filePath(QStringLiteral("10.bmp")));

    Click(form->Command5); // back to step 1
    QTRY_VERIFY(!form->VScroll1->isVisible());
    QVERIFY(!up->isVisible() && !down->isVisible());
}

void TestSettings::wizardGuardIgnoresTheSecondClickOfADoubleClick()
{
    for (const bool guard : {false, true}) {
        Settings chosen;
        chosen.wizardGuard = guard;
        Form1 *form = Start(chosen);
        QWidget *top = form->window();
        // "つぎへ" of step 1 and of step 2 lie at one place: a child's double click there.
        const QPoint at = form->Command11->mapTo(top, form->Command11->rect().center());
        QTest::mouseDClick(top->windowHandle(), Qt::LeftButton, {}, at);
        QTest::qWait(100);
        QCOMPARE(form->Label5->property("caption").toString(),
                 guard ? WizardController::StepCaption2 : WizardController::StepCaption3);
        if (guard) {
            // Clicks further apart than a double click still move, one step each.
            QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, at);
            QTRY_COMPARE(form->Label5->property("caption").toString(), WizardController::StepCaption3);
        }
    }
}

void TestSettings::bigCursor()
{
    Start(Settings{});
    QVERIFY(!QGuiApplication::overrideCursor());
    Settings chosen;
    chosen.bigCursor = true;
    Start(chosen);
    const QCursor *cursor = QGuiApplication::overrideCursor();
    QVERIFY(cursor);
    const QPixmap arrow = cursor->pixmap();
    QVERIFY(arrow.deviceIndependentSize().height() >= 4 * 24);
    // The tip is the hot spot, and the arrow is black with a white rim.
    QVERIFY(cursor->hotSpot().x() < 8 && cursor->hotSpot().y() < 8);
    const QImage image = arrow.toImage();
    QCOMPARE(image.pixelColor(int(12 * arrow.devicePixelRatio()), int(40 * arrow.devicePixelRatio())), QColor(Qt::black));
    Start(Settings{});
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestSettings::fullScreenCentresTheLayout()
{
    Settings chosen;
    chosen.fullscreen = true;
    Form1 *form = Start(chosen);
    QTRY_VERIFY(form->isFullScreen());
    QWidget *client = form->client();
    QCOMPARE(client->size(), QSize(1008, 710));
    const QWidget *surround = client->parentWidget();
    QVERIFY(surround != form);
    QVERIFY(qAbs(client->geometry().center().x() - surround->rect().center().x()) <= 1);
    QVERIFY(qAbs(client->geometry().center().y() - surround->rect().center().y()) <= 1);
    // The controls are where they were, and the registration window opens above.
    QCOMPARE(form->Command11->geometry(), QRect(872, 24, 121, 73));
    QVERIFY(testing::TopLevel(QStringLiteral("frmList")) || form->findChild<QWidget *>(QStringLiteral("frmList")));
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TOVIMARU_TEST_SCALE_CHILD"))
        return ScaleChild(argc, argv);
    QApplication application(argc, argv);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
