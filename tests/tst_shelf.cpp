// SPDX-License-Identifier: GPL-3.0-or-later
// The setting shelf: every poster a file of its own, the shelf "たな" of step 1 showing them by
// their small pictures, a poster taken from it back in its step, damaged files set aside, the
// bin, and the posters beyond the most kept moved aside.
#include "TestSupport.h"
#include "app/Program.h"
#include "app/Resume.h"
#include "app/SettingsWindow.h"
#include "app/Shelf.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "history/PosterWriter.h"
#include "images/Gallery.h"
#include "posterfile/PosterFile.h"
#include "settings/Settings.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

namespace {

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

PosterKeeper *Keeper()
{
    return CurrentProgram() ? CurrentProgram()->findChild<PosterKeeper *>() : nullptr;
}

Form1 &StartWithShelf()
{
    settings::Settings chosen;
    chosen.shelf = true;
    settings::SetCurrent(chosen);
    StartTovimaru();
    return *MainWindow();
}

QPushButton *ShelfButton(Form1 &form)
{
    return form.client()->findChild<QPushButton *>(QStringLiteral("CommandShelf"));
}

ShelfWindow *OpenShelf(Form1 &form)
{
    QPushButton *button = ShelfButton(form);
    if (!button || !button->isVisible())
        return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    return qobject_cast<ShelfWindow *>(testing::TopLevel(QStringLiteral("ShelfWindow")));
}

// The colour in the middle of a poster button's picture.
QColor PictureColour(QPushButton *poster)
{
    const QImage picture = poster->icon().pixmap(posterfile::ThumbnailSize).toImage();
    return picture.isNull() ? QColor() : picture.pixelColor(picture.width() / 2, picture.height() - 4);
}

// A child's poster: the paper's colour, a move to step 2 and a picture from the folder, carried
// onto the poster; the program then ends (its last write).
void MakePoster(const QColor &paper, const QString &picture)
{
    Form1 &form = StartWithShelf();
    form.Picture1->setBackColor(paper);
    form.Command12->setBackColor(paper);
    Module1::ImageDir = QFileInfo(picture).absolutePath() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder({QFileInfo(picture).fileName()});
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    const QPoint cell = form.client()->mapTo(&form, QPoint(int(images::CellLeft(0) + 900) / 15, int(images::CellTop(0) + 600) / 15));
    const QPoint paperPoint = form.client()->mapTo(&form, QPoint(150, 300));
    QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, cell);
    for (int k = 1; k <= 4; ++k)
        QTest::mouseMove(form.windowHandle(), cell + (paperPoint - cell) * k / 4);
    QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, paperPoint);
    // "おわり": the windows go, then the last write as the event loop ends.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    Keeper()->writer().writeNow();
}

// Whether a poster button's picture shows some of the colour.
bool Shows(QPushButton *poster, const QColor &colour)
{
    const QImage picture = poster->icon().pixmap(posterfile::ThumbnailSize).toImage();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

QStringList Names(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestShelf : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(shelf::Folder()).removeRecursively();
        QDir(shelf::StarterFolder()).removeRecursively();
    }
    void cleanup() { settings::SetCurrent(settings::Settings{}); }
    void offChangesNothing();
    void twoChildrenBothOnTheShelf();
    void aDamagedFileIsSetAside();
    void theBinAsksFirst();
    void theOldestBeyondTheMostKeptAreMovedAside();
    void aStarterTakenTwiceGivesTwoPosters();
    void theSettingsWindowCopiesKeepsAndEmpties();
};

void TestShelf::offChangesNothing()
{
    settings::SetCurrent(settings::Settings{});
    StartTovimaru();
    QCOMPARE(ShelfButton(*MainWindow()), nullptr);
    QVERIFY(!QFileInfo::exists(shelf::Folder()));
}

