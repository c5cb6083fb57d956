// SPDX-License-Identifier: GPL-3.0-or-later
// Camera photos: shown upright whichever of the eight EXIF orientations they carry; a gallery
// cell takes the camera's embedded thumbnail or the desktop's shared thumbnail where one serves,
// and falls back to decoding the photo where it does not; the shared cache is read and written
// as file managers do.

#include "TestPaths.h"
#include "TestSupport.h"
#include "pictures/Exif.h"
#include "pictures/Picture.h"
#include "pictures/SharedThumbnails.h"
#include "tests/support/ExifJpeg.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {

const QRgb Red = qRgb(230, 30, 30);
const QRgb Green = qRgb(30, 200, 30);
const QRgb Blue = qRgb(30, 30, 230);
const QRgb White = qRgb(250, 250, 250);

// A picture of four quarters: red at the top left, green at the top right, blue at the bottom
// left, white at the bottom right, so that every mirroring and turning tells apart.
QImage Quarters(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, QColor(Red));
    painter.fillRect(w, 0, size.width() - w, h, QColor(Green));
    painter.fillRect(0, h, w, size.height() - h, QColor(Blue));
    painter.fillRect(w, h, size.width() - w, size.height() - h, QColor(White));
    return image;
}

QImage Plain(const QSize &size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Colours after a JPEG round trip are near, not equal.
bool Near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 && qAbs(qBlue(a) - qBlue(b)) < 40;
}

QString Describe(QRgb c)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// The colour in each corner of a picture's pixels, a few pixels in: top left, top right, bottom
// left, bottom right.
std::array<QRgb, 4> Corners(const Picture &picture)
{
    const QImage image = picture.image().convertToFormat(QImage::Format_RGB32);
    const int inset = 3;
    const int r = image.width() - 1 - inset, b = image.height() - 1 - inset;
    return {image.pixel(inset, inset), image.pixel(r, inset), image.pixel(inset, b), image.pixel(r, b)};
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QSize Himetric(const QSize &pixels)
{
    return QSize(qRound(pixels.width() * 2540.0 / 96), qRound(pixels.height() * 2540.0 / 96));
}

const QSize CellBound(119, 89); // a gallery cell on a screen of device pixel ratio 1

} // namespace

class TestPhotos : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void orientation_data();
    void orientation();
    void embeddedThumbnail_data();
    void embeddedThumbnail();
    void corruptExifBlocksAreHarmless_data();
    void corruptExifBlocksAreHarmless();
    void decodedThumbnailGoesIntoTheSharedCache();
    void sharedCacheServesAndStaleOnesAreReplaced();
    void sharedCacheFlavourFollowsTheBound();
    void unwritableCacheIsPassedOver();
    void fuzzFindingsAreHarmless_data();
    void fuzzFindingsAreHarmless();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_cache;
};

void TestPhotos::init()
{
    // Every case starts with an empty picture folder and an empty shared cache.
    m_dir = std::make_unique<QTemporaryDir>();
    m_cache = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_cache->isValid());
    qputenv("XDG_CACHE_HOME", m_cache->path().toUtf8());
}

void TestPhotos::cleanup()
{
    m_dir.reset();
    m_cache.reset();
}

void TestPhotos::orientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("byteOrder");
    // Where the stored top-left, top-right, bottom-left and bottom-right quarters are seen, as the
    // tag defines its values (row 0 and column 0 of the stored picture: top/left, top/right,
    // bottom/right, bottom/left, left/top, right/top, right/bottom, left/bottom).
    QTest::addColumn<QList<QRgb>>("seen");
    const auto row = [](int orientation, QList<QRgb> seen) {
        // Both byte orders, taken turn about.
        QTest::addRow("%d", orientation) << orientation << (orientation % 2) << seen;
    };
    row(1, {Red, Green, Blue, White});
    row(2, {Green, Red, White, Blue});
    row(3, {White, Blue, Green, Red});
    row(4, {Blue, White, Red, Green});
    row(5, {Red, Blue, Green, White});
    row(6, {Blue, Red, White, Green});
    row(7, {White, Green, Blue, Red});
    row(8, {Green, White, Red, Blue});
}

