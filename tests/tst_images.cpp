// The gallery: the folder scan fills ImageFiles and sizes VScroll1; both lay-outs fit each
// picture into its cell without distorting it, count the filled cells and hide the free picture
// slots they should; broken files leave their cell empty; pages come back from the picture
// cache, which notices changed files and keeps to its capacity.

#include "TestSupport.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "pictures/PictureCache.h"
#include "tests/support/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <memory>
#include <thread>

using images::CellLeft;
using images::CellTop;
using platform::Picture;
using platform::PictureCache;

namespace {

QString Corpus(const char *relativePath)
{
    return testing::TestdataPath(QStringLiteral("images/") + QLatin1String(relativePath));
}

QString Sample(const char *fileName)
{
    return QStringLiteral(TOVIMARU_SAMPLES "/") + QString::fromUtf8(fileName);
}

// A file the test makes itself, in a folder that lives as long as the test program.
QString MadeFile(const char *name, const QByteArray &bytes)
{
    static QTemporaryDir folder;
    QFile file(folder.filePath(QString::fromUtf8(name)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

// Pictures that decode, in several formats, to fill folders of any length with: the samples, and
// some of the shared corpus where it is at hand.
const QStringList &GoodPictures()
{
    static const QStringList pictures = [] {
        QStringList list = {
            Sample("SUN.BMP"),       Sample("balloons.bmp"),   Sample("fish.dib"),
            Sample("HOUSE.RLE"),     Sample("apple.rle"),      Sample("flower.jpg"),
            Sample("CAR.JPG"),       Sample("rainbow.JPG"),    Sample("tree.gif"),
            Sample("STAR.GIF"),      Sample("little boat.GIF"), Sample("ねこ の かお.gif"),
            Sample("kite.wmf"),      Sample("Snowman.WMF"),    Sample("ladybug.wmf"),
        };
        if (testing::HasTestdata()) {
            list << Corpus("jpeg/ljt-testorig.jpg") << Corpus("gif/pillow/hopper.gif")
                 << Corpus("bmp/bmpsuite/g/pal8.bmp") << Corpus("dib_rle/pal8rle.rle")
                 << Corpus("jpeg/pillow-hopper.jpg") << Corpus("wmf/libwmf-sample.wmf");
        }
        return list;
    }();
    return pictures;
}

// A placeable metafile whose natural size is width x height twips: at 1440 units per inch a unit
// is a twip, and the trip through HIMETRIC rounds back to the same whole twips.
QByteArray Metafile(int width, int height)
{
    return picturefiles::Wmf({.right = qint16(width), .bottom = qint16(height), .unitsPerInch = 1440},
                             picturefiles::WmfRecord(0x0000, {})); // the end-of-file record
}

// The natural size of a file's picture, to tell which file a cell shows.
QSize NaturalSize(const QString &path)
{
    return platform::LoadPicture(path).himetricSize();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A picture whose left half is red and right half blue.
QImage RedBlue(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

// An image folder being put together in a temporary directory; names() is its file list.
class Folder
{
public:
    Folder() { Module1::ImageDir = m_dir.path() + QLatin1Char('/'); }

    // count pictures copied from GoodPictures(), named in list order.
    void addPictures(int count)
    {
        for (int k = 0; k < count; ++k) {
            const QString source = GoodPictures()[m_names.size() % GoodPictures().size()];
            add(QFileInfo(source).fileName(), [&](const QString &path) { return QFile::copy(source, path); });
        }
    }
    // A metafile of width x height twips.
    void addMetafile(int width, int height)
    {
        add(QStringLiteral("m.wmf"), [&](const QString &path) { return Write(path, Metafile(width, height)); });
    }
    void addCopy(const QString &source)
    {
        add(QFileInfo(source).fileName(), [&](const QString &path) { return QFile::copy(source, path); });
    }
    void addImage(const QImage &image)
    {
        add(QStringLiteral("p.bmp"), [&](const QString &path) { return image.save(path, "BMP"); });
    }

    const QStringList &names() const { return m_names; }
    QString path(int k) const { return m_dir.filePath(m_names[k]); }

private:
    template<class Make>
    void add(const QString &fileName, Make make)
    {
        const QString name = QStringLiteral("%1 %2").arg(m_names.size(), 3, 10, QLatin1Char('0')).arg(fileName);
        QVERIFY2(make(m_dir.filePath(name)), qPrintable(name));
        m_names << name;
    }

    QTemporaryDir m_dir;
    QStringList m_names;
};

// The cells now visible, as a string of their indexes ("0123").
QString VisibleCells(const Form1 &form)
{
    QString result;
    for (int i = 0; i < images::CellCount; ++i) {
        if (form.Image1[i]->isVisible())
            result += QString::number(i);
    }
    return result;
}

QString VisibleSlots(const Form1 &form)
{
    QString result;
    for (int i = 0; i < 11; ++i) {
        if (form.Image3[i]->isVisible())
            result += QString::number(i, 16);
    }
    return result;
}

// Shows every picture slot 0..10 in the side panel, where it counts as not placed, except those
// given, which are put on the poster.
void ShowSlots(Form1 &form, std::initializer_list<int> placed = {})
{
    for (int i = 0; i < 11; ++i) {
        form.Image3[i]->setTwipsLeft(11040 + 120 * i);
        form.Image3[i]->show();
    }
    for (int i : placed)
        form.Image3[i]->setTwipsLeft(1000);
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Fitting a picture into its cell.
    void fitting_data();
    void fitting();
    void cellsLieOnTheGrid();
    void photoKeepsItsShape();
    void cellShowsThePictureStretched();

    // The scan.
    void scrollMaximum_data();
    void scrollMaximum();
    void listEndsAtFirstEmptyName();
    void atMost32001Files();
    void rescanWipesImageFiles();
    void scanHidesFirstFourFreeSlots();
    void scanAtNonZeroValueRunsPageChangeFirst();
    void scanShowsCellsOnlyWithScrollBar();

    // The page change.
    void pagesNeedNotBeAligned();
    void lastPageOfElevenFiles();
    void pageChangeHidesEveryFreeSlot();
    void undecodableFileLeavesItsCellEmpty();
    void pagingBackDecodesNothing();
    void nextPageIsDecodedAhead();
    void folderIsDecodedBeforeTheScan();

    // The picture cache.
    void cacheGivesTheSameObject();
    void cacheDecodesChangedFilesAnew();
    void cacheEvictsLeastRecentlyUsed();
    void cacheDecodesOnceForManyThreads();

private:
    Form1 &form() { return *m_form; }
    images::GalleryController &gallery() { return *m_gallery; }

    std::unique_ptr<Form1> m_form;
    std::unique_ptr<images::GalleryController> m_gallery;
};

void TestImages::init()
{
    Module1::Reset();
    m_form = std::make_unique<Form1>();
    m_gallery = std::make_unique<images::GalleryController>(*m_form);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestImages::cleanup()
{
    m_gallery.reset();
    m_form.reset();
}

void TestImages::fitting_data()
{
    QTest::addColumn<int>("naturalWidth"); // twips
    QTest::addColumn<int>("naturalHeight");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("leftOffset"); // within the cell's box
    QTest::addColumn<double>("topOffset");

    QTest::newRow("exactly the cell") << 1785 << 1340 << 1785.0 << 1340.0 << 0.0 << 0.0;
    // 500 x 1785 / 1000 = 892.5, rounded to the even neighbour.
    QTest::newRow("small and wide, enlarged") << 1000 << 500 << 1785.0 << 892.0 << 0.0 << 224.0;
    QTest::newRow("large and wide, reduced") << 3570 << 1000 << 1785.0 << 500.0 << 0.0 << 420.0;
    // Width-fitted height 1785 > 1340: fitted to the height, centred by half a twip.
    QTest::newRow("square") << 1000 << 1000 << 1340.0 << 1340.0 << 222.5 << 0.0;
    // Width-fitted height 35700, beyond 16 bits: only an intermediate value.
    QTest::newRow("tall and narrow") << 50 << 1000 << 67.0 << 1340.0 << 859.0 << 0.0;
    QTest::newRow("large and tall") << 2000 << 4000 << 670.0 << 1340.0 << 557.5 << 0.0;
    QTest::newRow("one twip under the cell") << 1785 << 1339 << 1785.0 << 1339.0 << 0.0 << 0.5;
}

void TestImages::fitting()
{
    QFETCH(int, naturalWidth);
    QFETCH(int, naturalHeight);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, leftOffset);
    QFETCH(double, topOffset);

    Folder folder;
    folder.addMetafile(naturalWidth, naturalHeight);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());

    const platform::ImageControl &cell = *form().Image1[0];
    QCOMPARE(Module1::ThumbCount, 1);
    QVERIFY(cell.isVisible());
    QCOMPARE(cell.twipsWidth(), width);
    QCOMPARE(cell.twipsHeight(), height);
    QCOMPARE(cell.twipsLeft(), CellLeft(0) + leftOffset);
    QCOMPARE(cell.twipsTop(), CellTop(0) + topOffset);
}

void TestImages::cellsLieOnTheGrid()
{
    Folder folder;
    for (int k = 0; k < 10; ++k)
        folder.addMetafile(1785, 1340);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());

    QCOMPARE(Module1::ThumbCount, 10);
    QCOMPARE(VisibleCells(form()), QStringLiteral("0123456789"));
    const double lefts[] = {11040, 13080};
    const double tops[] = {2280, 3840, 5400, 6960, 8520};
    for (int i = 0; i < 10; ++i) {
        const platform::ImageControl &cell = *form().Image1[i];
        QCOMPARE(cell.twipsLeft(), lefts[i % 2]);
        QCOMPARE(cell.twipsTop(), tops[i / 2]);
        QCOMPARE(cell.twipsWidth(), 1785.0);
        QCOMPARE(cell.twipsHeight(), 1340.0);
    }
}

void TestImages::photoKeepsItsShape()
{
    SKIP_WITHOUT_TESTDATA();
    // 6000 x 4000 pixels are 90000 x 60000 twips, far past 16 bits: a clamped size would make
    // the photo square.
    Folder folder;
    folder.addCopy(Corpus("jpeg/gen-big_gradient_6000x4000.jpg"));
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());

    const platform::ImageControl &cell = *form().Image1[0];
    QCOMPARE(cell.twipsWidth(), 1785.0);
    QCOMPARE(cell.twipsHeight(), 1190.0);
    QCOMPARE(cell.twipsTop(), CellTop(0) + 75);
    // Decoded for the cell (at the size the desktop's shared thumbnails have, 128 pixels at
    // most), not in full; the natural size is still the file's.
    const QSize bound = images::ThumbnailBound(cell);
    QCOMPARE(bound, QSize(119, 89) * cell.devicePixelRatio());
    const int side = std::max(128, bound.width());
    QVERIFY(cell.picture().image().width() <= side);
    QVERIFY(cell.picture().image().height() <= side);
    QCOMPARE(cell.picture().himetricSize(), QSize(158750, 105833));
}

void TestImages::cellShowsThePictureStretched()
{
    // 60 x 40 pixels = 900 x 600 twips, enlarged to 1785 x 1190: the blue right half reaches
    // the cell's right edge only if the picture is stretched over the whole cell.
    Folder folder;
    folder.addImage(RedBlue(60, 40));
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());

    platform::ImageControl &cell = *form().Image1[0];
    QCOMPARE(cell.twipsWidth(), 1785.0);
    QCOMPARE(cell.twipsHeight(), 1190.0);
    QCOMPARE(cell.twipsTop(), CellTop(0) + 75);
    const QImage shown = cell.grab().toImage();
    QCOMPARE(shown.size() / shown.devicePixelRatio(), QSize(119, 79));
    const qreal ratio = shown.devicePixelRatio();
    QCOMPARE(shown.pixelColor(QPoint(3, 40) * ratio), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(QPoint(56, 40) * ratio), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(QPoint(63, 40) * ratio), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(QPoint(116, 76) * ratio), QColor(Qt::blue));
}

void TestImages::scrollMaximum_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("maximum");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("10") << 10 << 0;
    QTest::newRow("11") << 11 << 10;
    QTest::newRow("20") << 20 << 10;
    QTest::newRow("21") << 21 << 20;
}

void TestImages::scrollMaximum()
{
    QFETCH(int, files);
    QFETCH(int, maximum);

    Folder folder;
    folder.addPictures(files);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());

