// SPDX-License-Identifier: GPL-3.0-or-later
// The registration window: its layout as designed, and its handlers: the lists opening at the
// current folder, folder and drive changes, load and confirmation with their messages. The lists
// themselves are tested in tst_filelists, the phrase store on real files in tst_phrasestore.

#include "TestPaths.h"
#include "TestSupport.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "base/Fonts.h"
#include "base/Twips.h"
#include "registration/frmList.h"
#include "tests/support/Registration.h"

#include <QDir>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace testing;

class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The window as designed.
    void layout_data();
    void layout();
    void windowPlacement();
    void tabOrder();
    void phraseBoxesTakeTheInputMethod();

    // The window's handlers.
    void listsOpenAtTheCurrentFolder();
    void folderChangeSetsImageDir();
    void doubleClickEntersAndLeavesFolders();
    void driveThatCannotBeReadGivesTheDriveError();
    void emptyDriveAndPathKeepTheLists();
    void setPathFromOutside();
    void confirmFillsTheSlotsStoresScansAndCloses();
    void confirmWithoutPicturesWarnsAndGoesOn();
    void confirmWithAllBoxesEmptyClearsTheSlots();
    void reopeningOffersThePostersTexts();
    void unreadableStoreInTheWindow_data();
    void unreadableStoreInTheWindow();

private:
    // A registration window over a main window, as the program opens it.
    frmList *open();
    QString dataDir() const { return m_data->path(); }
    QString store() const { return m_data->filePath(StoreName); }

    QString m_startFolder;
    std::unique_ptr<QTemporaryDir> m_data;     // DataDir
    std::unique_ptr<QTemporaryDir> m_pictures; // the current folder
    std::unique_ptr<Form1> m_form;
    QPointer<frmList> m_window;
};

void TestRegistration::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_startFolder = QDir::currentPath();
}

void TestRegistration::init()
{
    Module1::Reset();
    m_data = std::make_unique<QTemporaryDir>();
    m_pictures = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid() && m_pictures->isValid());
    QVERIFY(QDir::setCurrent(m_pictures->path()));
    Module1::DataDir = m_data->path() + QLatin1Char('/');
    Module1::ImageDir = m_pictures->path() + QLatin1Char('/');
}

void TestRegistration::cleanup()
{
    delete m_window;
    m_form.reset();
    QDir::setCurrent(m_startFolder);
    m_pictures.reset();
    m_data.reset();
}

frmList *TestRegistration::open()
{
    if (!m_form)
        m_form = std::make_unique<Form1>();
    m_window = new frmList(*m_form, m_form.get());
    m_window->show();
    return m_window;
}

// ---------------------------------------------------------------------------------------------
// The window as designed.

void TestRegistration::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");

    auto row = [](const char *name, const char *className, QRectF twips, const char *caption, const char *family,
                  double points, bool bold = false) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromLatin1(className) << twips
                            << QString::fromUtf8(caption) << QString::fromLatin1(family) << points << bold;
    };
    row("Label3", "platform::Label", {-240, 120, 3375, 375}, "データの設定", "IPAPGothic", 20.25);
    row("Label4", "platform::Label", {360, 600, 1695, 255}, "画像ファイル", "IPAGothic", 12);
    row("Label1", "platform::Label", {4800, 600, 615, 255}, "文字", "IPAGothic", 12);
    row("File1", "platform::FileList", {480, 960, 2055, 3510}, "File1", "IPAGothic", 9);
    row("Drive1", "platform::DriveList", {2640, 960, 1935, 300}, "Drive1", "IPAGothic", 9);
    row("Dir1", "platform::FolderList", {2640, 1440, 1935, 3030}, "Dir1", "IPAGothic", 9);
    for (int k = 1; k <= PhraseCount; ++k) {
        const QByteArray name = QStringLiteral("Text%1").arg(10 + k).toLatin1();
        row(name.constData(), "platform::PlainTextBox", {4920, 960.0 + 360 * (k - 1), 3200, 270}, name.constData(),
            "IPAGothic", 9);
    }
    row("Command12", "platform::CommandButton", {5760, 4600, 2295, 615}, "これでよし", "IPAGothic", 15.75, true);
}

