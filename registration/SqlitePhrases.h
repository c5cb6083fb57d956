// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The phrases in a SQLite file: one table of ten text columns, of which only the first record
// (lowest rowid) is read and written. Waits at most about a second for another program's lock.

#include "registration/Phrases.h"

enum class SqliteResult {
    Done,      // read or written
    Damaged,   // not a database, corrupt, or the table is not the phrase table
    Failed,    // could not be opened or written: locked, read-only, no room, no such folder
};

// Reads the first record; a file without the table reads as ten empty phrases. Opens the file
// read-only and never creates it. Only when a write was cut off (a hot journal is left) does it
// open the file for writing, because SQLite has to roll the cut-off write back before reading.
SqliteResult ReadSqlitePhrases(const QString &path, Phrases &phrases);

// Writes the phrases into the first record, creating the file, the table or the record where
// missing, in one transaction (rollback journal): a crash leaves either the old record or the new
// one. With a backupSuffix, a byte copy of the file as it was is kept under that suffix (see
// KeepCopy) while the write lock is held, before anything is changed; no copy, no write, and
// the copy is dropped again when the write does not go through.
SqliteResult WriteSqlitePhrases(const QString &path, const Phrases &phrases, const QString &backupSuffix = {});
