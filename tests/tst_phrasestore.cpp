// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase store on real files: a first start without a store, empty files and tables, the
// first record only, round trips of every kind of text, the Jet files of the older desktop read
// and converted, and damaged files kept aside, never overwritten. The cases that need a second
// process are in tst_phrasestore_processes.cpp.

#include "TestPaths.h"
#include "tst_phrasestore.h"

#include "TestSupport.h"
#include "registration/JetReader.h"
#include "registration/PhraseStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace testing;

void TestPhraseStore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestPhraseStore::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid() && m_scratch->isValid());
}

void TestPhraseStore::cleanup()
{
    m_scratch.reset();
    m_data.reset();
}

void TestPhraseStore::firstStartWithoutStore()
{
    PhraseStore::Loaded loaded;
    QCOMPARE(Joined(Load(dataDir(), &loaded)), Joined(Phrases{}));
    QCOMPARE(loaded, PhraseStore::Loaded::Nothing);
    QVERIFY(Entries(dataDir()).isEmpty()); // loading created nothing

    PhraseStore store(dataDir() + QLatin1Char('/'));
    QCOMPARE(store.fileName(), this->store());
    Phrases phrases;
    store.load(phrases);
    const Phrases typed = Numbered(QStringLiteral("はじめ"));
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Entries(dataDir()), QStringList{StoreName}); // no journal, no WAL files left
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
    QCOMPARE(Bytes(this->store()).left(16), QByteArray("SQLite format 3\0", 16));
    Sqlite db(this->store());
    QCOMPARE(db.rows(QStringLiteral("PRAGMA journal_mode")), QList<QStringList>{{"delete"}});
    QCOMPARE(Joined(Load(dataDir(), &loaded)), Joined(typed));
    QCOMPARE(loaded, PhraseStore::Loaded::Store);
}

void TestPhraseStore::emptyFileAndEmptyTable_data()
{
    QTest::addColumn<bool>("withTable");
    QTest::newRow("zero-byte file") << false;
    QTest::newRow("table without records") << true;
}

void TestPhraseStore::emptyFileAndEmptyTable()
{
    QFETCH(bool, withTable);
    if (withTable) {
        Sqlite db(store());
        CreatePhraseTable(db);
    } else {
        Write(store(), QByteArray());
    }
    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), withTable ? PhraseStore::Loaded::Store : PhraseStore::Loaded::Nothing);
    QCOMPARE(Joined(phrases), Joined(Phrases{}));
    const Phrases typed = MakePhrases({"いち", "", "さん"});
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
    QCOMPARE(Entries(dataDir()), QStringList{StoreName}); // written in place, nothing kept aside
}

void TestPhraseStore::onlyTheFirstRecordIsUsed()
{
    const Phrases first = Numbered(QStringLiteral("いちばん"));
    const Phrases other = Numbered(QStringLiteral("ほか"));
    const Phrases last = Numbered(QStringLiteral("さいご"));
    {
        Sqlite db(store());
        CreatePhraseTable(db);
        InsertRow(db, 7, other); // inserted first, but not the lowest rowid
        InsertRow(db, 3, first);
        InsertRow(db, 9, last);
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE other (x TEXT)")));
    }
    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Store);
    QCOMPARE(Joined(phrases), Joined(first));
    const Phrases typed = Numbered(QStringLiteral("かえた"));
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(StoredRows(this->store()), (QList<QStringList>{ListOf(typed), ListOf(other), ListOf(last)}));
    Sqlite db(this->store());
    QCOMPARE(db.rows(QStringLiteral("SELECT rowid FROM \"所属テーブル\" ORDER BY rowid")),
             (QList<QStringList>{{"3"}, {"7"}, {"9"}}));
}

void TestPhraseStore::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("hiragana") << QStringLiteral("あいうえお かきくけこ");
    QTest::newRow("kanji and katakana") << QStringLiteral("漢字仮名交じり文とカタカナ");
    QTest::newRow("half-width katakana") << QStringLiteral("ﾊﾝｶｸ ｶﾀｶﾅ");
    QTest::newRow("outside the BMP") << QStringLiteral("😀 𠮷野家");
    QTest::newRow("quotes and SQL") << QStringLiteral("it's \"所属テーブル\"; DROP TABLE x; --");
    QTest::newRow("spaces only") << QStringLiteral("\u3000 \u3000");
    QTest::newRow("line break") << QStringLiteral("うえ\nした");
    QTest::newRow("long") << QString(5000, QChar(0x3042));
    QTest::newRow("empty") << QString();
}

void TestPhraseStore::roundTrip()
{
    QFETCH(QString, text);
    Phrases typed = Numbered(QStringLiteral("わく"));
    typed[0] = text;
    typed[9] = text;
    PhraseStore store(dataDir());
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    const Phrases read = Load(dataDir());
    QCOMPARE(read[0], text);
    QCOMPARE(read[9], text);
    QCOMPARE(Joined(read), Joined(typed));
}

