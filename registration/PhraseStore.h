// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The phrase store: the ten ready-made phrases in the file "tovi.mdb" of the program's data
// folder. It is a SQLite file; a Jet file left by earlier versions of the program is read as it
// is and turned into a SQLite file at the first save, the original kept beside it. Nothing
// stored is ever written over unseen: a file that cannot be read is kept aside before a new
// store takes its name.

#include "registration/Phrases.h"

class PhraseStore final
{
public:
    enum class Loaded {
        Nothing,    // no store yet (or an empty file): the first start
        Store,      // read from the SQLite store
        Jet,        // read from a Jet file, which the next save converts
        Unreadable, // the file is there but could not be read; the phrases are empty
    };
    enum class Saved {
        Stored,
        NotWritten, // nothing could be written; the file is as it was
    };

    // folder: the data folder, with or without a trailing "/".
    explicit PhraseStore(const QString &folder);

    // "tovi.mdb" in the data folder.
    QString fileName() const { return m_file; }

    // Reads the phrases of the first record; all empty unless the store was read. Never creates
    // a file. Waits for a save another program is making into the folder. What it found decides how the next save treats the file.
    Loaded load(Phrases &phrases);

    // Writes the phrases as the first record, in one step that a crash cannot tear. A Jet file
    // is kept as "tovi.mdb.jet" and a file that could not be read as "tovi.mdb.broken" (the
    // next free name when taken), and a new store with the phrases takes the name. Two programs
    // saving into one folder at once save one after the other: the store is the whole record
    // of one of them.
    Saved save(const Phrases &phrases);

private:
    Saved write(const Phrases &phrases);
    // Writes a new store beside the file, keeps a copy of the file under the suffix, then
    // renames the new store over it: at every moment the folder holds a whole store.
    Saved replace(const Phrases &phrases, const QString &backupSuffix);

    QString m_file;
    Loaded m_loaded = Loaded::Nothing;
};
