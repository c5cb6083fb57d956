// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/JetFile.h"

#include <QFileInfo>

// glib first: mdbtools.h includes it inside its own extern "C" block, where glib's C++
// templates would not compile.
#include <glib.h>
#include <mdbtools.h>

#include <memory>
#include <vector>

namespace {

struct CloseHandle
{
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct FreeTable
{
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

} // namespace

JetRow ReadFirstJetRowInProcess(const QString &path, const QString &table, const QStringList &columns)
{
    JetRow row;
    const QByteArray file = QFileInfo(path).absoluteFilePath().toLocal8Bit();
    std::unique_ptr<MdbHandle, CloseHandle> mdb(mdb_open(file.constData(), MDB_NOFLAGS));
    if (!mdb)
        return row;
    // Table names match byte for byte in UTF-8 (column names ignore ASCII case).
    QByteArray tableName = table.toUtf8();
    std::unique_ptr<MdbTableDef, FreeTable> def(mdb_read_table_by_name(mdb.get(), tableName.data(), MDB_TABLE));
    if (!def || !mdb_read_columns(def.get()))
        return row;
    mdb_rewind_table(def.get());

    // libmdb writes up to bind_size bytes into every bound buffer.
    const auto size = static_cast<std::size_t>(mdb->bind_size);
    std::vector<std::vector<char>> buffers(columns.size(), std::vector<char>(size, '\0'));
    std::vector<int> lengths(columns.size(), 0);
    for (int k = 0; k < columns.size(); ++k) {
        QByteArray column = columns[k].toUtf8();
        mdb_bind_column_by_name(def.get(), column.data(), buffers[k].data(), &lengths[k]);
    }
    if (!mdb_fetch_row(def.get())) {
        row.status = JetRow::NoRows;
        row.values = QStringList(columns.size(), QString());
        return row;
    }
    row.status = JetRow::Read;
    for (int k = 0; k < columns.size(); ++k)
        row.values.append(QString::fromUtf8(buffers[k].data()));
    return row;
}
