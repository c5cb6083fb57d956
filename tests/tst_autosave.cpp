// SPDX-License-Identifier: GPL-3.0-or-later
// The setting autosave: the poster kept in the user's data folder and offered again at the next
// start with "つづきから". A poster is built in a child process and ended with "おわり", then
// taken up again here and compared control for control and pixel for pixel; a child is killed
// while it writes; damaged, cut and hostile files are set aside.
#include "TestPaths.h"
#include "TestSupport.h"
#include "app/Program.h"
#include "app/Resume.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "history/PosterWriter.h"
#include "history/SavedPoster.h"
#include "images/Gallery.h"
#include "output/PosterCapture.h"
#include "posterfile/PosterFile.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <numeric>

namespace {

const QString ChildArgument = QStringLiteral("--autosave-child");

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

platform::CommandButton *ResumeButton()
{
    Form1 *form = MainWindow();
    return form ? form->client()->findChild<platform::CommandButton *>(QStringLiteral("CommandResume")) : nullptr;
}

PosterKeeper *Keeper()
{
    return CurrentProgram() ? CurrentProgram()->findChild<PosterKeeper *>() : nullptr;
}

void StartWithAutosave(bool on)
{
    settings::Settings chosen;
    chosen.autosave = on;
    settings::SetCurrent(chosen);
    StartTovimaru();
}

// The pointer through the main window's own window, at a point in twips of its client area.
void Pointer(Form1 &form, QTest::MouseAction action, QPointF twips)
{
    const QPoint inWindow = form.client()->mapTo(&form, QPoint(qRound(twips.x() / 15), qRound(twips.y() / 15)));
    if (action == QTest::MouseMove)
        QTest::mouseMove(form.windowHandle(), inWindow);
    else
        QTest::mouseEvent(action, form.windowHandle(), Qt::LeftButton, {}, inWindow);
}

void Drag(Form1 &form, QPointF from, QPointF to)
{
    Pointer(form, QTest::MouseMove, from);
    Pointer(form, QTest::MousePress, from);
    for (int k = 1; k <= 4; ++k)
        Pointer(form, QTest::MouseMove, from + (to - from) * k / 4);
    Pointer(form, QTest::MouseRelease, to);
}

// The elements of the poster as the file keeps them (its images left out), to compare two.
QByteArray Elements(const Form1 &form)
{
    posterfile::Poster poster = history::TakeSavedPoster(form);
    poster.paper.picture = poster.paper.dots = poster.finished.picture = poster.finished.dots = poster.still = QImage();
    return posterfile::Encode(poster);
}

QImage Capture(Form1 &form)
{
    QImage image = output::CapturePoster(form.client()).image().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1); // as a PNG file holds it
    return image;
}

// The share of pixels that differ between two images of one size.
double DifferingPixels(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 1;
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        differing += std::inner_product(p, p + x.width(), q, qint64(0), std::plus<>(), std::not_equal_to<>());
    }
    return double(differing) / (double(x.width()) * x.height());
}

// Pictures of the child's poster: a red and blue one (BMP) and a green photo (JPEG).
QStringList WritePictures(const QString &folder)
{
    QImage redBlue(300, 200, QImage::Format_RGB32);
    redBlue.fill(Qt::red);
    for (int y = 0; y < 200; ++y)
        for (int x = 150; x < 300; ++x)
            redBlue.setPixel(x, y, qRgb(0, 0, 255));
    QImage green(640, 480, QImage::Format_RGB32);
    green.fill(QColor(20, 200, 40));
    redBlue.save(folder + QStringLiteral("/0 redblue.bmp"));
    green.save(folder + QStringLiteral("/1 green.jpg"), "JPG", 95);
    return {QStringLiteral("0 redblue.bmp"), QStringLiteral("1 green.jpg")};
}

// At each paint of the main window's client area: the step's caption and how many picture slots
// are shown with a picture.
struct Paints final : QObject
{
    explicit Paints(Form1 &shown) : form(shown) { form.client()->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            seen += form.Label5->caption() + QString::number(std::ranges::count_if(form.Image3, [](auto *slot) {
                        return slot->isVisible() && !slot->picture().isEmpty();
                    }));
        return false;
    }
    Form1 &form;
    QStringList seen;
};

