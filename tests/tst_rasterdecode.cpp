// SPDX-License-Identifier: GPL-3.0-or-later
// The loader's own PNG and WebP decoders (moreFormats), which make a picture smaller while they
// decode it: the same pixels as Qt's reader gives, at the natural size and made smaller by
// area, for every colour type and bit depth of PNG and every kind of WebP; interlaced PNG and
// animated WebP left to Qt; broken files refused without a crash.

#include "TestSupport.h"

#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"
#include "pictures/PngDecode.h"
#include "pictures/WebpDecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <QtTest>

#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <vector>

namespace {

// A test picture: smooth slopes of colour and alpha, so that the two ways of making it smaller
// differ by rounding only.
QRgb Sample(int x, int y, const QSize &size)
{
    const int w = std::max(size.width() - 1, 1), h = std::max(size.height() - 1, 1);
    return qRgba(255 * x / w, 255 * y / h, 255 * (x + y) / (w + h), 255 - 200 * x / w);
}

// A PNG written by libpng: the test picture in colourType at depth bits a sample; grey is the
// mean of the picture's red and green, a palette holds 256 greens and reds (fewer for fewer bits),
// a tRNS chunk makes grey 0, red 0 or the palette's first half partly transparent.
QByteArray PngFile(const QSize &size, int colourType, int depth, bool trns, bool interlaced)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
            png, &out,
            [](png_structp p, png_bytep data, png_size_t length) {
                static_cast<QByteArray *>(png_get_io_ptr(p))->append(reinterpret_cast<const char *>(data), qsizetype(length));
            },
            nullptr);
    png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), depth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int top = (1 << depth) - 1;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette(std::size_t(top) + 1);
        std::vector<png_byte> alpha(palette.size());
        for (std::size_t i = 0; i < palette.size(); ++i) {
            palette[i] = {png_byte(255 * i / top), png_byte(255 - 255 * i / top), 90};
            alpha[i] = png_byte(i < palette.size() / 2 ? 255 * i / top : 255);
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (trns)
            png_set_tRNS(png, info, alpha.data(), int(alpha.size() / 2), nullptr);
    } else if (trns) {
        png_color_16 transparent{};
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    }
    png_write_info(png, info);
    if (depth == 16)
        png_set_swap(png); // the rows below are in the machine's order
    if (depth < 8)
        png_set_packing(png);
    const bool grey = !(colourType & PNG_COLOR_MASK_COLOR), alpha = colourType & PNG_COLOR_MASK_ALPHA;
    const int channels = colourType == PNG_COLOR_TYPE_PALETTE ? 1 : (grey ? 1 : 3) + (alpha ? 1 : 0);
    std::vector<quint16> samples(std::size_t(size.width()) * channels);
    std::vector<png_byte> row(samples.size() * 2);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb pixel = Sample(x, y, size);
                quint16 *s = samples.data() + std::size_t(x) * channels;
                const auto scaled = [top](int value) { return quint16((value * top + 127) / 255); };
                if (colourType == PNG_COLOR_TYPE_PALETTE) {
                    s[0] = quint16(x * top / std::max(size.width() - 1, 1));
                    continue;
                }
                int k = 0;
                if (grey) {
                    s[k++] = scaled((qRed(pixel) + qGreen(pixel)) / 2);
                } else {
                    s[k++] = scaled(qRed(pixel));
                    s[k++] = scaled(qGreen(pixel));
                    s[k++] = scaled(qBlue(pixel));
                }
                if (alpha)
                    s[k++] = scaled(qAlpha(pixel));
            }
            for (std::size_t i = 0; i < samples.size(); ++i) {
                if (depth == 16)
                    std::memcpy(row.data() + 2 * i, &samples[i], 2);
                else
                    row[i] = png_byte(samples[i]);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

QImage TestPicture(const QSize &size, bool alpha)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, alpha ? Sample(x, y, size) : (Sample(x, y, size) | 0xFF000000u));
    }
    return image;
}

