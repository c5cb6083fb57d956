// SPDX-License-Identifier: GPL-3.0-or-later
// Today's picture formats in the gallery, a teacher's option (moreFormats): PNG, .jpeg, WebP, HEIC,
// HEIF and AVIF files listed among the designed ones in one order, decoded within the loader's
// bounds or refused, a phone's HEIC photo upright, and a transparent PNG showing the paper through
// it on the poster, in the capture and on the printed page. Without the option, none of them is
// listed or decoded.

#include "TestPaths.h"
#include "PosterPointer.h"
#include "PrintedPoster.h"
#include "TestSupport.h"
#include "tests/support/ExifJpeg.h"
#include "tests/support/ModernPictures.h"
#include "tests/support/PictureFiles.h"

#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/DecoderPool.h"
#include "pictures/Exif.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <thread>

using modernpictures::HeifCodec;
using platform::LoadPicture;
using platform::Picture;

namespace {

// Four quarters, red, green, blue and white, so that every turn and mirror tells apart.
QImage Quarters(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, QColor(230, 30, 30));
    painter.fillRect(w, 0, size.width() - w, h, QColor(30, 200, 30));
    painter.fillRect(0, h, w, size.height() - h, QColor(30, 30, 230));
    painter.fillRect(w, h, size.width() - w, size.height() - h, QColor(250, 250, 250));
    return image;
}

// A red square in the middle half of a transparent picture: clip art.
QImage ClipArt(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(size.width() / 4, size.height() / 4, size.width() / 2, size.height() / 2, Qt::red);
    return image;
}

bool Near(QColor seen, QColor want, int tolerance = 40)
{
    return qAbs(seen.red() - want.red()) < tolerance && qAbs(seen.green() - want.green()) < tolerance
            && qAbs(seen.blue() - want.blue()) < tolerance;
}

// The colours at the centres of the four quarters of an image.
QList<QColor> QuarterColours(const QImage &image)
{
    const int x1 = image.width() / 4, x2 = 3 * image.width() / 4;
    const int y1 = image.height() / 4, y2 = 3 * image.height() / 4;
    return {image.pixelColor(x1, y1), image.pixelColor(x2, y1), image.pixelColor(x1, y2), image.pixelColor(x2, y2)};
}

bool SameQuarters(const QImage &a, const QImage &b)
{
    const QList<QColor> x = QuarterColours(a), y = QuarterColours(b);
    for (int k = 0; k < 4; ++k) {
        if (!Near(x[k], y[k]))
            return false;
    }
    return true;
}

enum class Kind { Png, Webp, Heic, Avif };
enum class PhotoFile { Heic, Jpeg, Png }; // a phone's photo as its camera writes it