// Draws a few dots on a picture box.
void DrawDots(platform::PictureBox *box, QPoint from)
{
    QTest::mousePress(box, Qt::LeftButton, {}, from);
    for (int k = 1; k <= 6; ++k)
        QTest::mouseMove(box, from + QPoint(12 * k, 5 * k));
    QTest::mouseRelease(box, Qt::LeftButton, {}, from + QPoint(72, 30));
}

// The child: builds a poster in the picture folder given, through the controls, saves what it
// shows in step 3 and step 4 into the output folder, and ends with "おわり".
int BuildAndEnd(const QString &pictures, const QString &out)
{
    QDir::setCurrent(pictures);
    const QStringList names = WritePictures(pictures);
    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 3;
    // Step 1: a paper colour, a pen of its own and a stroke of dots.
    form.Picture1->setBackColor(QColor(0xFF, 0xE0, 0xC0));
    form.Command12->setBackColor(QColor(0xFF, 0xE0, 0xC0));
    form.Command13->setBackColor(QColor(0, 0x80, 0x40));
    form.HScroll1->setValue(12);
    DrawDots(form.Picture1, QPoint(100, 100));
    // The registration window: a phrase of one's own, and the folder's pictures in the gallery.
    frmList *registration = CurrentProgram()->registration();
    registration->PhraseBox[0]->setText(QStringLiteral("はなび"));
    registration->PhraseBox[3]->setText(QStringLiteral("なつまつり"));
    QTest::mouseClick(registration->Command12, Qt::LeftButton);
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    // Step 2: both pictures carried onto the poster, the second made larger.
    const auto inCell = [](int i) { return QPointF(images::CellLeft(i) + 900, images::CellTop(i) + 600); };
    Drag(form, inCell(0), {1500, 4000});
    Drag(form, inCell(1), {5200, 6000});
    QTest::mouseClick(form.Command2, Qt::LeftButton);
    QTest::mouseClick(form.Command6, Qt::LeftButton);
    // Step 3: two texts carried onto the poster and coloured.
    Drag(form, {form.Text1[0]->twipsLeft() + 300, form.Text1[0]->twipsTop() + 300}, {2200, 8600});
    Drag(form, {form.Text1[3]->twipsLeft() + 300, form.Text1[3]->twipsTop() + 300}, {5600, 3300});
    form.Text1[3]->setForeColor(QColor(0xC0, 0, 0));
    form.Text1[3]->setBackColor(QColor(0xFF, 0xFF, 0x80));
    // Step 3 as a move back from step 4 shows it, as it is compared after the poster is taken up.
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QTest::mouseClick(form.Command16, Qt::LeftButton);
    for (platform::ImageControl *slot : form.Image3)
        slot->settle();
    Capture(form).save(out + QStringLiteral("/step3.png"));
    QFile elements3(out + QStringLiteral("/step3.elements"));
    elements3.open(QIODevice::WriteOnly);
    elements3.write(Elements(form));
    elements3.close();
    // Step 4: the finished poster with dots of its own.
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    DrawDots(form.Picture2, QPoint(300, 200));
    Capture(form).save(out + QStringLiteral("/step4.png"));
    QFile elements4(out + QStringLiteral("/step4.elements"));
    elements4.open(QIODevice::WriteOnly);
    elements4.write(Elements(form));
    elements4.close();
    QTimer::singleShot(0, &form, [&form] { QTest::mouseClick(form.Command3, Qt::LeftButton); });
    return QApplication::exec();
}

// The child: a poster in step 4 written again and again until it is killed; it prints a line
// when the first file is written.
int WriteUntilKilled()
{
    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 3;
    form.Picture1->setBackColor(Qt::cyan);
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    QTest::mouseClick(form.Command6, Qt::LeftButton);
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    history::PosterWriter &writer = Keeper()->writer();
    for (int round = 0;; ++round) {
        form.Picture2->drawCircle(300 + 40 * (round % 200), 300 + 40 * (round / 200 % 150), 30, Qt::red, Qt::red);
        writer.writeNow();
        if (round == 0) {
            std::puts("written");
            std::fflush(stdout);
        }
    }
}

