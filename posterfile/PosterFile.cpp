// SPDX-License-Identifier: GPL-3.0-or-later
#include "posterfile/PosterFile.h"

#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <optional>

namespace posterfile {

namespace {

constexpr char Magic[8] = {'T', 'O', 'V', 'I', 'P', 'O', 'S', 'T'};
constexpr int HashBytes = 32;
constexpr qsizetype HeaderBytes = 8 + 4 + 4 + HashBytes;
constexpr qsizetype MaxElementBytes = 4 * 1024 * 1024;
// Twips of the window and a good margin around it: a slot dragged off an edge stays near it.
constexpr double MaxTwips = 1000000;
constexpr int MaxTextChars = 100000;
constexpr int MaxPathChars = 4096;
// Five still pictures and dots, the small picture and the files of eleven slots.
constexpr int MaxBlobs = 24;
// The small picture, read alone for the shelf.
constexpr qsizetype MaxThumbnailBytes = 1024 * 1024;
constexpr int CachedPngs = 8;
// The dot size bar's greatest value (0 is none).
constexpr int MaxDotSize = 30;

QByteArray Sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QJsonValue ColorValue(const QColor &color)
{
    return color.isValid() ? QJsonValue(color.name(QColor::HexArgb)) : QJsonValue(QString());
}

// ---- Writing

class Writer
{
public:
    explicit Writer(PngCache *cache) : m_cache(cache) {}

    QJsonValue image(const QImage &image)
    {
        if (image.isNull())
            return QJsonValue();
        const QByteArray png = m_cache ? m_cache->png(image) : PngCache().png(image);
        QJsonObject entry{{"blob", int(m_blobs.size())},
                          {"width", image.width()},
                          {"height", image.height()},
                          {"density", image.devicePixelRatio()}};
        m_blobs.push_back(png);
        return entry;
    }

    QJsonObject surface(const Surface &surface)
    {
        return {{"shown", surface.shown},
                {"back", ColorValue(surface.back)},
                {"picture", image(surface.picture)},
                {"dots", image(surface.dots)}};
    }

    // A file's own bytes, as they are.
    int bytes(const QByteArray &bytes)
    {
        m_blobs.push_back(bytes);
        return int(m_blobs.size()) - 1;
    }

    const std::vector<QByteArray> &blobs() const { return m_blobs; }

private:
    PngCache *m_cache;
    std::vector<QByteArray> m_blobs;
};

QJsonObject PictureSlotObject(const PictureSlot &slot)
{
    return {{"shown", slot.shown},   {"left", slot.left},         {"top", slot.top},
            {"width", slot.width},   {"height", slot.height},     {"border", slot.border},
            {"stacking", slot.stacking}, {"source", slot.source}, {"keepsSharp", slot.keepsSharp},
            {"onPoster", slot.onPoster}};
}

QJsonObject TextSlotObject(const TextSlot &slot)
{
    return {{"shown", slot.shown},       {"left", slot.left},     {"top", slot.top},
            {"width", slot.width},       {"height", slot.height}, {"border", slot.border},
            {"stacking", slot.stacking}, {"text", slot.text},     {"caret", slot.caret}, {"fontSize", slot.fontSize},
            {"back", ColorValue(slot.back)}, {"fore", ColorValue(slot.fore)}};
}

// ---- Reading: every accessor fails on anything but the kind and range it expects.

class Reader
{
public:
    bool ok = true;

    bool flag(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isBool())
            ok = false;
        return value.toBool();
    }

    double number(const QJsonObject &object, const char *key, double low, double high)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        const double n = value.toDouble();
        if (!value.isDouble() || !std::isfinite(n) || n < low || n > high) {
            ok = false;
            return low;
        }
        return n;
    }

    int whole(const QJsonObject &object, const char *key, int low, int high)
    {
        const double n = number(object, key, low, high);
        if (n != std::floor(n))
            ok = false;
        return ok ? int(n) : low;
    }

