// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/Picture.h"
#include "pictures/PictureData.h"

#include "pictures/DecodeCost.h"
#include "pictures/DecoderPool.h"
#include "pictures/Exif.h"
#include "pictures/HeifBoxes.h"
#include "pictures/HeifDecode.h"
#include "pictures/PaletteReduce.h"
#include "pictures/PictureFormats.h"
#include "pictures/PngDecode.h"
#include "pictures/SharedThumbnails.h"
#include "pictures/WebpDecode.h"
#include "base/Twips.h"
#include "wmf/WmfPlayer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

using formats::Format;
using namespace loading;

// Qt checks its limit against every image buffer a handler allocates, for the whole process; set
// to the cap of one picture, one setting covers every load.
void limitImageAllocations()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(formats::MaxPictureBytes >> 20)); // in MiB
    });
}

// The size libjpeg decodes at 1/denominator of natural: rounded down, never below 1 x 1.
QSize jpegScaled(const QSize &natural, int denominator)
{
    return QSize(natural.width() / denominator, natural.height() / denominator).expandedTo(QSize(1, 1));
}

// libjpeg decodes at 1/2, 1/4 or 1/8 of the size for a fraction of the work and memory. A small
// result (a thumbnail) is decoded at the smallest of those scales that covers it and resampled to
// fit exactly, so that a photo of 600 pixels is not shown from 75. A large one takes the largest
// of those scales that fits instead, which keeps a 24-megapixel photo at 3000 x 2000 = 24 MB
// rather than a 96 MB decode resampled. Sizes are rounded down so that Qt picks that very scale.
QSize jpegDecodeSize(const QSize &natural, const QSize &limit)
{
    if (fitsWithin(natural, limit))
        return natural;
    const QSize fit = fitWithin(natural, limit);
    QSize reduced; // the largest exact scale that fits, if any
    for (const int denominator : {2, 4, 8}) {
        const QSize scaled = jpegScaled(natural, denominator);
        if (fitsWithin(scaled, limit)) {
            reduced = scaled;
            break;
        }
    }
    // An exact scale within a pixel of the fit needs no resampling.
    if (reduced.isValid() && reduced.width() + 1 >= fit.width() && reduced.height() + 1 >= fit.height())
        return reduced;
    constexpr qint64 MaxResampledDecodeBytes = qint64(16) << 20;
    const QSize covering = CoveringDecodeBound(natural, fit);
    if (qint64(covering.width()) * covering.height() * 4 <= MaxResampledDecodeBytes)
        return fit;
    return reduced.isValid() ? reduced : fit;
}