void TestPhraseStore::savingTwiceKeepsOneRecord()
{
    PhraseStore store(dataDir());
    QCOMPARE(store.save(Numbered(QStringLiteral("a"))), PhraseStore::Saved::Stored);
    QCOMPARE(store.save(Numbered(QStringLiteral("b"))), PhraseStore::Saved::Stored);
    QCOMPARE(PhraseStore(dataDir()).save(Numbered(QStringLiteral("c"))), PhraseStore::Saved::Stored);
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(Numbered(QStringLiteral("c")))});
}

void TestPhraseStore::jetStoreIsReadAndConverted()
{
    SKIP_WITHOUT_TESTDATA();
    const QString sample = Testdata + QStringLiteral("/mdb/tovi-jet4.mdb");
    QVERIFY(QFile::copy(sample, store()));
    const QByteArray original = Bytes(sample);

    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Jet);
    // Row 1 exactly; the decoy of row 2 never shows.
    const Phrases row1 = MakePhrases({"あいうえお", "ABC abc é", "かな と English", "", "", "ゆうびんきょく", "Ünïcödé ü",
                                      "漢字仮名交じり文", "ﾊﾝｶｸ ｶﾀｶﾅ", "10ばんめ"});
    QCOMPARE(Joined(phrases), Joined(row1));
    QCOMPARE(Bytes(this->store()), original); // read-only
    QCOMPARE(Entries(dataDir()), QStringList{StoreName});

    Phrases typed = row1;
    typed[3] = QStringLiteral("よっつめ");
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(this->store()).left(16), QByteArray("SQLite format 3\0", 16));
    QCOMPARE(Bytes(this->store() + QStringLiteral(".jet")), original);
    QCOMPARE(Entries(dataDir()), (QStringList{StoreName, StoreName + QStringLiteral(".jet")}));
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
    PhraseStore::Loaded loaded;
    QCOMPARE(Joined(Load(dataDir(), &loaded)), Joined(typed));
    QCOMPARE(loaded, PhraseStore::Loaded::Store);
}

void TestPhraseStore::jetRowsOfAnAccessFile()
{
    SKIP_WITHOUT_TESTDATA();
    const QString sample = Testdata + QStringLiteral("/mdb/testUnicodeCompV2003.mdb");
    const JetRow row = ReadFirstJetRow(sample, QStringLiteral("Table"), {"ID", "Unicode", "NoSuchColumn"});
    QCOMPARE(row.status, JetRow::Read);
    QCOMPARE(row.values, (QStringList{"1", "only ascii chars", ""}));
    QCOMPARE(ReadFirstJetRow(sample, QStringLiteral("所属テーブル"), {"moji1"}).status, JetRow::Failed);
    // Table names match exactly: the hiragana spelling is another table.
    const QString tovi = Testdata + QStringLiteral("/mdb/tovi-jet4.mdb");
    QCOMPARE(ReadFirstJetRow(tovi, QStringLiteral("所属てーぶる"), {"moji1"}).status, JetRow::Failed);
    QCOMPARE(ReadFirstJetRow(tovi, QStringLiteral("所属テーブル"), {"MOJI1"}).values, QStringList{"あいうえお"});
}

void TestPhraseStore::jetFileWithoutThePhraseTable()
{
    SKIP_WITHOUT_TESTDATA();
    const QString sample = Testdata + QStringLiteral("/mdb/testUnicodeCompV2003.mdb");
    QVERIFY(QFile::copy(sample, store()));
    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Unreadable);
    QCOMPARE(Joined(phrases), Joined(Phrases{}));
    QCOMPARE(store.save(Numbered(QStringLiteral("x"))), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(this->store() + QStringLiteral(".jet")), Bytes(sample));
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(Numbered(QStringLiteral("x")))});
}

// Damaged Jet files that made libmdb crash or hang (found by fuzzing its reader): the program
// reads each through its helper process and carries on.
void TestPhraseStore::jetRegressionFilesAreReadSafely()
{
    const QDir folder(testing::SourcePath(QStringLiteral("tests/regressions/jet")));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        const JetRow row = ReadFirstJetRow(folder.filePath(name), PhraseTable, {"moji1", "moji2"});
        QVERIFY2(row.status == JetRow::Failed || row.values.size() == 2, qPrintable(name));
    }
}

void TestPhraseStore::jetReaderThatFailsIsAnUnreadableFile_data()
{
    QTest::addColumn<QString>("reader"); // the helper program; "" for the program's own
    QTest::addColumn<QByteArray>("script"); // when set, the helper is this shell script
    QTest::newRow("libmdb crashes") << QString() << QByteArray();
    QTest::newRow("the reader hangs") << QStringLiteral("hang") << QByteArray("#!/bin/sh\nexec sleep 60\n");
    QTest::newRow("the reader answers nonsense")
        << QStringLiteral("nonsense") << QByteArray("#!/bin/sh\nprintf 'TOVIJET1\\000\\377\\377\\377\\377'\n");
    QTest::newRow("the reader dies of a signal") << QStringLiteral("killed") << QByteArray("#!/bin/sh\nkill -SEGV $$\n");
    QTest::newRow("no reader") << QStringLiteral("/nonexistent/tovimaru-jet-reader") << QByteArray();
}