QByteArray Encoded(Kind kind, const QImage &image, const modernpictures::HeifOptions &heif = {})
{
    switch (kind) {
    case Kind::Png: return modernpictures::Png(image);
    case Kind::Webp: return modernpictures::Webp(image, 90);
    case Kind::Heic: {
        modernpictures::HeifOptions options = heif;
        options.codec = HeifCodec::Hevc;
        return modernpictures::Heif(image, options);
    }
    case Kind::Avif: {
        modernpictures::HeifOptions options = heif;
        options.codec = HeifCodec::Av1;
        return modernpictures::Heif(image, options);
    }
    }
    return {};
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A PNG whose header says width x height, its checksum mended, so that only its size is wrong.
QByteArray PngClaiming(QByteArray png, quint32 width, quint32 height)
{
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    quint32 crc = 0xFFFFFFFFu; // CRC-32 of the chunk's type and data
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    qToBigEndian(~crc, png.data() + 29);
    return png;
}

Form1 *MainWindow()
{
    return qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
}

frmList *Registration()
{
    return qobject_cast<frmList *>(testing::TopLevel(QStringLiteral("frmList")));
}

const QColor PaperColour(0xC0, 0xFF, 0xFF);

// Quarters with a chequerboard of black and white over the middle fifth of each side, its squares
// 1/333 of the long side: some four pixels of the capture where a photo is placed, under one
// pixel of a phone's thumbnail, where they blur into grey.
QImage Detailed(const QSize &size)
{
    QImage image = Quarters(size);
    QPainter painter(&image);
    const int square = std::max(size.width(), size.height()) / 333;
    const QRect middle(size.width() * 2 / 5, size.height() * 2 / 5, size.width() / 5, size.height() / 5);
    for (int y = 0; y < middle.height(); y += square) {
        for (int x = 0; x < middle.width(); x += square)
            painter.fillRect(middle.x() + x, middle.y() + y, square, square, (x + y) / square % 2 ? Qt::black : Qt::white);
    }
    return image;
}

// How sharply the chequerboard of Detailed is seen in image (the picture alone): the standard
// deviation of the lightness over the middle of the board, some 120 where black and white are
// apart, 0 where they are blurred into grey.
double BoardContrast(const QImage &image)
{
    const QRect board(image.width() * 9 / 20, image.height() * 9 / 20, image.width() / 10, image.height() / 10);
    double sum = 0, squares = 0;
    for (int y = board.top(); y <= board.bottom(); ++y) {
        for (int x = board.left(); x <= board.right(); ++x) {
            const double lightness = image.pixelColor(x, y).lightness();
            sum += lightness;
            squares += lightness * lightness;
        }
    }
    const double count = double(board.width()) * board.height(), mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(PhotoFile)

class TestMoreFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void eachFormatLoadsOnlyWithTheOption_data();
    void eachFormatLoadsOnlyWithTheOption();
    void damagedOrCostlyFilesGiveTheEmptyPicture_data();
    void damagedOrCostlyFilesGiveTheEmptyPicture();
    void phoneHeicIsUpright();
    void regressionFilesLoadOrAreRefused();
    void galleryListsTodaysFormatsInOrder_data();
    void galleryListsTodaysFormatsInOrder();
    void aPictureRefusedHidesNoneAfterIt_data();
    void aPictureRefusedHidesNoneAfterIt();
    void transparentPngShowsThePaper();
    void decodersGoingWrongLeaveTheOthers();
    void aHangingDecodeHoldsUpOnlyTheCapture_data();
    void aHangingDecodeHoldsUpOnlyTheCapture();
    void phonePhotoAppearsAndPrintsSharp_data();
    void phonePhotoAppearsAndPrintsSharp();

private:
    void startInFolder(const QString &folder, bool moreFormats);
    QTemporaryDir m_dir;
};

void TestMoreFormats::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    // The decoding helpers, started later, go wrong on the files named for it, and soon.
    qputenv(platform::decoding::TestModeVariable, "1");
    platform::decoding::SetLimits({.memoryBytes = 1024LL << 20});
    if (!modernpictures::CanEncode(HeifCodec::Hevc) || !modernpictures::CanEncode(HeifCodec::Av1))
        QSKIP("libheif here has no HEVC or AV1 encoder to make the test files with");
}

void TestMoreFormats::cleanup()
{
    settings::SetCurrent(settings::Settings{});
    platform::formats::SetMoreFormats(false);
    QDir::setCurrent(m_dir.path());
}

void TestMoreFormats::eachFormatLoadsOnlyWithTheOption_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<int>("bitDepth");
    QTest::newRow("PNG") << Kind::Png << false << 8;
    QTest::newRow("PNG with alpha") << Kind::Png << true << 8;
    QTest::newRow("WebP") << Kind::Webp << false << 8;
    QTest::newRow("WebP with alpha") << Kind::Webp << true << 8;
    QTest::newRow("HEIC") << Kind::Heic << false << 8;
    QTest::newRow("HEIC of 10 bits") << Kind::Heic << false << 10;
    QTest::newRow("HEIC of 10 bits with alpha") << Kind::Heic << true << 10;
    QTest::newRow("AVIF") << Kind::Avif << false << 8;
    QTest::newRow("AVIF with alpha") << Kind::Avif << true << 8;
    QTest::newRow("AVIF of 12 bits") << Kind::Avif << false << 12;
}