QString DataFolder()
{
    return QFileInfo(PosterKeeper::FilePath()).absolutePath();
}

QStringList FilesOfDataFolder()
{
    return QDir(DataFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The child process, sharing this process's data folder.
QProcess *StartChild(const QStringList &arguments, QObject *owner)
{
    auto *child = new QProcess(owner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TOVIMARU_TEST_KEEP_DATA_HOME"), QStringLiteral("1"));
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(), QStringList{ChildArgument} + arguments);
    return child;
}

// A sound file of a small poster, as a run writes it, for the damaged ones to start from.
QByteArray SoundFile()
{
    StartWithAutosave(false);
    Form1 &form = *MainWindow();
    form.Picture1->setBackColor(Qt::yellow);
    form.Picture1->drawCircle(2000, 2000, 200, Qt::blue, Qt::blue);
    return posterfile::Encode(history::TakeSavedPoster(form));
}

// The file with its elements replaced, their hash made to match: a file made to harm.
QByteArray WithElements(const QByteArray &file, const std::function<void(QJsonObject &)> &change)
{
    const quint32 length = qFromBigEndian<quint32>(file.constData() + 12);
    QJsonObject root = QJsonDocument::fromJson(file.mid(48, length)).object();
    change(root);
    const QByteArray elements = QJsonDocument(root).toJson(QJsonDocument::Compact);
    QByteArray changed = file.left(12);
    char number[4];
    qToBigEndian<quint32>(quint32(elements.size()), number);
    changed.append(number, 4);
    changed.append(QCryptographicHash::hash(elements, QCryptographicHash::Sha256));
    return changed + elements + file.mid(48 + length);
}

} // namespace

class TestAutosave : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void offChangesNothing();
    void takenUpAgainAsItWasEnded();
    void anyOtherActionKeepsTheFreshStart();
    void aPictureWhoseFileHasGoneOpensFromThePosterFile();
    void killedWhileWritingLeavesAWholeFile();
    void unreadableFilesAreSetAside_data();
    void unreadableFilesAreSetAside();
    void regressionsAreReadWithoutHarm();

private:
    void writeFile(const QByteArray &bytes);
};

void TestAutosave::init()
{
    QDir(DataFolder()).removeRecursively();
}

void TestAutosave::cleanup()
{
    settings::SetCurrent(settings::Settings{});
}