    QCOMPARE(form().VScroll1->maximum(), maximum);
    QCOMPARE(form().VScroll1->value(), 0);
    QCOMPARE(Module1::ThumbCount, std::min(files, 10));
    QCOMPARE(VisibleCells(form()), QStringLiteral("0123456789").left(std::min(files, 10)));
    for (int k = 0; k < files; ++k)
        QCOMPARE(Module1::ImageFiles[k], folder.path(k));
    QCOMPARE(Module1::ImageFiles[files], QString());
}

void TestImages::listEndsAtFirstEmptyName()
{
    Folder folder;
    folder.addPictures(4);
    QStringList names = folder.names();
    names[2].clear();
    gallery().ScanImageFolder(names);

    QCOMPARE(Module1::ImageFiles[1], folder.path(1));
    QCOMPARE(Module1::ImageFiles[2], QString());
    QCOMPARE(Module1::ImageFiles[3], QString());
    QCOMPARE(Module1::ThumbCount, 2);
}

void TestImages::atMost32001Files()
{
    // Names of files that do not exist, except the one in the last slot.
    Folder folder;
    QStringList names;
    for (int k = 0; k < 32000; ++k)
        names << QStringLiteral("missing %1.bmp").arg(k);
    folder.addPictures(1);
    names << folder.names() << QStringLiteral("past the last slot 1.bmp") << QStringLiteral("past 2.bmp");

    gallery().ScanImageFolder(names);
    QCOMPARE(Module1::ImageFiles[32000], folder.path(0));
    QCOMPARE(int(Module1::ImageFiles.size()), 32001);
    QCOMPARE(form().VScroll1->maximum(), 32000);
    QCOMPARE(Module1::ThumbCount, 0); // the first page's files are missing

    // A page that reaches past slot 32000 shows nothing there.
    form().VScroll1->setValue(31995);
    QCOMPARE(Module1::ThumbCount, 1);
    QCOMPARE(VisibleCells(form()), QStringLiteral("5"));
    form().VScroll1->setValue(32000);
    QCOMPARE(Module1::ThumbCount, 1);
    QCOMPARE(VisibleCells(form()), QStringLiteral("0"));
}

