#pragma once

// Reading the first row of a table in a Jet (Access) database file, read-only, through libmdb.
// The phrase store was kept in such a file by earlier versions of the program.

#include <QString>
#include <QStringList>

struct JetRow
{
    enum Status { Read, NoRows, Failed };
    Status status = Failed;
    QStringList values; // one per asked column, "" for NULL or a column the table lacks
};

// The first row of the table in data-page order. The file must already be known to be a Jet
// file (libmdb opens almost anything); the path is made absolute, so that libmdb never searches
// its own folders for it. Text comes back as UTF-8 and is cut at 16383 bytes; characters outside
// the Basic Multilingual Plane come back as "??" (a limit of libmdb).
JetRow ReadFirstJetRow(const QString &path, const QString &table, const QStringList &columns);