void TestMoreFormats::eachFormatLoadsOnlyWithTheOption()
{
    QFETCH(Kind, kind);
    QFETCH(bool, alpha);
    QFETCH(int, bitDepth);
    const QSize size(320, 240);
    const QImage source = alpha ? ClipArt(size) : Quarters(size);
    const QString path = m_dir.filePath(QStringLiteral("picture"));
    WriteFile(path, Encoded(kind, source, {.bitDepth = bitDepth}));

    platform::formats::SetMoreFormats(false);
    QVERIFY(LoadPicture(path).isEmpty());
    QVERIFY(LoadPicture(path, QSize(119, 89), platform::Use::Thumbnail).isEmpty());

    platform::formats::SetMoreFormats(true);
    const Picture full = LoadPicture(path);
    QCOMPARE(full.logicalSize(), QSizeF(size));
    QCOMPARE(full.himetricSize(), QSize(8467, 6350));
    QCOMPARE(full.image().size(), size);
    if (alpha) {
        QCOMPARE(full.image().pixelColor(5, 5).alpha(), 0); // transparent stays transparent
        QVERIFY(Near(full.image().pixelColor(160, 120), Qt::red));
    } else {
        QVERIFY(SameQuarters(full.image(), source));
    }
    // A gallery cell: the same natural size, no more pixels than the desktop's shared thumbnail
    // keeps of it.
    const Picture thumbnail = LoadPicture(path, QSize(119, 89), platform::Use::Thumbnail);
    QCOMPARE(thumbnail.logicalSize(), QSizeF(size));
    QVERIFY(thumbnail.image().width() <= 128 && thumbnail.image().height() <= 128);
    if (!alpha)
        QVERIFY(SameQuarters(thumbnail.image(), source));
    // What the cell shows while a helper decodes it, read from the file's head: that size too.
    platform::decoding::UseHelpers(true);
    const auto alone = qScopeGuard([] { platform::decoding::UseHelpers(false); });
    const std::optional<Picture> standIn = platform::StandInWhileDecoding(path, QSize(119, 89));
    QVERIFY(standIn && standIn->isStandIn());
    QCOMPARE(standIn->logicalSize(), QSizeF(size));
}

void TestMoreFormats::damagedOrCostlyFilesGiveTheEmptyPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QImage quarters = Quarters(QSize(320, 240));
    const QByteArray png = Encoded(Kind::Png, quarters), webp = Encoded(Kind::Webp, quarters);
    const QByteArray heic = Encoded(Kind::Heic, quarters), avif = Encoded(Kind::Avif, quarters);
    QTest::newRow("PNG cut short") << png.left(png.size() - 20);
    QTest::newRow("PNG without IHDR") << png.left(8) + png.mid(33);
    QTest::newRow("PNG claiming 9000 x 6000") << PngClaiming(png, 9000, 6000);
    QTest::newRow("PNG claiming 65535 x 65535") << PngClaiming(png, 65535, 65535);
    QTest::newRow("WebP cut short") << webp.left(webp.size() / 2);
    QByteArray riffPast = webp;
    qToLittleEndian<quint32>(quint32(webp.size()), riffPast.data() + 4);
    QTest::newRow("WebP's RIFF size past the data") << riffPast;
    QTest::newRow("HEIC cut short") << heic.left(heic.size() / 2);
    QTest::newRow("HEIC, its header alone") << heic.left(40);
    QByteArray scrambled = heic;
    for (qsizetype i = scrambled.size() / 2; i < scrambled.size(); i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5A);
    QTest::newRow("HEIC, its picture data scrambled") << scrambled;
    QTest::newRow("AVIF cut short") << avif.left(avif.size() - 30);
}

void TestMoreFormats::damagedOrCostlyFilesGiveTheEmptyPicture()
{
    QFETCH(QByteArray, bytes);
    platform::formats::SetMoreFormats(true);
    const QString path = m_dir.filePath(QStringLiteral("damaged"));
    WriteFile(path, bytes);
    for (const QSize &bound : {QSize(), QSize(119, 89)}) {
        const Picture picture = LoadPicture(path, bound, platform::Use::Thumbnail);
        // Empty, or (a scrambled stream the decoder mends) a picture of the size it claims.
        QVERIFY(picture.isEmpty() || picture.logicalSize() == QSizeF(320, 240));
    }
}

void TestMoreFormats::phoneHeicIsUpright()
{
    // As a phone held upright stores its photo: the pixels as the sensor saw them, turned a
    // quarter clockwise by the file's rotation and by its EXIF orientation alike, and a thumbnail.
    platform::formats::SetMoreFormats(true);
    const QImage stored = Quarters(QSize(640, 480));
    const QString path = m_dir.filePath(QStringLiteral("IMG_0001.HEIC"));
    WriteFile(path, Encoded(Kind::Heic, stored, {.orientation = 6, .exifOrientation = true, .thumbnailSide = 160}));
    const QImage upright = platform::exif::Upright(stored, 6);

    const Picture full = LoadPicture(path);
    QCOMPARE(full.logicalSize(), QSizeF(480, 640)); // turned once, not twice
    QVERIFY(SameQuarters(full.image(), upright));

    // A gallery cell takes the phone's own thumbnail, upright too.
    const Picture cell = LoadPicture(path, QSize(119, 89), platform::Use::Thumbnail);
    QVERIFY(cell.isPreview());
    QCOMPARE(cell.logicalSize(), QSizeF(480, 640));
    QVERIFY(SameQuarters(cell.image(), upright));
}

