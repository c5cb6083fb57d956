// SPDX-License-Identifier: GPL-3.0-or-later
// Today's picture formats in the gallery, a teacher's option (moreFormats): PNG, .jpeg, WebP, HEIC,
// HEIF and AVIF files listed among the designed ones in one order, decoded within the loader's
// bounds or refused, a phone's HEIC photo upright, and a transparent PNG showing the paper through
// it on the poster, in the capture and on the printed page. Without the option, none of them is
// listed or decoded.

#include "tst_moreformats.h"

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
    pointer.carryCell(0, QPointF(3000, 4000));
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

QTEST_MAIN(TestMoreFormats)