void TestShelf::twoChildrenBothOnTheShelf()
{
    QTemporaryDir pictures;
    const QString red = pictures.filePath(QStringLiteral("red.bmp")), blue = pictures.filePath(QStringLiteral("blue.bmp"));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(red));
    picture.fill(Qt::blue);
    QVERIFY(picture.save(blue));
    MakePoster(QColor(0xFF, 0xFF, 0x80), red);
    QTest::qWait(1100); // the next poster is newer by its file's time
    MakePoster(QColor(0x80, 0xFF, 0xFF), blue);
    QCOMPARE(Names(shelf::Folder()).size(), 2);
    // The pictures' files are gone (the USB stick taken out).
    QVERIFY(QFile::remove(red) && QFile::remove(blue));

    Form1 &form = StartWithShelf();
    QPushButton *button = ShelfButton(form);
    QVERIFY(button && button->isVisible());
    QCOMPARE(button->text(), QStringLiteral("たな"));
    // It lies over none of the controls step 1 shows.
    for (QWidget *control : form.client()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control != button && control->isVisible())
            QVERIFY2(!control->geometry().intersects(button->geometry()), qPrintable(control->objectName()));
    }
    ShelfWindow *shelfWindow = OpenShelf(form);
    QVERIFY(shelfWindow && shelfWindow->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), shelfWindow);
    // Newest first, each its own picture: the paper's colour around the picture.
    const QList<QPushButton *> posters = shelfWindow->posterButtons();
    QCOMPARE(posters.size(), 2);
    QCOMPARE(posters[0]->text(), QString());
    QCOMPARE(PictureColour(posters[0]), QColor(0x80, 0xFF, 0xFF));
    QCOMPARE(PictureColour(posters[1]), QColor(0xFF, 0xFF, 0x80));
    // The newest wholly on the first page, under the program's five starters.
    auto *page = shelfWindow->findChild<QScrollArea *>(QStringLiteral("ShelfPage"));
    QVERIFY(page->viewport()->rect().contains(QRect(posters[0]->mapTo(page->viewport(), QPoint()), posters[0]->size())));
    // With the picture on it, though the last write came after the windows went.
    QVERIFY(Shows(posters[0], Qt::blue) && Shows(posters[1], Qt::red));
    const QString older = posters[1]->property("path").toString();
    QTest::mouseClick(posters[1], Qt::LeftButton);
    QTRY_VERIFY(!testing::TopLevel(QStringLiteral("ShelfWindow")));
    // Back in its step, whole: the red picture from the poster's own file.
    QCOMPARE(form.Label5->caption(), QStringLiteral("２．がぞうを　はります"));
    QVERIFY(!button->isVisible());
    int shown = 0;
    for (platform::ImageControl *slot : form.Image3) {
        if (slot->isVisible()) {
            ++shown;
            QCOMPARE(slot->picture().image().pixelColor(10, 10), QColor(Qt::red));
        }
    }
    QCOMPARE(shown, 1);
    // It goes on in its own file: no third poster.
    QTest::mouseClick(form.Command2, Qt::LeftButton); // "おおきく"
    Keeper()->writer().writeNow();
    QCOMPARE(Names(shelf::Folder()).size(), 2);
    posterfile::Poster poster;
    QCOMPARE(posterfile::ReadFile(older, poster), posterfile::Read::Sound);
    QCOMPARE(poster.step, 2);
    QCOMPARE(poster.sources.size(), std::size_t(1));
}

void TestShelf::aDamagedFileIsSetAside()
{
    QTemporaryDir pictures;
    const QString red = pictures.filePath(QStringLiteral("red.bmp"));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(red));
    MakePoster(Qt::yellow, red);
    MakePoster(Qt::green, red);
    QFile damaged(shelf::Folder() + QStringLiteral("/damaged.poster"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(3000, 'x'));
    damaged.close();

    Form1 &form = StartWithShelf();
    ShelfWindow *shelfWindow = OpenShelf(form);
    QVERIFY(shelfWindow);
    QCOMPARE(shelfWindow->posterButtons().size(), 2);
    QCOMPARE(QApplication::activeModalWidget(), shelfWindow); // nothing said
    QVERIFY(Names(shelf::Folder()).contains(QStringLiteral("damaged.poster.damaged")));
    QTest::mouseClick(shelfWindow->findChild<QPushButton *>(QStringLiteral("CommandNew")), Qt::LeftButton);
    QTRY_VERIFY(!testing::TopLevel(QStringLiteral("ShelfWindow")));
    QCOMPARE(form.Label5->caption(), QStringLiteral("１．かみのいろを きめます"));
}

void TestShelf::theBinAsksFirst()
{
    QTemporaryDir pictures;
    const QString red = pictures.filePath(QStringLiteral("red.bmp"));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(red));
    MakePoster(Qt::yellow, red);
    Form1 &form = StartWithShelf();
    ShelfWindow *shelfWindow = OpenShelf(form);
    QVERIFY(shelfWindow);
    auto *bin = shelfWindow->findChild<QPushButton *>(QStringLiteral("CommandBin"));
    QCOMPARE(bin->text(), QStringLiteral("ごみばこ"));
    const QString path = shelfWindow->posterButtons().value(0)->property("path").toString();
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        QString asked;
        testing::OnNextModal<QMessageBox>([&asked, answer](QMessageBox *box) {
            asked = box->text();
            box->button(answer)->click();
        }, 3000);
        QTest::mouseClick(bin, Qt::LeftButton);
        QTest::mouseClick(shelfWindow->posterButtons().value(0), Qt::LeftButton);
        QCOMPARE(asked, ShelfWindow::BinQuestion);
        QCOMPARE(QFileInfo::exists(path), answer == QMessageBox::No);
    }
    QCOMPARE(shelfWindow->posterButtons().size(), 0);
    QCOMPARE(Names(shelf::BinFolder()), QStringList{QFileInfo(path).fileName()});
    QVERIFY(shelfWindow->isVisible());
}

