// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file a poster is kept in between runs, so that a child's poster outlives the end of the
// program, a crash or a power cut. It holds the step of the wizard, every picture and text slot
// as the controls hold them, the paper and the finished poster (colour, still picture, the dots
// drawn on them), the still picture of the paper under the pictures, the pen (its colour and
// dot size), the bytes of the pictures' files as the picture loader read them (so that a poster
// opens whole on another PC or once the USB stick its pictures came from is gone), and a small
// picture of the poster for the shelf of posters to show without decoding the poster.
//
// The layout (version 3), all numbers big-endian:
//
//   "TOVIPOST"                 8 bytes
//   version                    32 bits
//   length of the elements     32 bits
//   SHA-256 of the elements    32 bytes
//   the elements               UTF-8 JSON (below)
//   the blobs                  one after the other, as long as the elements say: the small
//                              picture first (a PNG file), then the still pictures and dots
//                              (PNG files), then the pictures' files' own bytes
//
// A file is read defensively: every length and number is bounded, the images must be PNG files
// of the sizes the elements give (within the picture loader's bounds), the stacking of each kind
// of slot must be an order of them, and nothing but the file's exact length passes. Paths of
// pictures are only ever names of files to read, and the bytes kept of them are only ever given
// to the picture loader, which reads any file defensively. Files of version 1 (written before the
// pen was kept) and version 2 (before the pictures' bytes and the small picture were) read as
// well, without what they did not keep.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <map>
#include <vector>

namespace posterfile {

inline constexpr int Version = 3;
// The oldest version still read.
inline constexpr int FirstVersion = 1;
inline constexpr int PictureSlotCount = 11;
inline constexpr int TextSlotCount = 10;
// No file larger is read: ten photos' finished poster is a few megabytes.
inline constexpr qint64 MaxFileBytes = 256 * 1024 * 1024;

struct PictureSlot
{
    bool shown = false;
    double left = 0, top = 0, width = 0, height = 0; // twips, as the control holds them
    int border = 0;
    int stacking = 0;     // its place among the picture slots, 0 the backmost
    QString source;       // the file the picture is read from, empty for none
    bool keepsSharp = false;
    int onPoster = 0;     // it has had its one-time growth on the poster

    bool operator==(const PictureSlot &) const = default;
};

struct TextSlot
{
    bool shown = false;
    double left = 0, top = 0, width = 0, height = 0;
    int border = 0;
    int stacking = 0;
    QString text;
    int caret = 0; // where typing would go on: the text is laid out from it
    double fontSize = 0;
    QColor back, fore;

    bool operator==(const TextSlot &) const = default;
};

// A picture box of the poster area: the paper of step 1 or the finished poster of step 4.
struct Surface
{
    bool shown = false;
    QColor back;
    QImage picture; // its still picture, null for none
    QImage dots;    // the dots drawn on it (transparent elsewhere), null for none
};

struct Poster
{
    int step = 1; // 1..4
    std::array<PictureSlot, PictureSlotCount> pictures;
    std::array<TextSlot, TextSlotCount> texts;
    Surface paper;      // Picture1
    QColor paperButton; // the back colour of "かみのいろ"
    Surface finished;   // Picture2
    // Image2: the paper under the pictures of steps 2 and 3, null for none; when it holds the
    // pixels of the paper's picture, the file keeps them once.
    QImage still;
    int selectedKind = 0;
    int selectedIndex = 0;
    int hasSelection = 0;
    // The pen of steps 1 and 4: its colour (the back colour of the pen button) and the dot size
    // bar's value; invalid and 0 for none (a file of version 1).
    QColor pen;
    int dotSize = 0;
    // The bytes of the pictures' files, by the path the slots name, as the picture loader reads
    // them; a path whose file could not be read has none (and none of a file before version 3).
    std::map<QString, QByteArray> sources;
    // A small picture of the poster as it looks (at most ThumbnailSize), null for none.
    QImage thumbnail;
};

// The largest small picture of a poster the file keeps.
inline constexpr QSize ThumbnailSize(320, 226);

// The PNG files of images encoded before, by the image's cache key, so that a still picture that
// has not changed since the last write is not encoded again. Not thread-safe: one writer uses it.
class PngCache final
{
public:
    QByteArray png(const QImage &image);

private:
    struct Entry
    {
        qint64 key = 0;
        QByteArray png;
    };
    std::vector<Entry> m_entries; // the most recent last
};

// The file's bytes. cache may be null.
QByteArray Encode(const Poster &poster, PngCache *cache = nullptr);

enum class Images { Decode, Skip, Thumbnail };

// Reads a file's bytes into poster. Returns false, leaving poster as it was, when the bytes are
// not a whole, sound file of this version. With Images::Skip the images are checked only for
// their place in the file (they are left null, the pictures' bytes left out): enough to offer
// the poster, at a fraction of the cost. Images::Thumbnail is the same but for the small picture,
// which is decoded: the bytes need to hold only the header, the elements and the small picture.
bool Decode(const QByteArray &bytes, Poster &poster, Images images = Images::Decode);

// Writes the bytes to path as a whole or not at all (a crash while writing leaves the file as it
// was), making its folder if needed.
bool WriteFile(const QString &path, const QByteArray &bytes);

enum class Read { Missing, Damaged, Sound };
// Reads and decodes the file at path (at most MaxFileBytes); with Images::Skip or Thumbnail only
// the part of the file they need.
Read ReadFile(const QString &path, Poster &poster, Images images = Images::Decode);

// Renames a file that cannot be read out of the way, never deleting it: path + ".damaged", or
// ".damaged2", ".damaged3" ... when that is taken. Returns the new name, empty when it failed.
QString SetAside(const QString &path);

} // namespace posterfile