enum class WebpKind { Lossy, Lossless, LossyAlpha, LosslessAlpha, Animated };

QByteArray WebpFile(const QSize &size, WebpKind kind)
{
    const bool alpha = kind == WebpKind::LossyAlpha || kind == WebpKind::LosslessAlpha || kind == WebpKind::Animated;
    const QImage image = TestPicture(size, alpha).convertToFormat(QImage::Format_RGBA8888);
    const int stride = int(image.bytesPerLine());
    QByteArray out;
    if (kind == WebpKind::Animated) {
        WebPAnimEncoderOptions options;
        WebPAnimEncoderOptionsInit(&options);
        WebPAnimEncoder *encoder = WebPAnimEncoderNew(size.width(), size.height(), &options);
        WebPConfig config;
        WebPConfigInit(&config);
        config.lossless = 1;
        WebPPicture frame;
        WebPPictureInit(&frame);
        frame.use_argb = 1;
        frame.width = size.width();
        frame.height = size.height();
        WebPPictureImportRGBA(&frame, image.constBits(), stride);
        WebPAnimEncoderAdd(encoder, &frame, 0, &config);
        WebPPicture second;
        WebPPictureInit(&second);
        second.use_argb = 1;
        second.width = size.width();
        second.height = size.height();
        QImage filled(size, QImage::Format_RGBA8888);
        filled.fill(Qt::black);
        WebPPictureImportRGBA(&second, filled.constBits(), int(filled.bytesPerLine()));
        WebPAnimEncoderAdd(encoder, &second, 100, &config);
        WebPAnimEncoderAdd(encoder, nullptr, 200, nullptr);
        WebPData data;
        WebPDataInit(&data);
        WebPAnimEncoderAssemble(encoder, &data);
        out = QByteArray(reinterpret_cast<const char *>(data.bytes), qsizetype(data.size));
        WebPDataClear(&data);
        WebPPictureFree(&frame);
        WebPPictureFree(&second);
        WebPAnimEncoderDelete(encoder);
        return out;
    }
    uint8_t *encoded = nullptr;
    std::size_t length = 0;
    const bool lossless = kind == WebpKind::Lossless || kind == WebpKind::LosslessAlpha;
    if (alpha) {
        length = lossless ? WebPEncodeLosslessRGBA(image.constBits(), size.width(), size.height(), stride, &encoded)
                          : WebPEncodeRGBA(image.constBits(), size.width(), size.height(), stride, 90, &encoded);
    } else {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
        const int rgbStride = int(rgb.bytesPerLine());
        length = lossless ? WebPEncodeLosslessRGB(rgb.constBits(), size.width(), size.height(), rgbStride, &encoded)
                          : WebPEncodeRGB(rgb.constBits(), size.width(), size.height(), rgbStride, 90, &encoded);
    }
    out = QByteArray(reinterpret_cast<const char *>(encoded), qsizetype(length));
    WebPFree(encoded);
    return out;
}

// What the loader made of a file before: Qt's reader at the natural size, premultiplied where
// there is alpha, then smoothly scaled.
QImage QtDecode(const QByteArray &bytes, const QSize &size)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The largest difference of one channel between two pictures of one size and format.
int LargestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest, qAbs(int((p[x] >> shift) & 0xFF) - int((q[x] >> shift) & 0xFF)));
        }
    }
    return largest;
}

const QSize Natural(301, 203);
const QSize Reduced(119, 80); // the gallery's cell bound fitted