void TestImages::rescanWipesImageFiles()
{
    Folder longer;
    longer.addPictures(21);
    gallery().ScanImageFolder(longer.names());
    QCOMPARE(Module1::ImageFiles[20], longer.path(20));

    Folder shorter;
    shorter.addPictures(5);
    gallery().ScanImageFolder(shorter.names());
    QCOMPARE(Module1::ImageFiles[4], shorter.path(4));
    for (int k : {5, 10, 20, 32000})
        QCOMPARE(Module1::ImageFiles[k], QString());
    QCOMPARE(form().VScroll1->maximum(), 0);
}

void TestImages::scanHidesFirstFourFreeSlots()
{
    Folder folder;
    folder.addPictures(3);
    ShowSlots(form(), {1});
    gallery().ScanImageFolder(folder.names());

    // Slot 1 is on the poster; 4 and on are left to the page change.
    QCOMPARE(VisibleSlots(form()), QStringLiteral("1456789a"));
}

void TestImages::scanAtNonZeroValueRunsPageChangeFirst()
{
    Folder folder;
    folder.addPictures(21);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());
    form().VScroll1->setValue(10);
    ShowSlots(form(), {6});

    // Setting the value back to 0 lays out page 0 through the page change, which hides every
    // free slot 0..9; the scan on its own would hide only 0..3.
    gallery().ScanImageFolder(folder.names());
    QCOMPARE(VisibleSlots(form()), QStringLiteral("6a"));
    QCOMPARE(form().VScroll1->value(), 0);
    QCOMPARE(Module1::ThumbCount, 10);
    QCOMPARE(form().Image1[0]->picture().himetricSize(), NaturalSize(folder.path(0)));
}