void TestRegistration::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRectF, twips);
    QFETCH(QString, caption);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);

    frmList *window = open();
    const QList<QWidget *> named = window->client()->findChildren<QWidget *>(name, Qt::FindDirectChildrenOnly);
    QCOMPARE(named.size(), 1);
    QWidget *control = named.first();
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->property("twipsLeft").toDouble(), twips.left());
    QCOMPARE(control->property("twipsTop").toDouble(), twips.top());
    QCOMPARE(control->property("twipsWidth").toDouble(), twips.width());
    QCOMPARE(control->property("twipsHeight").toDouble(), twips.height());
    QCOMPARE(control->geometry(), platform::TwipsToPixelRect(twips.left(), twips.top(), twips.width(), twips.height()));
    QCOMPARE(control->accessibleName(), caption);
    if (control->property("caption").isValid())
        QCOMPARE(control->property("caption").toString(), caption);
    QCOMPARE(QFontInfo(control->font()).family(), family);
    QCOMPARE(platform::PointsOf(control->font()), points);
    QCOMPARE(control->font().bold(), bold);
    QVERIFY(control->isVisible());
}

void TestRegistration::windowPlacement()
{
    frmList *window = open();
    QCOMPARE(window->objectName(), QStringLiteral("frmList"));
    QCOMPARE(window->windowTitle(), QStringLiteral("データの登録"));
    QCOMPARE(window->client()->width(), 561); // 8415 twips
    // The outer height is forced, frame included, so the client area is what the frame leaves.
    QCOMPARE(window->twipsHeight(), 5775.0);
    QCOMPARE(window->frameGeometry().height(), platform::TwipsToPixels(5775));
    // Centred when it was created, before the window system framed it.
    QCOMPARE(window->twipsLeft(), float((window->screenWidthTwips() - 8415) / 2));
    QCOMPARE(window->twipsTop(), float((window->screenHeightTwips() - 5775) / 2));
    QCOMPARE(window->frameGeometry().topLeft(),
             QPoint(platform::TwipsToPixels(window->twipsLeft()), platform::TwipsToPixels(window->twipsTop())));
    QCOMPARE(window->client()->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(QFontInfo(window->font()).family(), QStringLiteral("IPAGothic"));
    QCOMPARE(platform::PointsOf(window->font()), 9.0);
    // A window of its own above the main window, which it does not block.
    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), m_form.get());
    QVERIFY(!window->isModal());
}

void TestRegistration::tabOrder()
{
    frmList *window = open();
    QStringList order;
    QWidget *widget = window->Command12;
    do {
        if (widget->focusPolicy() & Qt::TabFocus && widget->parentWidget() == window->client())
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != window->Command12);
    QCOMPARE(order, (QStringList{"Command12", "Text11", "Text12", "Text13", "Text14", "Text15", "Text16", "Text17",
                                 "Text18", "Text19", "Text20", "File1", "Drive1", "Dir1"}));
}

void TestRegistration::phraseBoxesTakeTheInputMethod()
{
    frmList *window = open();
    for (platform::PlainTextBox *box : window->PhraseBox) {
        QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(box->locale().language(), QLocale::Japanese);
        QVERIFY(box->inputMethodHints() & Qt::ImhPreferLowercase);
    }
    // What an input method commits lands in the box.
    platform::PlainTextBox *box = window->PhraseBox[4];
    box->setFocus();
    QInputMethodEvent preedit(QStringLiteral("ねこ"), {});
    QApplication::sendEvent(box, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ねこ"));
    QApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), QStringLiteral("ねこ"));
}

// ---------------------------------------------------------------------------------------------
// The window's handlers.

void TestRegistration::listsOpenAtTheCurrentFolder()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    Module1::ImageDir = QStringLiteral("/somewhere/else/");
    frmList *window = open();
    QCOMPARE(window->Dir1->path(), m_pictures->path());
    QCOMPARE(window->File1->path(), m_pictures->path());
    QCOMPARE(window->File1->names(), QStringList{"one.jpg"});
    QCOMPARE(window->Drive1->drive(), window->Drive1->driveOf(m_pictures->path()));
    // The file list and ImageDir agree from the start.
    QCOMPARE(Module1::ImageDir, m_pictures->path() + QLatin1Char('/'));
    QCOMPARE(window->focusWidget(), window->Command12);
}

