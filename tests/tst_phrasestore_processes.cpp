// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase store with other processes at work on it: a save cut off, a store locked by a
// writer, writers killed in the middle of a write or at any moment, read-only locations seen by
// an ordinary user, and two programs confirming at once. The test binary runs itself as those
// other processes, with one of the child arguments below (see main()).

#include "tst_phrasestore.h"

#include "TestSupport.h"
#include "registration/PhraseStore.h"
#include "registration/SqlitePhrases.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace testing;

namespace {

// Child arguments.
const char HoldWrite[] = "--hold-write";   // <store>: stop inside a write transaction that reached the disk
const char SaveLoop[] = "--save-loop";     // <folder>: save two phrase sets in turn, forever
const char StoreCheck[] = "--store-check"; // <folder> <phrase>: load, save, report
const char Confirm[] = "--confirm";          // <folder> <name> <rounds> <go>: confirm as a window would

// The phrases each child of the crash tests writes in turn.
Phrases LoopPhrases(int turn)
{
    return Numbered(turn % 2 ? QStringLiteral("べつ") : QStringLiteral("ひとつめ"));
}

} // namespace

void TestPhraseStore::leftoversOfACutOffSave()
{
    SKIP_WITHOUT_TESTDATA();
    // A conversion cut off while it wrote the new store, or while it copied the Jet file,
    // leaves its scratch files behind; the next save starts afresh and leaves none.
    QVERIFY(QFile::copy(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb"), store()));
    const QString fresh = store() + QStringLiteral(".new");
    MakeStore(fresh, Numbered(QStringLiteral("べつの")));
    {
        Child writer({QString::fromLatin1(HoldWrite), fresh});
        QCOMPARE(writer.readLine(), QStringLiteral("holding"));
        writer.kill();
    }
    QVERIFY(QFileInfo::exists(fresh + QStringLiteral("-journal")));
    Write(store() + QStringLiteral(".jet.part"), "half a copy");

    const Phrases typed = Numbered(QStringLiteral("これ"));
    QCOMPARE(PhraseStore(dataDir()).save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Entries(dataDir()), (QStringList{StoreName, StoreName + QStringLiteral(".jet")}));
    QCOMPARE(Bytes(store() + QStringLiteral(".jet")), Bytes(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb")));
    QCOMPARE(StoredRows(store()), QList<QStringList>{ListOf(typed)});
    Sqlite db(store());
    QCOMPARE(db.rows(QStringLiteral("PRAGMA integrity_check")), QList<QStringList>{{"ok"}});
}

void TestPhraseStore::lockedStore()
{
    const Phrases old = Numbered(QStringLiteral("まえ"));
    QCOMPARE(PhraseStore(dataDir()).save(old), PhraseStore::Saved::Stored);

    Child writer({QString::fromLatin1(HoldWrite), store()});
    QCOMPARE(writer.readLine(), QStringLiteral("holding"));

    // Reading waits about a second for the lock, then gives up.
    PhraseStore store(dataDir());
    Phrases phrases;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(store.load(phrases), PhraseStore::Loaded::Unreadable);
    QVERIFY2(timer.elapsed() >= 900 && timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(Joined(phrases), Joined(Phrases{}));
    // Writing too: nothing written, nothing moved.
    const Phrases typed = Numbered(QStringLiteral("いま"));
    QCOMPARE(store.save(typed), PhraseStore::Saved::NotWritten);
    QCOMPARE(Entries(dataDir()), (QStringList{StoreName, StoreName + QStringLiteral("-journal")}));

    writer.kill();
    // The store the user could not see is kept before it is written.
    QCOMPARE(store.save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(typed)});
    QCOMPARE(StoredRows(this->store() + QStringLiteral(".broken")), QList<QStringList>{ListOf(old)});
    QCOMPARE(Entries(dataDir()), (QStringList{StoreName, StoreName + QStringLiteral(".broken")}));
}

void TestPhraseStore::writerKilledMidWrite()
{
    const Phrases old = Numbered(QStringLiteral("ふるい"));
    QCOMPARE(PhraseStore(dataDir()).save(old), PhraseStore::Saved::Stored);
    const QByteArray before = Bytes(store());

    Child writer({QString::fromLatin1(HoldWrite), store()});
    QCOMPARE(writer.readLine(), QStringLiteral("holding"));
    // The half-done write has reached the file itself, with the journal to undo it beside it.
    QVERIFY(Bytes(store()) != before);
    QVERIFY(QFileInfo::exists(store() + QStringLiteral("-journal")));
    writer.kill();

    PhraseStore::Loaded loaded;
    QCOMPARE(Joined(Load(dataDir(), &loaded)), Joined(old));
    QCOMPARE(loaded, PhraseStore::Loaded::Store);
    QCOMPARE(Entries(dataDir()), QStringList{StoreName});
    {
        Sqlite db(store());
        QCOMPARE(db.rows(QStringLiteral("PRAGMA integrity_check")), QList<QStringList>{{"ok"}});
    }
    const Phrases typed = Numbered(QStringLiteral("あたらしい"));
    QCOMPARE(PhraseStore(dataDir()).save(typed), PhraseStore::Saved::Stored);
    QCOMPARE(Joined(Load(dataDir())), Joined(typed));
}

void TestPhraseStore::writerKilledAtAnyMoment()
{
    SKIP_WITHOUT_TESTDATA();
    QVERIFY(QFile::copy(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb"), store()));
    const Phrases jet = Load(dataDir());
    const QStringList allowed{Joined(jet), Joined(LoopPhrases(0)), Joined(LoopPhrases(1))};
    QRandomGenerator generator(20240601);
    for (int round = 0; round < 12; ++round) {
        Child saver({QString::fromLatin1(SaveLoop), dataDir()});
        QCOMPARE(saver.readLine(), QStringLiteral("saving"));
        QTest::qSleep(int(generator.bounded(40)));
        saver.kill();
        PhraseStore::Loaded loaded;
        const Phrases read = Load(dataDir(), &loaded);
        QVERIFY2(loaded != PhraseStore::Loaded::Unreadable && allowed.contains(Joined(read)),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(Joined(read))));
    }
    // The Jet file was kept when it was converted.
    QCOMPARE(Bytes(store() + QStringLiteral(".jet")), Bytes(Testdata + QStringLiteral("/mdb/tovi-jet4.mdb")));
}

void TestPhraseStore::readOnlyLocations_data()
{
    QTest::addColumn<bool>("folderIsTheirs"); // the user may write in the folder
    QTest::addColumn<int>("fileMode");        // -1: no store yet
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("saved");

    QTest::newRow("store in a read-only folder") << false << 0644 << int(PhraseStore::Loaded::Store)
                                                << int(PhraseStore::Saved::NotWritten);
    QTest::newRow("no store, read-only folder") << false << -1 << int(PhraseStore::Loaded::Nothing)
                                                << int(PhraseStore::Saved::NotWritten);
    QTest::newRow("read-only store file") << true << 0444 << int(PhraseStore::Loaded::Store)
                                          << int(PhraseStore::Saved::NotWritten);
    QTest::newRow("store file they may not read") << true << 0000 << int(PhraseStore::Loaded::Unreadable)
                                                  << int(PhraseStore::Saved::NotWritten);
}

void TestPhraseStore::readOnlyLocations()
{
    QFETCH(bool, folderIsTheirs);
    QFETCH(int, fileMode);
    QFETCH(int, loaded);
    QFETCH(int, saved);

    // The folder lies in a folder everyone may enter.
    SetOwnerAndMode(dataDir(), false, 0755);
    const QString folder = m_data->filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const Phrases old = Numbered(QStringLiteral("old"));
    const QString path = folder + QLatin1Char('/') + StoreName;
    if (fileMode >= 0) {
        MakeStore(path, old);
        SetOwnerAndMode(path, false, mode_t(fileMode));
    }
    const QByteArray before = Bytes(path);
    SetOwnerAndMode(folder, folderIsTheirs, folderIsTheirs ? 0755 : 0555);

    Child check({QString::fromLatin1(StoreCheck), folder, QStringLiteral("new")}, true);
    const QStringList report = check.finish().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(report.size(), 3);
    QCOMPARE(report[0], QStringLiteral("load=%1").arg(loaded));
    QCOMPARE(report[1], QStringLiteral("phrases=%1").arg(loaded == int(PhraseStore::Loaded::Store) ? Joined(old)
                                                                                                   : Joined(Phrases{})));
    QCOMPARE(report[2], QStringLiteral("save=%1").arg(saved));
    // Whatever was there is there as it was, and nothing else is.
    QCOMPARE(Bytes(path), before);
    QCOMPARE(Entries(folder), fileMode >= 0 ? QStringList{StoreName} : QStringList());
    SetOwnerAndMode(folder, false, 0755); // so that the temporary folder can go
}

// ---------------------------------------------------------------------------------------------
// The child processes.

void TestPhraseStore::twoProgramsConfirmingAtOnce_data()
{
    QTest::addColumn<QString>("start"); // what the folder holds when both windows open
    QTest::addColumn<int>("starts");    // times both programs are started together
    QTest::addColumn<int>("rounds");    // confirmations of each program per start

    QTest::newRow("no store yet") << QStringLiteral("none") << 5 << 20;
    QTest::newRow("a store") << QStringLiteral("store") << 1 << 100;
    // The file is replaced by a new store: one program converts it, the other saves into the
    // new store.
    QTest::newRow("an unreadable file") << QStringLiteral("garbage") << 15 << 1;
    QTest::newRow("a Jet file") << QStringLiteral("jet") << 6 << 1;
}

void TestPhraseStore::twoProgramsConfirmingAtOnce()
{
    QFETCH(QString, start);
    QFETCH(int, starts);
    QFETCH(int, rounds);
    const QString jet = Testdata + QStringLiteral("/mdb/tovi-jet4.mdb");
    if (start == QLatin1String("jet"))
        SKIP_WITHOUT_TESTDATA();
    const QString go = m_scratch->filePath(QStringLiteral("go"));
    const QStringList names{QStringLiteral("a"), QStringLiteral("b")};
    const Phrases before = Numbered(QStringLiteral("まえ"));
    // Phrases one of the programs wrote: "a0-1|a0-2|...", "b199-1|...".
    const QRegularExpression written(QStringLiteral("^([ab]\\d+-)1\\|"));
    for (int n = 0; n < starts; ++n) {
        for (const QString &entry : Entries(dataDir()))
            QVERIFY(QFile::remove(m_data->filePath(entry)));
        QFile::remove(go);
        if (start == QLatin1String("store"))
            QCOMPARE(PhraseStore(dataDir()).save(before), PhraseStore::Saved::Stored);
        else if (start == QLatin1String("garbage"))
            Write(store(), QByteArray("not a store at all ").repeated(200));
        else if (start == QLatin1String("jet"))
            QVERIFY(QFile::copy(jet, store()));
        const QByteArray startBytes = Bytes(store());

        // Both read the store as their windows open, then confirm at the same moment.
        std::vector<std::unique_ptr<Child>> programs;
        for (const QString &name : names) {
            programs.push_back(std::make_unique<Child>(
                QStringList{QString::fromLatin1(Confirm), dataDir(), name, QString::number(rounds), go}));
        }
        for (auto &program : programs)
            QCOMPARE(program->readLine(), QStringLiteral("ready"));
        Write(go, QByteArray());
        QStringList lastOfEach;
        for (int i = 0; i < 2; ++i) {
            // Every confirmation is saved: the second waits for the first.
            const QString report = programs[i]->finish().trimmed();
            QCOMPARE(report, QStringLiteral("stored=%1 last=%2").arg(rounds).arg(rounds - 1));
            lastOfEach.append(Joined(Numbered(QStringLiteral("%1%2-").arg(names[i]).arg(rounds - 1))));
        }

        // One whole store, holding the last phrases one of them confirmed.
        PhraseStore::Loaded loaded;
        const QString stored = Joined(Load(dataDir(), &loaded));
        QCOMPARE(loaded, PhraseStore::Loaded::Store);
        QVERIFY2(lastOfEach.contains(stored), qPrintable(QStringLiteral("start %1: %2").arg(n).arg(stored)));
        {
            Sqlite db(store());
            QCOMPARE(db.rows(QStringLiteral("PRAGMA integrity_check")), QList<QStringList>{{"ok"}});
        }
        // Beside it only whole copies kept aside: the file both found, or a store that one of
        // them could not read as its window opened (the other was writing it on a slow disk)
        // and kept before writing. No scratch file is left.
        for (const QString &entry : Entries(dataDir())) {
            if (entry == StoreName)
                continue;
            QVERIFY2(entry.startsWith(StoreName + QStringLiteral(".broken"))
                         || (start == QLatin1String("jet") && entry.startsWith(StoreName + QStringLiteral(".jet"))),
                     qPrintable(entry));
            QVERIFY2(!entry.endsWith(QStringLiteral(".part")), qPrintable(entry));
            // A sound store, or none, is never kept aside: no read meets a save half done.
            QVERIFY2(start != QLatin1String("none") && start != QLatin1String("store"), qPrintable(entry));
            const QByteArray kept = Bytes(m_data->filePath(entry));
            if (kept == startBytes)
                continue;
            Phrases copy;
            QCOMPARE(ReadSqlitePhrases(m_data->filePath(entry), copy), SqliteResult::Done);
            const QRegularExpressionMatch match = written.match(Joined(copy));
            QVERIFY2(Joined(copy) == Joined(before) || (match.hasMatch() && Joined(copy) == Joined(Numbered(match.captured(1)))),
                     qPrintable(entry + QLatin1Char(' ') + Joined(copy)));
        }
    }
}

namespace {

// Opens the store's write transaction and changes the first record so much that SQLite has to
// write into the file before committing, then waits to be killed.
int HoldWriteTransaction(const QString &path)
{
    Sqlite db(path);
    const QString big(100000, QChar(0x3093));
    QStringList sets;
    for (int k = 1; k <= PhraseCount; ++k)
        sets.append(QStringLiteral("moji%1 = '%2'").arg(k).arg(big));
    if (!db.exec(QStringLiteral("PRAGMA cache_size = 1")) || !db.exec(QStringLiteral("BEGIN IMMEDIATE"))
        || !db.exec(QStringLiteral("UPDATE \"所属テーブル\" SET %1").arg(sets.join(QLatin1Char(',')))))
        return 1;
    std::fputs("holding\n", stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int SaveForever(const QString &folder)
{
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    for (int turn = 0;; ++turn)
        PhraseStore(folder).save(LoopPhrases(turn));
}

int CheckStore(const QString &folder, const QString &stem)
{
    PhraseStore store(folder);
    Phrases phrases;
    const int loaded = int(store.load(phrases));
    const int saved = int(store.save(Numbered(stem)));
    std::printf("load=%d\nphrases=%s\nsave=%d\n", loaded, Joined(phrases).toUtf8().constData(), saved);
    return 0;
}

int ConfirmRounds(const QString &folder, const QString &name, int rounds, const QString &go)
{
    // As the registration window does: the store is read when the window opens and written
    // when the user confirms. Reports how many saves went through and the round of the last.
    auto store = std::make_unique<PhraseStore>(folder);
    Phrases seen;
    store->load(seen);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    while (!QFileInfo::exists(go))
        ::usleep(100);
    int stored = 0;
    int last = -1;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) {
            store = std::make_unique<PhraseStore>(folder);
            store->load(seen);
        }
        if (store->save(Numbered(QStringLiteral("%1%2-").arg(name).arg(round))) == PhraseStore::Saved::Stored) {
            ++stored;
            last = round;
        }
    }
    std::printf("stored=%d last=%d\n", stored, last);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 2 ? QByteArray(argv[1]) : QByteArray();
    if (mode == HoldWrite)
        return HoldWriteTransaction(QString::fromLocal8Bit(argv[2]));
    if (mode == SaveLoop)
        return SaveForever(QString::fromLocal8Bit(argv[2]));
    if (mode == StoreCheck && argc > 3)
        return CheckStore(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (mode == Confirm && argc > 5) {
        const QCoreApplication app(argc, argv); // the Jet reader's helper is found beside the program
        return ConfirmRounds(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]),
                             QString::fromLocal8Bit(argv[5]));
    }

    QCoreApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestPhraseStore test;
    return QTest::qExec(&test, argc, argv);
}