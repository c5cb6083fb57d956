// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The gallery, one test program built from two files: tst_images.cpp holds the fitting of a
// picture into its cell and the folder scan; tst_images_pages.cpp the page change and the picture
// cache, and main(). Both put folders of pictures together and read the cells and slots off the
// form with what is below.

#include "TestPaths.h"
#include "TestSupport.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "tests/support/PictureFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>
#include <memory>

namespace gallerytests {

inline QString Corpus(const char *relativePath)
{
    return testing::TestdataPath(QStringLiteral("images/") + QLatin1String(relativePath));
}

inline QString Sample(const char *fileName)
{
    return testing::SourcePath(QStringLiteral("samples/")) + QString::fromUtf8(fileName);
}

// Pictures that decode, in several formats, to fill folders of any length with: the samples, and
// some of the shared corpus where it is at hand.
inline const QStringList &GoodPictures()
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
inline QByteArray Metafile(int width, int height)
{
    return picturefiles::Wmf({.right = qint16(width), .bottom = qint16(height), .unitsPerInch = 1440},
                             picturefiles::WmfRecord(0x0000, {})); // the end-of-file record
}

// The natural size of a file's picture, to tell which file a cell shows.
inline QSize NaturalSize(const QString &path)
{
    return platform::LoadPicture(path).himetricSize();
}

inline bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A picture whose left half is red and right half blue.
inline QImage RedBlue(int width, int height)
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
inline QString VisibleCells(const Form1 &form)
{
    QString result;
    for (int i = 0; i < images::CellCount; ++i) {
        if (form.Image1[i]->isVisible())
            result += QString::number(i);
    }
    return result;
}

inline QString VisibleSlots(const Form1 &form)
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
inline void ShowSlots(Form1 &form, std::initializer_list<int> placed = {})
{
    for (int i = 0; i < 11; ++i) {
        form.Image3[i]->setTwipsLeft(11040 + 120 * i);
        form.Image3[i]->show();
    }
    for (int i : placed)
        form.Image3[i]->setTwipsLeft(1000);
}

} // namespace gallerytests

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Fitting a picture into its cell (tst_images.cpp).
    void fitting_data();
    void fitting();
    void cellsLieOnTheGrid();
    void photoKeepsItsShape();
    void cellShowsThePictureStretched();

    // The scan (tst_images.cpp).
    void scrollMaximum_data();
    void scrollMaximum();
    void listEndsAtFirstEmptyName();
    void atMost32001Files();
    void rescanWipesImageFiles();
    void scanHidesFirstFourFreeSlots();
    void scanAtNonZeroValueRunsPageChangeFirst();
    void scanShowsCellsOnlyWithScrollBar();

    // The page change (tst_images_pages.cpp).
    void pagesNeedNotBeAligned();
    void lastPageOfElevenFiles();
    void pageChangeHidesEveryFreeSlot();
    void undecodableFileLeavesItsCellEmpty();
    void pagingBackDecodesNothing();
    void nextPageIsDecodedAhead();
    void folderIsDecodedBeforeTheScan();

    // The picture cache (tst_images_pages.cpp).
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