void TestPhotos::orientation()
{
    QFETCH(int, orientation);
    QFETCH(int, byteOrder);
    QFETCH(QList<QRgb>, seen);
    const QSize stored(320, 160);
    const QString file = path(QStringLiteral("photo.jpg"));
    QVERIFY(Write(file, exifjpeg::WithExif(exifjpeg::Encode(Quarters(stored), 95), orientation, {},
                                           byteOrder ? exifjpeg::ByteOrder::Intel : exifjpeg::ByteOrder::Motorola)));
    const QSize shown = orientation >= 5 ? stored.transposed() : stored;

    // In full, decoded for a thumbnail cell, and decoded for a bound given upright: the natural
    // size and the pixels are turned alike.
    for (const QSize bound : {QSize(), CellBound, QSize(shown / 2)}) {
        const Picture picture = LoadPicture(file, bound);
        QCOMPARE(picture.himetricSize(), Himetric(shown));
        const QSize pixels = picture.image().size();
        QCOMPARE(pixels.width() > pixels.height(), shown.width() > shown.height());
        if (bound == shown / 2)
            QCOMPARE(pixels, shown / 2);
        const std::array<QRgb, 4> corners = Corners(picture);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(Near(corners[i], seen[i]), qPrintable(QStringLiteral("corner %1 is %2, expected %3")
                                                                  .arg(i).arg(Describe(corners[i]), Describe(seen[i]))));
    }
}

void TestPhotos::embeddedThumbnail_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("thumbnail");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("preview"); // whether the cell shows the embedded thumbnail

    QTest::newRow("4:3 photo, 160 x 120") << QSize(640, 480) << QSize(160, 120) << 1 << true;
    QTest::newRow("turned, 160 x 120") << QSize(640, 480) << QSize(160, 120) << 6 << true;
    QTest::newRow("3:2 photo padded to 4:3") << QSize(600, 400) << QSize(160, 120) << 1 << false;
    QTest::newRow("3:2 photo, 160 x 107") << QSize(600, 400) << QSize(160, 107) << 1 << true;
    QTest::newRow("too small for the cell") << QSize(640, 480) << QSize(80, 60) << 1 << false;
}

void TestPhotos::embeddedThumbnail()
{
    QFETCH(QSize, photo);
    QFETCH(QSize, thumbnail);
    QFETCH(int, orientation);
    QFETCH(bool, preview);
    // The photo is blue, its thumbnail red: a cell shows which one it took.
    const QString file = path(QStringLiteral("camera.jpg"));
    QVERIFY(Write(file, exifjpeg::WithExif(exifjpeg::Encode(Plain(photo, Blue)), orientation,
                                           exifjpeg::Encode(Plain(thumbnail, Red)))));
    const QSize shown = exif::SwapsSides(orientation) ? photo.transposed() : photo;

    const Picture cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QCOMPARE(cell.himetricSize(), Himetric(shown));
    QCOMPARE(cell.isPreview(), preview);
    QCOMPARE(Near(Corners(cell)[0], Red), preview);
    if (preview)
        QCOMPARE(cell.image().size(), exif::SwapsSides(orientation) ? thumbnail.transposed() : thumbnail);

    // The poster and the print always decode the photo itself.
    const Picture full = LoadPicture(file, QSize(), Use::Full);
    QVERIFY(!full.isPreview());
    QVERIFY(Near(Corners(full)[0], Blue));
    QCOMPARE(full.himetricSize(), Himetric(shown));
}

void TestPhotos::corruptExifBlocksAreHarmless_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    const QByteArray photo = exifjpeg::Encode(Plain(QSize(640, 480), Blue));
    const QByteArray thumbnail = exifjpeg::Encode(Plain(QSize(160, 120), Red));
    const QByteArray good = exifjpeg::WithExif(photo, 6, thumbnail);
    const qsizetype tiff = 2 + 4 + 6; // SOI, APP1 marker and length, "Exif\0\0"

    QTest::newRow("thumbnail cut short") << exifjpeg::WithExif(photo, 1, thumbnail.left(thumbnail.size() / 2)) << true;
    QTest::newRow("thumbnail not a JPEG") << exifjpeg::WithExif(photo, 1, QByteArray(500, 'x')) << true;
    QByteArray offsets = good;
    offsets[tiff + 4] = char(0xF0); // the first directory far past the block
    QTest::newRow("directory past the block") << offsets << true;
    QByteArray order = good;
    order[tiff] = 'X'; // neither II nor MM
    QTest::newRow("unknown byte order") << order << true;
    QByteArray length = good;
    length[4] = char(0xFF); // the segment claims more than the file holds
    length[5] = char(0xFF);
    QTest::newRow("segment longer than the file") << length << false;
    QTest::newRow("only the block") << good.left(2 + 4 + 6 + 40) << false;
}

