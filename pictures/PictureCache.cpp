// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureCache.h"

#include "pictures/DecoderPool.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>

namespace platform {

namespace {

// The threads that decode what the GUI thread asks for and cannot wait for: one a helper, since
// such a decode mostly waits for its helper (DecoderPool.h). Owned by the application, so that
// they are done before it goes.
QThreadPool &DecodingThreads()
{
    static QThreadPool *pool = [] {
        auto *threads = new QThreadPool(QCoreApplication::instance());
        threads->setMaxThreadCount(decoding::MaxHelpers);
        return threads;
    }();
    return *pool;
}

} // namespace

PictureCache::PictureCache(qint64 capacityBytes)
    : m_capacity(capacityBytes)
{
}

PictureCache::~PictureCache() = default;

PictureCache::Key PictureCache::keyOf(const QString &path, const QSize &decodeBound, Use use)
{
    Key key;
    key.use = use;
    key.path = path;
    key.bound = decodeBound.isValid() ? decodeBound : QSize();
    const QFileInfo info(path); // one stat() for both values below
    if (info.exists()) {
        key.fileSize = info.size();
        key.modifiedMsecs = info.lastModified().toMSecsSinceEpoch();
    }
    return key;
}

qint64 PictureCache::costOf(const Picture &picture)
{
    return std::max(picture.byteCost(), EntryOverhead);
}

Picture PictureCache::picture(const QString &path, const QSize &decodeBound, Use use)
{
    if (path.isEmpty())
        return Picture();
    return *fetch(path, decodeBound, use, Wait::ForOthers);
}

void PictureCache::prefetch(const QString &path, const QSize &decodeBound, Use use)
{
    if (!path.isEmpty())
        fetch(path, decodeBound, use, Wait::No);
}

std::optional<Picture> PictureCache::pictureBy(const QString &path, const QSize &decodeBound, Use use,
                                               std::chrono::steady_clock::time_point deadline)
{
    if (path.isEmpty())
        return Picture();
    return fetch(path, decodeBound, use, Wait::Until, deadline);
}

std::optional<Picture> PictureCache::cached(const QString &path, const QSize &decodeBound, Use use)
{
    if (path.isEmpty())
        return Picture();
    const Key key = keyOf(path, decodeBound, use);
    const std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(key);
    if (found == m_entries.end())
        return std::nullopt;
    m_recency.splice(m_recency.begin(), m_recency, found->recency);
    ++m_hits;
    return found->picture;
}

std::optional<Picture> PictureCache::fetch(const QString &path, const QSize &decodeBound, Use use, Wait wait,
                                           std::chrono::steady_clock::time_point deadline)
{
    const Key key = keyOf(path, decodeBound, use);
    auto promise = std::make_shared<std::promise<Picture>>();
    std::shared_future<Picture> result;
    bool ours = false; // this call has the picture to decode
    {
        const std::lock_guard lock(m_mutex);
        if (const auto found = m_entries.find(key); found != m_entries.end()) {
            m_recency.splice(m_recency.begin(), m_recency, found->recency);
            ++m_hits;
            return found->picture;
        }
        if (const auto decoding = m_decoding.find(key); decoding != m_decoding.end()) {
            if (wait == Wait::No)
                return std::nullopt;
            ++m_hits;
            result = *decoding;
        } else {
            result = promise->get_future().share();
            m_decoding.insert(key, result);
            ++m_decodes;
            ours = true;
        }
    }
    // Decoded without the lock, so that other threads decode other files meanwhile.
    if (ours && wait != Wait::Until)
        return decodeInto(key, *promise);
    if (ours)
        DecodingThreads().start([this, key, promise] { decodeInto(key, *promise); });
    if (wait == Wait::Until && result.wait_until(deadline) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

Picture PictureCache::decodeInto(const Key &key, std::promise<Picture> &promise)
{
    const Picture picture = LoadPicture(key.path, key.bound, key.use);
    {
        const std::lock_guard lock(m_mutex);
        insertLocked(key, picture);
        m_decoding.remove(key);
    }
    promise.set_value(picture);
    return picture;
}

void PictureCache::insertLocked(const Key &key, const Picture &picture)
{
    // An entry for an earlier state of the same file stays until it is the least recently used:
    // finding it would take a search, and it costs no more than any other old entry.
    m_recency.push_front(key);
    const qint64 cost = costOf(picture);
    m_entries.insert(key, Entry{picture, cost, m_recency.begin()});
    m_cost += cost;
    evictLocked();
}

void PictureCache::evictLocked()
{
    while (m_cost > m_capacity && !m_recency.empty()) {
        const auto entry = m_entries.find(m_recency.back());
        m_cost -= entry->cost;
        m_entries.erase(entry);
        m_recency.pop_back();
        ++m_evictions;
    }
}

PictureCache::Statistics PictureCache::statistics() const
{
    const std::lock_guard lock(m_mutex);
    Statistics statistics;
    statistics.capacity = m_capacity;
    statistics.cost = m_cost;
    statistics.entries = int(m_entries.size());
    statistics.hits = m_hits;
    statistics.decodes = m_decodes;
    statistics.evictions = m_evictions;
    return statistics;
}

void PictureCache::clear()
{
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_recency.clear();
    m_cost = 0;
}

PictureCache &SharedPictureCache()
{
    static PictureCache cache(SharedPictureCacheBytes);
    return cache;
}

Picture CachedPicture(const QString &path, const QSize &decodeBound, Use use)
{
    return SharedPictureCache().picture(path, decodeBound, use);
}

} // namespace platform
