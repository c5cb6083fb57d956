// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a Jet (Access) database file with libmdb, in the process that calls it. libmdb trusts
// the file's pointers, and a damaged file can crash or hang it: only the Jet reader's own helper
// process (JetReaderMain.cpp) and the fuzz target call this. The program uses ReadFirstJetRow
// (JetReader.h), which runs that helper.

#include "registration/JetReader.h"

// The first row of the table in data-page order; the path is made absolute, so that libmdb never
// searches its own folders for it. Text comes back as UTF-8 and is cut at 16383 bytes; characters
// outside the Basic Multilingual Plane come back as "??" (a limit of libmdb).
JetRow ReadFirstJetRowInProcess(const QString &path, const QString &table, const QStringList &columns);
