// SPDX-License-Identifier: GPL-3.0-or-later
// The decoding helpers with today's formats: decoders that crash, spin or take memory without
// end, a decode that hangs while the poster is captured, and phones' photos of up to 50
// megapixels placed, printed and saved sharp.

#include "tst_moreformats.h"

// A decoder that crashes, one that never ends and one that takes memory without end: each
// ends only its helper, and its file shows the card of a file that cannot be read, while the
// program goes on and the files around them are shown.
void TestMoreFormats::decodersGoingWrongLeaveTheOthers()
{
    QTemporaryDir folder;
    const QByteArray png = Encoded(Kind::Png, Quarters(QSize(200, 150)));
    const QStringList names{"a.png", "allocate.png", "b.png", "c.png", "crash.png", "d.png", "loop.png"};
    for (const QString &name : names)
        WriteFile(folder.filePath(name), png);
    const int ended = platform::decoding::HelpersEnded();
    const platform::decoding::Limits limits = platform::decoding::CurrentLimits();
    platform::decoding::SetLimits({.cpuSeconds = 2, .waitMsecs = 5000, .memoryBytes = limits.memoryBytes});
    const auto restore = qScopeGuard([&] { platform::decoding::SetLimits(limits); });
    startInFolder(folder.path(), true);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    Form1 *form = MainWindow();
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    QCOMPARE(Module1::ThumbCount, names.size());
    // The files whose helpers went wrong show stand-ins until their helpers are ended.
    QTRY_COMPARE_WITH_TIMEOUT(platform::decoding::HelpersEnded(), ended + 3, 20000);
    const QImage card = images::BrokenCard(*form).image();
    for (int i = 0; i < names.size(); ++i) {
        QVERIFY2(form->Image1[i]->isVisible(), qPrintable(names[i]));
        if (names[i].size() == 5)
            QTRY_VERIFY2(Near(QuarterColours(form->Image1[i]->picture().image())[0], QColor(230, 30, 30)),
                         qPrintable(names[i]));
        else
            QTRY_VERIFY2(form->Image1[i]->picture().image() == card, qPrintable(names[i]));
    }
    // A card is not carried onto the poster; a picture is, decoded by a helper started anew.
    testing::Pointer pointer(*form);
    pointer.hover(testing::InCell(4));
    QVERIFY(!form->Image3[0]->isVisible());
    pointer.carryCell(5, QPointF(3000, 4000));
    QVERIFY(form->Image3[0]->isVisible());
    QVERIFY(Near(QuarterColours(form->Image3[0]->picture().image())[0], QColor(230, 30, 30)));
}

void TestMoreFormats::aHangingDecodeHoldsUpOnlyTheCapture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("placed"); // what the poster shows of it, its top-left part
    QTest::addColumn<int>("helpers");   // ended
    QTest::newRow("its thumbnail and its picture hang")
            << "loop.png" << QColor(0xEE, 0xEE, 0xE8) << 2; // its stand-in is placed
    QTest::newRow("its picture hangs") << "sharp-loop.png" << QColor(230, 30, 30) << 1; // its thumbnail
}

