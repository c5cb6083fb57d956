#include "platform/SharpDecode.h"

#include "platform/Twips.h"

#include <QCoreApplication>
#include <QThreadPool>

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

} // namespace

SharpDecode::SharpDecode(const QString &path, const QSize &naturalPixels, const QSize &target)
    : m_path(path),
      m_natural(naturalPixels),
      m_target(target),
      m_future(m_promise.future())
{
}

std::shared_ptr<SharpDecode> SharpDecode::Start(const QString &path, const QSize &naturalPixels,
                                                const QSize &target)
{
    auto job = std::make_shared<SharpDecode>(path, naturalPixels, target);
    DecodingThreads().start([job] {
        if (job->claim())
            job->decode();
    });
    return job;
}

void SharpDecode::decode()
{
    m_promise.start();
    m_promise.addResult(LoadPicture(m_path, CoveringDecodeBound(m_natural, m_target)).resampled(m_target));
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
    const QSize have = picture.image().size();
    return have.width() >= want.width() && have.height() >= want.height()
            && std::max(have.width(), have.height()) <= 2 * std::max(want.width(), want.height());
}

} // namespace platform
