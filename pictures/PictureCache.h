// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Decoded pictures kept for reuse. Paging the gallery back to a page it showed, or laying a
// picture slot over a gallery cell with the same file, should not decode that file again: a
// camera photo costs tens of milliseconds even when decoded scaled down.
//
// An entry is keyed by the file's path, size and modification time and by the decode bound, so
// a file that is replaced or rewritten is read anew and a thumbnail never stands in for a larger
// decode. Entries are dropped least recently used first once their decoded bytes pass the
// cache's capacity; a picture that a control still shows stays alive in that control, since
// pictures are shared values.
//
// Every member is safe to call from several threads at once. A picture being decoded on one
// thread is waited for by the others, never decoded twice.

#include "pictures/Picture.h"

#include <QHash>
#include <QSize>
#include <QString>

#include <chrono>
#include <future>
#include <list>
#include <mutex>
#include <optional>

namespace platform {

class PictureCache final
{
public:
    explicit PictureCache(qint64 capacityBytes);
    ~PictureCache();
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    // What LoadPicture(path, decodeBound, use) gives, decoded by an earlier call for the same file
    // (same size and modification time), bound and use where there was one. "" gives the empty
    // picture. Files that give the empty picture are kept too, so a broken file in a folder is
    // not read again on every page.
    Picture picture(const QString &path, const QSize &decodeBound = QSize(), Use use = Use::Full);

    // Decodes into the cache unless the picture is there or being decoded already, in which cases
    // it returns at once. For worker threads that warm the cache ahead of the GUI thread.
    void prefetch(const QString &path, const QSize &decodeBound = QSize(), Use use = Use::Full);

    // The picture picture() would give, when the cache holds it or its decode ends by deadline;
    // nothing otherwise, the decode going on into the cache. A decode no thread has started is
    // started on a thread of the cache's own. For the GUI thread, which waits for no decode long.
    std::optional<Picture> pictureBy(const QString &path, const QSize &decodeBound, Use use,
                                     std::chrono::steady_clock::time_point deadline);

    // The picture picture() would give, when the cache holds it already; nothing is decoded.
    std::optional<Picture> cached(const QString &path, const QSize &decodeBound = QSize(), Use use = Use::Full);

    struct Statistics
    {
        qint64 capacity = 0; // bytes
        qint64 cost = 0;     // bytes held now
        int entries = 0;
        qint64 hits = 0;     // lookups answered from the cache, or by waiting for another thread
        qint64 decodes = 0;  // LoadPicture calls made
        qint64 evictions = 0;
    };
    Statistics statistics() const;

    // Drops every entry; decodes in progress still finish, and are kept.
    void clear();

    // What an entry counts against the capacity: its decoded pixels (or a metafile's records
    // and its thumbnail), never less than EntryOverhead, so that broken files are bounded in
    // number too.
    static constexpr qint64 EntryOverhead = 1024;

private:
    struct Key
    {
        QString path;
        qint64 fileSize = -1;     // -1: no such file
        qint64 modifiedMsecs = -1;
        QSize bound;
        Use use = Use::Full;
        bool operator==(const Key &other) const = default;
        friend size_t qHash(const Key &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.path, key.fileSize, key.modifiedMsecs, key.bound.width(),
                              key.bound.height(), int(key.use));
        }
    };
    struct Entry
    {
        Picture picture;
        qint64 cost = 0;
        std::list<Key>::iterator recency; // position in m_recency
    };
    enum class Wait { ForOthers, No, Until };

    static Key keyOf(const QString &path, const QSize &decodeBound, Use use);
    static qint64 costOf(const Picture &picture);
    // The cached picture, or the decode of it (by this thread, or awaited from another); an empty
    // optional when the picture is being decoded elsewhere and wait is No, or its decode (by a
    // thread of the cache's own when none has started it) has not ended by deadline and wait is
    // Until.
    std::optional<Picture> fetch(const QString &path, const QSize &decodeBound, Use use, Wait wait,
                                 std::chrono::steady_clock::time_point deadline = {});
    // Decodes the picture of key into the cache and fulfils promise with it.
    Picture decodeInto(const Key &key, std::promise<Picture> &promise);
    void insertLocked(const Key &key, const Picture &picture);
    void evictLocked();

    mutable std::mutex m_mutex;
    QHash<Key, Entry> m_entries;
    std::list<Key> m_recency; // most recently used first
    QHash<Key, std::shared_future<Picture>> m_decoding;
    qint64 m_capacity;
    qint64 m_cost = 0;
    qint64 m_hits = 0;
    qint64 m_decodes = 0;
    qint64 m_evictions = 0;
};

// The capacity of the program's cache: 64 MiB of decoded pixels. A gallery thumbnail of a photo
// is about 119 x 79 x 4 bytes = 37 KB (four times that on a screen of device pixel ratio 2), so
// this keeps some 1,700 of them, well over a hundred pages of ten.
inline constexpr qint64 SharedPictureCacheBytes = qint64(64) << 20;

// The program's one cache, shared by every window and thread.
PictureCache &SharedPictureCache();

// SharedPictureCache().picture(path, decodeBound, use).
Picture CachedPicture(const QString &path, const QSize &decodeBound = QSize(), Use use = Use::Full);

} // namespace platform