// A decoder that never ends, on the gallery's thumbnail and on the picture placed, or on the
// placed picture only: the gallery, placing it and the other pictures go on without waiting
// for its helper; only the capture for print waits, with the pointer busy, until the helper
// is ended, and shows what the poster showed of that picture.
void TestMoreFormats::aHangingDecodeHoldsUpOnlyTheCapture()
{
    QFETCH(QString, name);
    QFETCH(QColor, placed);
    QFETCH(int, helpers);
    QTemporaryDir folder;
    const QByteArray png = Encoded(Kind::Png, Quarters(QSize(200, 150)));
    for (const QString &file : {QStringLiteral("a.png"), QStringLiteral("b.png"), name})
        WriteFile(folder.filePath(file), png);
    const platform::decoding::Limits limits = platform::decoding::CurrentLimits();
    platform::decoding::SetLimits({.cpuSeconds = 2, .waitMsecs = 5000, .memoryBytes = limits.memoryBytes});
    const auto restore = qScopeGuard([&] { platform::decoding::SetLimits(limits); });
    startInFolder(folder.path(), true);
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(PaperColour);
    const int ended = platform::decoding::HelpersEnded();

    // The folder confirmed and the gallery entered at once: neither waits for the helpers.
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));

    // The longest the event loop goes without turning from here to the capture.
    qint64 last = clock.elapsed(), longest = 0;
    QTimer turns;
    turns.setInterval(10);
    connect(&turns, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    turns.start();
    QCOMPARE(Module1::ThumbCount, 3);
    for (int i = 0; i < 2; ++i)
        QTRY_VERIFY(Near(QuarterColours(form->Image1[i]->picture().image())[0], QColor(230, 30, 30)));
    if (name == QLatin1String("loop.png"))
        QVERIFY(form->Image1[2]->picture().isStandIn());
    else
        QTRY_VERIFY(Near(QuarterColours(form->Image1[2]->picture().image())[0], QColor(230, 30, 30)));

    // Placed while its helper spins, then a picture that decodes: it comes sharp without a capture.
    testing::Pointer pointer(*form);
    pointer.carryCell(2, QPointF(1000, 3500));
    pointer.carryCell(0, QPointF(5000, 3500));
    const platform::ImageControl &hanging = *form->Image3[0], &good = *form->Image3[1];
    QVERIFY(hanging.isVisible() && good.isVisible() && hanging.keepsSharp() && good.keepsSharp());
    QTRY_VERIFY(good.isSettled());
    QCOMPARE(good.picture().image().size(), QSize(200, 150));
    QVERIFY(!hanging.isSettled());
    // Some 50 ms here; the helper spins for seconds. A sanitized build is slower throughout.
    const qint64 bound = qEnvironmentVariableIsSet("TOVIMARU_SANITIZED") ? 1000 : 300;
    QVERIFY2(longest < bound, qPrintable(QString::number(longest)));

    // The capture for print waits for the hanging decode, the pointer busy, until its helper is
    // ended; the picture stays as it was shown.
    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    std::atomic_bool busy = false;
    std::thread look([&busy] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the capture waits by then
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busy = cursor && cursor->shape() == Qt::BusyCursor;
    });
    const auto joined = qScopeGuard([&] { look.join(); });
    clock.restart();
    QTest::mouseClick(form->Command4, Qt::LeftButton); // step 4: the poster captured
    QVERIFY(clock.elapsed() > 400);
    QCOMPARE(platform::decoding::HelpersEnded(), ended + helpers);
    QVERIFY(busy);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(hanging.isSettled());
    const QImage poster = form->Picture2->picture().image();
    const auto partOf = [&](const platform::ImageControl &slot) {
        const QRect box((slot.geometry().topLeft() - output::PosterRect.topLeft()) * platform::CaptureDensity,
                        slot.geometry().size() * platform::CaptureDensity);
        return poster.pixelColor(box.topLeft() + QPoint(box.width() / 8, box.height() / 4));
    };
    QVERIFY(Near(partOf(hanging), placed, 12));
    QVERIFY(Near(partOf(good), QColor(230, 30, 30), 12));
}

void TestMoreFormats::phonePhotoAppearsAndPrintsSharp_data()
{
    QTest::addColumn<PhotoFile>("kind");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation"); // which way up the stored pixels are seen, as EXIF counts
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<bool>("heavy");      // skipped in the sanitized build
    // HEICs as phones store them: a grid of 512-pixel tiles, turned by the file and by its EXIF
    // block alike, with a thumbnail of their own.
    QTest::newRow("HEIC of 24 megapixels") << PhotoFile::Heic << QSize(5712, 4284) << 6 << 8 << false;
    QTest::newRow("HEIC of 48 megapixels") << PhotoFile::Heic << QSize(8000, 6000) << 6 << 8 << true;
    QTest::newRow("HEIC of 48 megapixels, 10 bits") << PhotoFile::Heic << QSize(8000, 6000) << 8 << 10 << true;
    // A camera's JPEG with its EXIF thumbnail; a PNG, with no thumbnail, shows a stand-in first.
    QTest::newRow("JPEG of 50 megapixels") << PhotoFile::Jpeg << QSize(8160, 6120) << 6 << 8 << true;
    QTest::newRow("PNG of 26 megapixels") << PhotoFile::Png << QSize(6240, 4160) << 1 << 8 << false;
}

