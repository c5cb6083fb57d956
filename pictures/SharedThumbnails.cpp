// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/SharedThumbnails.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>

#include <cstdio>

namespace platform::thumbnails {

namespace {

// A 256 x 256 PNG holds at most some 260 KB of pixels; anything much larger is not a thumbnail.
constexpr qint64 MaxThumbnailFileBytes = qint64(2) << 20;

constexpr QFile::Permissions OwnerOnlyFolder =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// The flavour's folder, made readable by the user alone where it is missing; "" when it cannot be
// made.
QString flavourFolder(const Flavour &flavour)
{
    const QString root = CacheFolder();
    const QString folder = root + QLatin1Char('/') + QLatin1String(flavour.folder);
    if (QFileInfo(folder).isDir())
        return folder;
    const QString cacheHome = QFileInfo(root).path();
    if (!QDir().mkpath(cacheHome))
        return {};
    const QDir home(cacheHome);
    if (!QFileInfo(root).isDir() && !home.mkdir(QStringLiteral("thumbnails"), OwnerOnlyFolder)
        && !QFileInfo(root).isDir()) // another thread or program may have made it meanwhile
        return {};
    if (!QDir(root).mkdir(QLatin1String(flavour.folder), OwnerOnlyFolder) && !QFileInfo(folder).isDir())
        return {};
    return folder;
}

// Whether png is a PNG whose chunks all lie within it, up to IEND. libpng allocates a chunk's
// claimed length before reading it: a damaged length would cost gigabytes for nothing.
bool chunksFit(QByteArrayView png)
{
    static constexpr char Signature[] = "\x89PNG\r\n\x1a\n";
    if (!png.startsWith(QByteArrayView(Signature, 8)))
        return false;
    qsizetype pos = 8;
    while (png.size() - pos >= 12) { // length, type, data, CRC
        const quint32 length = qFromBigEndian<quint32>(png.data() + pos);
        if (length > quint32(png.size() - pos - 12))
            return false;
        if (png.sliced(pos + 4, 4) == "IEND")
            return true;
        pos += 12 + qsizetype(length);
    }
    return false;
}

} // namespace

std::optional<Flavour> FlavourFor(const QSize &bound)
{
    for (const Flavour &flavour : {Normal, Large}) {
        if (bound.width() <= flavour.side && bound.height() <= flavour.side)
            return flavour;
    }
    return std::nullopt;
}

QString CacheFolder()
{
    QString cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cacheHome.isEmpty())
        cacheHome = QDir::homePath() + QStringLiteral("/.cache");
    return cacheHome + QStringLiteral("/thumbnails");
}

QByteArray FileUri(const QString &absolutePath)
{
    return QUrl::fromLocalFile(absolutePath).toEncoded();
}

QString ThumbnailPath(const QString &absolutePath, const Flavour &flavour)
{
    const QByteArray md5 = QCryptographicHash::hash(FileUri(absolutePath), QCryptographicHash::Md5).toHex();
    return CacheFolder() + QLatin1Char('/') + QLatin1String(flavour.folder) + QLatin1Char('/')
            + QLatin1String(md5) + QStringLiteral(".png");
}

QImage FromPng(const QByteArray &png, const QByteArray &uri, qint64 modifiedSecs, qint64 fileSize,
               const Flavour &flavour)
{
    if (!chunksFit(png))
        return {};
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size(); // from the header
    if (size.isEmpty() || size.width() > flavour.side || size.height() > flavour.side)
        return {};
    // The attributes from the image itself: QImageReader::text() cannot hold keys with a colon.
    QImage image;
    if (!reader.read(&image) || image.size() != size)
        return {};
    if (image.text(QStringLiteral("Thumb::URI")).toUtf8() != uri)
        return {};
    // Whole seconds; some programs write a fraction.
    bool isNumber = false;
    const double modified = image.text(QStringLiteral("Thumb::MTime")).toDouble(&isNumber);
    if (!isNumber || qint64(modified) != modifiedSecs)
        return {};
    // The size, where the writer gave it, tells a file rewritten within the same second.
    const QString recordedSize = image.text(QStringLiteral("Thumb::Size"));
    if (!recordedSize.isEmpty() && recordedSize.toLongLong() != fileSize)
        return {};
    return image;
}

QImage Read(const QString &absolutePath, qint64 modifiedSecs, qint64 fileSize, const Flavour &flavour)
{
    QFile file(ThumbnailPath(absolutePath, flavour));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxThumbnailFileBytes)
        return {};
    return FromPng(file.read(MaxThumbnailFileBytes), FileUri(absolutePath), modifiedSecs, fileSize, flavour);
}

void Write(const QString &absolutePath, qint64 modifiedSecs, qint64 fileSize, const QImage &thumbnail,
           const Flavour &flavour, const QSize &originalSize, const QByteArray &mimeType)
{
    if (thumbnail.isNull() || thumbnail.width() > flavour.side || thumbnail.height() > flavour.side)
        return;
    if (flavourFolder(flavour).isEmpty())
        return;
    // Written beside its place and renamed over it: a reader sees the old thumbnail or the new
    // one, never half of one. Not synced to the disk: a thumbnail lost in a crash is made again.
    const QString target = ThumbnailPath(absolutePath, flavour);
    QTemporaryFile file(target + QStringLiteral(".XXXXXX")); // readable by the user alone
    if (!file.open())
        return;
    // Attributes set on the image, not the writer: QImageWriter::setText() cannot hold keys with a
    // colon.
    QImage image = thumbnail;
    image.setDevicePixelRatio(1.0);
    image.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(FileUri(absolutePath)));
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(modifiedSecs));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(fileSize));
    image.setText(QStringLiteral("Thumb::Mimetype"), QString::fromLatin1(mimeType));
    image.setText(QStringLiteral("Thumb::Image::Width"), QString::number(originalSize.width()));
    image.setText(QStringLiteral("Thumb::Image::Height"), QString::number(originalSize.height()));
    image.setText(QStringLiteral("Software"), QStringLiteral("Tovimaru"));
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || !file.flush())
        return;
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) == 0)
        file.setAutoRemove(false);
}

} // namespace platform::thumbnails
