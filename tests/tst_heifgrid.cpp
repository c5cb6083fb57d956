// SPDX-License-Identifier: GPL-3.0-or-later
// HEIC photos as phones store them (moreFormats): a grid of hidden tiles cropped to the picture's
// size, which the loader shows whole, upright, in its colours, the colours libheif gives them
// (the loader decodes a phone's HEVC photo without it); and damaged grids, which give the empty
// picture.

#include "TestSupport.h"
#include "pictures/Exif.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"
#include "tests/support/ModernPictures.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <libheif/heif.h>

using modernpictures::HeifCodec;
using modernpictures::HeifOptions;
using platform::LoadPicture;
using platform::Picture;

namespace {

// Three blocks across and two down of distinct colours, whose edges do not meet the tiles'.
QImage Blocks(const QSize &size)
{
    static const QColor colours[] = {{230, 30, 30}, {30, 200, 30}, {30, 30, 230},
                                     {240, 220, 40}, {200, 40, 200}, {250, 250, 250}};
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int k = 0; k < 6; ++k) {
        const int column = k % 3, row = k / 3;
        const QRect block(QPoint(size.width() * column / 3, size.height() * row / 2),
                          QPoint(size.width() * (column + 1) / 3 - 1, size.height() * (row + 1) / 2 - 1));
        painter.fillRect(block, colours[k]);
    }
    return image;
}

bool Near(QColor seen, QColor want)
{
    return qAbs(seen.red() - want.red()) < 40 && qAbs(seen.green() - want.green()) < 40
            && qAbs(seen.blue() - want.blue()) < 40;
}

// Where the seen picture differs from the wanted one, at points of a lattice away from the
// blocks' edges (which the coding blurs); empty when nowhere.
QString Difference(const QImage &seen, const QImage &want)
{
    if (seen.size() != want.size())
        return QStringLiteral("size");
    const int margin = 5;
    for (int y = margin; y < want.height() - margin; y += 3) {
        for (int x = margin; x < want.width() - margin; x += 3) {
            const QRgb here = want.pixel(x, y);
            if (want.pixel(x - margin, y - margin) != here || want.pixel(x + margin, y + margin) != here
                || want.pixel(x - margin, y + margin) != here || want.pixel(x + margin, y - margin) != here)
                continue;
            if (!Near(seen.pixelColor(x, y), want.pixelColor(x, y)))
                return QStringLiteral("at %1,%2").arg(x).arg(y);
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

struct HeifDeleter
{
    void operator()(heif_context *context) const { heif_context_free(context); }
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};

} // namespace

Q_DECLARE_METATYPE(HeifCodec)

class TestHeifGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void gridLoadsWholeAndUpright_data();
    void gridLoadsWholeAndUpright();
    void damagedGridGivesTheEmptyPicture_data();
    void damagedGridGivesTheEmptyPicture();

private:
    QTemporaryDir m_dir;
};

void TestHeifGrid::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!modernpictures::CanEncode(HeifCodec::Hevc) || !modernpictures::CanEncode(HeifCodec::Av1))
        QSKIP("libheif here has no HEVC or AV1 encoder to make the test files with");
    platform::formats::SetMoreFormats(true);
}

void TestHeifGrid::gridLoadsWholeAndUpright_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("tileSide");
    QTest::addColumn<HeifCodec>("codec");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("bitDepth");
    QTest::newRow("150x100 in 3x2 tiles of 64") << QSize(150, 100) << 64 << HeifCodec::Hevc << 1 << 6 << 8;
    QTest::newRow("256x64, tiles filling it") << QSize(256, 64) << 64 << HeifCodec::Hevc << 1 << 4 << 8;
    QTest::newRow("40x30 in one tile") << QSize(40, 30) << 64 << HeifCodec::Hevc << 1 << 1 << 8;
    QTest::newRow("AVIF") << QSize(150, 100) << 64 << HeifCodec::Av1 << 1 << 6 << 8;
    QTest::newRow("a phone held upright") << QSize(200, 150) << 64 << HeifCodec::Hevc << 6 << 12 << 8;
    QTest::newRow("a phone held the other way up, 10 bits") << QSize(200, 150) << 64 << HeifCodec::Hevc << 8 << 12 << 10;
    QTest::newRow("turned and mirrored") << QSize(150, 100) << 64 << HeifCodec::Hevc << 5 << 6 << 8;
}

