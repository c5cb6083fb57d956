// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The little of a HEIF file's boxes the loader reads itself, before libheif decodes anything:
// whether its primary picture is a grid of tiles, and of how many; and how large the frames are
// that the video streams of a picture (its tiles and its alpha plane with it) tell the decoder
// to make, which may be far more than the size the file states (CodedSize.h). A phone stores
// its photos as a grid of tiles (512 x 512 pixels each), which libheif decodes side by side on
// as many threads as the machine has, where a picture coded whole is decoded on one: the same
// pixels cost half the time on two cores. What a file's decode is allowed to cost counts that
// (DecodeCost.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>

#include <optional>
#include <vector>

namespace platform::heif {

struct Streams
{
    // The tiles the primary picture's grid references, or 1 when it is not a grid, or when the
    // boxes cannot be read.
    int tiles = 1;
    qint64 codedPixels = 0; // the frames of all its streams together
    bool unreadable = false; // a header or the data of a stream could not be found or read
};

// The primary picture's streams: its tiles, or itself, and its alpha plane.
Streams PrimaryStreams(QByteArrayView file);

// The pixels of the frames item's streams ask for (a thumbnail's); nothing when unreadable.
std::optional<qint64> ItemCodedPixels(QByteArrayView file, quint32 item);

// The size the primary picture is seen at, as its ispe property states it and its irot turns
// it, read from the first bytes of a file (its meta box); nothing when they do not say. A
// picture's stand-in takes it while the picture is decoded; its crop (clap) is not counted.
std::optional<QSize> PrimarySize(QByteArrayView head);

// The primary picture where it is coded in HEVC, whole or as a grid of tiles that share one
// configuration, has no alpha plane and no crop, and is at most turned (irot): what a phone
// writes, and what is decoded here without libheif (HevcDecode.h).
struct HevcPicture
{
    QByteArray parameterSets; // the configuration's NAL units, each after 4 bytes of its length
    int lengthBytes = 4;      // before each NAL unit of a tile's data
    // Row by row; one when coded whole. Each lies in the file's bytes: good only while they are.
    std::vector<QByteArray> tiles;
    int columns = 1, rows = 1;
    QSize coded;           // the picture before it is turned: the grid's canvas, or the item's ispe
    QSize tile;            // each tile's ispe (the picture's own when coded whole)
    int quarterTurns = 0;  // anticlockwise
    // Its colours (an nclx colr property; otherwise BT.601, full range).
    int matrix = 6;
    bool fullRange = true;
};
std::optional<HevcPicture> PrimaryHevc(QByteArrayView file);
// The same of another item of the file, a thumbnail (the item's own rotation, if any).
std::optional<HevcPicture> ItemHevc(QByteArrayView file, quint32 item);

} // namespace platform::heif
