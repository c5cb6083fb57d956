// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The formats decoded whole (PNG, WebP, HEIC, HEIF and AVIF: PictureFormats.h) are decoded by
// third-party libraries that take a file's every byte as it comes. With moreFormats the program
// runs none of them itself: a small pool of helper processes (tovimaru-decoder) decodes those
// pictures, each helper under a memory limit and a processor-time limit for each picture. A
// helper that crashes, hangs or runs over is ended, its file counted as one that cannot be read,
// and the next picture gets a new helper; the program goes on.
//
// Helpers are started on first use and kept for the pictures after; one a thread asking, up to
// MaxHelpers, beyond which a worker thread waits for one to be free. The GUI thread never waits
// behind another picture's decode: it starts a helper of its own when none is free. The file's
// bytes go to the helper and the pixels come back in sealed memory files, never through the disk.

#include "pictures/FileContents.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace platform::decoding {

// Whether the program hands the formats decoded whole to the helpers: set at start-up, with
// moreFormats. Off, they are decoded in the calling thread (the helper itself, the tests of the
// decoders, the fuzz targets).
void UseHelpers(bool on);
// On, and the helper program found.
bool HelpersInUse();

struct Limits
{
    int cpuSeconds = 20;                   // of processor time for one picture, all threads
    int waitMsecs = 30000;                 // for one picture, for a helper that sleeps
    long long memoryBytes = 2048LL << 20;  // of address space: a 50-megapixel photo of 12 bits
                                           // a sample takes some 900 MB to decode
};
// The limits pictures are decoded under from now on; the memory limit, for helpers started from
// now on (the tests make them shorter).
void SetLimits(const Limits &limits);
Limits CurrentLimits();

inline constexpr int MaxHelpers = 4;

struct Decoded
{
    QImage image;  // RGB32 or ARGB32_Premultiplied, in memory shared with the helper
    QSize natural; // logical pixels
    bool preview = false;
    bool standIn = false;
};

// The picture a helper makes of contents, read from path, as DecodePictureHere (Picture.h) makes
// it at decodeBound for use. Nothing when the file cannot be read, or its helper crashed, hung or
// ran over. memoryFile, when given, is a sealed memory file that holds the contents' bytes
// (SharedFileContents), handed to the helper as it is.
std::optional<Decoded> DecodeInHelper(const FileContents &contents, const QSize &decodeBound, int use,
                                      const QString &path, int memoryFile = -1);

// The helpers ended because they went wrong (crashed, hung, ran over or answered nonsense) since
// the program started.
int HelpersEnded();

// The helper executable: TOVIMARU_DECODER when set, else "tovimaru-decoder" beside the program,
// in ../libexec/tovimaru of an installed program, or in the build tree.
QString DecoderProgram();

// What the helper, and only the helper, honours for the tests: with TOVIMARU_DECODER_TEST=1 in
// its environment, a file whose name starts with "crash" makes it crash, "loop" spin for ever,
// "allocate" take memory without end; a name of those after "sharp-" does so only when the
// picture is decoded for the poster (Use::Full), its gallery thumbnail being decoded well.
inline constexpr char TestModeVariable[] = "TOVIMARU_DECODER_TEST";

} // namespace platform::decoding