void TestMoreFormats::regressionFilesLoadOrAreRefused()
{
    platform::formats::SetMoreFormats(true);
    const QDir folder(testing::SourcePath(QStringLiteral("tests/regressions/moreformats")));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(files.size() >= 10);
    for (const QString &name : files) {
        if (name.endsWith(QLatin1String(".md")))
            continue;
        for (const QSize &bound : {QSize(), QSize(119, 89)}) {
            const Picture picture = LoadPicture(folder.filePath(name), bound, platform::Use::Thumbnail);
            if (name.startsWith(QLatin1String("seed-"))) {
                const QSizeF size = picture.logicalSize();
                QVERIFY2(size == QSizeF(48, 32) || size == QSizeF(32, 48), qPrintable(name));
            }
        }
    }
}

void TestMoreFormats::startInFolder(const QString &folder, bool moreFormats)
{
    settings::Settings chosen;
    chosen.moreFormats = moreFormats;
    settings::SetCurrent(chosen);
    QVERIFY(QDir::setCurrent(folder));
    StartTovimaru();
    QVERIFY(MainWindow() && Registration());
    QVERIFY(QTest::qWaitForWindowExposed(MainWindow()));
}

void TestMoreFormats::galleryListsTodaysFormatsInOrder_data()
{
    QTest::addColumn<bool>("moreFormats");
    QTest::addColumn<QStringList>("listed");
    const QStringList designed{"a.BMP", "b.jpg", "c.gif"};
    QTest::newRow("as designed") << false << designed;
    QTest::newRow("moreFormats") << true
                                 << designed + QStringList{"d.PNG", "e.png", "f.jpeg", "g.JPEG", "h.webp", "i.HEIC",
                                                           "j.heif", "k.avif", "l.AVIF"};
}