    QString text(const QJsonObject &object, const char *key, int maxChars)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString() || value.toString().size() > maxChars) {
            ok = false;
            return QString();
        }
        return value.toString();
    }

    QColor color(const QJsonObject &object, const char *key)
    {
        const QString name = text(object, key, 9);
        if (name.isEmpty())
            return QColor();
        // "#AARRGGBB" exactly.
        bool parsed = false;
        const uint argb = name.mid(1).toUInt(&parsed, 16);
        if (name.size() != 9 || name[0] != QLatin1Char('#') || !parsed) {
            ok = false;
            return QColor();
        }
        return QColor::fromRgba(argb);
    }

    // What every slot holds: shown, place, size, border and its place among count slots.
    template<class Slot>
    void place(const QJsonObject &object, Slot &slot, int count)
    {
        slot.shown = flag(object, "shown");
        slot.left = number(object, "left", -MaxTwips, MaxTwips);
        slot.top = number(object, "top", -MaxTwips, MaxTwips);
        slot.width = number(object, "width", 0, MaxTwips);
        slot.height = number(object, "height", 0, MaxTwips);
        slot.border = whole(object, "border", 0, 1);
        slot.stacking = whole(object, "stacking", 0, count - 1);
    }

    QJsonObject object(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isObject())
            ok = false;
        return value.toObject();
    }

    // An image entry: null for none, or its blob, which must be a PNG file of that size.
    QImage image(const QJsonObject &object, const char *key, const std::vector<QByteArray> &blobs, std::vector<bool> &used,
                 bool decode)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isNull())
            return QImage();
        if (!value.isObject()) {
            ok = false;
            return QImage();
        }
        const QJsonObject entry = value.toObject();
        const int blob = whole(entry, "blob", 0, int(blobs.size()) - 1);
        const int width = whole(entry, "width", 1, platform::MaxDecodedSide);
        const int height = whole(entry, "height", 1, platform::MaxDecodedSide);
        const double density = number(entry, "density", 1, 8);
        if (!ok || blobs.empty() || used[std::size_t(blob)]) {
            ok = false;
            return QImage();
        }
        used[std::size_t(blob)] = true;
        if (!decode)
            return QImage();
        QByteArray bytes = blobs[std::size_t(blob)];
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        reader.setAutoTransform(false);
        if (reader.size() != QSize(width, height)) {
            ok = false;
            return QImage();
        }
        QImage image;
        if (!reader.read(&image) || image.size() != QSize(width, height)) {
            ok = false;
            return QImage();
        }
        // The pixels as the program draws them: opaque stills as they were captured, dots with
        // their coverage.
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        image.setDevicePixelRatio(density);
        return image;
    }

};

// The stacking of the slots of one kind must be an order of them: each place once.
template<class Slot, std::size_t N>
bool IsOrder(const std::array<Slot, N> &all)
{
    std::array<bool, N> seen{};
    for (const Slot &slot : all) {
        if (slot.stacking < 0 || slot.stacking >= int(N) || seen[std::size_t(slot.stacking)])
            return false;
        seen[std::size_t(slot.stacking)] = true;
    }
    return true;
}

std::optional<Poster> ReadElements(const QJsonObject &root, const std::vector<QByteArray> &blobs, Images images,
                                   int version)
{
    Reader read;
    Poster poster;
    std::vector<bool> used(blobs.size(), false);
    poster.step = read.whole(root, "step", 1, 4);
    // The small picture is the first blob, so that the shelf reads no more of the file.
    if (version >= 3) {
        const QJsonValue thumbnail = root.value(QLatin1String("thumbnail"));
        if (!thumbnail.isNull() && thumbnail.toObject().value(QLatin1String("blob")) != QJsonValue(0))
            return std::nullopt;
        poster.thumbnail = read.image(root, "thumbnail", blobs, used, images != Images::Skip);
        if (poster.thumbnail.width() > ThumbnailSize.width() || poster.thumbnail.height() > ThumbnailSize.height())
            return std::nullopt;
    }

    const QJsonArray pictures = root.value(QLatin1String("pictures")).toArray();
    const QJsonArray texts = root.value(QLatin1String("texts")).toArray();
    if (pictures.size() != PictureSlotCount || texts.size() != TextSlotCount)
        return std::nullopt;
    for (int i = 0; i < PictureSlotCount; ++i) {
        const QJsonObject o = pictures[i].toObject();
        PictureSlot &slot = poster.pictures[std::size_t(i)];
        read.place(o, slot, PictureSlotCount);
        slot.source = read.text(o, "source", MaxPathChars);
        slot.keepsSharp = read.flag(o, "keepsSharp");
        slot.onPoster = read.whole(o, "onPoster", 0, 1);
    }
    for (int i = 0; i < TextSlotCount; ++i) {
        const QJsonObject o = texts[i].toObject();
        TextSlot &slot = poster.texts[std::size_t(i)];
        read.place(o, slot, TextSlotCount);
        slot.text = read.text(o, "text", MaxTextChars);
        slot.caret = read.whole(o, "caret", 0, int(slot.text.size()));
        slot.fontSize = read.number(o, "fontSize", 1, 2000);
        slot.back = read.color(o, "back");
        slot.fore = read.color(o, "fore");
    }
    for (auto [key, surface] : {std::pair{"paper", &poster.paper}, std::pair{"finished", &poster.finished}}) {
        const QJsonObject o = read.object(root, key);
        surface->shown = read.flag(o, "shown");
        surface->back = read.color(o, "back");
        surface->picture = read.image(o, "picture", blobs, used, images == Images::Decode);
        surface->dots = read.image(o, "dots", blobs, used, images == Images::Decode);
    }
    poster.paperButton = read.color(root, "paperButton");
    if (root.value(QLatin1String("still")) == QJsonValue(QStringLiteral("paper")))
        poster.still = poster.paper.picture;
    else
        poster.still = read.image(root, "still", blobs, used, images == Images::Decode);
    poster.selectedKind = read.whole(root, "selectedKind", 0, 2);
    poster.selectedIndex = read.whole(root, "selectedIndex", 0, PictureSlotCount - 1);
    poster.hasSelection = read.whole(root, "hasSelection", 0, 1);
    if (version >= 2) {
        const QJsonObject pen = read.object(root, "pen");
        poster.pen = read.color(pen, "color");
        poster.dotSize = read.whole(pen, "dotSize", 0, MaxDotSize);
    }
    if (version >= 3) {
        // The files' bytes: each a path some slot names, once, and a blob of its own.
        const QJsonValue sources = root.value(QLatin1String("sources"));
        if (!sources.isArray() || sources.toArray().size() > PictureSlotCount)
            return std::nullopt;
        for (const QJsonValue &value : sources.toArray()) {
            const QJsonObject o = value.toObject();
            const QString path = read.text(o, "path", MaxPathChars);
            const int blob = read.whole(o, "blob", 0, int(blobs.size()) - 1);
            const bool named = std::any_of(poster.pictures.begin(), poster.pictures.end(),
                                           [&path](const PictureSlot &slot) { return slot.source == path; });
            if (!read.ok || blobs.empty() || path.isEmpty() || !named || poster.sources.count(path)
                || used[std::size_t(blob)] || blobs[std::size_t(blob)].size() > platform::formats::MaxPictureBytes)
                return std::nullopt;
            used[std::size_t(blob)] = true;
            if (images == Images::Decode)
                poster.sources[path] = blobs[std::size_t(blob)];
        }
    }
    // Every image of the file belongs to one place.
    if (!read.ok || !IsOrder(poster.pictures) || !IsOrder(poster.texts)
        || std::find(used.begin(), used.end(), false) != used.end()) {
        return std::nullopt;
    }
    return poster;
}

} // namespace

