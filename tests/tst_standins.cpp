// SPDX-License-Identifier: GPL-3.0-or-later
// What decoding a picture of today's formats costs, told before decoding: a file asking for
// more than the loader's time for one picture is refused, a HEIC in tiles counts its cores; and
// pictures too costly to decode while a gallery page waits: the page is laid out at once with a
// stand-in of the picture's own proportions, the picture comes into its cell when it has been
// decoded, and only those formats ever stand in.

#include "TestPaths.h"
#include "PosterPointer.h"
#include "TestSupport.h"
#include "tests/support/ExifJpeg.h"
#include "tests/support/ModernPictures.h"

#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/DecodeCost.h"
#include "pictures/HeifBoxes.h"
#include "pictures/Picture.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFormats.h"
#include "pictures/SharpDecode.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using platform::LoadPicture;
using platform::Use;

namespace {

const QSize CellBound(119, 89);
const QColor Green(40, 180, 60);

// The smallest 4:3 picture of one colour whose PNG is predicted to cost more than a cell waits
// for; flat, so that it is written and read quickly all the same.
QSize CostlyPngSize()
{
    for (int width = 400;; width += 200) {
        const QSize size(width, width * 3 / 4);
        if (platform::formats::PredictedDecodeMilliseconds(platform::formats::Format::Png, size, 0)
            > 1.2 * platform::formats::MaxThumbnailDecodeMilliseconds)
            return size;
    }
}

QImage Flat(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool Near(QColor seen, QColor want)
{
    return qAbs(seen.red() - want.red()) < 8 && qAbs(seen.green() - want.green()) < 8
            && qAbs(seen.blue() - want.blue()) < 8;
}

// A box of type around body; a full box when version is given.
QByteArray Box(const char *type, const QByteArray &body, int version = -1)
{
    QByteArray box(8, '\0');
    qToBigEndian(quint32(8 + (version >= 0 ? 4 : 0) + body.size()), box.data());
    box.replace(4, 4, type, 4);
    if (version >= 0)
        box += QByteArray(1, char(version)) + QByteArray(3, '\0');
    return box + body;
}

QByteArray Be(quint32 value, int bytes)
{
    QByteArray out(4, '\0');
    qToBigEndian(value, out.data());
    return out.right(bytes);
}

// The meta box of a file whose primary item 1 is a grid of the tiles 2, 3, ...
QByteArray GridMeta(int tiles)
{
    QByteArray references = Be(1, 2) + Be(quint32(tiles), 2);
    for (int k = 0; k < tiles; ++k)
        references += Be(quint32(2 + k), 2);
    const QByteArray infos = Be(2, 2) + Box("infe", Be(1, 2) + Be(0, 2) + "grid" + QByteArray(1, '\0'), 2)
            + Box("infe", Be(2, 2) + Be(0, 2) + "hvc1" + QByteArray(1, '\0'), 2);
    return Box("meta", Box("hdlr", QByteArray(20, '\0'), 0) + Box("pitm", Be(1, 2), 0) + Box("iinf", infos, 0)
                               + Box("iref", Box("dimg", references), 0),
               0);
}

// bytes with the size in every 'ispe' property (of the picture and of the tile libheif wraps
// it in) changed to size.
QByteArray ClaimingSize(QByteArray bytes, const QSize &size)
{
    for (qsizetype at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 1)) {
        qToBigEndian(quint32(size.width()), bytes.data() + at + 8);
        qToBigEndian(quint32(size.height()), bytes.data() + at + 12);
    }
    return bytes;
}

// libheif writes a picture as a grid of one tile: the grid's canvas, the first thing in idat,
// given another size (of 16 bits a side).
QByteArray WithCanvas(QByteArray bytes, const QSize &size)
{
    const qsizetype at = bytes.indexOf("idat") + 4 + 4;
    qToBigEndian(quint16(size.width()), bytes.data() + at);
    qToBigEndian(quint16(size.height()), bytes.data() + at + 2);
    return bytes;
}

QColor CentreOf(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

class TestStandIns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_costly = CostlyPngSize();
        m_png = modernpictures::Png(Flat(m_costly, Green));
        QVERIFY(!m_png.isEmpty());
    }
    void cleanup()
    {
        settings::SetCurrent(settings::Settings{});
        platform::formats::SetMoreFormats(false);
        QDir::setCurrent(m_dir.path());
    }
    void headerSizeOfEachKind_data();
    void headerSizeOfEachKind();
    void tilesOfTheBoxes_data();
    void tilesOfTheBoxes();
    void heifLargerThanAnyPhotoIsRefused_data();
    void heifLargerThanAnyPhotoIsRefused();
    void heifStreamsAskingForMoreThanStatedAreRefused_data();
    void heifStreamsAskingForMoreThanStatedAreRefused();
    void onlyCostlyPicturesOfTodaysFormatsStandIn();
    void galleryShowsThePictureWhenItComes();

private:
    QTemporaryDir m_dir;
    QSize m_costly;
    QByteArray m_png;
};