// A phone's photo of any size up to 50 megapixels: its cell shows the file's own thumbnail or a
// stand-in at once and the picture soon after; placed on the poster it is decoded sharp in the
// background, upright, and it prints so.
void TestMoreFormats::phonePhotoAppearsAndPrintsSharp()
{
    QFETCH(PhotoFile, kind);
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(int, bitDepth);
    QFETCH(bool, heavy);
    if (heavy && qEnvironmentVariableIsSet("TOVIMARU_SANITIZED"))
        QSKIP("not in the sanitized build: a photo of 48 megapixels or more takes it too long");
    QElapsedTimer timer;
    timer.start();
    QTemporaryDir folder;
    const QImage sensor = Detailed(stored);
    const QString name = QStringLiteral("photo.") + (kind == PhotoFile::Heic ? "heic" : kind == PhotoFile::Jpeg ? "jpg" : "png");
    if (kind == PhotoFile::Heic) {
        const QByteArray heic = modernpictures::HeifGrid(sensor, {.quality = 30,
                                                                  .orientation = orientation,
                                                                  .exifOrientation = true,
                                                                  .thumbnailSide = 320,
                                                                  .fast = true,
                                                                  .bitDepth = bitDepth});
        // Coded at that depth (x265 here takes 10 bits): bitDepthLumaMinus8 of the first tile's hvcC.
        const qsizetype hvcC = heic.indexOf("hvcC");
        QVERIFY(hvcC > 0 && hvcC + 4 + 17 < heic.size());
        QCOMPARE(heic[hvcC + 4 + 17] & 7, bitDepth - 8);
        WriteFile(folder.filePath(name), heic);
    } else if (kind == PhotoFile::Jpeg) {
        const QImage thumbnail = sensor.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        WriteFile(folder.filePath(name), exifjpeg::WithExif(exifjpeg::Encode(sensor, 90), orientation,
                                                            exifjpeg::Encode(thumbnail, 90)));
    } else {
        WriteFile(folder.filePath(name), Encoded(Kind::Png, sensor));
    }
    const qint64 written = timer.restart();
    const QImage upright = platform::exif::Upright(sensor, orientation);
    const QSizeF natural(upright.size());

    startInFolder(folder.path(), true);
    Form1 *form = MainWindow();
    form->Picture1->setBackColor(PaperColour);
    QTest::mouseClick(Registration()->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
    QTest::mouseClick(form->Command11, Qt::LeftButton); // step 2
    const platform::ImageControl &cell = *form->Image1[0];
    QVERIFY(cell.isVisible());
    QCOMPARE(cell.picture().logicalSize(), natural);
    // The file's own thumbnail, or a stand-in of the file's size while the helper is slow (a PNG has
    // no thumbnail and shows one until it is decoded).
    QVERIFY(cell.picture().isPreview());
    QTRY_VERIFY_WITH_TIMEOUT(!cell.picture().isStandIn(), 20000);
    QVERIFY(SameQuarters(cell.picture().image(), upright));

    testing::Pointer pointer(*form);
    pointer.carryCell(0, QPointF(3000, 4000));
    const platform::ImageControl &slot = *form->Image3[0];
    QVERIFY(slot.isVisible());
    const qint64 shown = timer.restart();
    QTRY_VERIFY_WITH_TIMEOUT(slot.isSettled() && !slot.picture().isPreview(), 30000);
    const qint64 sharpened = timer.restart();
    QCOMPARE(slot.picture().logicalSize(), natural);
    QVERIFY(SameQuarters(slot.picture().image(), upright));

    QTest::mouseClick(form->Command6, Qt::LeftButton); // step 3
    QTest::mouseClick(form->Command4, Qt::LeftButton); // step 4: the poster captured
    const testing::PrintedPoster printed = testing::PrintPoster(*form, folder.filePath(QStringLiteral("printed.pdf")));
    QVERIFY(!printed.page.isNull());
    const QImage printedPhoto = testing::PrintedBox(printed, testing::InCapture(slot));
    QVERIFY(!printedPhoto.isNull());
    QVERIFY2(SameQuarters(printedPhoto, upright), "printed the wrong way up");
    // Sharp: the chequerboard as sharp as in the photo made small, which the thumbnail is not.
    const auto madeSmall = [&](const QImage &image) {
        return image.scaled(printedPhoto.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const double contrast = BoardContrast(printedPhoto), ideal = BoardContrast(madeSmall(upright));
    const double blurred = BoardContrast(madeSmall(cell.picture().image()));
    qInfo("written in %lld ms, shown in %lld ms, sharp after %lld ms more, printed in %lld ms; "
          "contrast printed %.0f, of the photo made small %.0f, of the cell's picture %.0f",
          written, shown, sharpened, timer.elapsed(), contrast, ideal, blurred);
    QVERIFY2(contrast > 0.5 * ideal && blurred < 0.4 * contrast, "printed blurred");
}
