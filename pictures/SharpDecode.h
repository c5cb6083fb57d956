// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A picture file decoded again for the size it is shown at, off the GUI thread. An image control
// that shows a picture larger than the decode it holds (a gallery thumbnail laid on the poster and
// enlarged) starts one; whoever comes first makes the decode: one of the program's decoding
// threads, or the GUI thread itself when it cannot wait (a capture of the poster), so a capture
// never holds the blurred picture and never waits behind other work in the queue.
//
// The file is decoded again only while it still holds the picture shown: it is read once, and
// decoded from those very bytes only when their identity is the one the picture was decoded from.
// A file that was written over, replaced, cut or removed since, or that is being rewritten while
// it is read, gives no result, and the control keeps the picture it shows, unless the program
// holds the bytes the picture came from elsewhere (HoldFileContents below): then from those. A
// stand-in, which is no picture of the file's, gives way to whatever picture of its size the
// file holds.

#include "pictures/Picture.h"

#include <QFuture>
#include <QPromise>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace platform {

class SharpDecode final
{
public:
    // Queues the decode, at target pixels, of the picture shown from the file at path.
    static std::shared_ptr<SharpDecode> Start(const QString &path, const Picture &shown, const QSize &target);

    QSize target() const { return m_target; }
    // Finishes with the decode, or with no result when it was cancelled before it started.
    QFuture<Picture> future() const { return m_future; }
    // The decode, made now on this thread unless a decoding thread has started on it, in which
    // case this waits for it. The empty picture when the file could not be decoded or no longer
    // holds the picture shown.
    Picture result();
    // Drops the decode unless it has started; its future finishes without a result.
    void cancel();

    SharpDecode(const QString &path, const Picture &shown, const QSize &target);

private:
    bool claim() { return !m_claimed.exchange(true); }
    void decode();

    const QString m_path;
    const QSize m_natural;
    const ContentIdentity m_identity; // of the bytes the picture shown was decoded from
    const bool m_standIn;             // the picture shown is a stand-in (Picture::isStandIn())
    const QSize m_target;
    std::atomic_bool m_claimed{false};
    QPromise<Picture> m_promise;
    QFuture<Picture> m_future;
};

// The bytes of pictures' files that the program holds elsewhere (a poster's file keeps those of
// its pictures): a picture decoded from them, or shown from a preview of them, is decoded again
// from them once its file no longer holds it (gone with a USB stick, or another file now).
// Replaces those held before. Safe on any thread.
void HoldFileContents(std::vector<FileContents> contents);

// The pixels a picture shown at shownPixels logical pixels should hold to be sharp in a capture:
// CaptureDensity device pixels per logical pixel, never more than the picture's own pixels, nor
// more than MaxDecodedSide on either side.
QSize SharpPixels(const Picture &picture, const QSize &shownPixels);

// Whether a picture's pixels serve for want: decoded from the file (not a preview), and of a
// size that suits it (SuitsSharply).
bool ServesSharply(const Picture &picture, const QSize &want);

// Whether a decode of have pixels suits want: as many on each side, or one shown pixel short at
// most, and not more than twice as many on the long side (a picture made much smaller lets its
// large decode go). A picture's shown size is rounded from its twips, and flips by a pixel back
// and forth as it is dragged; that costs no new decode of a 24-megapixel photo.
bool SuitsSharply(const QSize &have, const QSize &want);

} // namespace platform
