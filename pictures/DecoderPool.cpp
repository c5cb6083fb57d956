// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/DecoderPool.h"

#include "base/HelperPrograms.h"
#include "pictures/DecoderProtocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::decoding {

namespace {

const QString ProgramName = QStringLiteral("tovimaru-decoder");

using helpers::LimitAddressSpace;

// A helper's whole life of processor time; it ends itself before it would run over.
constexpr rlim_t LifetimeCpuSeconds = 600;
// Its descriptor for the socket, as it expects it.
constexpr int HelperSocket = 3;

std::atomic_bool g_useHelpers{false};
std::atomic_int g_ended{0};

std::mutex g_limitsMutex;
Limits g_limits;

struct Helper
{
    pid_t pid = -1;
    int socket = -1;
};

void End(const Helper &helper)
{
    close(helper.socket);
    kill(helper.pid, SIGKILL);
    while (waitpid(helper.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

std::optional<Helper> Spawn()
{
    const QString program = DecoderProgram();
    if (program.isEmpty())
        return std::nullopt;
    const Limits limits = CurrentLimits();
    QByteArray path = QFile::encodeName(program);
    char *const argv[] = {path.data(), nullptr};
    const rlimit noCore{0, 0};
    const rlimit cpu{LifetimeCpuSeconds, LifetimeCpuSeconds}; // the helper sets it for each picture
    const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
    sigset_t none;
    sigemptyset(&none);
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        // Between fork and exec: only async-signal-safe calls.
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_CPU, &cpu);
        if (LimitAddressSpace)
            setrlimit(RLIMIT_AS, &memory);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        if (pair[1] == HelperSocket)
            fcntl(HelperSocket, F_SETFD, 0);
        else
            dup2(pair[1], HelperSocket); // without close-on-exec
        execv(argv[0], argv);
        _exit(127);
    }
    close(pair[1]);
    if (pid < 0) {
        close(pair[0]);
        return std::nullopt;
    }
    return Helper{pid, pair[0]};
}

bool OnGuiThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

// The helpers waiting for a picture, and how many there are in all.
class Pool
{
public:
    std::optional<Helper> take()
    {
        std::unique_lock lock(m_mutex);
        const bool gui = OnGuiThread();
        m_freed.wait(lock, [&] { return !m_idle.empty() || m_live < MaxHelpers || gui; });
        if (!m_idle.empty()) {
            const Helper helper = m_idle.back();
            m_idle.pop_back();
            return helper;
        }
        ++m_live;
        lock.unlock();
        const std::optional<Helper> helper = Spawn();
        if (!helper)
            lost();
        return helper;
    }

    // A helper done with its picture, kept for the next unless there are more than enough.
    void giveBack(const Helper &helper)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_live <= MaxHelpers) {
                m_idle.push_back(helper);
                m_freed.notify_one();
                return;
            }
        }
        End(helper);
        lost();
    }

    void end(const Helper &helper)
    {
        End(helper);
        lost();
    }

private:
    void lost()
    {
        std::lock_guard lock(m_mutex);
        --m_live;
        m_freed.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<Helper> m_idle;
    int m_live = 0;
};

Pool &Helpers()
{
    static Pool *pool = new Pool; // its helpers end with the program, when their sockets close
    return *pool;
}