void TestPhotos::corruptExifBlocksAreHarmless()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    const QString file = path(QStringLiteral("odd.jpg"));
    QVERIFY(Write(file, bytes));
    for (const Use use : {Use::Thumbnail, Use::Full}) {
        const Picture picture = LoadPicture(file, CellBound, use);
        QCOMPARE(!picture.isEmpty(), loads);
        if (loads)
            QVERIFY(Near(Corners(picture)[0], Blue)); // the photo, decoded
    }
}

void TestPhotos::decodedThumbnailGoesIntoTheSharedCache()
{
    const QString file = path(QStringLiteral("写真 1.jpg")); // a space and kanji in the URI
    QVERIFY(Write(file, exifjpeg::Encode(Plain(QSize(600, 400), Blue))));
    const Picture cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QVERIFY(!cell.isPreview());
    QVERIFY(Near(Corners(cell)[0], Blue));

    // Named as every file manager names it: the MD5 of the percent-encoded file URI.
    const QByteArray uri = "file://" + QFile::encodeName(file).toPercentEncoding("/");
    const QString name = QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex());
    const QString thumbnail = m_cache->path() + QStringLiteral("/thumbnails/normal/") + name + QStringLiteral(".png");
    QVERIFY2(QFileInfo::exists(thumbnail), qPrintable(thumbnail));
    QCOMPARE(QImageReader(thumbnail).format(), QByteArray("png"));
    const QImage png(thumbnail);
    QCOMPARE(png.size(), QSize(128, 85));
    QCOMPARE(png.text(QStringLiteral("Thumb::URI")).toUtf8(), uri);
    QCOMPARE(png.text(QStringLiteral("Thumb::MTime")).toLongLong(), QFileInfo(file).lastModified().toSecsSinceEpoch());
    QCOMPARE(png.text(QStringLiteral("Thumb::Mimetype")), QStringLiteral("image/jpeg"));
    // Private to the user, and no temporary file left behind.
    QCOMPARE(QFileInfo(thumbnail).permissions() & 0x0077, QFile::Permissions());
    QCOMPARE(QFileInfo(QFileInfo(thumbnail).path()).permissions() & 0x0077, QFile::Permissions());
    QCOMPARE(QDir(QFileInfo(thumbnail).path()).entryList(QDir::Files).size(), 1);

    // A picture that fits the thumbnail's square whole gets none: decoding it is as cheap.
    const QString small = path(QStringLiteral("small.jpg"));
    QVERIFY(Write(small, exifjpeg::Encode(Plain(QSize(120, 80), Blue))));
    QVERIFY(!LoadPicture(small, CellBound, Use::Thumbnail).isEmpty());
    QCOMPARE(QDir(QFileInfo(thumbnail).path()).entryList(QDir::Files).size(), 1);
}

void TestPhotos::sharedCacheServesAndStaleOnesAreReplaced()
{
    const QString file = path(QStringLiteral("photo.jpg"));
    QVERIFY(Write(file, exifjpeg::Encode(Plain(QSize(600, 400), Blue))));
    const qint64 modified = QFileInfo(file).lastModified().toSecsSinceEpoch();
    const qint64 bytes = QFileInfo(file).size();
    const QSize natural600x400 = Himetric(QSize(600, 400));

    // A file manager's thumbnail of it (green, so that it shows where it is used).
    thumbnails::Write(file, modified, bytes, Plain(QSize(128, 85), Green), thumbnails::Normal, QSize(600, 400),
                      "image/jpeg");
    Picture cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QVERIFY(cell.isPreview());
    QVERIFY(Near(Corners(cell)[0], Green));
    QCOMPARE(cell.himetricSize(), natural600x400);
    QVERIFY(Near(Corners(LoadPicture(file, CellBound, Use::Full))[0], Blue));

    // One of another shape, or too small for the cell, or recording another size of the file
    // (rewritten within the same second), is passed over.
    for (const QSize size : {QSize(128, 128), QSize(60, 40), QSize(128, 85)}) {
        thumbnails::Write(file, modified, size == QSize(128, 85) ? bytes + 1 : bytes, Plain(size, Green),
                          thumbnails::Normal, {}, "image/jpeg");
        QVERIFY(!LoadPicture(file, CellBound, Use::Thumbnail).isPreview());
    }

    // One that names another file is ignored.
    const QString other = path(QStringLiteral("other.jpg"));
    QVERIFY(Write(other, exifjpeg::Encode(Plain(QSize(600, 400), Blue))));
    thumbnails::Write(file, modified, bytes, Plain(QSize(128, 85), Green), thumbnails::Normal, {}, "image/jpeg");
    QVERIFY(QFile::copy(thumbnails::ThumbnailPath(file, thumbnails::Normal),
                        thumbnails::ThumbnailPath(other, thumbnails::Normal)));
    QVERIFY(!LoadPicture(other, CellBound, Use::Thumbnail).isPreview());

    // The photo changes: its thumbnail is stale, ignored, and replaced by one of the new photo.
    QVERIFY(Write(file, exifjpeg::Encode(Plain(QSize(600, 400), Red))));
    QFile touched(file);
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::fromSecsSinceEpoch(modified + 60), QFileDevice::FileModificationTime));
    touched.close();
    cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QVERIFY(!cell.isPreview());
    QVERIFY(Near(Corners(cell)[0], Red));
    cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QVERIFY(cell.isPreview()); // the new thumbnail
    QVERIFY(Near(Corners(cell)[0], Red));
}

