// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The size of the frames a HEIF picture's video stream tells its decoder to make, read from the
// stream's own headers: an HEVC sequence parameter set, an AV1 sequence header. The decoder goes
// by these, not by the size the container states (ispe), and makes (and fills) frames as large
// as they say, whatever the container promised: a file of a kilobyte can ask for a frame of a
// hundred million pixels. The loader counts the larger of the two.

#include <QByteArrayView>
#include <QSize>

#include <functional>
#include <optional>

namespace platform::heif {

// The picture size of an HEVC sequence parameter set, given its NAL unit (with the NAL unit's
// two-byte header, emulation prevention bytes still in); nothing when it cannot be read.
std::optional<QSize> HevcSpsSize(QByteArrayView nal);

// The largest frame an AV1 sequence header allows (max_frame_width and max_frame_height), given
// the OBU's payload; nothing when it cannot be read.
std::optional<QSize> Av1SequenceSize(QByteArrayView payload);

// What a stream's headers ask of the decoder, over every header met: the largest frame, and
// whether a header could not be read (the stream is then not judged, and not decoded).
struct CodedFrames
{
    qint64 largest = 0; // pixels
    bool unreadable = false;

    void add(const std::optional<QSize> &size);
};

// The parameter sets of an hvcC box (an HEVC item's configuration); the bytes of the length
// before each NAL unit of the item's data (1 to 4), or nothing when the box cannot be read.
std::optional<int> AddHvcc(QByteArrayView hvcC, CodedFrames *frames);
// The parameter sets among HEVC NAL units, each with a length of lengthBytes before it (an
// item's data).
void AddHevcNals(QByteArrayView units, int lengthBytes, CodedFrames *frames);
// Each NAL unit of an hvcC box's arrays, header in; the bytes of the length before each NAL unit
// of the item's data, or nothing when the box cannot be read.
std::optional<int> ForEachHvccNal(QByteArrayView hvcC, const std::function<void(QByteArrayView)> &visit);
// Each NAL unit of an item's data, each with a length of lengthBytes before it; whether the
// data ended where its last unit did.
bool ForEachHevcNal(QByteArrayView units, int lengthBytes, const std::function<void(QByteArrayView)> &visit);
// The sequence headers among AV1 OBUs (av1C's configOBUs and the items' data).
void AddAv1Obus(QByteArrayView obus, CodedFrames *frames);

} // namespace platform::heif
