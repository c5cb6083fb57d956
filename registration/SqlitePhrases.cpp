// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/SqlitePhrases.h"

#include "registration/StoreFiles.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <memory>

namespace {

constexpr int BusyTimeoutMs = 1000; // the window waits on it

struct CloseDatabase
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

QString QuotedTable()
{
    return QLatin1Char('"') + PhraseTable + QLatin1Char('"');
}

QString ColumnList(const QString &suffix = {})
{
    QStringList columns;
    for (int k = 1; k <= PhraseCount; ++k)
        columns.append(PhraseColumn(k) + suffix);
    return columns.join(QStringLiteral(", "));
}

SqliteResult Classify(int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_ERROR: // a table of that name with other columns, or no rowid
        return SqliteResult::Damaged;
    default:
        return SqliteResult::Failed;
    }
}

// An open connection and the code of its last failure.
class Connection
{
public:
    Connection(const QString &path, int flags)
    {
        sqlite3 *db = nullptr;
        m_code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
        m_db.reset(db);
        if (m_code == SQLITE_OK) {
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, BusyTimeoutMs);
        }
    }

    bool ok() const { return m_code == SQLITE_OK; }
    int code() const { return m_code; }

    Statement prepare(const QString &sql)
    {
        sqlite3_stmt *statement = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        m_code = sqlite3_prepare_v2(m_db.get(), utf8.constData(), int(utf8.size()), &statement, nullptr);
        return Statement(statement);
    }

    // Runs a statement to its end; false with code() set on failure.
    bool run(const QString &sql, const Phrases *bound = nullptr, sqlite3_int64 rowid = 0)
    {
        Statement statement = prepare(sql);
        if (!statement)
            return false;
        if (bound) {
            for (int k = 0; k < PhraseCount; ++k) {
                const QByteArray text = (*bound)[k].toUtf8();
                sqlite3_bind_text(statement.get(), k + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_bind_parameter_count(statement.get()) > PhraseCount)
            sqlite3_bind_int64(statement.get(), PhraseCount + 1, rowid);
        int step;
        while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        }
        m_code = step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(m_db.get());
        return m_code == SQLITE_OK;
    }

    // Steps a prepared statement once: true with a row, false at the end or on failure.
    bool next(sqlite3_stmt *statement)
    {
        const int step = sqlite3_step(statement);
        m_code = step == SQLITE_ROW || step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(m_db.get());
        return step == SQLITE_ROW;
    }

    void fail(int code) { m_code = code; }

private:
    Database m_db;
    int m_code = SQLITE_OK;
};

QString Text(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

SqliteResult Read(Connection &db, Phrases &phrases)
{
    phrases = {};
    Statement hasTable = db.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1"));
    if (!hasTable)
        return Classify(db.code());
    const QByteArray table = PhraseTable.toUtf8();
    sqlite3_bind_text(hasTable.get(), 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
    if (!db.next(hasTable.get()))
        return Classify(db.code());
    if (sqlite3_column_int(hasTable.get(), 0) == 0)
        return SqliteResult::Done; // a store that was never written

    Statement first = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT 1").arg(ColumnList(), QuotedTable()));
    if (!first)
        return Classify(db.code());
    if (db.next(first.get())) {
        for (int k = 0; k < PhraseCount; ++k)
            phrases[k] = Text(first.get(), k);
    }
    if (!db.ok()) {
        phrases = {};
        return Classify(db.code());
    }
    return SqliteResult::Done;
}

} // namespace

SqliteResult ReadSqlitePhrases(const QString &path, Phrases &phrases)
{
    phrases = {};
    Connection readOnly(path, SQLITE_OPEN_READONLY);
    if (!readOnly.ok())
        return Classify(readOnly.code());
    const SqliteResult result = Read(readOnly, phrases);
    if (readOnly.code() != SQLITE_READONLY_ROLLBACK)
        return result;
    // A writer was cut off mid-write and left its journal: open for writing (never creating) so
    // that SQLite puts the old record back, then read it.
    Connection readWrite(path, SQLITE_OPEN_READWRITE);
    if (!readWrite.ok())
        return Classify(readWrite.code());
    return Read(readWrite, phrases);
}

SqliteResult WriteSqlitePhrases(const QString &path, const Phrases &phrases, const QString &backupSuffix)
{
    Connection db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!db.ok())
        return Classify(db.code());
    // IMMEDIATE takes the write lock now, so no other writer can slip in between reading the
    // first rowid and writing it.
    if (!db.run(QStringLiteral("BEGIN IMMEDIATE")))
        return Classify(db.code());
    QString backup;
    // Nothing written: the file is as it was, and a copy of it would only be clutter.
    auto rollBack = [&db, &backup] {
        const int code = db.code();
        db.run(QStringLiteral("ROLLBACK"));
        if (!backup.isEmpty())
            QFile::remove(backup);
        return Classify(code);
    };
    if (!backupSuffix.isEmpty()) {
        backup = KeepCopy(path, backupSuffix);
        if (backup.isEmpty()) {
            db.fail(SQLITE_CANTOPEN);
            return rollBack();
        }
    }
    if (!db.run(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(QuotedTable(), ColumnList(QStringLiteral(" TEXT")))))
        return rollBack();

    Statement firstRow = db.prepare(QStringLiteral("SELECT min(rowid) FROM %1").arg(QuotedTable()));
    if (!firstRow || !db.next(firstRow.get()))
        return rollBack();
    const sqlite3_int64 rowid = sqlite3_column_int64(firstRow.get(), 0);
    const bool empty = sqlite3_column_type(firstRow.get(), 0) == SQLITE_NULL;
    firstRow.reset();

    QStringList placeholders;
    for (int k = 1; k <= PhraseCount; ++k)
        placeholders.append(QStringLiteral("?%1").arg(k));
    const bool written = empty
        ? db.run(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(QuotedTable(), ColumnList(), placeholders.join(QLatin1Char(','))), &phrases)
        : db.run(QStringLiteral("UPDATE %1 SET (%2) = (%3) WHERE rowid = ?%4")
                     .arg(QuotedTable(), ColumnList(), placeholders.join(QLatin1Char(',')))
                     .arg(PhraseCount + 1),
                 &phrases, rowid);
    if (!written || !db.run(QStringLiteral("COMMIT")))
        return rollBack();
    return SqliteResult::Done;
}
