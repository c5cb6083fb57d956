// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Picture objects: what an image control shows stretched, what a picture box shows unscaled
// from its top-left corner, and what is printed or saved. A Picture is a cheap value that shares
// one immutable decoded image; "releasing the old picture" is dropping the last copy.

#include "pictures/FileContents.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QRectF;
class QPointF;

namespace platform {

// What a picture is loaded for. A thumbnail (a gallery cell) may be a preview stored for the file:
// the desktop's shared thumbnail of it, or the camera's own small picture in a JPEG, when it is
// large enough for decodeBound and has the picture's shape; otherwise the file is decoded, and
// the shared cache gets a thumbnail of it (a HEIF file's own thumbnail serves as a JPEG's
// camera thumbnail does). A thumbnail that would take longer to decode than a page of the gallery
// can wait for comes as a stand-in (isStandIn(), DecodeCost.h). SlowThumbnail is the same
// thumbnail decoded whatever it costs, for the gallery to show in the stand-in's place. Full
// always decodes the file's own picture.
enum class Use { Full, Thumbnail, SlowThumbnail };

class Picture final
{
public:
    enum class Kind { Empty, Raster, Metafile };

    Picture(); // the empty picture, 0 x 0

    // A raster picture of the given pixels. Its natural size is the image's logical size
    // (pixels / devicePixelRatio) at 96 dpi, so a capture of 707 x 499 logical pixels held at a
    // higher density still measures 707 x 499 pixels = 18706 x 13203 HIMETRIC.
    static Picture fromImage(const QImage &image);

    Kind kind() const;
    bool isEmpty() const;

    // Natural size in HIMETRIC (0.01 mm); 0 x 0 for the empty picture.
    QSize himetricSize() const;
    int widthHimetric() const { return himetricSize().width(); }
    int heightHimetric() const { return himetricSize().height(); }

    // Natural size in logical pixels (96 dpi).
    QSizeF logicalSize() const;

    // The decoded pixels, with devicePixelRatio = decoded pixels / natural logical pixels, so that
    // their logical size is the natural size whatever size they were decoded at; a null image for
    // the empty picture. A metafile gives its rendering at natural size.
    QImage image() const;

    // Draws the picture stretched to fill target (in the painter's logical coordinates).
    void drawStretched(QPainter &painter, const QRectF &target) const;
    // Draws the picture at its natural size with its top-left corner at topLeft.
    void drawUnscaled(QPainter &painter, const QPointF &topLeft) const;

    // The memory the picture holds: its decoded pixels, or a metafile's records and the
    // rendering image() keeps of it.
    qint64 byteCost() const;

    // True when the pixels are a stored thumbnail of the file (the desktop's shared cache, or the
    // small picture a camera keeps in the file) rather than a decode of the file's own picture:
    // good for a gallery cell, never enough for a picture on the poster.
    bool isPreview() const;

    // True when the pixels are only a stand-in drawing for a picture too costly to decode as a
    // thumbnail (Use above); its natural size is the file's. A stand-in is a preview too.
    bool isStandIn() const;

    // The identity of the file's bytes the picture was decoded from (FileContents.h): a file read
    // again holds this picture only while its identity is the same. Invalid for a picture that
    // was not read from a file, such as a capture.
    ContentIdentity sourceIdentity() const;

    // True when both are copies of one picture object (not merely equal pixels).
    bool isSameObject(const Picture &other) const { return m_data == other.m_data; }

    // The same picture with its pixels resampled smoothly to exactly pixels; its natural size
    // stays. Pictures other than raster ones come back as they are.
    Picture resampled(const QSize &pixels) const;

    struct Data;

private:
    explicit Picture(std::shared_ptr<const Data> data);
    friend Picture LoadPicture(const QString &path, const QSize &decodeBound, Use use);
    friend Picture DecodePicture(const FileContents &contents, const QSize &decodeBound, const QString &path,
                                 int memoryFile);
    friend std::optional<Picture> StandInWhileDecoding(const QString &path, const QSize &decodeBound);
    friend Picture PreviewPicture(const FileContents &contents, const QImage &pixels);
    friend Picture DecodePictureHere(const FileContents &contents, const QSize &decodeBound, Use use,
                                     const QString &path);