// One conversion for drawing: premultiplied where there is alpha, plain 32-bit otherwise.
QImage toDrawingFormat(QImage image)
{
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

// image at exactly size: as it is, reduced through its palette, or resampled smoothly. What Qt's
// reader gives has straight alpha, 16 bits a sample where the file has them (an interlaced PNG);
// it is resampled in the drawing format, premultiplied. Left to Qt, straight pixels are
// premultiplied on the way, and Qt multiplies a 16-bit pixel's alpha by itself as it does so: a
// half-transparent part came out far too pale.
QImage fittedTo(QImage image, const QSize &size)
{
    if (image.isNull() || image.size() == size)
        return image;
    if (image.colorCount() > 0)
        return ReducePalettePicture(image, size);
    return toDrawingFormat(std::move(image)).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage decodeRaster(Format format, QImageReader &reader, const QByteArray &bytes, const QSize &natural,
                    const QSize &limit)
{
    const QSize size =
            format == Format::Jpeg ? jpegDecodeSize(natural, limit) : fitWithin(natural, limit);
    QImage image;
    if (format == Format::Jpeg) {
        if (size != natural)
            reader.setScaledSize(size);
    } else {
        // BMP and GIF are decoded at full size and scaled afterwards; no more pixels
        // than 32-bit ones would fit in the cap. A palette bitmap stays at one byte a pixel (or
        // one bit) until it is reduced, without a 32-bit copy of the whole picture.
        if (qint64(natural.width()) * natural.height() * 4 > formats::MaxPictureBytes)
            return {};
        // PNG and WebP are made smaller as they are decoded, never held whole; an interlaced PNG
        // or an animated WebP is left to Qt.
        const std::optional<QImage> direct = format == Format::Png ? png::Decode(bytes, size)
                : format == Format::Webp                           ? webp::Decode(bytes, size)
                                                                   : std::nullopt;
        if (direct)
            return fittedTo(*direct, size);
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
    return fittedTo(std::move(image), size);
}

// A raster file checked and its header read: its natural size, shown upright, and what its EXIF
// block says. Both a full load and a thumbnail start from it; it decodes once.
class RasterFile final
{
public:
    RasterFile(Format format, const QByteArray &bytes)
        : m_format(format)
    {
        if (!formats::isStructurallySound(format, bytes))
            return;
        limitImageAllocations();
        m_buffer.setData(bytes);
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setDevice(&m_buffer);
        m_reader.setDecideFormatFromContent(true);
        m_reader.setAutoTransform(false); // the EXIF orientation is applied below, to size and pixels
        // Qt must decode what was checked above.
        if (m_reader.format() != formats::qtFormatName(format))
            return;
        m_stored = m_reader.size(); // from the header only
        m_stored.setHeight(qAbs(m_stored.height())); // top-down BMPs report a negative height
        if (format == Format::Jpeg)
            m_exif = exif::ReadFacts(bytes);
        m_milliseconds = formats::PredictedDecodeMilliseconds(format, m_stored, bytes.size());
        const bool tooCostly = formats::isDecodedWhole(format)
                && double(m_stored.width()) * m_stored.height() > formats::MaxWholeDecodeArea;
        if (!formats::isPlausibleNaturalSize(natural()) || tooCostly)
            m_stored = QSize();
    }

    bool isValid() const { return m_stored.isValid() && !m_stored.isEmpty(); }
    QSize natural() const { return exif::Oriented(m_stored, m_exif.orientation); }
    double predictedMilliseconds() const { return m_milliseconds; }
    QByteArray mimeType() const;
    // The camera's own thumbnail in a JPEG's EXIF block (any size; the caller checks it).
    QImage storedThumbnail(const QSize &) const;

    // The picture upright, fitted within limit (upright too); a null image when it cannot be
    // decoded. Once only.
    QImage decode(const QSize &limit)
    {
        const QImage stored = decodeRaster(m_format, m_reader, m_buffer.data(), m_stored,
                                           exif::Oriented(limit, m_exif.orientation));
        return exif::Upright(stored, m_exif.orientation);
    }

private:
    Format m_format;
    QBuffer m_buffer;
    QImageReader m_reader;
    QSize m_stored; // as stored, before the orientation; invalid when the file is refused
    exif::Facts m_exif;
    double m_milliseconds = 0; // what decoding it whole is predicted to cost
};

std::shared_ptr<Picture::Data> rasterData(const QImage &pixels, const QSize &natural, bool preview)
{
    if (pixels.isNull())
        return nullptr;
    QImage image = toDrawingFormat(pixels);
    image.setDevicePixelRatio(densityOf(image.size(), QSizeF(natural)));
    auto data = std::make_shared<Picture::Data>();
    data->kind = Picture::Kind::Raster;
    data->logical = QSizeF(natural);
    data->himetric = himetricOf(data->logical);
    data->image = std::move(image);
    data->preview = preview;
    return data;
}

// A helper's picture, its pixels kept where the helper put them: the image is the only one
// sharing them, and so is not copied when its density is set.
std::shared_ptr<Picture::Data> helperData(decoding::Decoded decoded)
{
    auto data = std::make_shared<Picture::Data>();
    data->kind = Picture::Kind::Raster;
    data->logical = QSizeF(decoded.natural);
    data->himetric = himetricOf(data->logical);
    data->image = std::move(decoded.image);
    data->image.setDevicePixelRatio(densityOf(data->image.size(), data->logical));
    data->preview = decoded.preview;
    data->standIn = decoded.standIn;
    return data;
}

// Whether a stored thumbnail serves a cell that needs want pixels of a picture of natural size:
// large enough, and of the picture's shape to the rounding of a pixel (a camera that pads a 3:2
// photo's thumbnail to 4:3 with black bars fails this).
bool servesAsPreview(const QImage &thumbnail, const QSize &natural, const QSize &want)
{
    if (thumbnail.isNull() || thumbnail.width() < want.width() || thumbnail.height() < want.height())
        return false;
    const qint64 crossed = qint64(thumbnail.height()) * natural.width() - qint64(thumbnail.width()) * natural.height();
    return qAbs(crossed) <= std::max(natural.width(), natural.height());
}

// The camera's thumbnail in a JPEG, upright; a null image when there is none or it is not a sound
// JPEG of a thumbnail's size.
QImage embeddedThumbnail(const exif::Facts &facts)
{
    constexpr int MaxEmbeddedSide = 2048;
    if (facts.thumbnail.isEmpty() || formats::sniffFormat(facts.thumbnail) != Format::Jpeg
        || !formats::isStructurallySound(Format::Jpeg, facts.thumbnail))
        return {};
    QBuffer buffer;
    buffer.setData(facts.thumbnail);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isEmpty() || size.width() > MaxEmbeddedSide || size.height() > MaxEmbeddedSide)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return exif::Upright(image, facts.orientation);
}

QByteArray RasterFile::mimeType() const
{
    return "image/" + formats::qtFormatName(m_format);
}

QImage RasterFile::storedThumbnail(const QSize &) const
{
    return embeddedThumbnail(m_exif);
}

// A HEIF picture as the loader takes a raster file: decoded whole, then fitted.
class HeifPicture final
{
public:
    explicit HeifPicture(const QByteArray &bytes) : m_file(bytes) {}
    bool isValid() const { return m_file.isValid(); }
    QSize natural() const { return m_file.natural(); }
    double predictedMilliseconds() const { return m_file.predictedMilliseconds(); }
    QByteArray mimeType() const { return m_file.mimeType(); }
    QImage storedThumbnail(const QSize &want) { return m_file.thumbnail(want); }
    QImage decode(const QSize &limit) { return m_file.decode(fitWithin(natural(), limit)); }

private:
    heif::HeifFile m_file;
};

template<class File>
std::shared_ptr<Picture::Data> loadRaster(File &file, const QSize &limit)
{
    return rasterData(file.decode(limit), file.natural(), false);
}

// A gallery cell's picture: the desktop's shared thumbnail or the camera's where one serves,
// else a decode of the file, which the shared cache then keeps at the size of its flavour.
// Pictures that fit the flavour's square whole are decoded as they are: nothing to gain.
// The stand-in for a picture of natural size in a cell of want pixels.
std::shared_ptr<Picture::Data> standInData(const QSize &natural, const QSize &want)
{
    auto data = rasterData(formats::StandInImage(want), natural, true);
    data->standIn = true;
    return data;
}

template<class File>
std::shared_ptr<Picture::Data> loadThumbnail(File &file, const QSize &limit, const QString &path,
                                             const FileContents &contents, Use use)
{
    const QSize natural = file.natural();
    const QSize want = fitWithin(natural, limit);
    std::optional<thumbnails::Flavour> flavour = thumbnails::FlavourFor(limit);
    if (flavour && fitsWithin(natural, QSize(flavour->side, flavour->side)))
        flavour.reset();
    const qint64 modified = contents.modifiedSecs;
    const qint64 fileSize = contents.identity.size;
    if (flavour) {
        const QImage cached = thumbnails::Read(path, modified, fileSize, *flavour);
        if (servesAsPreview(cached, natural, want))
            return rasterData(cached, natural, true);
    }
    if (const QImage embedded = file.storedThumbnail(want); servesAsPreview(embedded, natural, want))
        return rasterData(embedded, natural, true);
    if (use == Use::Thumbnail && file.predictedMilliseconds() > formats::MaxThumbnailDecodeMilliseconds)
        return standInData(natural, want);
    if (!flavour)
        return loadRaster(file, limit);
    const QImage image = file.decode(limit.expandedTo(QSize(flavour->side, flavour->side)));
    if (image.isNull())
        return nullptr;
    thumbnails::Write(path, modified, fileSize, image, *flavour, natural, file.mimeType());
    return rasterData(image, natural, false);
}

// A PNG or WebP file too costly for a gallery cell to wait for, judged from its head and its
// length without reading the rest (a photo's PNG is tens of megabytes): its stand-in, unless the
// desktop's shared thumbnail of it serves. Nothing when the file is to be read whole.
std::optional<std::shared_ptr<Picture::Data>> judgedFromHead(const QString &path, const QSize &limit)
{
    const FileHead head = ReadFileHead(path, 32);
    const Format format = formats::sniffFormat(head.bytes);
    if (format != Format::Png && format != Format::Webp)
        return std::nullopt;
    const std::optional<QSize> stored = formats::headerSize(format, head.bytes);
    if (!stored || !formats::isPlausibleNaturalSize(QSizeF(*stored))
        || double(stored->width()) * stored->height() > formats::MaxWholeDecodeArea
        || head.size > formats::MaxPictureBytes)
        return std::nullopt; // refused when read whole, for the reasons the whole read tells
    if (formats::PredictedDecodeMilliseconds(format, *stored, head.size) <= formats::MaxThumbnailDecodeMilliseconds)
        return std::nullopt;
    const QSize want = fitWithin(*stored, limit);
    const std::optional<thumbnails::Flavour> flavour = thumbnails::FlavourFor(limit);
    if (flavour
        && servesAsPreview(thumbnails::Read(QFileInfo(path).absoluteFilePath(), head.modifiedSecs, head.size, *flavour),
                           *stored, want))
        return std::nullopt;
    return standInData(*stored, want);
}

// The picture in a file's contents. path names the file for the desktop's shared thumbnails; a
// thumbnail is decoded without them when it is empty.
// The picture a decoding helper makes of contents (DecoderPool.h).
std::shared_ptr<const Picture::Data> decodedByHelper(const FileContents &contents, const QSize &decodeBound, Use use,
                                                     const QString &path, int memoryFile = -1)
{
    std::shared_ptr<Picture::Data> data;
    if (auto decoded = decoding::DecodeInHelper(contents, decodeBound, int(use), path, memoryFile)) {
        data = helperData(std::move(*decoded));
        data->source = contents.identity;
    }
    return data;
}

std::shared_ptr<const Picture::Data> decodeContents(const FileContents &contents, const QSize &decodeBound,
                                                    Use use, const QString &path)
{
    std::shared_ptr<Picture::Data> data;
    const Format format = formats::sniffFormat(contents.bytes);
    if (formats::isDecodedWhole(format) && decoding::HelpersInUse())
        return decodedByHelper(contents, decodeBound, use, path);
    const auto load = [&](auto &&file) {
        if (!file.isValid())
            return;
        const QSize limit = decodeLimit(decodeBound);
        data = use != Use::Full && decodeBound.isValid() && !path.isEmpty()
                ? loadThumbnail(file, limit, QFileInfo(path).absoluteFilePath(), contents, use)
                : loadRaster(file, limit);
    };
    switch (format) {
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
    case Format::Png:
    case Format::Webp:
        load(RasterFile(format, contents.bytes));
        break;
    case Format::Heif:
        load(HeifPicture(contents.bytes));
        break;
    case Format::PlaceableWmf:
        data = loadMetafile(contents.bytes, decodeBound);
        break;
    case Format::Unknown:
        break;
    }
    if (data)
        data->source = contents.identity;
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

bool Picture::isPreview() const
{
    return m_data && m_data->preview;
}

bool Picture::isStandIn() const
{
    return m_data && m_data->standIn;
}

ContentIdentity Picture::sourceIdentity() const
{
    return m_data ? m_data->source : ContentIdentity();
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
    data->preview = m_data->preview;
    data->source = m_data->source;
    data->image = toDrawingFormat(m_data->image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    data->image.setDevicePixelRatio(densityOf(pixels, data->logical));
    return Picture(std::move(data));
}

QSize CoveringDecodeBound(const QSize &naturalPixels, const QSize &target)
{
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced = jpegScaled(naturalPixels, denominator);
        if (reduced.width() >= target.width() && reduced.height() >= target.height())
            return reduced;
    }
    return naturalPixels;
}

std::unique_ptr<SharedFileContents> ReadPictureFileShared(const QString &path)
{
    constexpr qint64 SniffBytes = 256; // a format's signature, a HEIF file's type box and all
    if (!decoding::HelpersInUse()
        || !formats::isDecodedWhole(formats::sniffFormat(ReadFileHead(path, SniffBytes).bytes)))
        return nullptr;
    // The format told again from what was read.
    std::unique_ptr<SharedFileContents> shared = ReadSharedFileContents(path, formats::MaxPictureBytes);
    return shared && formats::isDecodedWhole(formats::sniffFormat(shared->contents().bytes)) ? std::move(shared)
                                                                                               : nullptr;
}

FileContents ReadPictureFile(const QString &path)
{
    return ReadFileContents(path, formats::MaxPictureBytes);
}

Picture LoadPicture(const QString &path, const QSize &decodeBound, Use use)
{
    if (path.isEmpty())
        return Picture();
    if (use == Use::Thumbnail && decodeBound.isValid()) {
        if (const auto judged = judgedFromHead(path, decodeLimit(decodeBound)))
            return Picture(*judged);
    }
    // A format decoded whole goes to a helper in a memory file the kernel fills, not through the
    // program's own memory; the format is told again from what was read.
    if (const std::unique_ptr<SharedFileContents> shared = ReadPictureFileShared(path))
        return Picture(decodedByHelper(shared->contents(), decodeBound, use, path, shared->memoryFile()));
    // The modification time a shared thumbnail records is taken before the bytes are read: a
    // file rewritten meanwhile leaves a thumbnail that is stale, never one that looks current.
    return Picture(decodeContents(ReadPictureFile(path), decodeBound, use, path));
}

std::optional<Picture> StandInWhileDecoding(const QString &path, const QSize &decodeBound)
{
    constexpr qint64 HeadBytes = 64 << 10; // a HEIF file's meta box, a phone's tiles and all
    if (path.isEmpty() || !decoding::HelpersInUse())
        return std::nullopt;
    const FileHead head = ReadFileHead(path, HeadBytes);
    const Format format = formats::sniffFormat(head.bytes);
    if (!formats::isDecodedWhole(format))
        return std::nullopt;
    const QSize limit = decodeLimit(decodeBound);
    std::optional<QSize> natural =
            format == Format::Heif ? heif::PrimarySize(head.bytes) : formats::headerSize(format, head.bytes);
    if (!natural || !formats::isPlausibleNaturalSize(QSizeF(*natural)))
        natural = limit;
    return Picture(standInData(*natural, fitWithin(*natural, limit)));
}

Picture DecodePicture(const FileContents &contents, const QSize &decodeBound, const QString &path, int memoryFile)
{
    if (memoryFile >= 0)
        return Picture(decodedByHelper(contents, decodeBound, Use::Full, path, memoryFile));
    return Picture(decodeContents(contents, decodeBound, Use::Full, path));
}

Picture PreviewPicture(const FileContents &contents, const QImage &pixels)
{
    QSize natural;
    const Format format = formats::sniffFormat(contents.bytes);
    if (format == Format::Heif) {
        const HeifPicture file(contents.bytes);
        natural = file.isValid() ? file.natural() : QSize();
    } else if (format != Format::PlaceableWmf && format != Format::Unknown) {
        const RasterFile file(format, contents.bytes);
        natural = file.isValid() ? file.natural() : QSize();
    }
    std::shared_ptr<Picture::Data> data = natural.isEmpty() ? nullptr : rasterData(pixels, natural, true);
    if (data)
        data->source = contents.identity;
    return Picture(std::move(data));
}

Picture DecodePictureHere(const FileContents &contents, const QSize &decodeBound, Use use, const QString &path)
{
    return Picture(decodeContents(contents, decodeBound, use, path));
}

} // namespace platform
