// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of today's formats too costly to decode while a gallery page waits: the page is laid
// out at once with a stand-in of the picture's own proportions, the picture comes into its cell
// when it has been decoded, and only those formats ever stand in.

#include "PosterPointer.h"
#include "TestSupport.h"
#include "tests/support/ExifJpeg.h"
#include "tests/support/ModernPictures.h"

#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "pictures/DecodeCost.h"
#include "pictures/Picture.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFormats.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
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
    void onlyCostlyPicturesOfTodaysFormatsStandIn();
    void galleryShowsThePictureWhenItComes();

private:
    QTemporaryDir m_dir;
    QSize m_costly;
    QByteArray m_png;
};

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

    // Every cell laid out and counted; the costly one fitted to its picture's proportions.
    QCOMPARE(Module1::ThumbCount, 3);
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

    // Carried onto the poster, it is the picture that is placed.
    testing::Pointer pointer(*form);
    pointer.hover(testing::InCell(1));
    pointer.press(testing::InCell(1));
    pointer.dragTo(QPointF(3000 + form->GrabX, 4000 + form->GrabY));
    pointer.release();
    const platform::ImageControl &slot = *form->Image3[0];
    QVERIFY(slot.isVisible() && !slot.picture().isStandIn());
    QVERIFY(Near(CentreOf(slot.picture().image()), Green));
}

QTEST_MAIN(TestStandIns)
#include "tst_standins.moc"
