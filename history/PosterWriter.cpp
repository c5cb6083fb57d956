// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/PosterWriter.h"

#include "form/Form1.h"
#include "history/PosterThumbnail.h"
#include "history/SavedPoster.h"
#include "pictures/Picture.h"
#include "platform/EventLoop.h"
#include "posterfile/PosterFile.h"

#include <QMutex>

#include <algorithm>
#include <ctime>

namespace history {

namespace {

// While a handler yields (a move of the wizard in the middle of its work), the poster is not
// taken: it is retried this much later.
constexpr int RetryMs = 50;
// The most of the pictures' files' bytes a poster's file holds: the rest of the file's bound
// leaves room for its still pictures and dots.
constexpr qint64 SourceBytes = posterfile::MaxFileBytes - 64 * 1024 * 1024;

// The dots of a surface as the writer's own copy, or a null image when none is drawn. The copy
// is made at once, so that a dot drawn meanwhile does not have the GUI thread copy the surface.
QImage OwnDots(QImage &shared)
{
    QImage own = shared.isNull() ? QImage() : shared.copy();
    shared = QImage();
    if (own.isNull())
        return own;
    const int words = int(own.sizeInBytes() / 4);
    const quint32 *pixels = reinterpret_cast<const quint32 *>(own.constBits());
    // Premultiplied: a clear pixel is all zero.
    return std::any_of(pixels, pixels + words, [](quint32 p) { return p != 0; }) ? own : QImage();
}

// The processor time of the calling thread, so that what a write costs the GUI thread is measured
// apart from the other programs of a busy machine.
qint64 ThreadTimeNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

struct PosterWriter::Shared
{
    QMutex mutex; // one write at a time: the thread's, or the last one before the end
    posterfile::PngCache cache;

    // The bytes of the pictures' files, read once each (kept while a slot names them, so that
    // a file gone meanwhile, or the poster's file taken up, still gives them).
    std::map<QString, QByteArray> sources;

    bool write(posterfile::Poster poster, const ThumbnailScene &scene, const QString &path)
    {
        QMutexLocker lock(&mutex);
        poster.paper.dots = OwnDots(poster.paper.dots);
        poster.finished.dots = OwnDots(poster.finished.dots);
        std::map<QString, QByteArray> inUse, named;
        qint64 budget = SourceBytes;
        for (const posterfile::PictureSlot &slot : poster.pictures) {
            if (slot.source.isEmpty() || inUse.count(slot.source))
                continue;
            auto known = sources.find(slot.source);
            if (known == sources.end()) {
                const platform::FileContents read = platform::ReadPictureFile(slot.source);
                if (!read.identity.isValid())
                    continue;
                known = sources.emplace(slot.source, read.bytes).first;
            }
            inUse.insert(*known);
            // Files too large together for a poster's file are left to their paths.
            budget -= known->second.size();
            if (budget >= 0)
                named.insert(*known);
        }
        sources = std::move(inUse);
        poster.sources = std::move(named);
        poster.thumbnail = DrawThumbnail(poster, scene);
        return posterfile::WriteFile(path, posterfile::Encode(poster, &cache));
    }
};

namespace {
const QString WriterName = QStringLiteral("poster writer");
}

PosterWriter::PosterWriter(Form1 &form, const QString &path)
    : QObject(&form), m_form(form), m_path(path), m_worker(new QObject), m_shared(std::make_shared<Shared>())
{
    setObjectName(WriterName);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("poster writer"));
    m_thread.start(QThread::LowPriority);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PosterWriter::startWrite);
}

PosterWriter *PosterWriter::Of(const Form1 &form)
{
    return form.findChild<PosterWriter *>(WriterName, Qt::FindDirectChildrenOnly);
}

PosterWriter::~PosterWriter()
{
    m_thread.quit(); // after the writes posted before
    m_thread.wait();
}

void PosterWriter::begin(const std::map<QString, QByteArray> &sources)
{
    m_begun = true;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->sources.insert(sources.begin(), sources.end());
}

void PosterWriter::setPath(const QString &path)
{
    // A write on its way goes to the path it was given.
    m_path = path;
}

void PosterWriter::gestureEnded()
{
    m_begun = true;
    const qint64 since = m_sinceLastWrite.isValid() ? m_sinceLastWrite.elapsed() : IntervalMs;
    schedule(int(std::max<qint64>(0, IntervalMs - since)));
}

void PosterWriter::stepMoved()
{
    m_begun = true;
    schedule(0);
}

void PosterWriter::schedule(int delayMs)
{
    if (m_writing) {
        m_pending = true;
        return;
    }
    // An earlier write already planned serves.
    if (m_timer.isActive() && m_timer.remainingTime() <= delayMs)
        return;
    m_timer.start(delayMs);
}

void PosterWriter::startWrite()
{
    if (platform::IsHoldingInput()) {
        m_timer.start(RetryMs);
        return;
    }
    const qint64 start = ThreadTimeNs();
    m_writing = true;
    m_sinceLastWrite.start();
    posterfile::Poster poster = TakeSavedPoster(m_form);
    QMetaObject::invokeMethod(m_worker, [this, shared = m_shared, poster = std::move(poster), scene = TakeThumbnailScene(m_form),
                                         path = m_path]() mutable {
        const bool ok = shared->write(std::move(poster), scene, path);
        QMetaObject::invokeMethod(this, [this, ok] { finished(ok); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    m_lastGuiTimeNs = ThreadTimeNs() - start;
}

void PosterWriter::finished(bool ok)
{
    if (!m_writing)
        return; // the last write before the end took its place
    m_writing = false;
    ++m_writes;
    emit written(ok);
    if (m_pending) {
        m_pending = false;
        gestureEnded();
    }
}

void PosterWriter::writeNow()
{
    m_timer.stop();
    // Waits for the writes posted before.
    QMetaObject::invokeMethod(m_worker, [] {}, Qt::BlockingQueuedConnection);
    if (m_writing) {
        m_writing = false;
        ++m_writes;
    }
    m_pending = false;
    if (!m_begun)
        return;
    const bool ok = m_shared->write(TakeSavedPoster(m_form), TakeThumbnailScene(m_form), m_path);
    ++m_writes;
    emit written(ok);
}

} // namespace history
