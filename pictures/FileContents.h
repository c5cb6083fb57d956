// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file read whole, together with what identifies the bytes that were read: their length and a
// 64-bit hash of them. A picture decoded from those bytes keeps their identity, so that a later
// read of its file can tell whether the file still holds that picture, whatever happened to it
// meanwhile: written over, renamed over, or rewritten with its times set back. A file that was
// only touched, or copied back as it was, still holds the same picture.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace platform {

struct ContentIdentity
{
    qint64 size = -1; // -1: nothing was read
    quint64 hash = 0;

    bool isValid() const { return size >= 0; }
    bool operator==(const ContentIdentity &other) const = default;
};

// The identity of bytes: their length and a fast hash of all of them (Qt's, AES-based where the
// processor has it), the same for the same bytes throughout the run.
ContentIdentity IdentityOf(QByteArrayView bytes);

struct FileContents
{
    QByteArray bytes;
    ContentIdentity identity;  // of bytes; invalid when nothing was read
    qint64 modifiedSecs = 0;   // the file's modification time, taken before reading
};

// The whole regular file at path, read once. Nothing, with an invalid identity, for a path that
// is missing or unreadable, for anything but a regular file (a FIFO or a device named like a
// picture would block or never end) and for a file longer than maxBytes. The length is taken once
// on opening: a file that grows meanwhile is read up to it, one cut meanwhile as far as it goes.
FileContents ReadFileContents(const QString &path, qint64 maxBytes);

// The first bytes of a regular file, with its whole length and modification time: enough to tell
// a picture's format and size, and what reading and decoding the rest would cost.
struct FileHead
{
    QByteArray bytes; // at most the length asked for; empty when nothing could be read
    qint64 size = -1; // of the whole file
    qint64 modifiedSecs = 0;
};
FileHead ReadFileHead(const QString &path, qint64 headBytes);

// A file read whole as ReadFileContents reads it, its bytes copied by the kernel into a sealed
// memory file for a decoding helper to take as they are. The contents' bytes are a read-only
// mapping of that memory file: good while this lives, and never to be kept beyond it. Reading a
// photo of megabytes into the program's own memory, a fresh page at a time, can cost more than
// the helper takes to decode its thumbnail.
class SharedFileContents
{
public:
    ~SharedFileContents();
    SharedFileContents(const SharedFileContents &) = delete;
    SharedFileContents &operator=(const SharedFileContents &) = delete;

    const FileContents &contents() const { return m_contents; }
    int memoryFile() const { return m_fd; }

private:
    SharedFileContents() = default;
    friend std::unique_ptr<SharedFileContents> ReadSharedFileContents(const QString &path, qint64 maxBytes);

    FileContents m_contents;
    int m_fd = -1;
    void *m_address = nullptr;
    size_t m_length = 0;
};
// Null for what ReadFileContents gives nothing for, or when no memory file can be had.
std::unique_ptr<SharedFileContents> ReadSharedFileContents(const QString &path, qint64 maxBytes);

} // namespace platform