void TestImages::scanShowsCellsOnlyWithScrollBar()
{
    Folder folder;
    folder.addPictures(15);
    QVERIFY(!form().VScroll1->isVisible());
    gallery().ScanImageFolder(folder.names());
    QCOMPARE(Module1::ThumbCount, 10);
    QCOMPARE(VisibleCells(form()), QString());
    QVERIFY(!form().Image1[0]->picture().isEmpty()); // filled, for the wizard to show

    // The page change shows the filled cells whether VScroll1 is shown or not.
    form().VScroll1->setValue(10);
    QCOMPARE(Module1::ThumbCount, 5);
    QCOMPARE(VisibleCells(form()), QStringLiteral("01234"));
}

void TestImages::pagesNeedNotBeAligned()
{
    // Metafiles of distinct widths tell which file a cell shows.
    Folder folder;
    for (int k = 0; k < 25; ++k)
        folder.addMetafile(1000 + k, 1000);
    gallery().ScanImageFolder(folder.names());
    QCOMPARE(form().VScroll1->maximum(), 20);

    for (int value : {5, 7, 15}) {
        form().VScroll1->setValue(value);
        QCOMPARE(Module1::ThumbCount, std::min(10, 25 - value));
        for (int i = 0; i < Module1::ThumbCount; ++i)
            QCOMPARE(form().Image1[i]->picture().himetricSize(), NaturalSize(folder.path(value + i)));
    }
}