void CompareWithQt(const std::optional<QImage> &full, const std::optional<QImage> &reduced, const QByteArray &bytes,
                   bool alpha, int fullTolerance, int reducedTolerance)
{
    QVERIFY(full && reduced);
    const QImage::Format format = alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QCOMPARE(full->format(), format);
    QCOMPARE(reduced->format(), format);
    QCOMPARE(full->size(), Natural);
    QCOMPARE(reduced->size(), Reduced);
    QVERIFY2(LargestDifference(*full, QtDecode(bytes, Natural)) <= fullTolerance,
             qPrintable(QString::number(LargestDifference(*full, QtDecode(bytes, Natural)))));
    QVERIFY2(LargestDifference(*reduced, QtDecode(bytes, Reduced)) <= reducedTolerance,
             qPrintable(QString::number(LargestDifference(*reduced, QtDecode(bytes, Reduced)))));
}

// A copy of a file whose first IDAT's data from its middle on is garbled, its CRC mended so that
// only the compressed pixels are wrong.
QByteArray GarbledIdat(QByteArray png)
{
    const qsizetype at = png.indexOf("IDAT");
    const qint64 length = qFromBigEndian<quint32>(png.constData() + at - 4);
    for (qsizetype i = at + 4 + length / 2; i < at + 4 + length; ++i)
        png[i] = char(png[i] ^ 0x5A);
    quint32 crc = 0xFFFFFFFFu; // CRC-32 of the chunk's type and data
    for (qsizetype i = at; i < at + 4 + length; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    qToBigEndian(~crc, png.data() + at + 4 + length);
    return png;
}

} // namespace

class TestRasterDecode : public QObject
{
    Q_OBJECT

private slots:
    void pngAsQtReadsIt_data()
    {
        QTest::addColumn<int>("colourType");
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("trns");
        QTest::addColumn<int>("tolerance"); // made smaller: Qt's scaling rounds on the way
        QTest::newRow("palette 8") << PNG_COLOR_TYPE_PALETTE << 8 << false << 3;
        QTest::newRow("palette 4, tRNS") << PNG_COLOR_TYPE_PALETTE << 4 << true << 3;
        QTest::newRow("palette 8, tRNS") << PNG_COLOR_TYPE_PALETTE << 8 << true << 3;
        QTest::newRow("grey 1") << PNG_COLOR_TYPE_GRAY << 1 << false << 3;
        QTest::newRow("grey 2") << PNG_COLOR_TYPE_GRAY << 2 << false << 3;
        QTest::newRow("grey 4") << PNG_COLOR_TYPE_GRAY << 4 << false << 3;
        QTest::newRow("grey 8") << PNG_COLOR_TYPE_GRAY << 8 << false << 3;
        QTest::newRow("grey 8, tRNS") << PNG_COLOR_TYPE_GRAY << 8 << true << 3;
        QTest::newRow("grey 16") << PNG_COLOR_TYPE_GRAY << 16 << false << 3;
        QTest::newRow("grey and alpha 8") << PNG_COLOR_TYPE_GRAY_ALPHA << 8 << false << 3;
        QTest::newRow("grey and alpha 16") << PNG_COLOR_TYPE_GRAY_ALPHA << 16 << false << 3;
        QTest::newRow("RGB 8") << PNG_COLOR_TYPE_RGB << 8 << false << 3;
        QTest::newRow("RGB 8, tRNS") << PNG_COLOR_TYPE_RGB << 8 << true << 3;
        QTest::newRow("RGB 16") << PNG_COLOR_TYPE_RGB << 16 << false << 3;
        QTest::newRow("RGBA 8") << PNG_COLOR_TYPE_RGB_ALPHA << 8 << false << 3;
        QTest::newRow("RGBA 16") << PNG_COLOR_TYPE_RGB_ALPHA << 16 << false << 3;
    }

    void pngAsQtReadsIt()
    {
        QFETCH(int, colourType);
        QFETCH(int, depth);
        QFETCH(bool, trns);
        QFETCH(int, tolerance);
        const QByteArray bytes = PngFile(Natural, colourType, depth, trns, false);
        const bool alpha = trns || (colourType & PNG_COLOR_MASK_ALPHA);
        CompareWithQt(platform::png::Decode(bytes, Natural), platform::png::Decode(bytes, Reduced), bytes, alpha,
                      1, tolerance);
        // Made smaller down only: every row's pixels are whole ones.
        const QSize lower(Natural.width(), 90);
        const std::optional<QImage> image = platform::png::Decode(bytes, lower);
        QVERIFY(image && image->size() == lower);
        QVERIFY(LargestDifference(*image, QtDecode(bytes, lower)) <= tolerance);
    }

