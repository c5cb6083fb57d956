// SPDX-License-Identifier: GPL-3.0-or-later
// The gallery's cells and scan: both lay-outs fit each picture into its cell without distorting
// it; the folder scan fills ImageFiles and sizes VScroll1, counts the filled cells and hides the
// free picture slots it should. The page change and the picture cache are in
// tst_images_pages.cpp.

#include "tst_images.h"

#include <QtTest>

using images::CellLeft;
using images::CellTop;
using namespace gallerytests;

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
