// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading the first row of a table in a Jet (Access) database file, read-only. The phrase store
// was kept in such a file by earlier versions of the program.
//
// libmdb, the only reader of such files, dereferences whatever a damaged file points to, so it
// never runs inside the program: a small helper process reads the file, under a time and a
// memory limit, and hands the row back over a pipe (JetProtocol.h). A helper that crashes, hangs
// or answers nonsense is a file that could not be read.

#include <QString>
#include <QStringList>

struct JetRow
{
    enum Status { Read, NoRows, Failed };
    Status status = Failed;
    QStringList values; // one per asked column, "" for NULL or a column the table lacks
};

// The first row of the table in data-page order. The file must already be known to be a Jet
// file (libmdb opens almost anything). Text is cut at 16383 UTF-8 bytes; characters outside the
// Basic Multilingual Plane come back as "??" (a limit of libmdb).
JetRow ReadFirstJetRow(const QString &path, const QString &table, const QStringList &columns);

// The limits the helper runs under.
inline constexpr int JetReaderTimeLimitMsecs = 5000;
inline constexpr long long JetReaderMemoryLimitBytes = 512LL << 20;

// The helper executable: TOVIMARU_JET_READER when set, else "tovimaru-jet-reader" beside the
// program, in ../libexec/tovimaru of an installed program, or in the build tree.
QString JetReaderProgram();
