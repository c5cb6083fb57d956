// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/DecoderProtocol.h"

#include <QtEndian>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::decoding {

namespace {

const QByteArray RequestMagic = QByteArrayLiteral("TOVIDEC1");
const QByteArray AnswerMagic = QByteArrayLiteral("TOVIPIX1");

template<class T>
void Put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// Reads whole numbers off a frame in order; once past the end, every read fails.
class Reader
{
public:
    explicit Reader(const QByteArray &frame, const QByteArray &magic)
        : m_frame(frame), m_pos(magic.size()), m_ok(frame.startsWith(magic))
    {
    }
    template<class T>
    T take()
    {
        if (!m_ok || m_frame.size() - m_pos < qsizetype(sizeof(T))) {
            m_ok = false;
            return T();
        }
        const T value = qFromLittleEndian<T>(m_frame.constData() + m_pos);
        m_pos += sizeof(T);
        return value;
    }
    QByteArray bytes(quint32 length)
    {
        if (!m_ok || m_frame.size() - m_pos < qsizetype(length)) {
            m_ok = false;
            return {};
        }
        const QByteArray out = m_frame.mid(m_pos, length);
        m_pos += length;
        return out;
    }
    bool atEnd() const { return m_ok && m_pos == m_frame.size(); }

private:
    const QByteArray &m_frame;
    qsizetype m_pos;
    bool m_ok;
};

constexpr quint32 MaxSide = 1 << 16;

} // namespace

QByteArray EncodeRequest(const Request &request)
{
    QByteArray out = RequestMagic;
    Put<quint32>(out, quint32(std::max(0, request.bound.width())));
    Put<quint32>(out, quint32(std::max(0, request.bound.height())));
    Put<quint32>(out, quint32(request.use));
    Put<quint32>(out, quint32(request.cpuSeconds));
    Put<qint64>(out, request.modifiedSecs);
    Put<qint64>(out, request.fileBytes);
    Put<quint32>(out, quint32(request.path.size()));
    return out + request.path;
}

std::optional<Request> DecodeRequest(const QByteArray &frame)
{
    Reader in(frame, RequestMagic);
    Request request;
    const quint32 width = in.take<quint32>(), height = in.take<quint32>();
    request.use = int(in.take<quint32>());
    const quint32 seconds = in.take<quint32>();
    request.modifiedSecs = in.take<qint64>();
    request.fileBytes = in.take<qint64>();
    const quint32 length = in.take<quint32>();
    if (length > quint32(MaxPathBytes))
        return std::nullopt;
    request.path = in.bytes(length);
    if (!in.atEnd() || width > MaxSide || height > MaxSide || request.use > 2 || request.fileBytes < 0
        || seconds < 1 || seconds > 600)
        return std::nullopt;
    request.cpuSeconds = int(seconds);
    if (width > 0 && height > 0)
        request.bound = QSize(int(width), int(height));
    return request;
}

QByteArray EncodeAnswer(const Answer &answer)
{
    QByteArray out = AnswerMagic;
    out.append(char(answer.picture));
    out.append(char((answer.preview ? 1 : 0) | (answer.standIn ? 2 : 0)));
    out.append(char(answer.retiring));
    for (const int value : {answer.natural.width(), answer.natural.height(), answer.pixels.width(), answer.pixels.height()})
        Put<quint32>(out, quint32(std::max(0, value)));
    Put<quint32>(out, quint32(answer.format));
    return out;
}

std::optional<Answer> DecodeAnswer(const QByteArray &frame)
{
    Reader in(frame, AnswerMagic);
    Answer answer;
    const quint8 picture = in.take<quint8>(), kind = in.take<quint8>(), retiring = in.take<quint8>();
    quint32 sides[4];
    for (quint32 &side : sides)
        side = in.take<quint32>();
    const quint32 format = in.take<quint32>();
    if (!in.atEnd() || picture > 1 || kind > 3 || retiring > 1)
        return std::nullopt;
    answer.picture = picture == 1;
    answer.preview = kind & 1;
    answer.standIn = kind & 2;
    answer.retiring = retiring == 1;
    answer.format = QImage::Format(format);
    if (!answer.picture)
        return answer;
    for (const quint32 side : sides) {
        if (side == 0 || side > MaxSide)
            return std::nullopt;
    }
    if (answer.format != QImage::Format_RGB32 && answer.format != QImage::Format_ARGB32_Premultiplied)
        return std::nullopt;
    answer.natural = QSize(int(sides[0]), int(sides[1]));
    answer.pixels = QSize(int(sides[2]), int(sides[3]));
    return answer;
}

bool SendFrame(int socket, const QByteArray &frame, int fd)
{
    iovec data{const_cast<char *>(frame.constData()), size_t(frame.size())};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        cmsghdr *header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof(int));
    }
    ssize_t sent;
    do
        sent = sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == frame.size();
}

std::optional<Received> ReceiveFrame(int socket, int maxBytes, int timeoutMsecs)
{
    pollfd waiting{socket, POLLIN, 0};
    int ready;
    do
        ready = poll(&waiting, 1, timeoutMsecs);
    while (ready < 0 && errno == EINTR); // a signal cuts the wait a little short at most
    if (ready <= 0)
        return std::nullopt;
    QByteArray frame(maxBytes, Qt::Uninitialized);
    iovec data{frame.data(), size_t(frame.size())};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    ssize_t got;
    do
        got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    Received received;
    int fds = 0;
    for (cmsghdr *header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t k = 0; k < count; ++k) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(header) + k * sizeof(int), sizeof(int));
            if (fds++ == 0)
                received.fd = fd;
            else
                close(fd);
        }
    }
    if (got <= 0 || fds > 1 || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        if (received.fd >= 0)
            close(received.fd);
        return std::nullopt;
    }
    frame.truncate(got);
    received.frame = frame;
    return received;
}

int NewMemoryFile(qint64 bytes)
{
    const int fd = memfd_create("tovimaru-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    if (ftruncate(fd, off_t(bytes)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteMemoryFile(int fd, const char *data, qint64 bytes, qint64 offset)
{
    while (bytes > 0) {
        const ssize_t written = pwrite(fd, data, size_t(bytes), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        bytes -= written;
        offset += written;
    }
    return true;
}

bool SealMemoryFile(int fd)
{
    return fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW) == 0;
}

bool IsSealedMemoryFile(int fd, qint64 bytes)
{
    struct stat status{};
    const int seals = fcntl(fd, F_GET_SEALS);
    return seals >= 0 && (seals & F_SEAL_SHRINK) && fstat(fd, &status) == 0 && S_ISREG(status.st_mode)
            && status.st_size >= bytes;
}

} // namespace platform::decoding
