// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/FileContents.h"

#include "pictures/DecoderProtocol.h"

#include <QFile>
#include <QHashFunctions>

#include <algorithm>

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
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

// Opens the regular file at path, of at most maxBytes when whole, and hands its descriptor and
// status to take. Not blocking: a FIFO opens at once, and is refused with anything else that is
// not a regular file. One descriptor for the checks and the reading, so that they see one file.
template<class Take>
void OpenRegularFile(const QString &path, qint64 maxBytes, bool whole, Take take)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (!whole || status.st_size <= maxBytes))
        take(fd, status);
    ::close(fd);
}

// Reads at most maxBytes of the regular file at path (all of it when whole), then hands the bytes
// and the file's status to take.
template<class Take>
void ReadRegularFile(const QString &path, qint64 maxBytes, bool whole, Take take)
{
    OpenRegularFile(path, maxBytes, whole, [&](int fd, const struct stat &status) {
        QFile file; // reads in one piece what it can, and leaves the descriptor open
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            take(file.read(std::min<qint64>(status.st_size, maxBytes)), status);
    });
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

SharedFileContents::~SharedFileContents()
{
    if (m_address)
        munmap(m_address, m_length);
    if (m_fd >= 0)
        ::close(m_fd);
}

std::unique_ptr<SharedFileContents> ReadSharedFileContents(const QString &path, qint64 maxBytes)
{
    std::unique_ptr<SharedFileContents> shared;
    OpenRegularFile(path, maxBytes, true, [&](int fd, const struct stat &status) {
        auto made = std::unique_ptr<SharedFileContents>(new SharedFileContents);
        made->m_fd = decoding::NewMemoryFile(status.st_size);
        if (made->m_fd < 0)
            return;
        off_t read = 0; // as far as a file cut meanwhile goes
        while (read < status.st_size) {
            const ssize_t sent = sendfile(made->m_fd, fd, &read, size_t(status.st_size - read));
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0)
                return;
            if (sent == 0)
                break;
        }
        if ((read < status.st_size && ftruncate(made->m_fd, read) != 0) || !decoding::SealMemoryFile(made->m_fd))
            return;
        if (read > 0) {
            void *address = mmap(nullptr, size_t(read), PROT_READ, MAP_SHARED | MAP_POPULATE, made->m_fd, 0);
            if (address == MAP_FAILED)
                return;
            made->m_address = address;
            made->m_length = size_t(read);
        }
        FileContents &contents = made->m_contents;
        contents.bytes = QByteArray::fromRawData(static_cast<const char *>(made->m_address), qsizetype(read));
        contents.identity = IdentityOf(contents.bytes);
        contents.modifiedSecs = status.st_mtim.tv_sec;
        shared = std::move(made);
    });
    return shared;
}

} // namespace platform
