// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/StoreFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h> // renameat2
#include <sys/file.h>
#include <unistd.h>

namespace {

// The first bytes of each kind of file, each 16 with its closing zero.
constexpr char SqliteMagic[] = "SQLite format 3";
constexpr char JetMagic[] = "Standard Jet DB";
constexpr char AceMagic[] = "Standard ACE DB";

void SyncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool CopyBytes(QFile &from, QFile &to)
{
    while (!from.atEnd()) {
        const QByteArray block = from.read(1 << 16);
        if (block.isEmpty() || to.write(block) != block.size())
            return false;
    }
    return to.flush() && ::fsync(to.handle()) == 0;
}

// Renames only when nothing has the new name: an earlier backup is never overwritten, not even
// by a second program saving at the same moment. Sets errno to EEXIST when the name is taken.
bool RenameIfFree(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: look first, then rename.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.constData(), target.constData()) == 0;
}

} // namespace

StoreFileKind SniffStoreFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return StoreFileKind::Missing;
    if (!info.isFile())
        return StoreFileKind::NotAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoreFileKind::NoAccess;
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return file.error() == QFileDevice::NoError ? StoreFileKind::Empty : StoreFileKind::NoAccess;
    if (head.size() >= 16 && std::memcmp(head.constData(), SqliteMagic, 16) == 0)
        return StoreFileKind::Sqlite;
    if (head.size() >= 20 && head[0] == '\0'
        && (std::memcmp(head.constData() + 4, JetMagic, 16) == 0 || std::memcmp(head.constData() + 4, AceMagic, 16) == 0))
        return StoreFileKind::Jet;
    return StoreFileKind::Other;
}

QString KeepCopy(const QString &path, const QString &suffix)
{
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return QString();
    // The bytes go to a scratch name first and take the backup name only when whole, so a
    // crash never leaves a partial file under a backup name. A scratch file left by a crash is
    // ours to replace.
    const QString scratch = path + suffix + QStringLiteral(".part");
    QFile::remove(scratch);
    QFile copy(scratch);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !CopyBytes(original, copy)) {
        copy.remove();
        return QString();
    }
    copy.close();
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? path + suffix : QStringLiteral("%1%2.%3").arg(path, suffix).arg(n);
        if (RenameIfFree(scratch, name))
            return name;
        if (errno != EEXIST)
            break;
    }
    QFile::remove(scratch);
    return QString();
}

bool MoveIntoPlace(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    // The rename is done; syncing the folder only keeps it across a power cut.
    SyncFolderOf(to);
    return true;
}

void RemoveSqliteFile(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

FolderLock::FolderLock(const QString &folder, int timeoutMs)
{
    // The folder itself is locked: no lock file is left beside the store.
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        // A folder the user may write into but not list: SQLite's own locking is all there is,
        // and a missing folder the save finds out about itself.
        m_held = true;
        return;
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            m_held = true; // no such locks here
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        if (waited.elapsed() >= timeoutMs)
            return;
        QThread::msleep(5);
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock
}