void TestImages::lastPageOfElevenFiles()
{
    Folder folder;
    folder.addPictures(11);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());
    QCOMPARE(form().VScroll1->maximum(), 10);

    form().VScroll1->setValue(10);
    QCOMPARE(Module1::ThumbCount, 1);
    QCOMPARE(VisibleCells(form()), QStringLiteral("0"));
    QCOMPARE(form().Image1[0]->picture().himetricSize(), NaturalSize(folder.path(10)));

    form().VScroll1->setValue(0);
    QCOMPARE(Module1::ThumbCount, 10);
    QCOMPARE(VisibleCells(form()), QStringLiteral("0123456789"));
}

void TestImages::pageChangeHidesEveryFreeSlot()
{
    Folder folder;
    folder.addPictures(11);
    gallery().ScanImageFolder(folder.names());
    ShowSlots(form(), {2, 8});

    form().VScroll1->setValue(10);
    // Free slots 0..9 are hidden even beside empty cells; the overflow slot 10 is not touched.
    QCOMPARE(VisibleSlots(form()), QStringLiteral("28a"));
}

void TestImages::undecodableFileLeavesItsCellEmpty()
{
    Folder folder;
    folder.addPictures(3);
    folder.addCopy(MadeFile("zero_bytes.jpg", QByteArray()));
    folder.addPictures(9);
    folder.addCopy(MadeFile("text_named.gif", "This is a text, not a picture.\n"));
    folder.addPictures(7);
    form().VScroll1->show();

    // In the scan: cell 3 stays empty and hidden, the cells after it still fill and count.
    gallery().ScanImageFolder(folder.names());
    QCOMPARE(Module1::ThumbCount, 9);
    QCOMPARE(VisibleCells(form()), QStringLiteral("012456789"));
    QVERIFY(form().Image1[3]->picture().isEmpty());

    // In the page change: the text named .gif is slot 13, cell 3 of the page at 10.
    form().VScroll1->setValue(10);
    QCOMPARE(Module1::ThumbCount, 9);
    QCOMPARE(VisibleCells(form()), QStringLiteral("012456789"));
}