void TestPhotos::sharedCacheFlavourFollowsTheBound()
{
    const QString file = path(QStringLiteral("photo.jpg"));
    QVERIFY(Write(file, exifjpeg::Encode(Plain(QSize(1200, 800), Blue))));
    // A cell on a screen of device pixel ratio 2 needs the large thumbnails.
    const Picture cell = LoadPicture(file, CellBound * 2, Use::Thumbnail);
    QVERIFY(cell.image().width() >= 238);
    QVERIFY(QFileInfo::exists(thumbnails::ThumbnailPath(file, thumbnails::Large)));
    QVERIFY(!QFileInfo::exists(thumbnails::ThumbnailPath(file, thumbnails::Normal)));
    QCOMPARE(QImageReader(thumbnails::ThumbnailPath(file, thumbnails::Large)).size(), QSize(256, 170));
    QVERIFY(LoadPicture(file, CellBound * 2, Use::Thumbnail).isPreview());
    // A normal one would be too small there.
    QVERIFY(!thumbnails::FlavourFor(QSize(300, 200)));
}

void TestPhotos::unwritableCacheIsPassedOver()
{
    // The cache's place is a file: nothing can be written, and nothing else changes.
    const QString blocked = m_cache->filePath(QStringLiteral("not-a-folder"));
    QVERIFY(Write(blocked, "x"));
    qputenv("XDG_CACHE_HOME", blocked.toUtf8());
    const QString file = path(QStringLiteral("photo.jpg"));
    QVERIFY(Write(file, exifjpeg::Encode(Plain(QSize(600, 400), Blue))));
    const Picture cell = LoadPicture(file, CellBound, Use::Thumbnail);
    QVERIFY(Near(Corners(cell)[0], Blue));
    QCOMPARE(cell.himetricSize(), Himetric(QSize(600, 400)));
    QVERIFY(QFileInfo(blocked).isFile());
}

// What the fuzz target found, and its seeds: EXIF blocks (first byte even) and shared thumbnails
// (odd), read as the fuzz target reads them.
void TestPhotos::fuzzFindingsAreHarmless_data()
{
    QTest::addColumn<QString>("file");
    const QDir folder(testing::SourcePath(QStringLiteral("tests/regressions/exif")));
    for (const QString &name : folder.entryList(QDir::Files))
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

void TestPhotos::fuzzFindingsAreHarmless()
{
    QFETCH(QString, file);
    QFile input(file);
    QVERIFY(input.open(QIODevice::ReadOnly));
    const QByteArray bytes = input.readAll();
    QVERIFY(!bytes.isEmpty());
    const QByteArray rest = bytes.mid(1);
    if (bytes[0] % 2 == 0) {
        const exif::Facts facts = exif::ReadFacts(exifjpeg::ExifOnly(rest));
        QVERIFY(facts.orientation >= 1 && facts.orientation <= 8);
        if (file.contains(QStringLiteral("seed-thumbnail"))) // in either byte order
            QVERIFY(facts.thumbnail.startsWith("\xFF\xD8") && facts.orientation > 1);
    } else {
        thumbnails::FromPng(rest, "file:///photo.jpg", 1700000000, 1000, thumbnails::Normal);
    }
}

QTEST_MAIN(TestPhotos)
#include "tst_photos.moc"