void TestMoreFormats::galleryListsTodaysFormatsInOrder()
{
    QFETCH(bool, moreFormats);
    QFETCH(QStringList, listed);
    QTemporaryDir folder;
    const QImage picture = Quarters(QSize(200, 150));
    const auto write = [&](const char *name, const QByteArray &bytes) { WriteFile(folder.filePath(name), bytes); };
    // Written in another order than listed, the names' cases mixed.
    write("l.AVIF", Encoded(Kind::Avif, picture));
    write("a.BMP", picturefiles::Bmp24(picture));
    write("k.avif", Encoded(Kind::Avif, picture));
    write("i.HEIC", Encoded(Kind::Heic, picture));
    write("j.heif", Encoded(Kind::Heic, picture));
    write("b.jpg", exifjpeg::Encode(picture));
    QFile::copy(folder.filePath("b.jpg"), folder.filePath("f.jpeg"));
    QFile::copy(folder.filePath("b.jpg"), folder.filePath("g.JPEG"));
    write("c.gif", picturefiles::Gif({.width = 4, .height = 3, .palette = {qRgb(255, 0, 0)},
                                      .pixels = std::vector<quint8>(12, 0)}));
    write("d.PNG", Encoded(Kind::Png, picture));
    write("e.png", Encoded(Kind::Png, ClipArt(QSize(200, 150))));
    write("h.webp", Encoded(Kind::Webp, picture));
    write("m.tif", QByteArray("II*\0", 4));
    write("n.txt", "text");
    QHash<QString, QDateTime> written;
    for (const QString &name : listed)
        written[name] = QFileInfo(folder.filePath(name)).lastModified();

    startInFolder(folder.path(), moreFormats);
    frmList *registration = Registration();
    QCOMPARE(registration->File1->names(), listed);
    QTest::mouseClick(registration->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    Form1 *form = MainWindow();
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2

    // Every file listed is shown, page by page, in the list's order.
    const QString prefix = QDir(folder.path()).absolutePath() + QLatin1Char('/');
    for (int k = 0; k < listed.size(); ++k)
        QCOMPARE(Module1::ImageFiles[k], prefix + listed[k]);
    QCOMPARE(Module1::ImageFiles[listed.size()], QString());
    for (int first = 0; first < listed.size(); first += 10) {
        form->VScroll1->setValue(first);
        const int expected = int(std::min<qsizetype>(10, listed.size() - first));
        QCOMPARE(Module1::ThumbCount, expected);
        for (int i = 0; i < expected; ++i)
            QVERIFY2(form->Image1[i]->isVisible() && !form->Image1[i]->picture().isEmpty(),
                     qPrintable(listed[first + i]));
    }
    // The files are read, never written.
    for (const QString &name : listed)
        QCOMPARE(QFileInfo(folder.filePath(name)).lastModified(), written[name]);
}

void TestMoreFormats::aPictureRefusedHidesNoneAfterIt_data()
{
    QTest::addColumn<bool>("moreFormats");
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<int>("counted");
    // As designed, the first ThumbCount cells are shown: the refused file's, empty, and not the
    // last picture's. With today's formats, the refused file's cell shows a card of its own.
    QTest::newRow("designed") << false << QList<bool>{true, true, false} << 2;
    QTest::newRow("moreFormats") << true << QList<bool>{true, true, true} << 3;
}

// A file the loader refuses among the pictures: entering step 2, and coming back to it, shows
// the pictures after it as well.
void TestMoreFormats::aPictureRefusedHidesNoneAfterIt()
{
    QFETCH(bool, moreFormats);
    QFETCH(QList<bool>, shown);
    QFETCH(int, counted);
    QTemporaryDir folder;
    const QImage picture = Quarters(QSize(200, 150));
    WriteFile(folder.filePath("a.bmp"), picturefiles::Bmp24(picture));
    WriteFile(folder.filePath("b.bmp"), picturefiles::Bmp24(picture).left(40)); // cut short
    WriteFile(folder.filePath("c.bmp"), picturefiles::Bmp24(picture));
    startInFolder(folder.path(), moreFormats);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    Form1 *form = MainWindow();
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    QCOMPARE(Module1::ThumbCount, counted);
    QCOMPARE(form->Image1[1]->picture().image() == images::BrokenCard(*form).image(), moreFormats);
    const auto visible = [&] {
        QList<bool> cells;
        for (int i = 0; i < 3; ++i)
            cells.append(form->Image1[i]->isVisible());
        return cells;
    };
    QCOMPARE(visible(), shown);
    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    QTest::mouseClick(form->Command15, Qt::LeftButton); // back to step 2
    QCOMPARE(visible(), shown);
}

void TestMoreFormats::transparentPngShowsThePaper()
{
    QTemporaryDir folder;
    WriteFile(folder.filePath("clip.png"), Encoded(Kind::Png, ClipArt(QSize(400, 400))));
    startInFolder(folder.path(), true);
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(PaperColour);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2, the paper captured
    QCOMPARE(Module1::ThumbCount, 1);

    // Carried from the gallery onto the poster, where it grows.
    testing::Pointer pointer(*form);
    pointer.hover(testing::InCell(0));
    pointer.press(testing::InCell(0));
    pointer.dragTo(QPointF(3000 + form->GrabX, 4000 + form->GrabY));
    pointer.release();
    const platform::ImageControl &slot = *form->Image3[0];
    QVERIFY(slot.twipsLeft() < 9300);
    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    QTest::mouseClick(form->Command4, Qt::LeftButton); // step 4: the poster captured

    // In the capture: the paper around the square, inside the picture's box, and the square.
    const QImage poster = form->Picture2->picture().image();
    const QRect box = testing::InCapture(slot);
    const QPoint corner = box.topLeft() + QPoint(box.width() / 8, box.height() / 8);
    QVERIFY(Near(poster.pixelColor(corner), PaperColour, 4));
    QVERIFY(Near(poster.pixelColor(box.center()), Qt::red, 4));

    // On the printed page: the same, where the picture's box lies on the fitted poster.
    const testing::PrintedPoster printed = testing::PrintPoster(*form, folder.filePath(QStringLiteral("printed.pdf")));
    QVERIFY(!printed.page.isNull());
    const auto onPage = [&](QPoint inCapture) { return printed.onPage(inCapture).toPoint(); };
    QVERIFY(Near(printed.page.pixelColor(onPage(corner)), PaperColour, 6));
    QVERIFY(Near(printed.page.pixelColor(onPage(box.center())), Qt::red, 6));
}


// A decoder that crashes, one that never ends and one that takes memory without end: each
// ends only its helper, and its file shows the card of a file that cannot be read, while the
// program goes on and the files around them are shown.
void TestMoreFormats::decodersGoingWrongLeaveTheOthers()
{
    QTemporaryDir folder;
    const QByteArray png = Encoded(Kind::Png, Quarters(QSize(200, 150)));
    const QStringList names{"a.png", "allocate.png", "b.png", "c.png", "crash.png", "d.png", "loop.png"};
    for (const QString &name : names)
        WriteFile(folder.filePath(name), png);
    const int ended = platform::decoding::HelpersEnded();
    const platform::decoding::Limits limits = platform::decoding::CurrentLimits();
    platform::decoding::SetLimits({.cpuSeconds = 2, .waitMsecs = 5000, .memoryBytes = limits.memoryBytes});
    const auto restore = qScopeGuard([&] { platform::decoding::SetLimits(limits); });
    startInFolder(folder.path(), true);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    Form1 *form = MainWindow();
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    QCOMPARE(Module1::ThumbCount, names.size());
    // The files whose helpers went wrong show stand-ins until their helpers are ended.
    QTRY_COMPARE_WITH_TIMEOUT(platform::decoding::HelpersEnded(), ended + 3, 20000);
    const QImage card = images::BrokenCard(*form).image();
    for (int i = 0; i < names.size(); ++i) {
        QVERIFY2(form->Image1[i]->isVisible(), qPrintable(names[i]));
        if (names[i].size() == 5)
            QTRY_VERIFY2(Near(QuarterColours(form->Image1[i]->picture().image())[0], QColor(230, 30, 30)),
                         qPrintable(names[i]));
        else
            QTRY_VERIFY2(form->Image1[i]->picture().image() == card, qPrintable(names[i]));
    }
    // A card is not carried onto the poster; a picture is, decoded by a helper started anew.
    testing::Pointer pointer(*form);
    pointer.hover(testing::InCell(4));
    QVERIFY(!form->Image3[0]->isVisible());
    pointer.hover(testing::InCell(5));
    pointer.press(testing::InCell(5));
    pointer.dragTo(QPointF(3000 + form->GrabX, 4000 + form->GrabY));
    pointer.release();
    QVERIFY(form->Image3[0]->isVisible());
    QVERIFY(Near(QuarterColours(form->Image3[0]->picture().image())[0], QColor(230, 30, 30)));
}

void TestMoreFormats::aHangingDecodeHoldsUpOnlyTheCapture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("placed"); // what the poster shows of it, its top-left part
    QTest::addColumn<int>("helpers");   // ended
    QTest::newRow("its thumbnail and its picture hang")
            << "loop.png" << QColor(0xEE, 0xEE, 0xE8) << 2; // its stand-in is placed
    QTest::newRow("its picture hangs") << "sharp-loop.png" << QColor(230, 30, 30) << 1; // its thumbnail
}