void TestStandIns::headerSizeOfEachKind_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("format");
    QImage clipArt(301, 203, QImage::Format_ARGB32);
    clipArt.fill(Qt::transparent);
    const QImage flat = Flat(QSize(301, 203), Green);
    using platform::formats::Format;
    QTest::newRow("PNG") << modernpictures::Png(flat) << int(Format::Png);
    QTest::newRow("WebP, lossy") << modernpictures::Webp(flat, 80) << int(Format::Webp);
    QTest::newRow("WebP, lossless") << modernpictures::Webp(flat, 100) << int(Format::Webp);
    QTest::newRow("WebP with alpha") << modernpictures::Webp(clipArt, 80) << int(Format::Webp);
}

// What a file's first 32 bytes say of its size is what its decoder finds.
void TestStandIns::headerSizeOfEachKind()
{
    QFETCH(QByteArray, file);
    QFETCH(int, format);
    QVERIFY(!file.isEmpty());
    QCOMPARE(platform::formats::headerSize(platform::formats::Format(format), file.left(32)), QSize(301, 203));
    QCOMPARE(platform::formats::headerSize(platform::formats::Format(format), file.left(31)), std::nullopt);
}

void TestStandIns::tilesOfTheBoxes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("tiles");
    const QByteArray ftyp = Box("ftyp", "heic" + Be(0, 4) + "mif1heic");
    QTest::newRow("a grid of 48") << ftyp + GridMeta(48) << 48;
    QTest::newRow("a grid of 2, its meta box cut") << ftyp + GridMeta(2).chopped(3) << 1;
    QTest::newRow("no meta box") << ftyp << 1;
    QTest::newRow("a box larger than the file") << ftyp + Be(0x7FFFFFFF, 4) + "meta" << 1;
    if (modernpictures::CanEncode(modernpictures::HeifCodec::Hevc)) {
        // libheif's encoder codes a picture whole, and wraps it in a grid of that one tile.
        QTest::newRow("libheif's") << modernpictures::Heif(Flat(QSize(64, 48), Green)) << 1;
    }
}

void TestStandIns::tilesOfTheBoxes()
{
    QFETCH(QByteArray, file);
    QFETCH(int, tiles);
    QCOMPARE(platform::heif::PrimaryStreams(file).tiles, tiles);
}

void TestStandIns::heifLargerThanAnyPhotoIsRefused_data()
{
    QTest::addColumn<QSize>("claimed");
    QTest::addColumn<bool>("taken");
    QTest::newRow("12 megapixels in one tile") << QSize(4000, 3000) << true;
    QTest::newRow("48 megapixels in one tile") << QSize(8000, 6000) << true;
    QTest::newRow("54 megapixels in one tile") << QSize(9000, 6000) << false;
}

