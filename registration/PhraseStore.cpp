// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/PhraseStore.h"

#include "registration/JetReader.h"
#include "registration/SqlitePhrases.h"
#include "registration/StoreFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {
const QString StoreName = QStringLiteral("tovi.mdb");
const QString JetSuffix = QStringLiteral(".jet");
const QString BrokenSuffix = QStringLiteral(".broken");
const QString NewSuffix = QStringLiteral(".new");

PhraseStore::Loaded ReadJet(const QString &path, Phrases &phrases)
{
    QStringList columns;
    for (int k = 1; k <= PhraseCount; ++k)
        columns.append(PhraseColumn(k));
    const JetRow row = ReadFirstJetRow(path, PhraseTable, columns);
    if (row.status == JetRow::Failed)
        return PhraseStore::Loaded::Unreadable;
    for (int k = 0; k < PhraseCount; ++k)
        phrases[k] = row.values.value(k);
    return PhraseStore::Loaded::Jet;
}

} // namespace

PhraseStore::PhraseStore(const QString &folder) : m_file(QDir(folder).filePath(StoreName))
{
}

PhraseStore::Loaded PhraseStore::load(Phrases &phrases)
{
    phrases = {};
    // Not in the middle of another program's save, which on a slow disk outlasts SQLite's own
    // wait and would make a sound store look unreadable. Past the lock's wait it is read anyway.
    const FolderLock lock(QFileInfo(m_file).absolutePath());
    switch (SniffStoreFile(m_file)) {
    case StoreFileKind::Missing:
    case StoreFileKind::Empty:
        m_loaded = Loaded::Nothing;
        break;
    case StoreFileKind::Sqlite:
        m_loaded = ReadSqlitePhrases(m_file, phrases) == SqliteResult::Done ? Loaded::Store : Loaded::Unreadable;
        break;
    case StoreFileKind::Jet:
        m_loaded = ReadJet(m_file, phrases);
        break;
    case StoreFileKind::Other:
    case StoreFileKind::NoAccess:
    case StoreFileKind::NotAFile:
        m_loaded = Loaded::Unreadable;
        break;
    }
    if (m_loaded == Loaded::Unreadable)
        phrases = {};
    return m_loaded;
}

PhraseStore::Saved PhraseStore::save(const Phrases &phrases)
{
    const Saved saved = write(phrases);
    // What is stored now is what the user saw.
    if (saved == Saved::Stored)
        m_loaded = Loaded::Store;
    return saved;
}

PhraseStore::Saved PhraseStore::write(const Phrases &phrases)
{
    // Another program (a second window of this one, started at the same time) may be saving
    // into the same folder: one save at a time, each deciding from the file the other left, and
    // the scratch names below used by one save only. On a slow disk the other's save can take
    // seconds, so the lock is waited for longer than SQLite's own.
    const FolderLock lock(QFileInfo(m_file).absolutePath());
    if (!lock.held())
        return Saved::NotWritten;
    // The file is looked at again: it may have changed since the window opened.
    const StoreFileKind kind = SniffStoreFile(m_file);
    switch (kind) {
    case StoreFileKind::NotAFile:
        // A folder (or device) of that name is not the store's to move away.
        return Saved::NotWritten;
    case StoreFileKind::Jet:
        return replace(phrases, JetSuffix);
    case StoreFileKind::Other:
    case StoreFileKind::NoAccess:
        return replace(phrases, BrokenSuffix);
    case StoreFileKind::Missing:
    case StoreFileKind::Empty:
    case StoreFileKind::Sqlite:
        break;
    }
    // A store that could not be read when the window opened (locked, say) holds phrases the
    // user never saw: keep a copy of it before writing.
    const bool unseen = m_loaded == Loaded::Unreadable && kind == StoreFileKind::Sqlite;
    switch (WriteSqlitePhrases(m_file, phrases, unseen ? BrokenSuffix : QString())) {
    case SqliteResult::Done:
        return Saved::Stored;
    case SqliteResult::Damaged:
        return replace(phrases, BrokenSuffix);
    case SqliteResult::Failed:
        break;
    }
    return Saved::NotWritten;
}

PhraseStore::Saved PhraseStore::replace(const Phrases &phrases, const QString &backupSuffix)
{
    const QString fresh = m_file + NewSuffix;
    // A new store left by an earlier save that was cut off is ours, with its journal.
    RemoveSqliteFile(fresh);
    if (WriteSqlitePhrases(fresh, phrases) != SqliteResult::Done) {
        RemoveSqliteFile(fresh);
        return Saved::NotWritten;
    }
    const QString backup = KeepCopy(m_file, backupSuffix);
    if (backup.isEmpty() || !MoveIntoPlace(fresh, m_file)) {
        RemoveSqliteFile(fresh);
        if (!backup.isEmpty())
            QFile::remove(backup);
        return Saved::NotWritten;
    }
    return Saved::Stored;
}