void TestAutosave::writeFile(const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(DataFolder()));
    QFile file(PosterKeeper::FilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestAutosave::offChangesNothing()
{
    writeFile(SoundFile());
    StartWithAutosave(false);
    Form1 &form = *MainWindow();
    QCOMPARE(ResumeButton(), nullptr);
    QCOMPARE(Keeper(), nullptr);
    const QByteArray before = QFile(PosterKeeper::FilePath()).exists() ? QByteArray("kept") : QByteArray();
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    QTest::mouseClick(form.Command6, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(FilesOfDataFolder(), QStringList{QStringLiteral("autosave.poster")});
    QCOMPARE(before, QByteArray("kept"));
}

void TestAutosave::takenUpAgainAsItWasEnded()
{
    QTemporaryDir pictures, out;
    QProcess *child = StartChild({pictures.path(), out.path()}, this);
    QVERIFY(child->waitForFinished(60000));
    QCOMPARE(child->exitCode(), 0);
    QVERIFY(QFileInfo::exists(PosterKeeper::FilePath()));

    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    platform::CommandButton *resume = ResumeButton();
    QVERIFY(resume);
    QVERIFY(resume->isVisible());
    QCOMPARE(resume->text(), QStringLiteral("つづきから"));
    QCOMPARE(resume->accessibleName(), QStringLiteral("つづきから"));
    // It lies over none of the controls step 1 shows.
    for (QWidget *control : form.client()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control != resume && control->isVisible())
            QVERIFY2(!control->geometry().intersects(resume->geometry()), qPrintable(control->objectName()));
    }
    QTest::mouseClick(resume, Qt::LeftButton);
    QVERIFY(!ResumeButton() || !ResumeButton()->isVisible());

    const auto readAll = [&out](const char *name) {
        QFile file(out.filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // Step 4 as it was ended: its caption, its buttons, the finished poster with its dots.
    QCOMPARE(form.Label5->caption(), QStringLiteral("４．しあげ／ほぞんします"));
    QVERIFY(form.Command16->isVisible() && form.Command20->isVisible() && !form.Command4->isEnabled());
    QCOMPARE(Elements(form), readAll("step4.elements"));
    QCOMPARE(Capture(form), QImage(out.filePath(QStringLiteral("step4.png"))).convertToFormat(QImage::Format_RGB32));
    // The pen as it was.
    QCOMPARE(form.Command13->backColor(), QColor(0, 0x80, 0x40));
    QCOMPARE(form.HScroll1->value(), 12);
    // Back in step 3 the live poster is there: pictures read from their files again, texts.
    QTest::mouseClick(form.Command16, Qt::LeftButton);
    for (platform::ImageControl *slot : form.Image3)
        slot->settle();
    QCOMPARE(Elements(form), readAll("step3.elements"));
    // The texts are drawn anew, their glyphs' edges as this process draws them.
    QVERIFY(DifferingPixels(Capture(form), QImage(out.filePath(QStringLiteral("step3.png")))) < 0.002);
    QCOMPARE(form.Text1[0]->text(), QStringLiteral("はなび"));
}

void TestAutosave::anyOtherActionKeepsTheFreshStart()
{
    const QByteArray sound = SoundFile();
    writeFile(sound);
    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    QVERIFY(ResumeButton());
    const QColor paper = form.Picture1->backColor();
    QSignalSpy written(&Keeper()->writer(), &history::PosterWriter::written);
    // Confirming the phrases, needed at every start, is nothing of this run's poster either (the
    // folder holds no picture, which a message says).
    testing::AnswerNextMessageBox(QMessageBox::Ok);
    QTest::mouseClick(CurrentProgram()->registration()->Command12, Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(written.count(), 0); // nothing of this run yet
    // A stroke on the paper: the offer is gone, the fresh start stays, and this run's poster
    // replaces the one kept, at once, the next stroke's only two seconds after.
    QElapsedTimer clock;
    clock.start();
    DrawDots(form.Picture1, QPoint(200, 200));
    QVERIFY(!ResumeButton() || !ResumeButton()->isVisible());
    QCOMPARE(form.Picture1->backColor(), paper);
    QCOMPARE(form.Label5->caption(), QStringLiteral("１．かみのいろを きめます"));
    QVERIFY(written.wait(10000));
    DrawDots(form.Picture1, QPoint(300, 300));
    QVERIFY(written.wait(10000));
    QVERIFY2(clock.elapsed() >= history::PosterWriter::IntervalMs - 100, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(written.at(1).at(0).toBool(), true);
    posterfile::Poster poster;
    QCOMPARE(posterfile::ReadFile(PosterKeeper::FilePath(), poster), posterfile::Read::Sound);
    QCOMPARE(poster.step, 1);
    QCOMPARE(poster.paper.back, paper);
    QVERIFY(!poster.paper.dots.isNull());
    // And at every move of the wizard.
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    QVERIFY(written.wait(10000));
    QCOMPARE(posterfile::ReadFile(PosterKeeper::FilePath(), poster), posterfile::Read::Sound);
    QCOMPARE(poster.step, 2);
}

void TestAutosave::aPictureWhoseFileHasGoneOpensFromThePosterFile()
{
    QTemporaryDir pictures;
    const QStringList names = WritePictures(pictures.path());
    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    Module1::ImageDir = pictures.path() + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    QTest::mouseClick(form.Command11, Qt::LeftButton);
    const auto inCell = [](int i) { return QPointF(images::CellLeft(i) + 900, images::CellTop(i) + 600); };
    Drag(form, inCell(0), {1500, 4000});
    Drag(form, inCell(1), {5200, 6000});
    std::map<QString, QRectF> kept;
    for (platform::ImageControl *slot : form.Image3) {
        if (slot->isVisible())
            kept[slot->sourcePath()] = {slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()};
    }
    QCOMPARE(kept.size(), std::size_t(2));
    Keeper()->writer().writeNow();
    // The green photo gone (the USB stick taken out), the red and blue picture another file now.
    QVERIFY(QFile::remove(pictures.filePath(names[1])));
    QImage other(40, 40, QImage::Format_RGB32);
    other.fill(Qt::black);
    QVERIFY(other.save(pictures.filePath(names[0])));

    StartWithAutosave(true);
    Form1 &again = *MainWindow();
    QVERIFY(ResumeButton());
    Paints paints(again);
    QTest::mouseClick(ResumeButton(), Qt::LeftButton);
    QCOMPARE(again.Label5->caption(), QStringLiteral("２．がぞうを　はります"));
    // The first paint after step 1 shows the poster with its pictures: no step on the way, nor the
    // poster's step before its pictures are there.
    const QString stepOne = QStringLiteral("１．かみのいろを きめます0");
    QTRY_VERIFY(paints.seen.count(stepOne) < paints.seen.size());
    paints.seen.removeAll(stepOne);
    QCOMPARE(paints.seen.first(), again.Label5->caption() + QLatin1Char('2'));
    // Both as they were placed, with their own pixels.
    std::map<QString, QRectF> shown;
    for (platform::ImageControl *slot : again.Image3) {
        if (!slot->isVisible())
            continue;
        shown[slot->sourcePath()] = {slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()};
        const QImage pixels = slot->picture().image();
        const QColor middle = pixels.pixelColor(pixels.width() / 4, pixels.height() / 2);
        QVERIFY2(middle.red() > 200 || middle.green() > 150, qPrintable(middle.name()));
    }
    QCOMPARE(shown, kept);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestAutosave::killedWhileWritingLeavesAWholeFile()
{
    for (int round = 0; round < 4; ++round) {
        QProcess *child = StartChild({QStringLiteral("write")}, this);
        QVERIFY(child->waitForReadyRead(60000));
        QCOMPARE(child->readLine().trimmed(), QByteArray("written"));
        // Somewhere in the middle of a later write.
        QTest::qWait(int(QRandomGenerator::global()->bounded(50, 400)));
        child->kill(); // SIGKILL
        QVERIFY(child->waitForFinished(10000));
        posterfile::Poster poster;
        QCOMPARE(posterfile::ReadFile(PosterKeeper::FilePath(), poster), posterfile::Read::Sound);
        QCOMPARE(poster.step, 4);
        QVERIFY(!poster.finished.dots.isNull());
        // The write cut off left nothing behind (its file had no name yet).
        QCOMPARE(FilesOfDataFolder(), QStringList{QStringLiteral("autosave.poster")});
        delete child;
    }
}

void TestAutosave::unreadableFilesAreSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("offered"); // found unreadable only when taken up
    const QByteArray sound = SoundFile();
    QByteArray flippedElement = sound;
    flippedElement[60] = char(flippedElement[60] ^ 0x20);
    QByteArray flippedImage = sound;
    flippedImage[sound.size() - 40] = char(flippedImage[sound.size() - 40] ^ 0x55);
    QByteArray newer = sound;
    newer[11] = char(posterfile::Version + 1);
    QTest::newRow("cut short") << sound.left(sound.size() / 2) << false;
    QTest::newRow("one byte more") << sound + 'x' << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("not a poster") << QByteArray(5000, 'A') << false;
    QTest::newRow("a later version") << newer << false;
    QTest::newRow("a changed element") << flippedElement << false;
    QTest::newRow("a damaged image") << flippedImage << true;
    QTest::newRow("stacking twice the same") << WithElements(sound, [](QJsonObject &root) {
        QJsonArray texts = root[QStringLiteral("texts")].toArray();
        QJsonObject first = texts[0].toObject();
        first[QStringLiteral("stacking")] = texts[1].toObject()[QStringLiteral("stacking")];
        texts[0] = first;
        root[QStringLiteral("texts")] = texts;
    }) << false;
    QTest::newRow("an image of absurd size") << WithElements(sound, [](QJsonObject &root) {
        QJsonObject paper = root[QStringLiteral("paper")].toObject();
        QJsonObject dots = paper[QStringLiteral("dots")].toObject();
        dots[QStringLiteral("width")] = 100000;
        paper[QStringLiteral("dots")] = dots;
        root[QStringLiteral("paper")] = paper;
    }) << false;
    QTest::newRow("an image named twice") << WithElements(sound, [](QJsonObject &root) {
        QJsonObject paper = root[QStringLiteral("paper")].toObject();
        paper[QStringLiteral("picture")] = paper[QStringLiteral("dots")];
        root[QStringLiteral("paper")] = paper;
    }) << false;
    QTest::newRow("bytes of a file no slot names") << WithElements(sound, [](QJsonObject &root) {
        root[QStringLiteral("sources")] = QJsonArray{QJsonObject{{"path", "/elsewhere.bmp"}, {"blob", 0}}};
    }) << false;
    QTest::newRow("a slot far away") << WithElements(sound, [](QJsonObject &root) {
        QJsonArray pictures = root[QStringLiteral("pictures")].toArray();
        QJsonObject slot = pictures[2].toObject();
        slot[QStringLiteral("left")] = 1e300;
        pictures[2] = slot;
        root[QStringLiteral("pictures")] = pictures;
    }) << false;
}

void TestAutosave::unreadableFilesAreSetAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, offered);
    writeFile(bytes);
    // One set aside before: the next takes another name.
    QFile(PosterKeeper::FilePath() + QStringLiteral(".damaged")).open(QIODevice::WriteOnly);
    StartWithAutosave(true);
    Form1 &form = *MainWindow();
    QCOMPARE(ResumeButton() != nullptr, offered);
    if (offered)
        QTest::mouseClick(ResumeButton(), Qt::LeftButton);
    // A fresh start, nothing said, the file kept under another name.
    QCOMPARE(form.Label5->caption(), QStringLiteral("１．かみのいろを きめます"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(FilesOfDataFolder(), (QStringList{QStringLiteral("autosave.poster.damaged"), QStringLiteral("autosave.poster.damaged2")}));
    QFile aside(PosterKeeper::FilePath() + QStringLiteral(".damaged2"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), bytes);
}

// What the fuzz target once found, and its seeds: read in both ways, never a crash.
void TestAutosave::regressionsAreReadWithoutHarm()
{
    const QDir folder(testing::SourcePath(QStringLiteral("tests/regressions/posterfile")));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        posterfile::Poster poster;
        const bool placed = posterfile::Decode(bytes, poster, posterfile::Images::Skip);
        QCOMPARE(posterfile::Decode(bytes, poster, posterfile::Images::Thumbnail), placed);
        QCOMPARE(posterfile::Decode(bytes, poster), placed);
        // Written before the pen was kept: read whole, without a pen.
        if (name == QLatin1String("step3-two-images.poster"))
            QVERIFY(placed && !poster.pen.isValid() && poster.dotSize == 0);
        // With the bytes of its picture's file and its small picture.
        if (name == QLatin1String("step3-two-images-v3.poster"))
            QVERIFY(placed && poster.sources.size() == 1 && poster.thumbnail.size() == QSize(32, 23));
    }
}

int main(int argc, char *argv[])
{
    if (argc >= 2 && QLatin1String(argv[1]) == ChildArgument) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication application(argc, argv);
        if (argc >= 4)
            return BuildAndEnd(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        return WriteUntilKilled();
    }
    QApplication application(argc, argv);
    TestAutosave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autosave.moc"