// A memory file holding bytes, sealed; -1 when there is none to be had.
int MemoryFileOf(const QByteArray &bytes)
{
    const int fd = NewMemoryFile(bytes.size());
    if (fd < 0 || bytes.isEmpty())
        return fd;
    if (!WriteMemoryFile(fd, bytes.constData(), bytes.size()) || !SealMemoryFile(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

struct Mapping
{
    void *address;
    size_t length;
};

// The pixels of answer in the memory file fd, mapped without a copy; a null image when fd does
// not hold them.
QImage PixelsOf(const Answer &answer, int fd)
{
    const qint64 stride = qint64(answer.pixels.width()) * 4;
    const qint64 length = stride * answer.pixels.height();
    if (fd < 0 || !IsSealedMemoryFile(fd, length))
        return {};
    // Private: the pixels are the program's own from here, whatever the helper does next.
    void *address = mmap(nullptr, size_t(length), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (address == MAP_FAILED)
        return {};
    auto *mapping = new Mapping{address, size_t(length)};
    return QImage(
            static_cast<uchar *>(address), answer.pixels.width(), answer.pixels.height(), stride, answer.format,
            [](void *info) {
                auto *unmapped = static_cast<Mapping *>(info);
                munmap(unmapped->address, unmapped->length);
                delete unmapped;
            },
            mapping);
}

} // namespace

void UseHelpers(bool on)
{
    g_useHelpers = on;
}

bool HelpersInUse()
{
    static const bool found = !DecoderProgram().isEmpty();
    return g_useHelpers && found;
}

void SetLimits(const Limits &limits)
{
    std::lock_guard lock(g_limitsMutex);
    g_limits = limits;
}

Limits CurrentLimits()
{
    std::lock_guard lock(g_limitsMutex);
    return g_limits;
}

int HelpersEnded()
{
    return g_ended;
}

QString DecoderProgram()
{
    return helpers::FindHelperProgram(ProgramName, "TOVIMARU_DECODER", QStringLiteral(TOVIMARU_DECODER_INSTALLED_DIR),
                                      helpers::BuildTreePath(QStringLiteral("app/tovimaru-decoder")));
}

std::optional<Decoded> DecodeInHelper(const FileContents &contents, const QSize &decodeBound, int use,
                                      const QString &path, int memoryFile)
{
    Request request;
    request.bound = decodeBound.isValid() ? decodeBound : QSize();
    request.use = use;
    request.cpuSeconds = std::clamp(CurrentLimits().cpuSeconds, 1, 600);
    request.modifiedSecs = contents.modifiedSecs;
    request.fileBytes = contents.bytes.size();
    request.path = path.isEmpty() ? QByteArray() : QFileInfo(path).absoluteFilePath().toUtf8();
    if (request.path.size() > MaxPathBytes)
        request.path.clear(); // decoded without the desktop's shared thumbnails
    const int bytes = memoryFile >= 0 ? fcntl(memoryFile, F_DUPFD_CLOEXEC, 0) : MemoryFileOf(contents.bytes);
    if (bytes < 0)
        return std::nullopt;
    const QByteArray frame = EncodeRequest(request);
    const int waitMsecs = CurrentLimits().waitMsecs;
    std::optional<Received> received;
    std::optional<Helper> helper;
    // A helper kept from an earlier picture may have gone since (a new one is started then).
    for (int attempt = 0; attempt < 2; ++attempt) {
        helper = Helpers().take();
        if (!helper)
            break;
        if (SendFrame(helper->socket, frame, bytes)) {
            received = ReceiveFrame(helper->socket, 256, waitMsecs);
            break;
        }
        Helpers().end(*helper);
        helper.reset();
    }
    close(bytes);
    if (!helper)
        return std::nullopt;
    const std::optional<Answer> answer = received ? DecodeAnswer(received->frame) : std::nullopt;
    if (!answer || (answer->picture && received->fd < 0)) {
        // Crashed, hung, ran over its limits, or answered nonsense.
        if (received && received->fd >= 0)
            close(received->fd);
        Helpers().end(*helper);
        ++g_ended;
        return std::nullopt;
    }
    if (answer->retiring)
        Helpers().end(*helper);
    else
        Helpers().giveBack(*helper);
    if (!answer->picture) {
        if (received->fd >= 0)
            close(received->fd);
        return std::nullopt;
    }
    Decoded decoded;
    decoded.image = PixelsOf(*answer, received->fd);
    close(received->fd);
    if (decoded.image.isNull())
        return std::nullopt;
    decoded.natural = answer->natural;
    decoded.preview = answer->preview;
    decoded.standIn = answer->standIn;
    return decoded;
}

} // namespace platform::decoding
