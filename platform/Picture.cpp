#include "platform/Picture.h"

#include "platform/PictureFormats.h"
#include "platform/Twips.h"
#include "platform/WmfPlayer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <vector>

namespace platform {

struct Picture::Data
{
    Kind kind = Kind::Empty;
    QSize himetric;       // natural size
    QSizeF logical;       // natural size in logical pixels (96 dpi)
    QImage image;         // Raster: the pixels, devicePixelRatio = decoded / natural
    std::shared_ptr<const wmf::Metafile> metafile; // Metafile: its records, for playing them
    QSize metafilePixels; // Metafile: the pixel size image() gives it

    // Metafile: the latest renderings, most recent first, so that repainting a gallery cell or a
    // picture slot does not play the records again. Shared by the copies of the picture, which
    // may live on several threads.
    mutable std::mutex renderMutex;
    mutable std::vector<QImage> renders;
};

namespace {

using formats::Format;

// Qt checks its limit against every image buffer a handler allocates, for the whole process; set
// to the cap of one picture, one setting covers every load.
void limitImageAllocations()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(formats::MaxPictureBytes >> 20)); // in MiB
    });
}

QSize himetricOf(const QSizeF &logicalPixels)
{
    const auto himetric = [](qreal pixels) {
        return int(std::lround(TwipsToHimetric(PixelsToTwips(pixels))));
    };
    return QSize(himetric(logicalPixels.width()), himetric(logicalPixels.height()));
}

// The largest pixel size a picture is decoded or rendered at: the caller's bound (a thumbnail
// cell, say), never more than MaxDecodedSide on either side.
QSize decodeLimit(const QSize &decodeBound)
{
    const QSize maximum(MaxDecodedSide, MaxDecodedSide);
    if (!decodeBound.isValid())
        return maximum;
    return decodeBound.boundedTo(maximum).expandedTo(QSize(1, 1));
}

bool fitsWithin(const QSize &size, const QSize &limit)
{
    return size.width() <= limit.width() && size.height() <= limit.height();
}

