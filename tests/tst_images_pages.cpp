// SPDX-License-Identifier: GPL-3.0-or-later
// The gallery's pages and the picture cache: pages need not be aligned, hide every free picture
// slot and leave the cell of a broken file empty; paging back decodes nothing, and the next page
// and a whole folder are decoded ahead. The cache gives the same picture object, notices changed
// files, keeps to its capacity and decodes a file once for many threads.

#include "tst_images.h"

#include "pictures/PictureCache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <thread>

using platform::Picture;
using platform::PictureCache;
using namespace gallerytests;

namespace {

// A file the test makes itself, in a folder that lives as long as the test program.
QString MadeFile(const char *name, const QByteArray &bytes)
{
    static QTemporaryDir folder;
    QFile file(folder.filePath(QString::fromUtf8(name)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

} // namespace

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
