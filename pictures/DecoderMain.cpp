// SPDX-License-Identifier: GPL-3.0-or-later
// The decoding helper: tovimaru-decoder, started by the program (DecoderPool.h) with its socket
// as descriptor 3. It takes one picture after another (DecoderProtocol.h), each under the
// processor time its request gives and the memory limit it was started with; a decoder that
// crashes, hangs or runs over takes only this process down. It ends when the program closes the
// socket, or after answering when its life's processor time is nearly spent.

#include "pictures/DecoderPool.h"
#include "pictures/DecoderProtocol.h"
#include "pictures/Picture.h"
#include "pictures/PictureFormats.h"

#include <QFileInfo>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace platform;
using namespace platform::decoding;

namespace {

constexpr int Socket = 3;
constexpr int IdleMsecs = 2000; // after a picture, before the helper gives its memory back

double CpuSecondsUsed()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The processor time this picture may take, from what the helper has used so far; false when
// its life's limit leaves too little for one more.
bool LimitThisPicture(int seconds)
{
    rlimit cpu{};
    getrlimit(RLIMIT_CPU, &cpu);
    const rlim_t wanted = rlim_t(CpuSecondsUsed()) + rlim_t(seconds) + 1;
    if (cpu.rlim_max != RLIM_INFINITY && wanted > cpu.rlim_max)
        return false;
    cpu.rlim_cur = wanted;
    return setrlimit(RLIMIT_CPU, &cpu) == 0;
}

// The decoders that go wrong, for the tests (DecoderPool.h).
void MisbehaveFor(const QString &path, Use use)
{
    QString name = QFileInfo(path).fileName();
    if (name.startsWith(QLatin1String("sharp-"))) {
        if (use != Use::Full)
            return;
        name = name.mid(6);
    }
    if (name.startsWith(QLatin1String("crash"))) {
        std::raise(SIGSEGV);
    } else if (name.startsWith(QLatin1String("loop"))) {
        volatile unsigned spin = 0;
        for (;;)
            spin = spin + 1;
    } else if (name.startsWith(QLatin1String("allocate"))) {
        std::vector<std::unique_ptr<char[]>> taken;
        for (;;) {
            taken.emplace_back(new char[64 << 20]);
            std::memset(taken.back().get(), 1, 64 << 20);
        }
    }
}

// The answer for picture, its pixels in a sealed memory file; -1 as fd when there are none.
Answer AnswerFor(const Picture &picture, int &fd)
{
    Answer answer;
    fd = -1;
    const QImage image = picture.image();
    if (picture.kind() != Picture::Kind::Raster || image.isNull())
        return answer;
    const qint64 stride = qint64(image.width()) * 4;
    const qint64 length = stride * image.height();
    fd = NewMemoryFile(length);
    if (fd < 0)
        return answer;
    bool written = true;
    if (image.bytesPerLine() == stride) {
        written = WriteMemoryFile(fd, reinterpret_cast<const char *>(image.constBits()), length);
    } else {
        for (int y = 0; y < image.height() && written; ++y)
            written = WriteMemoryFile(fd, reinterpret_cast<const char *>(image.constScanLine(y)), stride, y * stride);
    }
    if (!written || !SealMemoryFile(fd)) {
        close(fd);
        fd = -1;
        return answer;
    }
    answer.picture = true;
    answer.preview = picture.isPreview();
    answer.standIn = picture.isStandIn();
    answer.natural = picture.logicalSize().toSize();
    answer.pixels = image.size();
    answer.format = image.format();
    return answer;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 1 || isatty(Socket) || fcntl(Socket, F_GETFD) < 0) {
        std::fputs("tovimaru-decoder: started by tovimaru only\n", stderr);
        return 2;
    }
    (void)argv;
    const bool testing = qEnvironmentVariable(TestModeVariable) == QLatin1String("1");
    formats::SetMoreFormats(true);
    for (;;) {
#ifdef __GLIBC__
        // An idle helper keeps no decode's memory; one asked again at once (a page of the
        // gallery, pictures placed one after another) keeps it for the next picture, which
        // would otherwise fault every page of it in anew.
        pollfd next{Socket, POLLIN, 0};
        if (poll(&next, 1, IdleMsecs) == 0)
            malloc_trim(0);
#endif
        const std::optional<Received> received = ReceiveFrame(Socket, 64 + MaxPathBytes, -1);
        if (!received)
            return 0; // the program is gone
        const std::optional<Request> request = DecodeRequest(received->frame);
        if (!request || received->fd < 0 || !IsSealedMemoryFile(received->fd, request->fileBytes))
            return 2;
        void *mapped = nullptr;
        if (request->fileBytes > 0) {
            mapped = mmap(nullptr, size_t(request->fileBytes), PROT_READ, MAP_PRIVATE | MAP_POPULATE, received->fd, 0);
            if (mapped == MAP_FAILED)
                return 2;
        }
        close(received->fd);
        if (!LimitThisPicture(request->cpuSeconds))
            return 0; // ended before its picture: the program starts another helper
        const QString path = QString::fromUtf8(request->path);
        if (testing)
            MisbehaveFor(path, Use(request->use));
        Answer answer;
        int pixels = -1;
        {
            FileContents contents;
            contents.bytes = QByteArray::fromRawData(static_cast<const char *>(mapped), qsizetype(request->fileBytes));
            contents.modifiedSecs = request->modifiedSecs;
            const Picture picture = DecodePictureHere(contents, request->bound, Use(request->use), path);
            answer = AnswerFor(picture, pixels);
        }
        if (mapped)
            munmap(mapped, size_t(request->fileBytes));
        answer.retiring = !LimitThisPicture(request->cpuSeconds);
        const bool sent = SendFrame(Socket, EncodeAnswer(answer), pixels);
        if (pixels >= 0)
            close(pixels);
        if (!sent || answer.retiring)
            return 0;
    }
}
