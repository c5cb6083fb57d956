// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/FileContents.h"

#include <QFile>
#include <QHashFunctions>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

ContentIdentity IdentityOf(QByteArrayView bytes)
{
    // A seed other than 0 lets Qt take its AES-based hash where the processor has it, some six
    // times as fast as the one it takes for 0: a quarter of a millisecond for a photo of 4 MB,
    // against the tens of milliseconds of decoding it. Qt mixes in its hash seed for the
    // process, so identities are compared within one run, which is all they are made for.
    constexpr size_t Seed = size_t(0x9E3779B97F4A7C15ull);
    static_assert(sizeof(size_t) == sizeof(quint64), "the hash is to have 64 bits");
    return ContentIdentity{bytes.size(), quint64(qHashBits(bytes.data(), size_t(bytes.size()), Seed))};
}

namespace {

// Reads at most maxBytes of the regular file at path (all of it when whole), then hands the bytes
// and the file's status to take. Not blocking: a FIFO opens at once, and is refused with anything
// else that is not a regular file. One descriptor for the checks and the reading, so that they
// see one file.
template<class Take>
void ReadRegularFile(const QString &path, qint64 maxBytes, bool whole, Take take)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (!whole || status.st_size <= maxBytes)) {
        QFile file; // reads in one piece what it can, and leaves the descriptor open
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            take(file.read(std::min<qint64>(status.st_size, maxBytes)), status);
    }
    ::close(fd);
}

} // namespace

FileContents ReadFileContents(const QString &path, qint64 maxBytes)
{
    FileContents contents;
    ReadRegularFile(path, maxBytes, true, [&](QByteArray bytes, const struct stat &status) {
        contents.bytes = std::move(bytes);
        contents.identity = IdentityOf(contents.bytes);
        contents.modifiedSecs = status.st_mtim.tv_sec;
    });
    return contents;
}

FileHead ReadFileHead(const QString &path, qint64 headBytes)
{
    FileHead head;
    ReadRegularFile(path, headBytes, false, [&](QByteArray bytes, const struct stat &status) {
        head.bytes = std::move(bytes);
        head.size = status.st_size;
        head.modifiedSecs = status.st_mtim.tv_sec;
    });
    return head;
}

} // namespace platform