void TestHeifGrid::gridLoadsWholeAndUpright()
{
    QFETCH(QSize, size);
    QFETCH(int, tileSide);
    QFETCH(HeifCodec, codec);
    QFETCH(int, orientation);
    QFETCH(int, tiles);
    QFETCH(int, bitDepth);
    const QImage stored = Blocks(size);
    // A phone's: the rotation written twice over, and a thumbnail.
    const bool phone = orientation != 1;
    const HeifOptions options{.codec = codec, .quality = 90, .orientation = orientation, .exifOrientation = phone,
                              .thumbnailSide = phone ? 96 : 0, .bitDepth = bitDepth};
    const QByteArray bytes = modernpictures::HeifGrid(stored, options, tileSide);
    QVERIFY(!bytes.isEmpty());
    const QImage upright = platform::exif::Upright(stored, orientation);

    // libheif sees one picture, a grid of the stored size, of tiles of its own.
    std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
    QCOMPARE(heif_context_read_from_memory(context.get(), bytes.constData(), size_t(bytes.size()), nullptr).code,
             heif_error_Ok);
    QCOMPARE(heif_context_get_number_of_top_level_images(context.get()), 1);
    heif_image_handle *handle = nullptr;
    QCOMPARE(heif_context_get_primary_image_handle(context.get(), &handle).code, heif_error_Ok);
    std::unique_ptr<heif_image_handle, HeifDeleter> primary(handle);
    QCOMPARE(QSize(heif_image_handle_get_ispe_width(handle), heif_image_handle_get_ispe_height(handle)), size);
    QCOMPARE(QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)), upright.size());
    QCOMPARE(heif_image_handle_get_number_of_thumbnails(handle), phone ? 1 : 0);
    const QByteArray dimg = bytes.mid(bytes.indexOf("dimg") + 6, 2);
    QCOMPARE(qFromBigEndian<quint16>(dimg.constData()), quint16(tiles));

    const QString path = m_dir.filePath(QStringLiteral("IMG_0001.HEIC"));
    WriteFile(path, bytes);
    const Picture full = LoadPicture(path);
    QCOMPARE(full.logicalSize(), QSizeF(upright.size()));
    QCOMPARE(Difference(full.image(), upright), QString());
    // Pixel for pixel the colours libheif decodes, but for rounding.
    heif_decoding_options *decoding = heif_decoding_options_alloc();
    decoding->convert_hdr_to_8bit = 1;
    heif_image *decoded = nullptr;
    QCOMPARE(heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, decoding).code,
             heif_error_Ok);
    heif_decoding_options_free(decoding);
    int stride = 0;
    const uint8_t *rgb = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    int worst = 0;
    for (int y = 0; y < upright.height(); ++y) {
        for (int x = 0; x < upright.width(); ++x) {
            const uint8_t *theirs = rgb + y * stride + x * 3;
            const QRgb ours = full.image().pixel(x, y);
            worst = std::max({worst, qAbs(qRed(ours) - theirs[0]), qAbs(qGreen(ours) - theirs[1]),
                              qAbs(qBlue(ours) - theirs[2])});
        }
    }
    heif_image_release(decoded);
    QVERIFY2(worst <= 3, qPrintable(QStringLiteral("a channel %1 levels off libheif's").arg(worst)));
    if (phone) {
        const Picture cell = LoadPicture(path, QSize(119, 89), platform::Use::Thumbnail);
        QVERIFY(cell.isPreview());
        QCOMPARE(cell.logicalSize(), QSizeF(upright.size()));
        QCOMPARE(Difference(cell.image(), upright.scaled(cell.image().size())), QString());
    }
}

void TestHeifGrid::damagedGridGivesTheEmptyPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray grid = modernpictures::HeifGrid(Blocks(QSize(150, 100)), {}, 64);
    QVERIFY(!grid.isEmpty());
    // The grid's layout (ImageGrid) and its references, after their boxes' types.
    const qsizetype layout = grid.indexOf("idat") + 4, references = grid.indexOf("dimg");
    QByteArray moreRows = grid;
    moreRows[layout + 2] = 2; // three rows of tiles, of which two are there
    QTest::newRow("grid of more tiles than it references") << moreRows;
    QByteArray unreferenced = grid;
    unreferenced.replace(references, 4, "dimx");
    QTest::newRow("no tile referenced") << unreferenced;
    QByteArray dangling = grid;
    qToBigEndian<quint16>(0x7FFF, dangling.data() + references + 8 + 2 * 5);
    QTest::newRow("its last tile not among the items") << dangling;
    QTest::newRow("cut in its last tile") << grid.left(grid.size() - 40);
    QTest::newRow("cut before its tiles") << grid.left(grid.indexOf("mdat") + 4);
}

void TestHeifGrid::damagedGridGivesTheEmptyPicture()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("damaged.heic"));
    WriteFile(path, bytes);
    QVERIFY(LoadPicture(path).isEmpty());
    QVERIFY(LoadPicture(path, QSize(119, 89), platform::Use::Thumbnail).isEmpty());
}

QTEST_MAIN(TestHeifGrid)
#include "tst_heifgrid.moc"
