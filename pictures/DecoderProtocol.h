// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program and its decoding helpers (DecoderPool.h) say to each other, over a socket
// pair of the sequenced-packet kind, one message a frame; the bytes of a file and the pixels of
// a picture travel as sealed memory files (memfd) passed with the frame, never through the disk.
//
//   request, program to helper:
//     "TOVIDEC1"                    8 bytes
//     bound width, bound height     4 + 4 bytes: the decode bound, 0 x 0 for none
//     use                           4 bytes: Use (Picture.h)
//     processor time                4 bytes: the seconds the picture may take, 1 to 600
//     modification time             8 bytes, seconds: for the desktop's shared thumbnails
//     file length                   8 bytes: the memory file passed holds this many bytes
//     path                          4 bytes of length, then that many UTF-8 bytes
//   answer, helper to program:
//     "TOVIPIX1"                    8 bytes
//     picture                       1 byte: 0 none (the file cannot be read), 1 a picture
//     kind                          1 byte: bit 0 a stored thumbnail, bit 1 a stand-in
//     retiring                      1 byte: 1 when the helper ends after this answer
//     natural width, height         4 + 4 bytes, logical pixels
//     pixels width, height          4 + 4 bytes: the memory file passed holds width x height
//                                   32-bit pixels, row after row, without padding
//     pixel format                  4 bytes: QImage::Format_RGB32 or _ARGB32_Premultiplied
// Every number little-endian. A frame is taken only whole and within its bounds; anything else
// is a helper gone wrong.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace platform::decoding {

inline constexpr int MaxPathBytes = 4096;

struct Request
{
    QSize bound;
    int use = 0;
    int cpuSeconds = 1;
    qint64 modifiedSecs = 0;
    qint64 fileBytes = 0;
    QByteArray path; // UTF-8
};

struct Answer
{
    bool picture = false;
    bool preview = false;
    bool standIn = false;
    bool retiring = false;
    QSize natural;
    QSize pixels;
    QImage::Format format = QImage::Format_Invalid;
};

QByteArray EncodeRequest(const Request &request);
std::optional<Request> DecodeRequest(const QByteArray &frame);
QByteArray EncodeAnswer(const Answer &answer);
std::optional<Answer> DecodeAnswer(const QByteArray &frame);

// Sends frame on socket with descriptor fd (none when -1). False when the other end is gone.
bool SendFrame(int socket, const QByteArray &frame, int fd);

struct Received
{
    QByteArray frame;
    int fd = -1; // the descriptor that came with it, the receiver's to close; -1 for none
};
// The next frame, waiting at most timeoutMsecs (-1: for ever). Nothing when the other end is
// gone, the time is up, or the frame is larger than maxBytes or came with more than one
// descriptor.
std::optional<Received> ReceiveFrame(int socket, int maxBytes, int timeoutMsecs);

// A sealed memory file: cannot be made shorter, so that a mapping of it never faults. -1 when
// the system refuses one.
int NewMemoryFile(qint64 bytes);
// Writes bytes into the memory file fd at offset, through the kernel rather than through a
// mapping, which would fault each of its pages in one by one; whether all were written.
bool WriteMemoryFile(int fd, const char *data, qint64 bytes, qint64 offset = 0);
// Seals fd against shrinking and growing; false when it cannot be.
bool SealMemoryFile(int fd);
// Whether fd is a memory file sealed against shrinking, of at least bytes.
bool IsSealedMemoryFile(int fd, qint64 bytes);

} // namespace platform::decoding
