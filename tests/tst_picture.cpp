// SPDX-License-Identifier: GPL-3.0-or-later
// The loader and its formats: every file of the test corpus loads with its natural size or comes
// back empty, odd paths are empty, and cut, lying or costly files are empty or decoded within
// bounds, quickly. What the decodes hold is in tst_picture_decodes.cpp.

#include "tst_picture.h"

#include "pictures/Picture.h"
#include "tests/support/CostlyPictures.h"
#include "tests/support/PictureFiles.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using namespace picturetests;

using testing::bmpFile;
using testing::jpegWithScans;
using testing::progressiveJpeg;
using testing::progressiveJpegClaiming;

namespace {

constexpr uid_t NobodyUid = 65534;

QByteArray corpusBytes(const char *relativePath)
{
    QFile file(corpusFile(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Natural size in HIMETRIC per file of the corpus; 0 x 0 = the empty picture. Where Qt and the
// corpus's README disagree or leave the choice open, the comment gives the reason.
struct Expected
{
    const char *file;
    int width;
    int height;
};

constexpr Expected kCorpus[] = {
    // Content decides the format, not the name.
    {"bad/bmp_content_named.gif", 3360, 1693},
    {"bad/jpeg_content_named.bmp", 6006, 3942},
    {"bad/gif_signature_then_text.gif", 0, 0},
    {"bad/text_named.gif", 0, 0},
    {"bad/text_named.wmf", 0, 0},
    {"bad/zero_bytes.jpg", 0, 0},
    // Cut files are empty, not half grey: no end-of-image marker, or GIF data blocks without
    // their terminator. An animation cut after its complete first frame still shows that frame.
    {"bad/half_Landscape_6.jpg", 0, 0},
    {"bad/half_progressive_testimgint.jpg", 0, 0},
    {"bad/half_hopper.gif", 0, 0},
    {"bad/half_iss634_animated.gif", 6482, 6482},
    {"bad/half_sample.wmf", 0, 0},
    {"bad/huge_100000x100000_1bpp.bmp", 0, 0},
    {"bad/huge_100000x100000_24bpp.bmp", 0, 0},
    {"bad/huge_30000x30000_24bpp.bmp", 0, 0},
    // Metafiles without the placeable header have no natural size: not pictures.
    {"bad/libwmf-crash-font-width.wmf", 0, 0},
    {"bad/libwmf-crash-textout.wmf", 0, 0},
    {"bad/libwmf-hang-pen-width.wmf", 0, 0},
    // The placeable header's checksum and the METAHEADER's file-size field are not trusted for
    // anything, so getting them wrong costs nothing; the records are sound.
    {"bad/wmf_bad_checksum.wmf", 8004, 7183},
    {"bad/wmf_meta_header_size_huge.wmf", 8004, 7183},
    // An inverted box is a broken header rather than a mirrored picture; a zero or 65535-inch box
    // and zero units per inch give no usable size.
    {"bad/wmf_bbox_huge.wmf", 0, 0},
    {"bad/wmf_bbox_inverted.wmf", 0, 0},
    {"bad/wmf_bbox_zero.wmf", 0, 0},
    {"bad/wmf_inch_zero.wmf", 0, 0},
    // The random bytes broke the record chain of all three.
    {"bad/wmf_fuzzed_1.wmf", 0, 0},
    {"bad/wmf_fuzzed_2.wmf", 0, 0},
    {"bad/wmf_fuzzed_3.wmf", 0, 0},
    {"bad/wmf_placeable_header_only.wmf", 0, 0},
    {"bad/wmf_record_size_huge.wmf", 0, 0},
    {"bad/wmf_record_size_zero.wmf", 0, 0},

    // bmpsuite "bad": headers the decoder cannot use are empty. Fields no loader reads (file
    // size, image size, density) and damage inside the pixel data (RLE runs past the edge, indices
    // past the palette) still give a picture, as they do for Qt.
    {"bmp/bmpsuite/b/badbitcount.bmp", 0, 0},
    {"bmp/bmpsuite/b/badbitssize.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/baddens1.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/baddens2.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badfilesize.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badheadersize.bmp", 0, 0},
    {"bmp/bmpsuite/b/badpalettesize.bmp", 0, 0},
    {"bmp/bmpsuite/b/badplanes.bmp", 0, 0},
    {"bmp/bmpsuite/b/badrle.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badrle4.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badrle4bis.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badrle4ter.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badrlebis.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badrleter.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/badwidth.bmp", 0, 0},
    {"bmp/bmpsuite/b/pal8badindex.bmp", 3360, 1693},
    {"bmp/bmpsuite/b/reallybig.bmp", 0, 0},
    {"bmp/bmpsuite/b/rgb16-880.bmp", 3360, 1693}, // odd masks, but a well-formed header
    {"bmp/bmpsuite/b/rletopdown.bmp", 0, 0}, // RLE cannot be top-down: a contradictory header
    {"bmp/bmpsuite/b/shortfile.bmp", 0, 0},  // cut in the pixel data
    {"bmp/bmpsuite/g/pal1.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal1bg.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal1wb.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal4.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal4gs.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal4rle.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8-0.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8gs.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8nonsquare.bmp", 3360, 847}, // density ignored
    {"bmp/bmpsuite/g/pal8os2.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8rle.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8topdown.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8v4.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8v5.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/pal8w124.bmp", 3281, 1614},
    {"bmp/bmpsuite/g/pal8w125.bmp", 3307, 1640},
    {"bmp/bmpsuite/g/pal8w126.bmp", 3334, 1667},
    {"bmp/bmpsuite/g/rgb16-565.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb16-565pal.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb16.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb16bfdef.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb24.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb24pal.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb32.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb32bf.bmp", 3360, 1693},
    {"bmp/bmpsuite/g/rgb32bfdef.bmp", 3360, 1693},
    // bmpsuite "questionable": what Qt decodes loads; the variants it has no decoder for (2 bpp,
    // Huffman, RLE24, embedded JPEG/PNG, 64 bpp, rare header sizes, 300 colours) are empty.
    {"bmp/bmpsuite/q/pal1huffmsb.bmp", 0, 0},
    {"bmp/bmpsuite/q/pal1p1.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal2.bmp", 0, 0},
    {"bmp/bmpsuite/q/pal2color.bmp", 0, 0},
    {"bmp/bmpsuite/q/pal4rlecut.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal4rletrns.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8offs.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2-hs.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2-sz.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2sp.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2v2-16.bmp", 0, 0},
    {"bmp/bmpsuite/q/pal8os2v2-40sz.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2v2-sz.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8os2v2.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8oversizepal.bmp", 0, 0},
    {"bmp/bmpsuite/q/pal8rlecut.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/pal8rletrns.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb16-231.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb16-3103.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb16faketrns.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb24jpeg.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgb24largepal.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb24lprof.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb24png.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgb24prof.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb24prof2.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb24rle24.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgb32-111110.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb32-7187.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb32-xbgr.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb32fakealpha.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgb32h52.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgba16-1924.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba16-4444.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba16-5551.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32-1.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32-1010102.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32-2.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32-61754.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32-81284.bmp", 3360, 1693},
    {"bmp/bmpsuite/q/rgba32abf.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgba32h56.bmp", 0, 0},
    {"bmp/bmpsuite/q/rgba64.bmp", 0, 0},
    {"bmp/misc/hopper_rle8.bmp", 3387, 3387},
    {"bmp/misc/hopper_rle8_row_overflow.bmp", 3387, 3387},
    {"bmp/misc/l2rgb_read.bmp", 0, 0},

    // BMP content under .dib and .rle loads; a headerless clipboard DIB is no picture file.
    {"dib_rle/PAL8RLE.RLE", 3360, 1693},
    {"dib_rle/RGB24.DIB", 3360, 1693},
    {"dib_rle/clipboard.dib", 0, 0},
    {"dib_rle/pal4rle.dib", 3360, 1693},
    {"dib_rle/pal4rle.rle", 3360, 1693},
    {"dib_rle/pal8.dib", 3360, 1693},
    {"dib_rle/pal8os2.dib", 3360, 1693},
    {"dib_rle/pal8rle.rle", 3360, 1693},
    {"dib_rle/pal8rlecut.rle", 3360, 1693},

    {"gif/pillow/chi.gif", 8467, 6350},
    {"gif/pillow/decompression_bomb.gif", 0, 0},
    {"gif/pillow/decompression_bomb_extents.gif", 2646, 2646},
    {"gif/pillow/dispose_bgnd.gif", 2646, 2646},
    {"gif/pillow/hopper.gif", 3387, 3387},
    {"gif/pillow/iss634.gif", 6482, 6482},
    {"gif/pillow/no_palette.gif", 26, 26},
    {"gif/pillow/test.colors.gif", 21352, 16034},
    {"gif/pillow/transparent.gif", 5292, 3969},
    {"gif/pillow/zero_width.gif", 0, 0},
    // pygif: the frame-level quirks of Qt's decoder (uncovered pixels, bad colour indices) do not
    // matter for a picture; the files Qt rejects are empty, and so is overflow-codes, whose LZW
    // minimum code size of 12 cannot even express a clear code.
    {"gif/pygif/animation.gif", 53, 53},
    {"gif/pygif/depth1.gif", 26, 26},
    {"gif/pygif/depth8.gif", 26, 26},
    {"gif/pygif/disabled-transparent.gif", 53, 53},
    {"gif/pygif/dispose-restore-previous.gif", 53, 53},
    {"gif/pygif/double-clears.gif", 212, 212},
    {"gif/pygif/extra-data.gif", 26, 26},
    {"gif/pygif/extra-pixels.gif", 26, 26},
    {"gif/pygif/gif87a.gif", 26, 26},
    {"gif/pygif/high-color.gif", 847, 847},
    {"gif/pygif/icc-color-profile.gif", 26, 26},
    {"gif/pygif/image-outside-bg.gif", 53, 53},
    {"gif/pygif/image-overlap-bg.gif", 53, 53},
    {"gif/pygif/image-zero-size.gif", 0, 0},
    {"gif/pygif/interlace.gif", 423, 423},
    {"gif/pygif/invalid-background.gif", 26, 26},
    {"gif/pygif/invalid-code.gif", 0, 0},
    {"gif/pygif/invalid-colors.gif", 26, 26},
    {"gif/pygif/large-codes.gif", 2646, 2646},
    {"gif/pygif/local-color-table.gif", 26, 26},
    {"gif/pygif/loop-infinite.gif", 26, 26},
    {"gif/pygif/max-codes.gif", 2646, 2646},
    {"gif/pygif/max-size.gif", 0, 0},
    {"gif/pygif/max-width.gif", 1733947, 26}, // 65535 x 1, decoded at 4096 x 1
    {"gif/pygif/missing-pixels.gif", 53, 53},
    {"gif/pygif/no-clear.gif", 26, 26},
    {"gif/pygif/no-data.gif", 0, 0},
    {"gif/pygif/no-eoi.gif", 26, 26},
    {"gif/pygif/no-global-color-table.gif", 26, 26},
    {"gif/pygif/overflow-codes.gif", 0, 0},
    {"gif/pygif/transparent.gif", 53, 53},
    {"gif/pygif/zero-size.gif", 0, 0},

    {"jpeg/gen-big_gradient_6000x4000.jpg", 158750, 105833},
    {"jpeg/gen-big_gradient_8000x6000.jpg", 211667, 158750}, // decoded at 4000 x 3000
    {"jpeg/ljt-monkey12.jpg", 0, 0},                          // 12-bit samples: no decoder
    {"jpeg/ljt-testimgari.jpg", 6006, 3942},
    {"jpeg/ljt-testimgint.jpg", 6006, 3942},
    {"jpeg/ljt-testorig.jpg", 6006, 3942},
    {"jpeg/pillow-exif-200dpcm.jpg", 5292, 5292},
    {"jpeg/pillow-hopper.jpg", 3387, 3387},
    {"jpeg/pillow-hopper_16bit_qtables.jpg", 3387, 3387},
    {"jpeg/pillow-hopper_gray.jpg", 3387, 3387},
    {"jpeg/pillow-hopper_orientation_3.jpg", 3387, 3387},
    {"jpeg/pillow-hopper_orientation_6.jpg", 3387, 3387},
    {"jpeg/pillow-hopper_orientation_8.jpg", 3387, 3387},
    {"jpeg/pillow-jfif_unit_cm.jpg", 26, 26}, // dots per cm do not change the size
    {"jpeg/pillow-junk_jpeg_header.jpg", 27093, 20320},
    {"jpeg/pillow-pil_sample_cmyk.jpg", 2646, 2646},
    {"jpeg/pillow-pil_sample_rgb.jpg", 2646, 2646},
    {"jpeg/pillow-truncated_jpeg.jpg", 0, 0},
    // Shown upright as the EXIF orientation says: stored 1200 x 1800 and 1800 x 1200, turned.
    {"jpeg/recurser-Landscape_6.jpg", 47625, 31750},
    {"jpeg/recurser-Portrait_8.jpg", 31750, 47625},

    {"wmf/libwmf-2doorvan.wmf", 8415, 3057},
    {"wmf/libwmf-Eg.wmf", 15875, 7925},
    {"wmf/libwmf-anim0002.wmf", 10441, 9636},
    {"wmf/libwmf-ant.wmf", 5590, 3633},
    {"wmf/libwmf-arrow01.wmf", 4481, 4183},
    {"wmf/libwmf-cell.wmf", 27918, 21628},
    {"wmf/libwmf-fjftest.wmf", 21001, 29700},
    {"wmf/libwmf-formula1.wmf", 5874, 1085},
    {"wmf/libwmf-formula2.wmf", 4630, 1614},
    {"wmf/libwmf-formula3.wmf", 17357, 1535},
    {"wmf/libwmf-formula4.wmf", 6482, 1852},
    {"wmf/libwmf-fulltest.wmf", 27940, 21590},
    {"wmf/libwmf-p0000001.wmf", 0, 0},
    {"wmf/libwmf-p0000016.wmf", 0, 0},
    {"wmf/libwmf-sample.wmf", 8004, 7183},
    {"wmf/libwmf-sample2.wmf", 7927, 3416},
    {"wmf/libwmf-text.wmf", 0, 0},
    {"wmf/own-sjis-text.wmf", 5080, 2540},
    {"wmf/own-stretchdib.wmf", 5080, 5080},
    {"wmf/pillow-drawing.wmf", 2898, 2898},
};

bool isPictureSuffix(const QString &fileName)
{
    static const QStringList suffixes = {QStringLiteral("bmp"), QStringLiteral("dib"),
                                         QStringLiteral("rle"), QStringLiteral("jpg"),
                                         QStringLiteral("gif"), QStringLiteral("wmf")};
    return suffixes.contains(QFileInfo(fileName).suffix().toLower());
}

QSize expectedSize(const QString &relativePath, bool *known)
{
    static const QHash<QString, QSize> table = [] {
        QHash<QString, QSize> result;
        for (const Expected &row : kCorpus)
            result.insert(QLatin1String(row.file), QSize(row.width, row.height));
        return result;
    }();
    *known = table.contains(relativePath);
    return table.value(relativePath);
}

// A placeable metafile: bounding box (0,0)-(1000,500) at 1000 units per inch, a METAHEADER and
// the given records.
QByteArray wmfFile(const QByteArray &records, quint16 type = 1, quint16 headerWords = 9)
{
    return picturefiles::Wmf({.right = 1000, .bottom = 500, .unitsPerInch = 1000, .type = type, .headerWords = headerWords},
                             records);
}

// A record of that function claiming to be that many words long, its parameters zeros (three
// words at least are written).
QByteArray wmfRecord(quint32 words, quint16 function)
{
    QByteArray bytes = picturefiles::WmfRecord(function, QList<qint32>(qsizetype(qMax<quint32>(words, 3) - 3), 0));
    qToLittleEndian(words, bytes.data());
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// testorig.jpg (227 x 149) with the width and height of its frame header replaced.
QByteArray jpegClaiming(quint16 width, quint16 height)
{
    return testing::jpegClaiming(corpusBytes("jpeg/ljt-testorig.jpg"), width, height);
}

// The bytes of a JPEG with an APP15 segment that holds an end-of-image marker (like the
// thumbnail in an EXIF block) inserted after SOI.
QByteArray jpegWithHiddenEndMarker()
{
    const QByteArray original = corpusBytes("jpeg/ljt-testorig.jpg");
    const QByteArray segment("\xFF\xEF\x00\x06\xFF\xD9\x00\x00", 8);
    return original.left(2) + segment + original.mid(2);
}

} // namespace

void TestPicture::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestPicture::corpusFiles_data()
{
    SKIP_WITHOUT_TESTDATA();
    QTest::addColumn<QString>("relativePath");
    // Rows come from the folder, not the table, so a file added to the corpus without an
    // expectation fails instead of going unnoticed.
    QDirIterator it(imagesDir(), QDir::Files, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext()) {
        const QString path = it.next();
        if (isPictureSuffix(path))
            files << QDir(imagesDir()).relativeFilePath(path);
    }
    files.sort();
    QVERIFY(files.size() > 200);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestPicture::corpusFiles()
{
    SKIP_WITHOUT_TESTDATA();
    QFETCH(QString, relativePath);
    bool known = false;
    const QSize expected = expectedSize(relativePath, &known);
    QVERIFY2(known, "no expectation for this file in kCorpus");

    const Picture picture = LoadPicture(imagesDir() + QLatin1Char('/') + relativePath);
    QCOMPARE(picture.himetricSize(), expected);
    if (expected.isEmpty()) {
        QVERIFY(picture.isEmpty());
        QCOMPARE(picture.kind(), Picture::Kind::Empty);
        QVERIFY(picture.image().isNull());
        return;
    }
    const bool metafile = relativePath.endsWith(QLatin1String(".wmf"), Qt::CaseInsensitive);
    QCOMPARE(picture.kind(), metafile ? Picture::Kind::Metafile : Picture::Kind::Raster);
    const QImage image = picture.image();
    QVERIFY(!image.isNull());
    QVERIFY(image.format() == QImage::Format_ARGB32_Premultiplied
            || image.format() == QImage::Format_RGB32);
    QVERIFY(image.width() <= MaxDecodedSide && image.height() <= MaxDecodedSide);
    // Whatever size the pixels were decoded at, the image measures the natural size.
    const QSizeF logical = picture.logicalSize();
    const QSizeF measured = image.deviceIndependentSize();
    // The short side is off by less than one decoded pixel (4096 x 1 of a 65535 x 1 GIF: 16).
    const qreal onePixel = 1.0 / image.devicePixelRatio();
    QVERIFY2(qAbs(measured.width() - logical.width()) <= onePixel
                     && qAbs(measured.height() - logical.height()) <= onePixel,
             qPrintable(QStringLiteral("%1x%2 against %3x%4")
                                .arg(measured.width())
                                .arg(measured.height())
                                .arg(logical.width())
                                .arg(logical.height())));
}

void TestPicture::tableNamesOnlyExistingFiles()
{
    SKIP_WITHOUT_TESTDATA();
    for (const Expected &row : kCorpus)
        QVERIFY2(QFileInfo::exists(corpusFile(row.file)), row.file);
}

void TestPicture::oddPaths_data()
{
    SKIP_WITHOUT_TESTDATA();
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("needsUnprivileged");
    const QString dir = m_dir.path() + QStringLiteral("/odd");
    QVERIFY(QDir().mkpath(dir));
    // Open to all, so that only the file's own mode stands in the way of an unprivileged reader.
    const auto openToAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
            | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(m_dir.path(), openToAll));
    QVERIFY(QFile::setPermissions(dir, openToAll));
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/x.bmp"))); // a directory named like a picture
    QVERIFY(QFile::link(dir + QStringLiteral("/gone.gif"), dir + QStringLiteral("/y.gif")));
    const QString unreadable = dir + QStringLiteral("/locked.bmp");
    QVERIFY(QFile::copy(corpusFile("bmp/bmpsuite/g/pal8.bmp"), unreadable));
    QVERIFY(QFile::setPermissions(unreadable, QFileDevice::Permissions()));
    // Opening a FIFO for reading blocks until someone writes to it.
    const QString fifo = dir + QStringLiteral("/z.jpg");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    QTest::newRow("empty path") << QString() << false;
    QTest::newRow("missing file") << dir + QStringLiteral("/missing.jpg") << false;
    QTest::newRow("directory x.bmp") << dir + QStringLiteral("/x.bmp") << false;
    QTest::newRow("dangling symlink y.gif") << dir + QStringLiteral("/y.gif") << false;
    QTest::newRow("no read permission") << unreadable << true;
    QTest::newRow("fifo z.jpg") << fifo << false;
}

void TestPicture::oddPaths()
{
    QFETCH(QString, path);
    QFETCH(bool, needsUnprivileged);
    // Root reads files whatever their mode: load as nobody then.
    const bool dropRoot = needsUnprivileged && ::geteuid() == 0;
    if (dropRoot && ::seteuid(NobodyUid) != 0)
        QSKIP("cannot drop root to test a file without read permission");
    const Picture picture = LoadPicture(path);
    if (dropRoot)
        QCOMPARE(::seteuid(0), 0);
    QVERIFY(picture.isEmpty());
    QCOMPARE(picture.himetricSize(), QSize(0, 0));
    QCOMPARE(picture.logicalSize(), QSizeF(0, 0));
}

void TestPicture::costlyFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QSize>("pixels"); // natural size in pixels; 0 x 0: refused

    const QByteArray progressive = progressiveJpeg();
    QVERIFY(progressive.count(QByteArrayView("\xFF\xDA", 2)) > 1);
    QTest::newRow("progressive JPEG") << "small.jpg" << progressive << QSize(64, 48);
    // libjpeg would keep every coefficient of these, 1.5 GiB, whatever scale is asked for.
    QTest::newRow("progressive JPEG claiming 16384x16384")
            << "huge-progressive.jpg" << progressiveJpegClaiming(16384, 16384) << QSize();
    // libjpeg would walk 200 MB of coefficients once per scan.
    QTest::newRow("progressive JPEG of 16384x4096 with 3010 scans")
            << "many-scans.jpg" << jpegWithScans(progressiveJpegClaiming(16384, 4096), 3010) << QSize();
    QTest::newRow("progressive JPEG of 64x48 with 3010 scans")
            << "many-small-scans.jpg" << jpegWithScans(progressive, 3010) << QSize();
    QTest::newRow("progressive JPEG with 40 scans")
            << "forty-scans.jpg" << jpegWithScans(progressive, 40) << QSize(64, 48);
    // Decoded a byte a pixel and reduced from there: no 256 MiB copy at 32 bits.
    QTest::newRow("RLE8 BMP of 8192x8192 in a few bytes")
            << "big-rle.bmp" << bmpFile(8192, 8192, 8, 1, QByteArray("\x00\x01", 2)) << QSize(8192, 8192);
}

// Files whose headers pass every check but which would cost a decoder seconds and gigabytes:
// refused, or decoded within bounds. The time and memory each took are printed, for the log.
void TestPicture::costlyFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QSize, pixels);
    QVERIFY(!content.isEmpty());
    const QString path = m_dir.filePath(fileName);
    QVERIFY(writeFile(path, content));

    const long before = testing::ResidentKib("VmRSS:");
    QFile clear(QStringLiteral("/proc/self/clear_refs")); // the peak starts anew
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    QElapsedTimer timer;
    timer.start();
    const Picture picture = LoadPicture(path, QSize(119, 89));
    qInfo("%s: %lld ms, peak resident memory %+ld KiB", qPrintable(fileName), timer.elapsed(),
          testing::ResidentKib("VmHWM:") - before);
    QCOMPARE(picture.logicalSize().toSize(), pixels.isValid() ? pixels : QSize(0, 0));
    if (pixels.isValid()) {
        QVERIFY(picture.image().width() <= 119 && picture.image().height() <= 119);
        QVERIFY(!picture.image().isNull());
    }
}

void TestPicture::writtenFiles_data()
{
    SKIP_WITHOUT_TESTDATA();
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QSize>("himetric"); // 0 x 0: empty

    const QSize empty(0, 0);
    // Headers that pass Qt's own 16384 x 16384 check but would cost 1 GiB as 32-bit pixels.
    QTest::newRow("BMP claiming 16384x16384, 64 pixel bytes")
            << "huge.bmp" << bmpFile(16384, 16384, 24, 0, QByteArray(64, '\0')) << empty;
    QTest::newRow("RLE8 BMP claiming 16384x16384")
            << "huge-rle.bmp" << bmpFile(16384, 16384, 8, 1, QByteArray("\x00\x01", 2)) << empty;
    QTest::newRow("JPEG claiming 65500x65500") << "huge.jpg" << jpegClaiming(65500, 65500) << empty;
    QTest::newRow("GIF screen 65535x65535 with a 1x1 image")
            << "huge.gif"
            << QByteArray("GIF89a\xFF\xFF\xFF\xFF\x80\x00\x00"
                          "\x00\x00\x00\xFF\xFF\xFF"
                          "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                          "\x02\x02\x44\x01\x00\x3B",
                          35)
            << empty;

    // Uncompressed BMP: the pixel data must all be there.
    const QByteArray rgb24 = corpusBytes("bmp/bmpsuite/g/rgb24.bmp");
    QTest::newRow("BMP complete") << "complete.bmp" << rgb24 << QSize(3360, 1693);
    QTest::newRow("BMP one byte short") << "short.bmp" << rgb24.chopped(1) << empty;

    // JPEG: complete means an end-of-image marker after the last segment.
    const QByteArray jpeg = corpusBytes("jpeg/ljt-testorig.jpg");
    QTest::newRow("JPEG with 64 KiB appended after its end")
            << "appended.jpg" << jpeg + QByteArray(65536, 'x') << QSize(6006, 3942);
    QTest::newRow("JPEG without its end marker") << "noend.jpg" << jpeg.chopped(2) << empty;
    const QByteArray hidden = jpegWithHiddenEndMarker();
    QTest::newRow("JPEG with an end marker inside a segment")
            << "hidden.jpg" << hidden << QSize(6006, 3942);
    QTest::newRow("the same cut in its scan")
            << "hiddencut.jpg" << hidden.left(hidden.size() / 2) << empty;

    // GIF: only the first image's blocks must be complete.
    const QByteArray gif = corpusBytes("gif/pillow/hopper.gif");
    QTest::newRow("GIF without its trailer")
            << "notrailer.gif" << gif.chopped(1) << QSize(3387, 3387);
    QTest::newRow("GIF without its block terminator") << "noterm.gif" << gif.chopped(2) << empty;

    // Metafiles: the record chain up to the end-of-file record, bounds-checked to the byte.
    const QSize wmfSize(2540, 1270);
    QTest::newRow("WMF with only an end record")
            << "minimal.wmf" << wmfFile(wmfRecord(3, 0x0000)) << wmfSize;
    QTest::newRow("WMF with bytes after its end record")
            << "trailing.wmf" << wmfFile(wmfRecord(3, 0x0000) + "garbage") << wmfSize;
    QTest::newRow("WMF record reaching exactly to the end")
            << "exact.wmf" << wmfFile(wmfRecord(5, 0x020B) + wmfRecord(3, 0x0000)) << wmfSize;
    QTest::newRow("WMF end record one word past the data")
            << "past.wmf" << wmfFile(wmfRecord(3, 0x0000)).chopped(2) << empty;
    QTest::newRow("WMF record size 2") << "two.wmf"
                                       << wmfFile(wmfRecord(2, 0x020B) + wmfRecord(3, 0x0000))
                                       << empty;
    QTest::newRow("WMF without an end record")
            << "noend.wmf" << wmfFile(wmfRecord(5, 0x020B)) << empty;
    QTest::newRow("WMF with METAHEADER type 3")
            << "type3.wmf" << wmfFile(wmfRecord(3, 0x0000), 3) << empty;
    QTest::newRow("WMF with METAHEADER size 8 words")
            << "header8.wmf" << wmfFile(wmfRecord(3, 0x0000), 1, 8) << empty;
}

void TestPicture::writtenFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QSize, himetric);
    QVERIFY(!content.isEmpty());
    const QString path = m_dir.filePath(fileName);
    QVERIFY(writeFile(path, content));

    QElapsedTimer timer;
    timer.start();
    const Picture picture = LoadPicture(path);
    QVERIFY2(timer.elapsed() < 1000, "bad input must fail quickly");
    QCOMPARE(picture.himetricSize(), himetric);
    QCOMPARE(picture.isEmpty(), himetric.isEmpty());
}