// The size a HEIC's header claims decides before any decoding: a file larger than any phone's
// photo is the empty picture, a taken one too costly for a cell is a stand-in of that size.
void TestStandIns::heifLargerThanAnyPhotoIsRefused()
{
    QFETCH(QSize, claimed);
    QFETCH(bool, taken);
    if (!modernpictures::CanEncode(modernpictures::HeifCodec::Hevc))
        QSKIP("libheif here has no HEVC encoder");
    platform::formats::SetMoreFormats(true);
    const QString path = m_dir.filePath(QStringLiteral("claiming.heic"));
    WriteFile(path, ClaimingSize(modernpictures::Heif(Flat(QSize(64, 48), Green)), claimed));
    const platform::Picture picture = LoadPicture(path, CellBound, Use::Thumbnail);
    QCOMPARE(!picture.isEmpty(), taken);
    if (taken)
        QVERIFY(picture.isStandIn() && picture.logicalSize() == QSizeF(claimed));
}

void TestStandIns::heifStreamsAskingForMoreThanStatedAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("taken");
    QFile found(testing::SourcePath(QStringLiteral("tests/regressions/moreformats/grid-canvas-12800x8192.heic")));
    QVERIFY(found.open(QIODevice::ReadOnly));
    // Found by fuzzing: a grid stated 2 x 48 whose canvas, 12800 x 8192, took libheif seconds.
    QTest::newRow("a canvas of 12800 x 8192, stated 2 x 48") << found.readAll() << false;
    if (!modernpictures::CanEncode(modernpictures::HeifCodec::Hevc))
        return;
    const QByteArray small = modernpictures::Heif(Flat(QSize(64, 48), Green));
    QTest::newRow("as written") << small << true;
    QTest::newRow("a canvas of 9000 x 6000") << WithCanvas(small, QSize(9000, 6000)) << false;
    // The stream's own parameter set asks for frames of 4096 x 4096.
    const QByteArray large = modernpictures::Heif(Flat(QSize(4096, 4096), Green), {.quality = 10});
    QTest::newRow("a stream of 4096 x 4096, stated 64 x 48")
            << WithCanvas(ClaimingSize(large, QSize(64, 48)), QSize(64, 48)) << false;
}

// The decoder makes what the file's own streams and canvas ask for, whatever size it states:
// such a file is refused before anything is decoded.
void TestStandIns::heifStreamsAskingForMoreThanStatedAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, taken);
    platform::formats::SetMoreFormats(true);
    const QString path = m_dir.filePath(QStringLiteral("streams.heic"));
    WriteFile(path, file);
    for (const QSize &bound : {CellBound, QSize()})
        QCOMPARE(!LoadPicture(path, bound, bound.isValid() ? Use::Thumbnail : Use::Full).isEmpty(), taken);
}

void TestStandIns::onlyCostlyPicturesOfTodaysFormatsStandIn()
{
    platform::formats::SetMoreFormats(true);
    QTemporaryDir folder;
    WriteFile(folder.filePath("costly.png"), m_png);
    WriteFile(folder.filePath("small.png"), modernpictures::Png(Flat(QSize(400, 300), Green)));
    WriteFile(folder.filePath("photo.jpg"), exifjpeg::Encode(Flat(m_costly, Green)));
    const auto load = [&](const char *name, Use use) { return LoadPicture(folder.filePath(name), CellBound, use); };

    // A gallery cell: the stand-in, of the picture's natural size and proportions.
    const platform::Picture standIn = load("costly.png", Use::Thumbnail);
    QVERIFY(standIn.isStandIn());
    QVERIFY(standIn.isPreview()); // never enough for the poster
    QCOMPARE(standIn.logicalSize(), QSizeF(m_costly));
    QVERIFY(!Near(CentreOf(standIn.image()), Green));

    // Laid on the poster as it is, it is decoded sharp: the picture itself.
    const platform::Picture sharp =
            platform::SharpDecode::Start(folder.filePath("costly.png"), standIn, QSize(400, 300))->result();
    QVERIFY(!sharp.isStandIn() && Near(CentreOf(sharp.image()), Green));

    // Decoded whatever it costs, and for the poster: the picture itself.
    for (const Use use : {Use::SlowThumbnail, Use::Full}) {
        const platform::Picture decoded = load("costly.png", use);
        QVERIFY(!decoded.isStandIn() && !decoded.isPreview());
        QCOMPARE(decoded.logicalSize(), QSizeF(m_costly));
        QVERIFY(Near(CentreOf(decoded.image()), Green));
    }
    // A cheap picture of the same format, and a JPEG of the same size (decoded at an eighth), never.
    for (const char *name : {"small.png", "photo.jpg"}) {
        const platform::Picture thumbnail = load(name, Use::Thumbnail);
        QVERIFY2(!thumbnail.isStandIn() && Near(CentreOf(thumbnail.image()), Green), name);
    }
}