void TestRegistration::folderChangeSetsImageDir()
{
    const QString sub = m_pictures->filePath(QStringLiteral("sub"));
    QVERIFY(QDir().mkpath(sub));
    Write(sub + QStringLiteral("/two.GIF"), "x");
    const QString dataDir = Module1::DataDir;
    frmList *window = open();
    QVERIFY(window->Dir1->setPath(sub));
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    QCOMPARE(window->File1->path(), sub);
    QCOMPARE(window->File1->names(), QStringList{"two.GIF"});
    QCOMPARE(Module1::DataDir, dataDir);
    // The root gets no second "/".
    QVERIFY(window->Dir1->setPath(QStringLiteral("/")));
    QCOMPARE(Module1::ImageDir, QStringLiteral("/"));
    QCOMPARE(Module1::DataDir, dataDir);
    // The gallery is only rebuilt at confirmation.
    QCOMPARE(Module1::ImageFiles[0], QString());
}

void TestRegistration::doubleClickEntersAndLeavesFolders()
{
    const QString sub = m_pictures->filePath(QStringLiteral("なつ やすみ"));
    QVERIFY(QDir().mkpath(sub));
    frmList *window = open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    platform::FolderList *list = window->Dir1;

    auto doubleClick = [list](const QString &path) {
        for (int i = 0; i < list->count(); ++i) {
            if (platform::FolderList::itemPath(list->item(i)) == path) {
                list->scrollToItem(list->item(i));
                const QPoint centre = list->visualItemRect(list->item(i)).center();
                // A double-click as the desktop delivers it: a press, then the second press.
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
                return true;
            }
        }
        return false;
    };
    QVERIFY(doubleClick(sub));
    QCOMPARE(list->path(), sub);
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    const QString parent = QFileInfo(m_pictures->path()).path();
    QVERIFY(doubleClick(parent));
    QCOMPARE(list->path(), parent);
    QCOMPARE(Module1::ImageDir, parent + QLatin1Char('/'));
    QCOMPARE(window->File1->path(), parent);
}

void TestRegistration::driveThatCannotBeReadGivesTheDriveError()
{
    auto stick = std::make_unique<QTemporaryDir>();
    const QString gone = stick->path();
    frmList *window = open();
    window->Drive1->setDrives({QStringLiteral("/"), gone});
    const QString folder = window->Dir1->path();
    stick.reset(); // the medium is taken out

    Boxes boxes;
    window->Drive1->setCurrentIndex(window->Drive1->findData(gone)); // the user picks it
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("ディスクをセットしてください"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ドライブエラー"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    ExpectTheProgramsMessageLook(boxes.seen[0].family, boxes.seen[0].pixelSize, boxes.seen[0].okSize);
    // Nothing moved: the folder, the file list and ImageDir stay, and the drive list shows the
    // drive of the folder shown.
    QCOMPARE(window->Dir1->path(), folder);
    QCOMPARE(window->File1->path(), folder);
    QCOMPARE(Module1::ImageDir, folder + QLatin1Char('/'));
    QCOMPARE(window->Drive1->drive(), window->Drive1->driveOf(folder));
}

void TestRegistration::emptyDriveAndPathKeepTheLists()
{
    frmList *window = open();
    const QString drive = window->Drive1->drive();
    const QString folder = window->Dir1->path();
    QSignalSpy driveChanges(window->Drive1, &platform::DriveList::change);
    QSignalSpy folderChanges(window->Dir1, &platform::FolderList::change);
    Boxes boxes;
    // What the menu passes before the first confirmation.
    window->setDrive(Module1::ChosenDrive);
    window->setPath(Module1::ChosenDir);
    QCOMPARE(window->Drive1->drive(), drive);
    QCOMPARE(window->Dir1->path(), folder);
    QCOMPARE(driveChanges.count(), 0);
    QCOMPARE(folderChanges.count(), 0);
    QVERIFY(boxes.seen.isEmpty());
}

void TestRegistration::setPathFromOutside()
{
    const QString sub = m_pictures->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(sub));
    Write(sub + QStringLiteral("/a.bmp"), "x");
    frmList *window = open();
    Boxes boxes;
    window->setDrive(sub);
    window->setPath(sub);
    QCOMPARE(window->Dir1->path(), sub);
    QCOMPARE(window->File1->names(), QStringList{"a.bmp"});
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    QVERIFY(boxes.seen.isEmpty());

    // The folder confirmed last is gone (with its medium): the drive error, and nothing moves.
    window->setPath(m_pictures->filePath(QStringLiteral("gone")));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ドライブエラー"));
    QCOMPARE(window->Dir1->path(), sub);
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
}

