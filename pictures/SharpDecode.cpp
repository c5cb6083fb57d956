// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/SharpDecode.h"

#include "base/Twips.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <mutex>

namespace platform {

namespace {

// Two threads, owned by the application so that they are done before it goes.
QThreadPool &DecodingThreads()
{
    static QThreadPool *pool = [] {
        auto *threads = new QThreadPool(QCoreApplication::instance());
        threads->setMaxThreadCount(2);
        return threads;
    }();
    return *pool;
}

struct Held
{
    std::mutex mutex;
    std::vector<FileContents> contents;
};

Held &HeldContents()
{
    static Held held;
    return held;
}

// The contents held of that identity, or nothing.
FileContents HeldOf(const ContentIdentity &identity)
{
    Held &held = HeldContents();
    const std::lock_guard lock(held.mutex);
    for (const FileContents &contents : held.contents) {
        if (contents.identity == identity)
            return contents;
    }
    return {};
}

} // namespace

void HoldFileContents(std::vector<FileContents> contents)
{
    Held &held = HeldContents();
    const std::lock_guard lock(held.mutex);
    held.contents.swap(contents);
} // the contents held before go outside the lock

SharpDecode::SharpDecode(const QString &path, const Picture &shown, const QSize &target)
    : m_path(path),
      m_natural(shown.logicalSize().toSize()),
      m_identity(shown.sourceIdentity()),
      m_standIn(shown.isStandIn()),
      m_target(target),
      m_future(m_promise.future())
{
}

std::shared_ptr<SharpDecode> SharpDecode::Start(const QString &path, const Picture &shown, const QSize &target)
{
    auto job = std::make_shared<SharpDecode>(path, shown, target);
    DecodingThreads().start([job] {
        if (job->claim())
            job->decode();
    });
    return job;
}

void SharpDecode::decode()
{
    m_promise.start();
    Picture decoded;
    {
        // Checked and decoded from one read: a file rewritten while it is read cannot give a
        // picture made of two. A photo for a decoding helper goes to it as it was read.
        const std::unique_ptr<SharedFileContents> shared = ReadPictureFileShared(m_path);
        FileContents contents = shared ? shared->contents() : ReadPictureFile(m_path);
        if (!m_standIn && m_identity.isValid() && contents.identity != m_identity)
            contents = HeldOf(m_identity);
        const int memoryFile = shared && contents.identity == shared->contents().identity ? shared->memoryFile() : -1;
        // A stand-in was no picture of the file's: whatever picture of that size it holds now.
        if (m_standIn || (m_identity.isValid() && contents.identity == m_identity))
            decoded = DecodePicture(contents, CoveringDecodeBound(m_natural, m_target), m_path, memoryFile);
        if (m_standIn && decoded.logicalSize().toSize() != m_natural)
            decoded = Picture();
    } // the file's bytes go before the pixels are resampled, into the room they leave
    m_promise.addResult(decoded.resampled(m_target));
    m_promise.finish();
}

Picture SharpDecode::result()
{
    if (claim())
        decode();
    else
        m_future.waitForFinished();
    return m_future.resultCount() > 0 ? m_future.result() : Picture();
}

void SharpDecode::cancel()
{
    if (claim()) {
        m_promise.start();
        m_promise.finish();
    }
}

QSize SharpPixels(const Picture &picture, const QSize &shownPixels)
{
    QSize want = (shownPixels * CaptureDensity).boundedTo(picture.logicalSize().toSize());
    if (want.width() > MaxDecodedSide || want.height() > MaxDecodedSide)
        want = want.scaled(MaxDecodedSide, MaxDecodedSide, Qt::KeepAspectRatio);
    return want.expandedTo(QSize(1, 1));
}

bool ServesSharply(const Picture &picture, const QSize &want)
{
    if (picture.isPreview())
        return false; // a stored thumbnail: the file itself is decoded for the poster
    return SuitsSharply(picture.image().size(), want);
}

bool SuitsSharply(const QSize &have, const QSize &want)
{
    return have.width() >= want.width() - CaptureDensity && have.height() >= want.height() - CaptureDensity
            && std::max(have.width(), have.height()) <= 2 * std::max(want.width(), want.height());
}

} // namespace platform