void TestStandIns::galleryShowsThePictureWhenItComes()
{
    QTemporaryDir folder;
    WriteFile(folder.filePath("a.png"), modernpictures::Png(Flat(QSize(300, 300), Qt::red)));
    WriteFile(folder.filePath("b.png"), m_png);
    WriteFile(folder.filePath("c.png"), modernpictures::Png(Flat(QSize(300, 300), Qt::blue)));
    WriteFile(folder.filePath("d.png"), m_png.left(m_png.size() / 2)); // cut short
    platform::SharedPictureCache().clear();
    settings::Settings chosen;
    chosen.moreFormats = true;
    settings::SetCurrent(chosen);
    QVERIFY(QDir::setCurrent(folder.path()));
    StartTovimaru();
    auto *registration = qobject_cast<frmList *>(testing::TopLevel(QStringLiteral("frmList")));
    auto *form = qobject_cast<Form1 *>(testing::TopLevel(QStringLiteral("Form1")));
    QVERIFY(form && registration);
    QTest::mouseClick(registration->Command12, Qt::LeftButton);
    QTRY_VERIFY(!testing::TopLevel(QStringLiteral("frmList")));
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2

    // The costly picture's cell fitted to its proportions (the stand-in may have given way
    // already: the page was laid out when the folder was confirmed).
    const platform::ImageControl &cell = *form->Image1[1];
    QVERIFY(cell.isVisible());
    QCOMPARE(qRound(cell.twipsWidth() * 3 / cell.twipsHeight()), 4);
    const QRect laidOut = cell.geometry();

    // The picture itself comes into the same place, the cells beside it untouched.
    QTRY_VERIFY_WITH_TIMEOUT(!cell.picture().isStandIn(), 20000);
    QVERIFY(Near(CentreOf(cell.picture().image()), Green));
    QCOMPARE(cell.geometry(), laidOut);
    QVERIFY(Near(CentreOf(form->Image1[0]->picture().image()), Qt::red));
    QVERIFY(Near(CentreOf(form->Image1[2]->picture().image()), Qt::blue));
    // The file cut short is found out: its cell shows the card of a file that cannot be read.
    QTRY_VERIFY_WITH_TIMEOUT(form->Image1[3]->picture().image() == images::BrokenCard(*form).image(), 20000);
    QVERIFY(form->Image1[3]->isVisible());
    QCOMPARE(Module1::ThumbCount, 4);

    // Carried onto the poster, it is the picture that is placed.
    testing::Pointer pointer(*form);
    pointer.carryCell(1, QPointF(3000, 4000));
    const platform::ImageControl &slot = *form->Image3[0];
    QVERIFY(slot.isVisible() && !slot.picture().isStandIn());
    QVERIFY(Near(CentreOf(slot.picture().image()), Green));
}

QTEST_MAIN(TestStandIns)
#include "tst_standins.moc"
