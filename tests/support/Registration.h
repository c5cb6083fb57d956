// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers of the tests of the registration window, its lists and the phrase store: phrase sets,
// files, SQLite read and written independently of the program's own code, the message boxes the
// window shows, and the test binary run again as another process.

#include "tests/TestSupport.h"
#include "registration/PhraseStore.h"
#include "registration/Phrases.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <initializer_list>
#include <memory>

namespace testing {

inline const QString Testdata = TestdataDir();
inline const QString StoreName = QStringLiteral("tovi.mdb");

inline Phrases MakePhrases(std::initializer_list<const char *> texts)
{
    Phrases phrases;
    int k = 0;
    for (const char *text : texts)
        phrases[k++] = QString::fromUtf8(text);
    return phrases;
}

inline Phrases Numbered(const QString &stem)
{
    Phrases phrases;
    for (int k = 0; k < PhraseCount; ++k)
        phrases[k] = QStringLiteral("%1%2").arg(stem).arg(k + 1);
    return phrases;
}

inline QString Joined(const Phrases &phrases)
{
    return QStringList(phrases.begin(), phrases.end()).join(QLatin1Char('|'));
}

inline QStringList ListOf(const Phrases &phrases)
{
    return QStringList(phrases.begin(), phrases.end());
}

inline QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fails the test function when the file cannot be written whole.
inline void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Direct SQLite access for building stores and for reading back what the program wrote,
// independently of the program's own code.
class Sqlite final
{
public:
    enum Open { CreateIfMissing, ExistingOnly };
    explicit Sqlite(const QString &path, Open open = CreateIfMissing)
    {
        const int flags = SQLITE_OPEN_READWRITE | (open == CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    ~Sqlite() { sqlite3_close_v2(m_db); }
    Sqlite(const Sqlite &) = delete;
    Sqlite &operator=(const Sqlite &) = delete;

    bool exec(const QString &sql) { return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Every row of a query, each as its columns' texts.
    QList<QStringList> rows(const QString &sql)
    {
        QList<QStringList> result;
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            return {{QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))}};
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                row.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c))));
            result.append(row);
        }
        sqlite3_finalize(statement);
        return result;
    }

private:
    sqlite3 *m_db = nullptr;
};

inline const QString PhraseColumns = QStringLiteral("moji1,moji2,moji3,moji4,moji5,moji6,moji7,moji8,moji9,moji10");

inline void CreatePhraseTable(Sqlite &db)
{
    QVERIFY(db.exec(QStringLiteral("CREATE TABLE \"所属テーブル\" (moji1 TEXT, moji2 TEXT, moji3 TEXT, moji4 TEXT, "
                                   "moji5 TEXT, moji6 TEXT, moji7 TEXT, moji8 TEXT, moji9 TEXT, moji10 TEXT)")));
}

inline void InsertRow(Sqlite &db, qint64 rowid, const Phrases &phrases)
{
    QStringList quoted;
    for (const QString &phrase : phrases)
        quoted.append(QLatin1Char('\'') + QString(phrase).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''));
    QVERIFY(db.exec(QStringLiteral("INSERT INTO \"所属テーブル\" (rowid, %1) VALUES (%2, %3)")
                        .arg(PhraseColumns).arg(rowid).arg(quoted.join(QLatin1Char(',')))));
}

// The stored records, lowest rowid first, as read straight from the file.
inline QList<QStringList> StoredRows(const QString &path)
{
    Sqlite db(path, Sqlite::ExistingOnly);
    return db.rows(QStringLiteral("SELECT %1 FROM \"所属テーブル\" ORDER BY rowid").arg(PhraseColumns));
}

// A store of one record written straight with SQLite.
inline void MakeStore(const QString &path, const Phrases &phrases)
{
    Sqlite db(path);
    CreatePhraseTable(db);
    InsertRow(db, 1, phrases);
}

inline Phrases Load(const QString &folder, PhraseStore::Loaded *loaded = nullptr)
{
    Phrases phrases;
    PhraseStore store(folder);
    const PhraseStore::Loaded result = store.load(phrases);
    if (loaded)
        *loaded = result;
    return phrases;
}

// A message box the program showed, as the user saw it.
struct SeenBox
{
    QString text, title, family;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int pixelSize = 0;  // of the text's font
    QSize okSize;       // of its OK button
};

// Answers every message box while it lives, pressing its OK button, and keeps what each said.
// A test never hangs on a box, and one that expects none sees any that came.
class Boxes final
{
public:
    Boxes()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }
    QList<SeenBox> seen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        seen.append({box->text(), box->windowTitle(), box->font().families().value(0), box->icon(), box->standardButtons(),
                     box->font().pixelSize(), ok ? ok->size() : QSize()});
        if (ok)
            ok->click();
        else
            box->reject();
    }

    QTimer m_timer;
};

// The test binary as another process. As root, file modes mean nothing, so cases about
// permissions run it as "nobody" from a copy that nobody may execute.
class Child final
{
public:
    explicit Child(const QStringList &arguments, bool asNobody = false)
    {
        QString program = QCoreApplication::applicationFilePath();
        QStringList args = arguments;
        if (asNobody && ::geteuid() == 0) {
            m_copyDir = std::make_unique<QTemporaryDir>();
            const QString copy = m_copyDir->filePath(QStringLiteral("child"));
            QFile::copy(program, copy);
            QFile::setPermissions(m_copyDir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ReadOther | QFile::ExeOther);
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
            args = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), copy} + arguments;
            program = QStringLiteral("runuser");
        }
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // Waits for a line the child prints; "" when it printed none within the time.
    QString readLine(int ms = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < ms) {
            if (!m_process.waitForReadyRead(int(ms - timer.elapsed())))
                break;
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    // SIGKILL: no handler, no cleanup, as in a crash or a power cut of the process.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    QString finish()
    {
        m_process.waitForFinished(30000);
        return QString::fromUtf8(m_process.readAllStandardOutput());
    }

private:
    std::unique_ptr<QTemporaryDir> m_copyDir;
    QProcess m_process;
};

// A folder given to a user with a mode, as root; as anyone else only the mode applies.
inline void SetOwnerAndMode(const QString &path, bool nobody, mode_t mode)
{
    if (::geteuid() == 0)
        QVERIFY(::chown(QFile::encodeName(path).constData(), nobody ? 65534 : 0, nobody ? 65534 : 0) == 0);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

} // namespace testing
