// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The thumbnails the desktop's programs share: the cache every file manager reads and writes, as
// the freedesktop.org Thumbnail Managing Standard lays it out. A folder that a file manager, or
// an earlier run of this program, has shown has its thumbnails there, so its gallery pages
// without decoding a single photo.
//
// A thumbnail is a PNG in $XDG_CACHE_HOME/thumbnails/normal (at most 128 x 128) or large (at
// most 256 x 256), named by the MD5 of the file's URI, and says which file it shows and that
// file's modification time (Thumb::URI, Thumb::MTime). One whose file has changed since is
// stale: ignored, and replaced when the program makes a new one. Thumbnails are written under a
// temporary name and renamed into place, readable by the user alone; a cache that cannot be
// written is passed over in silence. Safe to call from several threads at once.

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace platform::thumbnails {

// A size of the cache: its folder and the square its thumbnails fit in.
struct Flavour
{
    const char *folder;
    int side;
};
inline constexpr Flavour Normal{"normal", 128};
inline constexpr Flavour Large{"large", 256};

// The smallest size whose thumbnails cover bound on both sides; none beyond the large ones.
std::optional<Flavour> FlavourFor(const QSize &bound);

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails where the variable is unset or empty.
QString CacheFolder();

// The file's URI as the cache spells it (file:///..., percent-encoded) and where its thumbnail of
// that flavour lies.
QByteArray FileUri(const QString &absolutePath);
QString ThumbnailPath(const QString &absolutePath, const Flavour &flavour);

// The thumbnail the cache holds for the file at absolutePath, last modified at modifiedSecs
// (seconds since the epoch) and fileSize bytes long; a null image when there is none, it is stale
// (another modification time, or another size where it records one), names another file, or is
// larger than its flavour allows.
QImage Read(const QString &absolutePath, qint64 modifiedSecs, qint64 fileSize, const Flavour &flavour);

// Stores thumbnail (already fitted to the flavour's square) for the file, replacing what was
// there. mimeType and originalSize go into the optional attributes.
void Write(const QString &absolutePath, qint64 modifiedSecs, qint64 fileSize, const QImage &thumbnail,
           const Flavour &flavour, const QSize &originalSize, const QByteArray &mimeType);

// For the fuzz target and tests: the thumbnail in png if it is a current one for uri (as Read()
// decides) and fits the flavour; a null image otherwise.
QImage FromPng(const QByteArray &png, const QByteArray &uri, qint64 modifiedSecs, qint64 fileSize,
               const Flavour &flavour);

} // namespace platform::thumbnails