void TestRegistration::confirmFillsTheSlotsStoresScansAndCloses()
{
    const QString sub = m_pictures->filePath(QStringLiteral("え"));
    QVERIFY(QDir().mkpath(sub));
    for (const char *name : {"b.jpg", "A.BMP", "c d.gif", "notes.txt"})
        Write(sub + QLatin1Char('/') + QString::fromUtf8(name), "x");
    MakeStore(store(), Numbered(QStringLiteral("もと")));

    frmList *window = open();
    QCOMPARE(window->PhraseBox[0]->text(), QStringLiteral("もと1"));
    QVERIFY(window->Dir1->setPath(sub));
    window->PhraseBox[0]->setText(QStringLiteral("おはよう"));
    window->PhraseBox[1]->clear();
    QTest::keyClicks(window->PhraseBox[9], QStringLiteral(" ok"));

    QStringList scanned;
    QString imageDirAtScan;
    bool windowAliveAtScan = false;
    QPointer<frmList> watched(window);
    connect(window, &frmList::scanImageFolder, this, [&](const QStringList &names) {
        scanned = names;
        imageDirAtScan = Module1::ImageDir;
        windowAliveAtScan = watched && watched->isVisible() && watched->File1->count() == names.size();
    });
    const QString drive = window->Drive1->drive();
    Boxes boxes;
    QTest::mouseClick(window->Command12, Qt::LeftButton);
    QVERIFY(boxes.seen.isEmpty());

    Phrases expected = Numbered(QStringLiteral("もと"));
    expected[0] = QStringLiteral("おはよう");
    expected[1].clear();
    expected[9] += QStringLiteral(" ok");
    for (int k = 0; k < PhraseCount; ++k)
        QCOMPARE(m_form->Text1[k]->text(), expected[k]);
    QCOMPARE(StoredRows(store()), QList<QStringList>{ListOf(expected)});
    QCOMPARE(scanned, (QStringList{"A.BMP", "b.jpg", "c d.gif"}));
    QCOMPARE(imageDirAtScan, sub + QLatin1Char('/'));
    QVERIFY(windowAliveAtScan);
    QCOMPARE(Module1::ChosenDrive, drive);
    QCOMPARE(Module1::ChosenDir, sub);
    QTRY_VERIFY(watched.isNull());
    QVERIFY(m_form->isVisible());
    QTRY_VERIFY(m_form->isActiveWindow());
}

