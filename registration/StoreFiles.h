// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the phrase store's file is, judged from its first bytes, and the file moves that replace
// it without ever leaving the folder without a whole store.

#include <QString>

enum class StoreFileKind {
    Missing,  // no such file: the first start
    Empty,    // 0 bytes: a store that was never written
    Sqlite,   // "SQLite format 3"
    Jet,      // "Standard Jet DB" or "Standard ACE DB": kept by earlier versions of the program
    Other,    // anything else, unreadable as a store
    NoAccess, // a file that cannot be opened for reading
    NotAFile, // a folder, a device or a pipe of that name
};

// Looks at the file's first 32 bytes; never opens anything that could block (a pipe, a device).
StoreFileKind SniffStoreFile(const QString &path);

// Copies the file byte for byte to path + suffix, or, when that name is taken, to the first free
// path + suffix + ".2", ".3" ...; an earlier copy is never overwritten. Returns the copy's path
// once its bytes are on the disk, "" when no copy could be made.
QString KeepCopy(const QString &path, const QString &suffix);

// Renames from over to in one step (the old file at to is gone, the new one whole), and makes
// the rename itself durable. False when the rename failed; nothing changed then.
bool MoveIntoPlace(const QString &from, const QString &to);

// Removes a SQLite file with its rollback journal, so that no stray journal is left behind.
void RemoveSqliteFile(const QString &path);

// An exclusive lock on a folder that every program saving the phrase store into it takes first,
// so that two saves run one after the other and each sees the file the other left. Held for
// the lock's life. Waits for the lock at most about timeoutMs. Where the folder cannot be
// opened for reading or its file system has no such locks, it counts as held at once: SQLite's
// own locking is all there is there.
class FolderLock final
{
public:
    explicit FolderLock(const QString &folder, int timeoutMs = 10000);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // False when another program held the lock all the while.
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