void TestImages::pagingBackDecodesNothing()
{
    Folder folder;
    folder.addPictures(20);
    form().VScroll1->show();
    gallery().ScanImageFolder(folder.names());
    std::array<Picture, 10> firstPage;
    for (int i = 0; i < 10; ++i)
        firstPage[i] = form().Image1[i]->picture();

    form().VScroll1->setValue(10);
    form().VScroll1->setValue(0);
    for (int i = 0; i < 10; ++i) {
        QVERIFY(form().Image1[i]->picture().isSameObject(firstPage[i]));
        // The picture slot laid over a cell loads its file the same way.
        QVERIFY(images::ThumbnailPicture(folder.path(i), *form().Image3[i]).isSameObject(firstPage[i]));
    }
}

void TestImages::nextPageIsDecodedAhead()
{
    Folder folder;
    folder.addPictures(25);
    platform::PictureCache &cache = platform::SharedPictureCache();
    const qint64 decodesBefore = cache.statistics().decodes;
    gallery().ScanImageFolder(folder.names());
    // The workers decode the page after the first one meanwhile, and nothing before it.
    QTRY_COMPARE(cache.statistics().decodes, decodesBefore + 20);
    const QSize bound = images::ThumbnailBound(form());
    std::array<Picture, 10> decodedAhead;
    for (int i = 0; i < 10; ++i)
        decodedAhead[i] = cache.picture(folder.path(10 + i), bound, platform::Use::Thumbnail);
    QCOMPARE(cache.statistics().decodes, decodesBefore + 20);

    // Paging there shows those very pictures.
    form().VScroll1->setValue(10);
    QCOMPARE(Module1::ThumbCount, 10);
    for (int i = 0; i < 10; ++i)
        QVERIFY(form().Image1[i]->picture().isSameObject(decodedAhead[i]));
}

void TestImages::folderIsDecodedBeforeTheScan()
{
    Folder folder;
    folder.addPictures(12);
    platform::PictureCache &cache = platform::SharedPictureCache();
    const qint64 decodesBefore = cache.statistics().decodes;
    gallery().PrefetchFolder(folder.names());
    QTRY_COMPARE(cache.statistics().decodes, decodesBefore + 12);
    // Nothing of the gallery has changed yet.
    QCOMPARE(Module1::ImageFiles[0], QString());
    QVERIFY(form().Image1[0]->picture().isEmpty());

    gallery().ScanImageFolder(folder.names());
    QCOMPARE(Module1::ThumbCount, 10);
    QCOMPARE(cache.statistics().decodes, decodesBefore + 12);
}

void TestImages::cacheGivesTheSameObject()
{
    PictureCache cache(1 << 20);
    const QString path = Sample("CAR.JPG");
    const Picture first = cache.picture(path, QSize(119, 89));
    QVERIFY(!first.isEmpty());
    QVERIFY(cache.picture(path, QSize(119, 89)).isSameObject(first));
    // Another bound is another decode.
    const Picture larger = cache.picture(path, QSize(300, 200));
    QVERIFY(!larger.isSameObject(first));
    QCOMPARE(larger.himetricSize(), first.himetricSize());
    QVERIFY(larger.image().width() > first.image().width());
    // Files that give no picture are kept as well, and "" is the empty picture.
    const Picture broken = cache.picture(MadeFile("zero_bytes.jpg", QByteArray()));
    QVERIFY(broken.isEmpty());
    QVERIFY(cache.picture(QString()).isEmpty());
    const PictureCache::Statistics statistics = cache.statistics();
    QCOMPARE(statistics.decodes, 3);
    QCOMPARE(statistics.hits, 1);
    QCOMPARE(statistics.entries, 3);
}