    void webpAsQtReadsIt_data()
    {
        QTest::addColumn<int>("kindNumber");
        QTest::addColumn<int>("tolerance"); // made smaller: libwebp scales a lossy one before its colours
        QTest::newRow("lossy") << int(WebpKind::Lossy) << 8;
        QTest::newRow("lossless") << int(WebpKind::Lossless) << 3;
        QTest::newRow("lossy with alpha") << int(WebpKind::LossyAlpha) << 8;
        QTest::newRow("lossless with alpha") << int(WebpKind::LosslessAlpha) << 3;
    }

    void webpAsQtReadsIt()
    {
        QFETCH(int, kindNumber);
        const auto kind = WebpKind(kindNumber);
        QFETCH(int, tolerance);
        const QByteArray bytes = WebpFile(Natural, kind);
        const bool alpha = kind == WebpKind::LossyAlpha || kind == WebpKind::LosslessAlpha;
        CompareWithQt(platform::webp::Decode(bytes, Natural), platform::webp::Decode(bytes, Reduced), bytes, alpha,
                      1, tolerance);
    }

    // An interlaced PNG and an animated WebP (its first frame) are Qt's, through the loader.
    void interlacedAndAnimatedAreLeftToQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("interlaced PNG") << PngFile(Natural, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true) << "png";
        // 16 bits a sample, half-transparent parts not made paler when it is made smaller.
        QTest::newRow("interlaced PNG 16") << PngFile(Natural, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, true) << "png";
        QTest::newRow("animated WebP") << WebpFile(Natural, WebpKind::Animated) << "webp";
    }

    void interlacedAndAnimatedAreLeftToQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, suffix);
        QVERIFY(!(suffix == u"png" ? platform::png::Decode(bytes, Reduced) : platform::webp::Decode(bytes, Reduced)));
        platform::formats::SetMoreFormats(true);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("picture.") + suffix);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const platform::Picture picture = platform::LoadPicture(path, Reduced);
        platform::formats::SetMoreFormats(false);
        const QImage image = picture.image();
        QCOMPARE(image.height(), Reduced.height());
        QVERIFY2(LargestDifference(image, QtDecode(bytes, image.size())) <= 3, "the first frame, as Qt reads it");
    }

    void brokenFilesAreRefused_data()
    {
        const QByteArray png = PngFile(Natural, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false);
        const QByteArray lossy = WebpFile(Natural, WebpKind::LossyAlpha);
        const QByteArray lossless = WebpFile(Natural, WebpKind::Lossless);
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isPng");
        QTest::newRow("PNG cut short") << png.left(png.size() / 2) << true;
        QTest::newRow("PNG cut in its header") << png.left(30) << true;
        QTest::newRow("PNG garbled") << GarbledIdat(png) << true;
        QTest::newRow("WebP cut short") << lossy.left(lossy.size() / 2) << false;
        QTest::newRow("lossless WebP cut short") << lossless.left(lossless.size() * 2 / 3) << false;
        QByteArray garbled = lossless;
        for (qsizetype i = 40; i < garbled.size(); i += 7)
            garbled[i] = char(~garbled[i]);
        QTest::newRow("lossless WebP garbled") << garbled << false;
    }

    void brokenFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isPng);
        for (const QSize &size : {Natural, Reduced}) {
            const std::optional<QImage> image = isPng ? platform::png::Decode(bytes, size)
                                                      : platform::webp::Decode(bytes, size);
            QVERIFY(image);
            QVERIFY(image->isNull());
        }
    }
};

QTEST_MAIN(TestRasterDecode)
#include "tst_rasterdecode.moc"