// A decoder that never ends, on the gallery's thumbnail and on the picture placed, or on the
// placed picture only: the gallery, placing it and the other pictures go on without waiting
// for its helper; only the capture for print waits, with the pointer busy, until the helper
// is ended, and shows what the poster showed of that picture.
void TestMoreFormats::aHangingDecodeHoldsUpOnlyTheCapture()
{
    QFETCH(QString, name);
    QFETCH(QColor, placed);
    QFETCH(int, helpers);
    QTemporaryDir folder;
    const QByteArray png = Encoded(Kind::Png, Quarters(QSize(200, 150)));
    for (const QString &file : {QStringLiteral("a.png"), QStringLiteral("b.png"), name})
        WriteFile(folder.filePath(file), png);
    const platform::decoding::Limits limits = platform::decoding::CurrentLimits();
    platform::decoding::SetLimits({.cpuSeconds = 2, .waitMsecs = 5000, .memoryBytes = limits.memoryBytes});
    const auto restore = qScopeGuard([&] { platform::decoding::SetLimits(limits); });
    startInFolder(folder.path(), true);
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(PaperColour);
    const int ended = platform::decoding::HelpersEnded();

    // The folder confirmed and the gallery entered at once: neither waits for the helpers.
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));

    // The longest the event loop goes without turning from here to the capture.
    qint64 last = clock.elapsed(), longest = 0;
    QTimer turns;
    turns.setInterval(10);
    connect(&turns, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    turns.start();
    QCOMPARE(Module1::ThumbCount, 3);
    for (int i = 0; i < 2; ++i)
        QTRY_VERIFY(Near(QuarterColours(form->Image1[i]->picture().image())[0], QColor(230, 30, 30)));
    if (name == QLatin1String("loop.png"))
        QVERIFY(form->Image1[2]->picture().isStandIn());
    else
        QTRY_VERIFY(Near(QuarterColours(form->Image1[2]->picture().image())[0], QColor(230, 30, 30)));

    // Placed while its helper spins, then a picture that decodes: it comes sharp without a capture.
    testing::Pointer pointer(*form);
    const auto place = [&](int cell, QPointF at) {
        pointer.hover(testing::InCell(cell));
        pointer.press(testing::InCell(cell));
        pointer.dragTo(QPointF(at.x() + form->GrabX, at.y() + form->GrabY));
        pointer.release();
    };
    place(2, QPointF(1000, 3500));
    place(0, QPointF(5000, 3500));
    const platform::ImageControl &hanging = *form->Image3[0], &good = *form->Image3[1];
    QVERIFY(hanging.isVisible() && good.isVisible() && hanging.keepsSharp() && good.keepsSharp());
    QTRY_VERIFY(good.isSettled());
    QCOMPARE(good.picture().image().size(), QSize(200, 150));
    QVERIFY(!hanging.isSettled());
    // Some 50 ms here; the helper spins for seconds. A sanitized build is slower throughout.
    const qint64 bound = qEnvironmentVariableIsSet("TOVIMARU_SANITIZED") ? 1000 : 300;
    QVERIFY2(longest < bound, qPrintable(QString::number(longest)));

    // The capture for print waits for the hanging decode, the pointer busy, until its helper is
    // ended; the picture stays as it was shown.
    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    std::atomic_bool busy = false;
    std::thread look([&busy] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the capture waits by then
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busy = cursor && cursor->shape() == Qt::BusyCursor;
    });
    const auto joined = qScopeGuard([&] { look.join(); });
    clock.restart();
    QTest::mouseClick(form->Command4, Qt::LeftButton); // step 4: the poster captured
    QVERIFY(clock.elapsed() > 400);
    QCOMPARE(platform::decoding::HelpersEnded(), ended + helpers);
    QVERIFY(busy);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(hanging.isSettled());
    const QImage poster = form->Picture2->picture().image();
    const auto partOf = [&](const platform::ImageControl &slot) {
        const QRect box((slot.geometry().topLeft() - output::PosterRect.topLeft()) * platform::CaptureDensity,
                        slot.geometry().size() * platform::CaptureDensity);
        return poster.pixelColor(box.topLeft() + QPoint(box.width() / 8, box.height() / 4));
    };
    QVERIFY(Near(partOf(hanging), placed, 12));
    QVERIFY(Near(partOf(good), QColor(230, 30, 30), 12));
}