void TestRegistration::confirmWithoutPicturesWarnsAndGoesOn()
{
    Write(m_pictures->filePath(QStringLiteral("readme.txt")), "x");
    frmList *window = open();
    QPointer<frmList> watched(window);
    QSignalSpy scans(window, &frmList::scanImageFolder);
    window->PhraseBox[2]->setText(QStringLiteral("さくら"));
    Boxes boxes;
    window->Command12->click();

    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("がぞうがありません、がぞうをいれるには\u3000[ディレクトリの指定]からおこなってください。"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("確認"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    ExpectTheProgramsMessageLook(boxes.seen[0].family, boxes.seen[0].pixelSize, boxes.seen[0].okSize);
    // The confirmation went on.
    QCOMPARE(m_form->Text1[2]->text(), QStringLiteral("さくら"));
    QCOMPARE(StoredRows(store()).value(0).value(2), QStringLiteral("さくら"));
    QCOMPARE(scans.count(), 1);
    QCOMPARE(scans[0][0].toStringList(), QStringList());
    QCOMPARE(Module1::ChosenDir, m_pictures->path());
    QTRY_VERIFY(watched.isNull());
}

void TestRegistration::confirmWithAllBoxesEmptyClearsTheSlots()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    MakeStore(store(), Numbered(QStringLiteral("ことば")));
    m_form = std::make_unique<Form1>();
    for (int k = 0; k < PhraseCount; ++k)
        m_form->Text1[k]->setText(QStringLiteral("ポスター%1").arg(k));
    frmList *window = open();
    for (platform::PlainTextBox *box : window->PhraseBox)
        box->clear();
    Boxes boxes;
    window->Command12->click();
    QVERIFY(boxes.seen.isEmpty());
    for (int k = 0; k < PhraseCount; ++k)
        QCOMPARE(m_form->Text1[k]->text(), QString());
    QCOMPARE(StoredRows(store()), QList<QStringList>{QStringList(PhraseCount, QString())});
}

void TestRegistration::reopeningOffersThePostersTexts()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    MakeStore(store(), Numbered(QStringLiteral("ことば")));
    frmList *first = open();
    QPointer<frmList> watched(first);
    first->Command12->click();
    QTRY_VERIFY(watched.isNull());
    QCOMPARE(m_form->Text1[2]->text(), QStringLiteral("ことば3"));

    // The poster's text slot 3 is edited, and the window is opened again.
    m_form->Text1[2]->setText(QStringLiteral("あたらしい"));
    m_form->Text1[5]->clear();
    frmList *second = open();
    QCOMPARE(second->PhraseBox[2]->text(), QStringLiteral("あたらしい"));
    QCOMPARE(second->PhraseBox[5]->text(), QStringLiteral("ことば6")); // an empty slot offers the stored phrase
    QCOMPARE(second->PhraseBox[0]->text(), QStringLiteral("ことば1"));
    second->Command12->click();
    Phrases expected = Numbered(QStringLiteral("ことば"));
    expected[2] = QStringLiteral("あたらしい");
    QCOMPARE(StoredRows(store()), QList<QStringList>{ListOf(expected)});
}

void TestRegistration::unreadableStoreInTheWindow_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<QString>("backup");
    QTest::newRow("garbage") << false << QByteArray("these are not the phrases\n") << QStringLiteral(".broken");
    QTest::newRow("a folder named tovi.mdb") << true << QByteArray("these are not the phrases\n") << QString();
    // A damaged Jet file on which libmdb dies of a segmentation fault.
    QTest::newRow("a Jet file that crashes its reader")
        << false << Bytes(testing::SourcePath(QStringLiteral("tests/regressions/jet/tovi-jet4-mutant-1213.mdb"))) << QStringLiteral(".jet");
}

void TestRegistration::unreadableStoreInTheWindow()
{
    QFETCH(bool, folder);
    QFETCH(QByteArray, garbage);
    QFETCH(QString, backup);
    QVERIFY(!garbage.isEmpty());
    if (folder) {
        QVERIFY(QDir().mkpath(store()));
        Write(store() + QStringLiteral("/inside"), garbage);
    } else {
        Write(store(), garbage);
    }
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    m_form = std::make_unique<Form1>();
    m_form->Text1[1]->setText(QStringLiteral("ポスター"));

    Boxes boxes;
    frmList *window = open();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("ことばを よみこめませんでした"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ことば"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    ExpectTheProgramsMessageLook(boxes.seen[0].family, boxes.seen[0].pixelSize, boxes.seen[0].okSize);
    QCOMPARE(window->PhraseBox[0]->text(), QString());
    QCOMPARE(window->PhraseBox[1]->text(), QStringLiteral("ポスター"));

    window->PhraseBox[0]->setText(QStringLiteral("うみ"));
    QPointer<frmList> watched(window);
    QSignalSpy scans(window, &frmList::scanImageFolder);
    window->Command12->click();
    QCOMPARE(m_form->Text1[0]->text(), QStringLiteral("うみ"));
    QCOMPARE(scans.count(), 1);
    QTRY_VERIFY(watched.isNull());
    if (folder) {
        // Nothing can be written, and the user is told; the folder is left as it was.
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("ことばを ほぞんできませんでした"));
        QCOMPARE(boxes.seen[1].title, QStringLiteral("ことば"));
        QCOMPARE(Bytes(store() + QStringLiteral("/inside")), garbage);
        QCOMPARE(Entries(dataDir()), QStringList{StoreName});
    } else {
        // The unreadable file is kept aside and a new store holds the phrases.
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(Bytes(store() + backup), garbage);
        QCOMPARE(StoredRows(store()).value(0).mid(0, 2), (QStringList{"うみ", "ポスター"}));
    }
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QTEST_SET_MAIN_SOURCE_PATH
    TestRegistration test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registration.moc"