QByteArray PngCache::png(const QImage &image)
{
    const qint64 key = image.cacheKey();
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
        if (entry->key == key) {
            Entry found = *entry;
            m_entries.erase(entry);
            m_entries.push_back(found);
            return found.png;
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    buffer.close();
    m_entries.push_back({key, png});
    if (m_entries.size() > CachedPngs)
        m_entries.erase(m_entries.begin());
    return png;
}

QByteArray Encode(const Poster &poster, PngCache *cache)
{
    Writer writer(cache);
    QJsonArray pictures, texts;
    for (const PictureSlot &slot : poster.pictures)
        pictures.append(PictureSlotObject(slot));
    for (const TextSlot &slot : poster.texts)
        texts.append(TextSlotObject(slot));
    QJsonObject root{{"step", poster.step},
                     {"pictures", pictures},
                     {"texts", texts},
                     {"paperButton", ColorValue(poster.paperButton)},
                     {"selectedKind", poster.selectedKind},
                     {"selectedIndex", poster.selectedIndex},
                     {"hasSelection", poster.hasSelection},
                     {"pen", QJsonObject{{"color", ColorValue(poster.pen)}, {"dotSize", poster.dotSize}}}};
    root.insert(QLatin1String("thumbnail"), writer.image(poster.thumbnail));
    root.insert(QLatin1String("paper"), writer.surface(poster.paper));
    root.insert(QLatin1String("finished"), writer.surface(poster.finished));
    // The still picture of steps 2 and 3 is, unless a clear took the paper's away, the paper's
    // own picture: kept once.
    const bool stillIsPaper = !poster.still.isNull() && poster.still == poster.paper.picture
                              && poster.still.devicePixelRatio() == poster.paper.picture.devicePixelRatio();
    root.insert(QLatin1String("still"), stillIsPaper ? QJsonValue(QStringLiteral("paper")) : writer.image(poster.still));
    QJsonArray sources;
    for (const auto &[path, bytes] : poster.sources) {
        const bool named = std::any_of(poster.pictures.begin(), poster.pictures.end(),
                                       [&path](const PictureSlot &slot) { return slot.source == path; });
        if (named && !path.isEmpty() && !bytes.isEmpty())
            sources.append(QJsonObject{{"path", path}, {"blob", writer.bytes(bytes)}});
    }
    root.insert(QLatin1String("sources"), sources);
    QJsonArray lengths;
    for (const QByteArray &blob : writer.blobs())
        lengths.append(double(blob.size()));
    root.insert(QLatin1String("blobs"), lengths);

    const QByteArray elements = QJsonDocument(root).toJson(QJsonDocument::Compact);
    QByteArray bytes;
    bytes.reserve(HeaderBytes + elements.size());
    bytes.append(Magic, sizeof Magic);
    char number[4];
    qToBigEndian<quint32>(Version, number);
    bytes.append(number, 4);
    qToBigEndian<quint32>(quint32(elements.size()), number);
    bytes.append(number, 4);
    bytes.append(Sha256(elements));
    bytes.append(elements);
    for (const QByteArray &blob : writer.blobs())
        bytes.append(blob);
    return bytes;
}

namespace {

// bytes: the whole file, or with Images::Skip at least its header and elements; total: the
// file's length.
bool DecodeFile(const QByteArray &bytes, qint64 total, Poster &poster, Images images)
{
    if (bytes.size() < HeaderBytes || total > MaxFileBytes || !bytes.startsWith(QByteArray(Magic, sizeof Magic)))
        return false;
    const quint32 version = qFromBigEndian<quint32>(bytes.constData() + 8);
    if (version < quint32(FirstVersion) || version > quint32(Version))
        return false;
    const quint32 elementBytes = qFromBigEndian<quint32>(bytes.constData() + 12);
    if (elementBytes > quint32(MaxElementBytes) || elementBytes > quint32(bytes.size() - HeaderBytes))
        return false;
    if (images == Images::Decode && total != bytes.size())
        return false;
    const QByteArray elements = bytes.mid(HeaderBytes, qsizetype(elementBytes));
    if (Sha256(elements) != bytes.mid(16, HashBytes))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(elements, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();

    // The images follow the elements, exactly filling the rest of the file.
    const QJsonArray lengths = root.value(QLatin1String("blobs")).toArray();
    if (lengths.size() > MaxBlobs)
        return false;
    std::vector<QByteArray> blobs;
    qsizetype at = HeaderBytes + qsizetype(elementBytes);
    for (const QJsonValue &length : lengths) {
        const double n = length.toDouble(-1);
        if (!length.isDouble() || n < 1 || n != std::floor(n) || n > double(total - at))
            return false;
        // Unless all is decoded, only the first blob (the small picture) is read, and of the
        // others only their count and length matter.
        // (A first blob that is no small picture may lie beyond what was read.)
        const bool wanted = images == Images::Decode || (images == Images::Thumbnail && blobs.empty());
        const bool read = wanted && at + qsizetype(n) <= bytes.size();
        if (images == Images::Decode && !read)
            return false;
        blobs.push_back(read ? bytes.mid(at, qsizetype(n)) : QByteArray(1, '\0'));
        at += qsizetype(n);
    }
    if (at != total)
        return false;
    std::optional<Poster> read = ReadElements(root, blobs, images, int(version));
    if (!read)
        return false;
    poster = std::move(*read);
    return true;
}

} // namespace

bool Decode(const QByteArray &bytes, Poster &poster, Images images)
{
    return DecodeFile(bytes, bytes.size(), poster, images);
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

Read ReadFile(const QString &path, Poster &poster, Images images)
{
    QFile file(path);
    if (!file.exists())
        return Read::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Read::Damaged;
    if (file.size() > MaxFileBytes)
        return Read::Damaged;
    const qint64 total = file.size();
    QByteArray bytes;
    if (images != Images::Decode) {
        // The header and the elements are enough to know the file sound but for its images; the
        // small picture follows them.
        bytes = file.read(HeaderBytes);
        if (bytes.size() == HeaderBytes)
            bytes += file.read(qMin<qint64>(qFromBigEndian<quint32>(bytes.constData() + 12), MaxElementBytes));
        if (images == Images::Thumbnail && bytes.size() > HeaderBytes) {
            const QJsonValue first = QJsonDocument::fromJson(bytes.mid(HeaderBytes)).object().value(QLatin1String("blobs"))[0];
            bytes += file.read(qBound<qint64>(0, qint64(first.toDouble()), MaxThumbnailBytes));
        }
    } else {
        bytes = file.read(MaxFileBytes + 1);
    }
    return DecodeFile(bytes, total, poster, images) ? Read::Sound : Read::Damaged;
}

QString SetAside(const QString &path)
{
    for (int n = 1; n < 1000; ++n) {
        const QString aside = path + QStringLiteral(".damaged") + (n == 1 ? QString() : QString::number(n));
        if (QFileInfo::exists(aside))
            continue;
        return QFile::rename(path, aside) ? aside : QString();
    }
    return QString();
}

} // namespace posterfile