void TestShelf::theOldestBeyondTheMostKeptAreMovedAside()
{
    QVERIFY(QDir().mkpath(shelf::Folder()));
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < shelf::MostKept + 1; ++i) {
        QFile file(shelf::Folder() + QStringLiteral("/%1.poster").arg(i, 3, 10, QLatin1Char('0')));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.flush();
        QVERIFY(file.setFileTime(now.addSecs(-i), QFileDevice::FileModificationTime));
    }
    StartWithShelf();
    // This run's poster will be the two hundredth.
    QCOMPARE(Names(shelf::Folder()).size(), shelf::MostKept - 1);
    QCOMPARE(Names(shelf::OlderFolder()), (QStringList{QStringLiteral("199.poster"), QStringLiteral("200.poster")}));
}

void TestShelf::aStarterTakenTwiceGivesTwoPosters()
{
    QTemporaryDir pictures, system;
    const QString red = pictures.filePath(QStringLiteral("red.bmp"));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(red));
    MakePoster(Qt::yellow, red);
    // The teacher's starter, and one of the whole classroom's.
    const QString starter = shelf::StarterFolder() + QStringLiteral("/card.poster");
    QVERIFY(QDir().mkpath(shelf::StarterFolder()));
    QVERIFY(QFile::rename(shelf::Posters().value(0), starter));
    QVERIFY(QDir().mkpath(system.filePath(QStringLiteral("tovimaru/starters"))));
    QVERIFY(QFile::copy(starter, system.filePath(QStringLiteral("tovimaru/starters/class.poster"))));
    qputenv("XDG_DATA_DIRS", system.path().toUtf8());
    QFile file(starter);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    for (int round = 1; round <= 2; ++round) {
        Form1 &form = StartWithShelf();
        ShelfWindow *shelfWindow = OpenShelf(form);
        QVERIFY(shelfWindow);
        const QList<QPushButton *> starters = shelfWindow->starterButtons();
        // The user's, the classroom's, then the program's own five the build drew.
        QCOMPARE(starters.size(), 2 + 5);
        QCOMPARE(QFileInfo(starters[1]->property("path").toString()).fileName(), QStringLiteral("class.poster"));
        QCOMPARE(shelfWindow->posterButtons().size(), round - 1);
        // Marked with a star.
        const QImage shown = starters[0]->icon().pixmap(posterfile::ThumbnailSize).toImage();
        QCOMPARE(shown.pixelColor(int(shown.height() / 7.0 * 1.1), int(shown.height() / 7.0 * 1.1)), QColor(0xFF, 0xD0, 0x20));
        QTest::mouseClick(starters[0], Qt::LeftButton);
        QTRY_VERIFY(!testing::TopLevel(QStringLiteral("ShelfWindow")));
        QCOMPARE(form.Label5->caption(), QStringLiteral("２．がぞうを　はります"));
        Keeper()->writer().writeNow();
        QCOMPARE(Names(shelf::Folder()).size(), round);
    }
    QVERIFY(file.seek(0));
    QCOMPARE(file.readAll(), bytes);
    qunsetenv("XDG_DATA_DIRS");
}

void TestShelf::theSettingsWindowCopiesKeepsAndEmpties()
{
    QTemporaryDir pictures, stick;
    const QString red = pictures.filePath(QStringLiteral("red.bmp"));
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(red));
    MakePoster(Qt::yellow, red);
    MakePoster(Qt::green, red);
    QVERIFY(!shelf::MoveInto(shelf::Posters().value(0), shelf::BinFolder()).isEmpty());
    const QString kept = shelf::Posters().value(0);
    SettingsWindow window;
    window.show();
    const auto click = [&window](const char *name) {
        QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    };
    // A file dialog takes its time to open on a busy machine.
    constexpr int Tries = 3000;
    const auto choose = [](const QString &path) { testing::ChooseInNextFileDialog(path, Tries); };
    // To the stick and back: the shelf's poster as a single file; what is no poster stays out.
    choose(stick.path());
    click("CommandCopyOut");
    QCOMPARE(Names(stick.path()), QStringList{QFileInfo(kept).fileName()});
    QVERIFY(QFile::remove(kept));
    QFile damaged(stick.filePath(QStringLiteral("damaged.poster")));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("TOVIPOST") == 8);
    damaged.close();
    for (const QString &name : Names(stick.path())) {
        choose(stick.filePath(name));
        click("CommandCopyIn");
    }
    QCOMPARE(Names(shelf::Folder()), QStringList{QFileInfo(kept).fileName()});
    // A starter.
    choose(kept);
    click("CommandKeepStarter");
    QCOMPARE(Names(shelf::StarterFolder()), QStringList{QFileInfo(kept).fileName()});
    // The bin emptied, after a question.
    testing::AnswerNextMessageBox(QMessageBox::Yes, Tries);
    click("CommandEmptyBin");
    QCOMPARE(Names(shelf::BinFolder()), QStringList());
    QCOMPARE(Names(shelf::Folder()).size(), 1);
}

QTEST_MAIN(TestShelf)
#include "tst_shelf.moc"