void TestImages::cacheDecodesChangedFilesAnew()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    QVERIFY(RedBlue(40, 30).save(path, "BMP"));
    PictureCache cache(1 << 20);
    const Picture before = cache.picture(path);

    // Another size of file.
    QVERIFY(RedBlue(80, 30).save(path, "BMP"));
    const Picture resized = cache.picture(path);
    QVERIFY(!resized.isSameObject(before));
    QCOMPARE(resized.logicalSize(), QSizeF(80, 30));

    // The same size, written at another time.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
        QVERIFY(file.setFileTime(anHourAgo, QFileDevice::FileModificationTime));
    }
    const Picture touched = cache.picture(path);
    QVERIFY(!touched.isSameObject(resized));
    QVERIFY(cache.picture(path).isSameObject(touched));

    // A file that appears where none was.
    const QString later = dir.filePath(QStringLiteral("later.bmp"));
    QVERIFY(cache.picture(later).isEmpty());
    QVERIFY(RedBlue(10, 10).save(later, "BMP"));
    QCOMPARE(cache.picture(later).logicalSize(), QSizeF(10, 10));
}

void TestImages::cacheEvictsLeastRecentlyUsed()
{
    QTemporaryDir dir;
    QStringList paths;
    for (int k = 0; k < 3; ++k) {
        paths << dir.filePath(QStringLiteral("%1.bmp").arg(k));
        QVERIFY(RedBlue(100, 100).save(paths.last(), "BMP"));
    }
    // Room for two of the 100 x 100 x 4 bytes pictures, not three.
    PictureCache cache(100000);
    const Picture first = cache.picture(paths[0]);
    const Picture second = cache.picture(paths[1]);
    QVERIFY(cache.picture(paths[0]).isSameObject(first)); // now the second is the oldest
    cache.picture(paths[2]);

    PictureCache::Statistics statistics = cache.statistics();
    QCOMPARE(statistics.entries, 2);
    QCOMPARE(statistics.cost, 80000);
    QCOMPARE(statistics.evictions, 1);
    QVERIFY(cache.picture(paths[0]).isSameObject(first));
    QVERIFY(!cache.picture(paths[1]).isSameObject(second));
    statistics = cache.statistics();
    QVERIFY(statistics.cost <= statistics.capacity);
    QCOMPARE(statistics.decodes, 4);

    // A picture larger than the whole capacity is handed out but not kept.
    PictureCache tiny(1000);
    QVERIFY(!tiny.picture(paths[0]).isEmpty());
    QCOMPARE(tiny.statistics().entries, 0);
}

void TestImages::cacheDecodesOnceForManyThreads()
{
    SKIP_WITHOUT_TESTDATA();
    // A 24-megapixel JPEG takes long enough to decode for the threads to meet on it.
    const QString path = Corpus("jpeg/gen-big_gradient_6000x4000.jpg");
    PictureCache cache(64 << 20);
    std::array<Picture, 4> pictures;
    {
        std::vector<std::jthread> threads;
        for (Picture &picture : pictures)
            threads.emplace_back([&cache, &picture, &path] { picture = cache.picture(path, QSize(750, 500)); });
        cache.prefetch(path, QSize(750, 500));
    }
    for (const Picture &picture : pictures)
        QVERIFY(picture.isSameObject(pictures[0]));
    QVERIFY(!pictures[0].isEmpty());
    QCOMPARE(cache.statistics().decodes, 1);
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