    std::shared_ptr<const Data> m_data;
};

// Opens a picture file by path (BMP, DIB, RLE, JPEG, GIF's first frame, WMF with a placeable
// header; with formats::SetMoreFormats(true) also PNG, WebP's first frame, and HEIC, HEIF and
// AVIF's primary picture), deciding the format by content. "" gives the empty picture. A file that is missing,
// not a picture, truncated, claims absurd dimensions or has a broken header also gives the empty
// picture: never a crash, a hang or an allocation beyond a fixed cap. Where the program has
// helpers decode (DecoderPool.h), the formats decoded whole are decoded in one of them, and a
// file its helper could not decode within its limits gives the empty picture too.
//
// decodeBound, when valid, is the largest pixel size worth decoding (a thumbnail cell, say):
// larger raster pictures are decoded scaled down to fit it (JPEG decodes at 1/2, 1/4, 1/8 scale),
// while the natural size stays the file's. Without it, pictures are decoded up to a fixed bound.
//
// A JPEG is shown upright as its EXIF orientation says, a HEIF picture as its rotation and
// mirroring say (HeifDecode.h): its pixels and its natural size alike. Transparent pixels (PNG,
// WebP, HEIF with alpha, GIF) stay transparent.
Picture LoadPicture(const QString &path, const QSize &decodeBound = QSize(), Use use = Use::Full);

// Where the file at path is of a format a decoding helper decodes (DecoderPool.h), the stand-in
// (Picture::isStandIn()) its picture is shown as until decoded at decodeBound, made from the
// file's first bytes at once: of the natural size its header states, or of the bound's where
// it states none. Nothing for other files, which are decoded in this process.
std::optional<Picture> StandInWhileDecoding(const QString &path, const QSize &decodeBound);

// A picture file read as LoadPicture reads it: whole, within the cap of one picture.
FileContents ReadPictureFile(const QString &path);

// The file at path read as LoadPicture reads a picture for a decoding helper (DecoderPool.h):
// with the helpers in use and of a format they decode, in a memory file the kernel fills
// (FileContents.h). Null otherwise: ReadPictureFile reads it.
std::unique_ptr<SharedFileContents> ReadPictureFileShared(const QString &path);

// The picture of contents read by ReadPictureFile: what LoadPicture(path, decodeBound) gives for
// a file holding those bytes, with their identity. path, when given, names the file they were
// read from to the decoding helper; memoryFile, when given, is the memory file of
// ReadPictureFileShared that holds them.
Picture DecodePicture(const FileContents &contents, const QSize &decodeBound = QSize(), const QString &path = QString(),
                      int memoryFile = -1);

// The picture of contents shown from pixels of it found elsewhere (a poster's own small picture
// of itself) until they are decoded: a preview (isPreview()) of the picture's natural size with
// the contents' identity, which an image control keeping it sharp decodes (SharpDecode.h). Only
// the header is read. The empty picture for contents that are no raster picture of a format read.
Picture PreviewPicture(const FileContents &contents, const QImage &pixels);

// What LoadPicture makes of contents read from path, decoded in this very process whatever the
// format: for the decoding helper (DecoderPool.h), which is where the program has the formats
// decoded whole decoded. path names the file for the desktop's shared thumbnails ("" for none).
Picture DecodePictureHere(const FileContents &contents, const QSize &decodeBound, Use use, const QString &path);

// The pixels of the largest raster picture LoadPicture decodes in full.
inline constexpr int MaxDecodedSide = 4096;

// The decode bound under which LoadPicture gives a raster picture of naturalPixels at least
// target pixels on each side, where the file has them and MaxDecodedSide allows: JPEG decodes
// only at 1/1, 1/2, 1/4 and 1/8 of its size, so this is the smallest of those sizes that covers
// target. Resample the result to target to keep no more pixels than needed.
QSize CoveringDecodeBound(const QSize &naturalPixels, const QSize &target);

} // namespace platform