void TestPhraseStore::jetReaderThatFailsIsAnUnreadableFile()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, script);
    QTemporaryDir scripts;
    if (!script.isEmpty()) {
        reader = scripts.filePath(reader);
        Write(reader, script);
        QVERIFY(QFile::setPermissions(reader, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray original = Bytes(testing::SourcePath(QStringLiteral("tests/regressions/jet/tovi-jet4-mutant-1213.mdb")));
    QVERIFY(!original.isEmpty());
    Write(store(), original);
    if (!reader.isEmpty())
        qputenv("TOVIMARU_JET_READER", reader.toLocal8Bit());
    const auto restore = qScopeGuard([] { qunsetenv("TOVIMARU_JET_READER"); });

    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Unreadable);
    QCOMPARE(Joined(phrases), Joined(Phrases{}));
    // The file is kept as it was, and the next save puts the phrases in a new store beside it.
    const Phrases typed = Numbered(QStringLiteral("つづき"));
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(this->store() + QStringLiteral(".jet")), original);
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
}

void TestPhraseStore::earlierBackupsAreNeverOverwritten()
{
    SKIP_WITHOUT_TESTDATA();
    QVERIFY(QFile::copy(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb"), store()));
    Write(store() + QStringLiteral(".jet"), "an earlier backup");
    Write(store() + QStringLiteral(".jet.2"), "another one");
    QCOMPARE(PhraseStore(dataDir()).save(Numbered(QStringLiteral("y"))), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(store() + QStringLiteral(".jet")), QByteArray("an earlier backup"));
    QCOMPARE(Bytes(store() + QStringLiteral(".jet.2")), QByteArray("another one"));
    QCOMPARE(Bytes(store() + QStringLiteral(".jet.3")), Bytes(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb")));

    Write(store(), "garbage");
    Write(store() + QStringLiteral(".broken"), "old garbage");
    QCOMPARE(PhraseStore(dataDir()).save(Numbered(QStringLiteral("z"))), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(store() + QStringLiteral(".broken")), QByteArray("old garbage"));
    QCOMPARE(Bytes(store() + QStringLiteral(".broken.2")), QByteArray("garbage"));
    QCOMPARE(Joined(Load(dataDir())), Joined(Numbered(QStringLiteral("z"))));
}

void TestPhraseStore::unreadableFilesAreKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("backup");

    QByteArray random(20000, '\0');
    QRandomGenerator generator(7);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    QTest::newRow("garbage text") << QByteArray("hello, these are no phrases\n") << QStringLiteral(".broken");
    QTest::newRow("random bytes") << random << QStringLiteral(".broken");
    QTest::newRow("SQLite header, then junk")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x5a') << QStringLiteral(".broken");

    // A real store of several pages, then damaged in two ways.
    QTemporaryDir scratch;
    const QString path = scratch.filePath(StoreName);
    {
        Sqlite db(path);
        CreatePhraseTable(db);
        Phrases big = Numbered(QString(3000, QChar(0x3044)));
        InsertRow(db, 1, big);
    }
    const QByteArray whole = Bytes(path);
    QVERIFY(whole.size() > 8192);
    QByteArray pageTwo = whole;
    for (int i = 4096; i < 8192; ++i)
        pageTwo[i] = char(0xA5);
    QTest::newRow("page 2 overwritten") << pageTwo << QStringLiteral(".broken");
    QTest::newRow("header damaged") << whole.left(16) + QByteArray(4, '\xff') + whole.mid(20) << QStringLiteral(".broken");

    if (!testing::HasTestdata())
        return; // the damaged Jet files are made from the corpus's sample
    const QByteArray jet = Bytes(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb"));
    QTest::newRow("Jet file cut at 8 KiB") << jet.left(8192) << QStringLiteral(".jet");
    QByteArray jetCatalog = jet;
    for (int i = 2 * 4096; i < 3 * 4096; ++i)
        jetCatalog[i] = char(0);
    QTest::newRow("Jet file with its catalogue wiped") << jetCatalog << QStringLiteral(".jet");
}

void TestPhraseStore::unreadableFilesAreKeptAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, backup);
    Write(store(), bytes);

    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Unreadable);
    QCOMPARE(Joined(phrases), Joined(Phrases{}));
    QCOMPARE(Bytes(this->store()), bytes);

    const Phrases typed = Numbered(QStringLiteral("あたらしい"));
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Bytes(this->store() + backup), bytes);
    QCOMPARE(Entries(dataDir()), (QStringList{StoreName, StoreName + backup}));
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
    QCOMPARE(Joined(Load(dataDir())), Joined(typed));
}

void TestPhraseStore::folderNamedLikeTheStore()
{
    QVERIFY(QDir().mkpath(store()));
    Write(store() + QStringLiteral("/keep me"), "mine");
    PhraseStore store(dataDir());
    Phrases phrases;
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Unreadable);
    QCOMPARE(store.save(Numbered(QStringLiteral("x"))), PhraseStore::Saved::NotWritten);
    QVERIFY(QFileInfo(this->store()).isDir());
    QCOMPARE(Entries(this->store()), QStringList{"keep me"});
    QCOMPARE(Entries(dataDir()), QStringList{StoreName});
}