void TestMoreFormats::phonePhotoAppearsAndPrintsSharp_data()
{
    QTest::addColumn<PhotoFile>("kind");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation"); // which way up the stored pixels are seen, as EXIF counts
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<bool>("heavy");      // skipped in the sanitized build
    // HEICs as phones store them: a grid of 512-pixel tiles, turned by the file and by its EXIF
    // block alike, with a thumbnail of their own.
    QTest::newRow("HEIC of 24 megapixels") << PhotoFile::Heic << QSize(5712, 4284) << 6 << 8 << false;
    QTest::newRow("HEIC of 48 megapixels") << PhotoFile::Heic << QSize(8000, 6000) << 6 << 8 << true;
    QTest::newRow("HEIC of 48 megapixels, 10 bits") << PhotoFile::Heic << QSize(8000, 6000) << 8 << 10 << true;
    // A camera's JPEG with its EXIF thumbnail; a PNG, with no thumbnail, shows a stand-in first.
    QTest::newRow("JPEG of 50 megapixels") << PhotoFile::Jpeg << QSize(8160, 6120) << 6 << 8 << true;
    QTest::newRow("PNG of 26 megapixels") << PhotoFile::Png << QSize(6240, 4160) << 1 << 8 << false;
}

// A phone's photo of any size up to 50 megapixels: its cell shows the file's own thumbnail or a
// stand-in at once and the picture soon after; placed on the poster it is decoded sharp in the
// background, upright, and it prints so.
void TestMoreFormats::phonePhotoAppearsAndPrintsSharp()
{
    QFETCH(PhotoFile, kind);
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(int, bitDepth);
    QFETCH(bool, heavy);
    if (heavy && qEnvironmentVariableIsSet("TOVIMARU_SANITIZED"))
        QSKIP("not in the sanitized build: a photo of 48 megapixels or more takes it too long");
    QElapsedTimer timer;
    timer.start();
    QTemporaryDir folder;
    const QImage sensor = Detailed(stored);
    const QString name = QStringLiteral("photo.") + (kind == PhotoFile::Heic ? "heic" : kind == PhotoFile::Jpeg ? "jpg" : "png");
    if (kind == PhotoFile::Heic) {
        const QByteArray heic = modernpictures::HeifGrid(sensor, {.quality = 30,
                                                                  .orientation = orientation,
                                                                  .exifOrientation = true,
                                                                  .thumbnailSide = 320,
                                                                  .fast = true,
                                                                  .bitDepth = bitDepth});
        // Coded at that depth (x265 here takes 10 bits): bitDepthLumaMinus8 of the first tile's hvcC.
        const qsizetype hvcC = heic.indexOf("hvcC");
        QVERIFY(hvcC > 0 && hvcC + 4 + 17 < heic.size());
        QCOMPARE(heic[hvcC + 4 + 17] & 7, bitDepth - 8);
        WriteFile(folder.filePath(name), heic);
    } else if (kind == PhotoFile::Jpeg) {
        const QImage thumbnail = sensor.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        WriteFile(folder.filePath(name), exifjpeg::WithExif(exifjpeg::Encode(sensor, 90), orientation,
                                                            exifjpeg::Encode(thumbnail, 90)));
    } else {
        WriteFile(folder.filePath(name), Encoded(Kind::Png, sensor));
    }
    const qint64 written = timer.restart();
    const QImage upright = platform::exif::Upright(sensor, orientation);
    const QSizeF natural(upright.size());

    startInFolder(folder.path(), true);
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(PaperColour);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    const platform::ImageControl &cell = *form->Image1[0];
    QVERIFY(cell.isVisible());
    QCOMPARE(cell.picture().logicalSize(), natural);
    // The file's own thumbnail, or a stand-in of the file's size while the helper is slow (a PNG has
    // no thumbnail and shows one until it is decoded).
    QVERIFY(cell.picture().isPreview());
    QTRY_VERIFY_WITH_TIMEOUT(!cell.picture().isStandIn(), 20000);
    QVERIFY(SameQuarters(cell.picture().image(), upright));

    testing::Pointer pointer(*form);
    pointer.hover(testing::InCell(0));
    pointer.press(testing::InCell(0));
    pointer.dragTo(QPointF(3000 + form->GrabX, 4000 + form->GrabY));
    pointer.release();
    const platform::ImageControl &slot = *form->Image3[0];
    QVERIFY(slot.isVisible());
    const qint64 shown = timer.restart();
    QTRY_VERIFY_WITH_TIMEOUT(slot.isSettled() && !slot.picture().isPreview(), 30000);
    const qint64 sharpened = timer.restart();
    QCOMPARE(slot.picture().logicalSize(), natural);
    QVERIFY(SameQuarters(slot.picture().image(), upright));

    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    QTest::mouseClick(form->Command4, Qt::LeftButton); // step 4: the poster captured
    const testing::PrintedPoster printed = testing::PrintPoster(*form, folder.filePath(QStringLiteral("printed.pdf")));
    QVERIFY(!printed.page.isNull());
    const QImage printedPhoto = testing::PrintedBox(printed, testing::InCapture(slot));
    QVERIFY(!printedPhoto.isNull());
    QVERIFY2(SameQuarters(printedPhoto, upright), "printed the wrong way up");
    // Sharp: the chequerboard as sharp as in the photo made small, which the thumbnail is not.
    const auto madeSmall = [&](const QImage &image) {
        return image.scaled(printedPhoto.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const double contrast = BoardContrast(printedPhoto), ideal = BoardContrast(madeSmall(upright));
    const double blurred = BoardContrast(madeSmall(cell.picture().image()));
    qInfo("written in %lld ms, shown in %lld ms, sharp after %lld ms more, printed in %lld ms; "
          "contrast printed %.0f, of the photo made small %.0f, of the cell's picture %.0f",
          written, shown, sharpened, timer.elapsed(), contrast, ideal, blurred);
    QVERIFY2(contrast > 0.5 * ideal && blurred < 0.4 * contrast, "printed blurred");
}

QTEST_MAIN(TestMoreFormats)
#include "tst_moreformats.moc"