// size scaled down to fit limit, keeping its proportions; never scaled up, never below 1 x 1.
QSize fitWithin(const QSize &size, const QSize &limit)
{
    if (fitsWithin(size, limit))
        return size;
    return size.scaled(limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// libjpeg decodes at 1/2, 1/4 or 1/8 of the size for a fraction of the work and memory. Taking
// the largest of those that fits (rather than the exact fit, which Qt would reach by decoding at
// the next larger scale and resampling) keeps a 24-megapixel photo at 3000 x 2000 = 24 MB instead
// of a 96 MB decode. Sizes are rounded down so that Qt picks that very scale.
QSize jpegDecodeSize(const QSize &natural, const QSize &limit)
{
    if (fitsWithin(natural, limit))
        return natural;
    for (const int denominator : {2, 4, 8}) {
        const QSize reduced = QSize(natural.width() / denominator, natural.height() / denominator)
                                      .expandedTo(QSize(1, 1));
        if (fitsWithin(reduced, limit))
            return reduced;
    }
    return fitWithin(natural, limit);
}

qreal densityOf(const QSize &pixels, const QSizeF &logical)
{
    // By the long side: the short one of a very wide picture may have been rounded up to 1.
    return logical.width() >= logical.height() ? pixels.width() / logical.width()
                                               : pixels.height() / logical.height();
}

// One conversion for drawing: premultiplied where there is alpha, plain 32-bit otherwise.
QImage toDrawingFormat(const QImage &image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// The whole file, or nothing for anything that is not a readable regular file within the cap.
QByteArray readPictureFile(const QString &path)
{
    // A FIFO or a device named like a picture would block open() or never end.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > formats::MaxPictureBytes)
        return {};
    // The size taken once: if the file grows meanwhile, the rest is not read.
    return file.read(file.size());
}

// A palette picture (8 or 1 bits a pixel) made smaller without a 32-bit copy of the whole
// picture: every pixel of the result is the mean of the box of source pixels it covers, read
// through the palette. A large box is sampled on an even grid of at most 8 x 8 of its pixels,
// so that a thumbnail of a huge bitmap costs no pass over all of it.
QImage reducePalettePicture(const QImage &source, const QSize &size)
{
    QImage reduced(size, QImage::Format_ARGB32_Premultiplied);
    if (reduced.isNull() || source.width() < size.width() || source.height() < size.height())
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    constexpr int MaxSamples = 8; // per side of a box
    const int W = source.width(), H = source.height(), w = size.width(), h = size.height();
    QList<QRgb> palette = source.colorTable();
    palette.resize(256, qRgb(0, 0, 0)); // indexes past the table are black
    std::array<QRgb, 256> premultiplied;
    for (int i = 0; i < 256; ++i)
        premultiplied[i] = qPremultiply(palette[i]);
    const bool indexed8 = source.format() == QImage::Format_Indexed8;
    const bool lsb = source.format() == QImage::Format_MonoLSB;
    const auto indexAt = [&](const uchar *line, int x) {
        return indexed8 ? line[x] : lsb ? (line[x >> 3] >> (x & 7)) & 1 : (line[x >> 3] >> (7 - (x & 7))) & 1;
    };
    // The source columns each result column samples.
    std::vector<std::vector<int>> columns(w);
    for (int x = 0; x < w; ++x) {
        const int first = int(qint64(x) * W / w), last = int(qint64(x + 1) * W / w); // [first, last)
        const int n = std::min(MaxSamples, last - first);
        for (int k = 0; k < n; ++k)
            columns[x].push_back(first + int(qint64(last - first) * (2 * k + 1) / (2 * n)));
    }
    for (int y = 0; y < h; ++y) {
        const int first = int(qint64(y) * H / h), last = int(qint64(y + 1) * H / h);
        const int rows = std::min(MaxSamples, last - first);
        auto *out = reinterpret_cast<QRgb *>(reduced.scanLine(y));
        for (int x = 0; x < w; ++x) {
            quint32 r = 0, g = 0, b = 0, a = 0;
            for (int k = 0; k < rows; ++k) {
                const uchar *line = source.constScanLine(first + int(qint64(last - first) * (2 * k + 1) / (2 * rows)));
                for (const int sx : columns[x]) {
                    const QRgb pixel = premultiplied[indexAt(line, sx)];
                    r += qRed(pixel);
                    g += qGreen(pixel);
                    b += qBlue(pixel);
                    a += qAlpha(pixel);
                }
            }
            const quint32 count = quint32(rows) * quint32(columns[x].size());
            out[x] = qRgba(int((r + count / 2) / count), int((g + count / 2) / count), int((b + count / 2) / count),
                           int((a + count / 2) / count));
        }
    }
    return reduced;
}

QImage decodeRaster(Format format, QImageReader &reader, const QSize &natural, const QSize &limit)
{
    const QSize size =
            format == Format::Jpeg ? jpegDecodeSize(natural, limit) : fitWithin(natural, limit);
    QImage image;
    if (format == Format::Jpeg) {
        if (size != natural)
            reader.setScaledSize(size);
    } else {
        // BMP and GIF are decoded at full size and scaled afterwards; no more pixels than 32-bit
        // ones would fit in the cap. A palette bitmap stays at one byte a pixel (or one bit)
        // until it is reduced, without a 32-bit copy of the whole picture.
        if (qint64(natural.width()) * natural.height() * 4 > formats::MaxPictureBytes)
            return {};
        // Qt's BMP decoder leaves the pixels that RLE skip codes pass over as the allocator gave
        // them, so one file decodes differently each time. It reuses an image of the right size
        // and format handed to it: a cleared one makes those pixels palette index 0, as in a
        // freshly created Windows DIB.
        if (format == Format::Bmp) {
            const QImage::Format pixelFormat = reader.imageFormat();
            if (pixelFormat != QImage::Format_Invalid) {
                image = QImage(natural, pixelFormat);
                if (image.isNull())
                    return {};
                image.fill(0);
            }
        }
    }
    if (!reader.read(&image))
        return {};
    if (image.size() != size) {
        image = image.colorCount() > 0 ? reducePalettePicture(image, size)
                                       : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

std::shared_ptr<const Picture::Data> loadRaster(Format format, const QByteArray &bytes,
                                                const QSize &limit)
{
    if (!formats::isStructurallySound(format, bytes))
        return nullptr;
    limitImageAllocations();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false); // EXIF orientation is not applied, to the size or the pixels
    // Qt must decode what was checked above.
    if (reader.format() != formats::qtFormatName(format))
        return nullptr;
    QSize natural = reader.size(); // from the header only
    natural.setHeight(qAbs(natural.height())); // top-down BMPs report a negative height
    if (!formats::isPlausibleNaturalSize(natural))
        return nullptr;

    QImage image = decodeRaster(format, reader, natural, limit);
    if (image.isNull())
        return nullptr;
    image = toDrawingFormat(image);
    image.setDevicePixelRatio(densityOf(image.size(), QSizeF(natural)));

    auto data = std::make_shared<Picture::Data>();
    data->kind = Picture::Kind::Raster;
    data->logical = QSizeF(natural);
    data->himetric = himetricOf(data->logical);
    data->image = std::move(image);
    return data;
}

// Metafile renderings kept per picture: the two latest sizes (a gallery cell, or a slot on the
// screen and its capture), each at most this large; a bigger one is played each time it is drawn.
constexpr size_t KeptRenders = 2;
constexpr qint64 MaxKeptRenderBytes = qint64(8) << 20;

// The metafile played at pixels, from the renderings kept when one is within slack pixels of it
// (drawing stretched takes one a pixel off; image() wants its size exactly).
QImage metafileRender(const Picture::Data &data, const QSize &pixels, int slack = 0)
{
    {
        const std::lock_guard lock(data.renderMutex);
        for (size_t i = 0; i < data.renders.size(); ++i) {
            const QSize kept = data.renders[i].size();
            if (qAbs(kept.width() - pixels.width()) <= slack && qAbs(kept.height() - pixels.height()) <= slack) {
                std::rotate(data.renders.begin(), data.renders.begin() + qsizetype(i),
                            data.renders.begin() + qsizetype(i) + 1);
                return data.renders.front();
            }
        }
    }
    // Played without the lock: another thread drawing the same picture meanwhile may play it
    // too, which costs time but nothing else.
    const QImage render = data.metafile->render(pixels, densityOf(pixels, data.logical));
    if (!render.isNull() && render.sizeInBytes() <= MaxKeptRenderBytes) {
        const std::lock_guard lock(data.renderMutex);
        data.renders.insert(data.renders.begin(), render);
        if (data.renders.size() > KeptRenders)
            data.renders.resize(KeptRenders);
    }
    return render;
}

std::shared_ptr<const Picture::Data> loadMetafile(const QByteArray &bytes, const QSize &decodeBound)
{
    const std::optional<formats::MetafileHeader> header = formats::readPlaceableMetafile(bytes);
    if (!header)
        return nullptr;
    std::optional<wmf::Metafile> metafile = wmf::Metafile::parse(bytes);
    if (!metafile)
        return nullptr;
    auto data = std::make_shared<Picture::Data>();
    data->kind = Picture::Kind::Metafile;
    data->himetric = header->himetric;
    data->logical = header->logicalPixels;
    data->metafile = std::make_shared<const wmf::Metafile>(std::move(*metafile));
    // Drawn, not decoded: a thumbnail is played at the size of its cell, enlarged or reduced.
    const QSize natural = header->logicalPixels.toSize().expandedTo(QSize(1, 1));
    data->metafilePixels = decodeBound.isValid()
            ? header->logicalPixels.scaled(QSizeF(decodeLimit(decodeBound)), Qt::KeepAspectRatio)
                      .toSize()
                      .expandedTo(QSize(1, 1))
            : fitWithin(natural, decodeLimit(decodeBound));
    // A thumbnail is played here, on the thread that loads it, rather than at its first paint.
    if (decodeBound.isValid())
        metafileRender(*data, data->metafilePixels);
    return data;
}

} // namespace

Picture::Picture() = default;

Picture::Picture(std::shared_ptr<const Data> data)
    : m_data(std::move(data))
{
}

Picture Picture::fromImage(const QImage &image)
{
    if (image.isNull())
        return Picture();
    auto data = std::make_shared<Data>();
    data->kind = Kind::Raster;
    data->image = toDrawingFormat(image); // keeps the devicePixelRatio
    data->logical = image.deviceIndependentSize();
    data->himetric = himetricOf(data->logical);
    return Picture(std::move(data));
}

Picture::Kind Picture::kind() const
{
    return m_data ? m_data->kind : Kind::Empty;
}

bool Picture::isEmpty() const
{
    return !m_data;
}

QSize Picture::himetricSize() const
{
    return m_data ? m_data->himetric : QSize(0, 0);
}

QSizeF Picture::logicalSize() const
{
    return m_data ? m_data->logical : QSizeF(0, 0);
}

qint64 Picture::byteCost() const
{
    if (!m_data)
        return 0;
    if (m_data->kind == Kind::Raster)
        return m_data->image.sizeInBytes();
    return m_data->metafile->bytes().size() + qint64(m_data->metafilePixels.width()) * m_data->metafilePixels.height() * 4;
}

QImage Picture::image() const
{
    if (!m_data)
        return QImage();
    if (m_data->kind == Kind::Raster)
        return m_data->image;
    return metafileRender(*m_data, m_data->metafilePixels);
}

void Picture::drawStretched(QPainter &painter, const QRectF &target) const
{
    if (kind() == Kind::Empty)
        return;
    if (kind() == Kind::Metafile) {
        // Played at the pixels the target covers on the device (a capture has several per
        // logical pixel), so that enlarged clip art stays sharp.
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QSizeF covered = painter.combinedTransform().mapRect(target).size() * ratio;
        const QSize pixels = QSize(qCeil(covered.width() - 0.01), qCeil(covered.height() - 0.01))
                                     .boundedTo(QSize(MaxDecodedSide, MaxDecodedSide));
        if (pixels.isEmpty())
            return;
        const QImage render = metafileRender(*m_data, pixels, 1);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, render);
        painter.restore();
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_data->image);
    painter.restore();
}

void Picture::drawUnscaled(QPainter &painter, const QPointF &topLeft) const
{
    // The natural size, not the decoded one: a picture decoded smaller still covers its size.
    drawStretched(painter, QRectF(topLeft, logicalSize()));
}

Picture Picture::resampled(const QSize &pixels) const
{
    if (kind() != Kind::Raster || pixels.isEmpty() || m_data->image.size() == pixels)
        return *this;
    auto data = std::make_shared<Data>();
    data->kind = Kind::Raster;
    data->himetric = m_data->himetric;
    data->logical = m_data->logical;
    data->image = toDrawingFormat(m_data->image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    data->image.setDevicePixelRatio(densityOf(pixels, data->logical));
    return Picture(std::move(data));
}

QSize CoveringDecodeBound(const QSize &naturalPixels, const QSize &target)
{
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced = QSize(naturalPixels.width() / denominator, naturalPixels.height() / denominator)
                                      .expandedTo(QSize(1, 1));
        if (reduced.width() >= target.width() && reduced.height() >= target.height())
            return reduced;
    }
    return naturalPixels;
}

Picture LoadPicture(const QString &path, const QSize &decodeBound)
{
    if (path.isEmpty())
        return Picture();
    const QByteArray bytes = readPictureFile(path);
    const Format format = formats::sniffFormat(bytes);
    switch (format) {
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
        return Picture(loadRaster(format, bytes, decodeLimit(decodeBound)));
    case Format::PlaceableWmf:
        return Picture(loadMetafile(bytes, decodeBound));
    case Format::Unknown:
        break;
    }
    return Picture();
}

} // namespace platform
