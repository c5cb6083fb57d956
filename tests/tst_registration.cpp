// The registration window and the phrase store: the window's layout, the drive, folder and
// file lists, load and confirmation with their messages, and the store on real files: SQLite
// stores of every shape, the Jet samples, damaged files, locks, read-only folders and writers
// killed in the middle of a write, and two programs confirming at once.
//
// Some cases need a second process: the test binary runs itself with one of the child
// arguments below (see main()).

#include "TestSupport.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "registration/JetReader.h"
#include "registration/PhraseStore.h"
#include "registration/SqlitePhrases.h"
#include "registration/frmList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <memory>

namespace {

const QString Testdata = testing::TestdataDir();
const QString StoreName = QStringLiteral("tovi.mdb");

// Child arguments.
const char HoldWrite[] = "--hold-write";   // <store>: stop inside a write transaction that reached the disk
const char SaveLoop[] = "--save-loop";     // <folder>: save two phrase sets in turn, forever
const char StoreCheck[] = "--store-check"; // <folder> <phrase>: load, save, report
const char Confirm[] = "--confirm";          // <folder> <name> <rounds> <go>: confirm as a window would

Phrases MakePhrases(std::initializer_list<const char *> texts)
{
    Phrases phrases;
    int k = 0;
    for (const char *text : texts)
        phrases[k++] = QString::fromUtf8(text);
    return phrases;
}

Phrases Numbered(const QString &stem)
{
    Phrases phrases;
    for (int k = 0; k < PhraseCount; ++k)
        phrases[k] = QStringLiteral("%1%2").arg(stem).arg(k + 1);
    return phrases;
}

QString Joined(const Phrases &phrases)
{
    return QStringList(phrases.begin(), phrases.end()).join(QLatin1Char('|'));
}

QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList Entries(const QString &folder)
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

const QString PhraseColumns = QStringLiteral("moji1,moji2,moji3,moji4,moji5,moji6,moji7,moji8,moji9,moji10");

void CreatePhraseTable(Sqlite &db)
{
    QVERIFY(db.exec(QStringLiteral("CREATE TABLE \"所属テーブル\" (moji1 TEXT, moji2 TEXT, moji3 TEXT, moji4 TEXT, "
                                   "moji5 TEXT, moji6 TEXT, moji7 TEXT, moji8 TEXT, moji9 TEXT, moji10 TEXT)")));
}

void InsertRow(Sqlite &db, qint64 rowid, const Phrases &phrases)
{
    QStringList quoted;
    for (const QString &phrase : phrases)
        quoted.append(QLatin1Char('\'') + QString(phrase).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''));
    QVERIFY(db.exec(QStringLiteral("INSERT INTO \"所属テーブル\" (rowid, %1) VALUES (%2, %3)")
                        .arg(PhraseColumns).arg(rowid).arg(quoted.join(QLatin1Char(',')))));
}

// The stored records, lowest rowid first, as read straight from the file.
QList<QStringList> StoredRows(const QString &path)
{
    Sqlite db(path, Sqlite::ExistingOnly);
    return db.rows(QStringLiteral("SELECT %1 FROM \"所属テーブル\" ORDER BY rowid").arg(PhraseColumns));
}

QStringList ListOf(const Phrases &phrases)
{
    return QStringList(phrases.begin(), phrases.end());
}

// A store of one record written straight with SQLite.
void MakeStore(const QString &path, const Phrases &phrases)
{
    Sqlite db(path);
    CreatePhraseTable(db);
    InsertRow(db, 1, phrases);
}

Phrases Load(const QString &folder, PhraseStore::Loaded *loaded = nullptr)
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
        seen.append({box->text(), box->windowTitle(), box->font().families().value(0), box->icon(), box->standardButtons()});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
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
void SetOwnerAndMode(const QString &path, bool nobody, mode_t mode)
{
    if (::geteuid() == 0)
        QVERIFY(::chown(QFile::encodeName(path).constData(), nobody ? 65534 : 0, nobody ? 65534 : 0) == 0);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

// The phrases each child of the crash tests writes in turn.
Phrases LoopPhrases(int turn)
{
    return Numbered(turn % 2 ? QStringLiteral("べつ") : QStringLiteral("ひとつめ"));
}

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The window as designed.
    void layout_data();
    void layout();
    void windowPlacement();
    void tabOrder();
    void phraseBoxesTakeTheInputMethod();

    // The three lists.
    void fileListPattern();
    void fileListOfTestPictures_data();
    void fileListOfTestPictures();
    void folderListShowsThePathAndItsFolders();
    void folderListRefusesWhatItCannotList();
    void userDrives();
    void driveListChoosesTheDriveHoldingAPath();

    // The window's handlers.
    void listsOpenAtTheCurrentFolder();
    void folderChangeSetsImageDir();
    void doubleClickEntersAndLeavesFolders();
    void driveThatCannotBeReadGivesTheDriveError();
    void emptyDriveAndPathKeepTheLists();
    void setPathFromOutside();
    void confirmFillsTheSlotsStoresScansAndCloses();
    void confirmWithoutPicturesWarnsAndGoesOn();
    void confirmWithAllBoxesEmptyClearsTheSlots();
    void reopeningOffersThePostersTexts();
    void unreadableStoreInTheWindow_data();
    void unreadableStoreInTheWindow();

    // The phrase store.
    void firstStartWithoutStore();
    void emptyFileAndEmptyTable_data();
    void emptyFileAndEmptyTable();
    void onlyTheFirstRecordIsUsed();
    void roundTrip_data();
    void roundTrip();
    void savingTwiceKeepsOneRecord();
    void jetStoreIsReadAndConverted();
    void jetRowsOfAnAccessFile();
    void jetFileWithoutThePhraseTable();
    void jetRegressionFilesAreReadSafely();
    void jetReaderThatFailsIsAnUnreadableFile_data();
    void jetReaderThatFailsIsAnUnreadableFile();
    void earlierBackupsAreNeverOverwritten();
    void unreadableFilesAreKeptAside_data();
    void unreadableFilesAreKeptAside();
    void folderNamedLikeTheStore();
    void leftoversOfACutOffSave();
    void lockedStore();
    void writerKilledMidWrite();
    void writerKilledAtAnyMoment();
    void readOnlyLocations_data();
    void readOnlyLocations();
    void twoProgramsConfirmingAtOnce_data();
    void twoProgramsConfirmingAtOnce();

private:
    // A registration window over a main window, as the program opens it.
    frmList *open();
    QString dataDir() const { return m_data->path(); }
    QString store() const { return m_data->filePath(StoreName); }

    QString m_startFolder;
    std::unique_ptr<QTemporaryDir> m_data;     // DataDir
    std::unique_ptr<QTemporaryDir> m_pictures; // the current folder
    std::unique_ptr<Form1> m_form;
    QPointer<frmList> m_window;
};

void TestRegistration::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_startFolder = QDir::currentPath();
}

void TestRegistration::init()
{
    Module1::Reset();
    m_data = std::make_unique<QTemporaryDir>();
    m_pictures = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid() && m_pictures->isValid());
    QVERIFY(QDir::setCurrent(m_pictures->path()));
    Module1::DataDir = m_data->path() + QLatin1Char('/');
    Module1::ImageDir = m_pictures->path() + QLatin1Char('/');
}

void TestRegistration::cleanup()
{
    delete m_window;
    m_form.reset();
    QDir::setCurrent(m_startFolder);
    m_pictures.reset();
    m_data.reset();
}

frmList *TestRegistration::open()
{
    if (!m_form)
        m_form = std::make_unique<Form1>();
    m_window = new frmList(*m_form, m_form.get());
    m_window->show();
    return m_window;
}

// ---------------------------------------------------------------------------------------------
// The window as designed.

void TestRegistration::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");

    auto row = [](const char *name, const char *className, QRectF twips, const char *caption, const char *family,
                  double points, bool bold = false) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromLatin1(className) << twips
                            << QString::fromUtf8(caption) << QString::fromLatin1(family) << points << bold;
    };
    row("Label3", "platform::Label", {-240, 120, 3375, 375}, "データの設定", "IPAPGothic", 20.25);
    row("Label4", "platform::Label", {360, 600, 1695, 255}, "画像ファイル", "IPAGothic", 12);
    row("Label1", "platform::Label", {4800, 600, 615, 255}, "文字", "IPAGothic", 12);
    row("File1", "platform::FileList", {480, 960, 2055, 3510}, "File1", "IPAGothic", 9);
    row("Drive1", "platform::DriveList", {2640, 960, 1935, 300}, "Drive1", "IPAGothic", 9);
    row("Dir1", "platform::FolderList", {2640, 1440, 1935, 3030}, "Dir1", "IPAGothic", 9);
    for (int k = 1; k <= PhraseCount; ++k) {
        const QByteArray name = QStringLiteral("Text%1").arg(10 + k).toLatin1();
        row(name.constData(), "platform::PlainTextBox", {4920, 960.0 + 360 * (k - 1), 3200, 270}, name.constData(),
            "IPAGothic", 9);
    }
    row("Command12", "platform::CommandButton", {5760, 4600, 2295, 615}, "これでよし", "IPAGothic", 15.75, true);
}

void TestRegistration::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRectF, twips);
    QFETCH(QString, caption);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);

    frmList *window = open();
    const QList<QWidget *> named = window->client()->findChildren<QWidget *>(name, Qt::FindDirectChildrenOnly);
    QCOMPARE(named.size(), 1);
    QWidget *control = named.first();
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->property("twipsLeft").toDouble(), twips.left());
    QCOMPARE(control->property("twipsTop").toDouble(), twips.top());
    QCOMPARE(control->property("twipsWidth").toDouble(), twips.width());
    QCOMPARE(control->property("twipsHeight").toDouble(), twips.height());
    QCOMPARE(control->geometry(), platform::TwipsToPixelRect(twips.left(), twips.top(), twips.width(), twips.height()));
    QCOMPARE(control->accessibleName(), caption);
    if (control->property("caption").isValid())
        QCOMPARE(control->property("caption").toString(), caption);
    QCOMPARE(QFontInfo(control->font()).family(), family);
    QCOMPARE(platform::PointsOf(control->font()), points);
    QCOMPARE(control->font().bold(), bold);
    QVERIFY(control->isVisible());
}

void TestRegistration::windowPlacement()
{
    frmList *window = open();
    QCOMPARE(window->objectName(), QStringLiteral("frmList"));
    QCOMPARE(window->windowTitle(), QStringLiteral("データの登録"));
    QCOMPARE(window->client()->width(), 561); // 8415 twips
    // The outer height is forced, frame included, so the client area is what the frame leaves.
    QCOMPARE(window->twipsHeight(), 5775.0);
    QCOMPARE(window->frameGeometry().height(), platform::TwipsToPixels(5775));
    // Centred when it was created, before the window system framed it.
    QCOMPARE(window->twipsLeft(), float((window->screenWidthTwips() - 8415) / 2));
    QCOMPARE(window->twipsTop(), float((window->screenHeightTwips() - 5775) / 2));
    QCOMPARE(window->frameGeometry().topLeft(),
             QPoint(platform::TwipsToPixels(window->twipsLeft()), platform::TwipsToPixels(window->twipsTop())));
    QCOMPARE(window->client()->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(QFontInfo(window->font()).family(), QStringLiteral("IPAGothic"));
    QCOMPARE(platform::PointsOf(window->font()), 9.0);
    // A window of its own above the main window, which it does not block.
    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), m_form.get());
    QVERIFY(!window->isModal());
}

void TestRegistration::tabOrder()
{
    frmList *window = open();
    QStringList order;
    QWidget *widget = window->Command12;
    do {
        if (widget->focusPolicy() & Qt::TabFocus && widget->parentWidget() == window->client())
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != window->Command12);
    QCOMPARE(order, (QStringList{"Command12", "Text11", "Text12", "Text13", "Text14", "Text15", "Text16", "Text17",
                                 "Text18", "Text19", "Text20", "File1", "Drive1", "Dir1"}));
}

void TestRegistration::phraseBoxesTakeTheInputMethod()
{
    frmList *window = open();
    for (platform::PlainTextBox *box : window->PhraseBox) {
        QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(box->locale().language(), QLocale::Japanese);
        QVERIFY(box->inputMethodHints() & Qt::ImhPreferLowercase);
    }
    // What an input method commits lands in the box.
    platform::PlainTextBox *box = window->PhraseBox[4];
    box->setFocus();
    QInputMethodEvent preedit(QStringLiteral("ねこ"), {});
    QApplication::sendEvent(box, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ねこ"));
    QApplication::sendEvent(box, &commit);
    QCOMPARE(box->text(), QStringLiteral("ねこ"));
}

// ---------------------------------------------------------------------------------------------
// The three lists.

void TestRegistration::fileListPattern()
{
    QTemporaryDir folder;
    const QStringList files{"b.bmp",    "A.BMP",      "c.Jpg",      "d.gif",      "e.WMF",     "f.dib",
                            "g.rle",    "h.png",      "i.jpeg",     "noext",      "j.bmp.txt", "gif",
                            ".k.bmp",   "l m n.jpg",  "ねこ の え.GIF", "Z.gIf",      "a.bmp"};
    for (const QString &name : files)
        Write(folder.filePath(name), "x");
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("x.BMP"))); // a folder named like a picture

    platform::FileList list;
    list.setPattern(QStringLiteral("*.BMP;*.WMF;*.JPG;*.DIB;*.RLE;*.GIF"));
    list.setPath(folder.path());
    // Case does not order them; names that differ only in case keep a fixed order.
    const QStringList expected{"A.BMP", "a.bmp", "b.bmp", "c.Jpg", "d.gif", "e.WMF", "f.dib", "g.rle",
                               "l m n.jpg", "Z.gIf", "ねこ の え.GIF"};
    QCOMPARE(list.names(), expected);
    QCOMPARE(list.count(), expected.size());
    QCOMPARE(list.name(0), QStringLiteral("A.BMP"));
    QCOMPARE(list.name(expected.size() - 1), QStringLiteral("ねこ の え.GIF"));
    QCOMPARE(list.name(expected.size()), QString());
    QCOMPARE(list.name(32000), QString());
    QCOMPARE(list.name(-1), QString());

    // A folder that cannot be listed lists nothing.
    list.setPath(folder.filePath(QStringLiteral("gone")));
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.name(0), QString());
}

void TestRegistration::fileListOfTestPictures_data()
{
    SKIP_WITHOUT_TESTDATA();
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("dib and rle, names differing in case")
        << QStringLiteral("dib_rle")
        << QStringList{"clipboard.dib", "pal4rle.dib", "pal4rle.rle", "pal8.dib", "pal8os2.dib",
                       "PAL8RLE.RLE", "pal8rle.rle", "pal8rlecut.rle", "RGB24.DIB"};
    QStringList jpegs = QDir(Testdata + QStringLiteral("/images/jpeg")).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    QTest::newRow("jpeg") << QStringLiteral("jpeg") << jpegs;
}

void TestRegistration::fileListOfTestPictures()
{
    SKIP_WITHOUT_TESTDATA();
    QFETCH(QString, folder);
    QFETCH(QStringList, expected);
    platform::FileList list;
    list.setPattern(QStringLiteral("*.BMP;*.WMF;*.JPG;*.DIB;*.RLE;*.GIF"));
    list.setPath(Testdata + QStringLiteral("/images/") + folder);
    QVERIFY(expected.size() >= 9);
    QCOMPARE(list.names(), expected);
}

void TestRegistration::folderListShowsThePathAndItsFolders()
{
    QTemporaryDir tree;
    const QString top = tree.filePath(QStringLiteral("top"));
    for (const char *sub : {"b", "A", "ぶどう", "x.BMP", ".hidden", "c d"})
        QVERIFY(QDir().mkpath(top + QLatin1Char('/') + QString::fromUtf8(sub)));
    Write(top + QStringLiteral("/file.bmp"), "x");

    platform::FolderList list;
    QSignalSpy changes(&list, &platform::FolderList::change);
    QVERIFY(list.setPath(top + QStringLiteral("/./b/..")));
    QCOMPARE(list.path(), top);
    QCOMPARE(changes.count(), 1);

    QStringList texts, paths;
    for (int i = 0; i < list.count(); ++i) {
        texts.append(list.item(i)->text());
        paths.append(platform::FolderList::itemPath(list.item(i)));
    }
    QStringList components = top.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList expectedTexts = QStringList{"/"} + components + QStringList{"A", "b", "c d", "x.BMP", "ぶどう"};
    QCOMPARE(texts, expectedTexts);
    QCOMPARE(paths.first(), QStringLiteral("/"));
    QCOMPARE(paths[components.size()], top);
    QCOMPARE(paths[components.size() - 1], QFileInfo(top).path());
    QCOMPARE(paths.last(), top + QStringLiteral("/ぶどう"));
    // The current folder is the one shown selected.
    QCOMPARE(platform::FolderList::itemPath(list.currentItem()), top);

    // The same folder again is no change.
    QVERIFY(list.setPath(top + QLatin1Char('/')));
    QCOMPARE(changes.count(), 1);
    QVERIFY(list.setPath(QStringLiteral("/")));
    QCOMPARE(list.path(), QStringLiteral("/"));
    QCOMPARE(list.item(0)->text(), QStringLiteral("/"));
    QCOMPARE(platform::FolderList::itemPath(list.item(1)), QStringLiteral("/") + list.item(1)->text());
    QCOMPARE(changes.count(), 2);
}

void TestRegistration::folderListRefusesWhatItCannotList()
{
    QTemporaryDir tree;
    Write(tree.filePath(QStringLiteral("a file")), "x");
    platform::FolderList list;
    QVERIFY(list.setPath(tree.path()));
    QSignalSpy changes(&list, &platform::FolderList::change);
    QVERIFY(!list.setPath(tree.filePath(QStringLiteral("missing"))));
    QVERIFY(!list.setPath(tree.filePath(QStringLiteral("a file"))));
    QVERIFY(list.setPath(QString())); // keeps the current folder
    QCOMPARE(list.path(), tree.path());
    QCOMPARE(changes.count(), 0);
}

void TestRegistration::userDrives()
{
    const QString home = QDir::homePath();
    const QString current = QDir::currentPath();
    const QStringList drives = platform::UserDrives(QStorageInfo::mountedVolumes(), home, current);
    QCOMPARE(drives.first(), QStringLiteral("/"));
    QCOMPARE(drives.count(QStringLiteral("/")), 1);
    QVERIFY(drives.contains(QStorageInfo(home).rootPath()));
    QVERIFY(drives.contains(QStorageInfo(current).rootPath()));
    for (const QString &drive : drives) {
        QVERIFY2(drive == QLatin1String("/") || drive.startsWith(QLatin1String("/media/"))
                     || drive.startsWith(QLatin1String("/run/media/")) || drive == QStorageInfo(home).rootPath()
                     || drive == QStorageInfo(current).rootPath(),
                 qPrintable(drive));
        QVERIFY2(!drive.startsWith(QLatin1String("/proc")) && !drive.startsWith(QLatin1String("/sys")), qPrintable(drive));
    }
    QCOMPARE(drives.size(), QSet<QString>(drives.begin(), drives.end()).size());
    // Removable media are the ones below /media and /run/media, whatever else is mounted.
    const QList<QStorageInfo> media{QStorageInfo(QStringLiteral("/")), QStorageInfo(QStringLiteral("/proc"))};
    QCOMPARE(platform::UserDrives(media, QStringLiteral("/"), QStringLiteral("/")), QStringList{"/"});
}

void TestRegistration::driveListChoosesTheDriveHoldingAPath()
{
    QTemporaryDir a, b;
    platform::DriveList list;
    QCOMPARE(list.drive(), list.driveOf(QDir::currentPath()));
    list.setDrives({QStringLiteral("/"), a.path(), b.path()});
    QSignalSpy changes(&list, &platform::DriveList::change);
    list.setDrive(a.path() + QStringLiteral("/deep/er"));
    QCOMPARE(list.drive(), a.path());
    QCOMPARE(changes.count(), 1);
    list.setDrive(QString());
    QCOMPARE(list.drive(), a.path());
    list.setDrive(a.path());
    QCOMPARE(changes.count(), 1);
    // A root that only shares the beginning of its name is another drive.
    list.setDrive(b.path() + QStringLiteral("x/y"));
    QCOMPARE(list.drive(), QStringLiteral("/"));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(list.currentFolderOn(QStringLiteral("/")), QDir::currentPath());
    QCOMPARE(list.currentFolderOn(b.path()), b.path());
}

// ---------------------------------------------------------------------------------------------
// The window's handlers.

void TestRegistration::listsOpenAtTheCurrentFolder()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    Module1::ImageDir = QStringLiteral("/somewhere/else/");
    frmList *window = open();
    QCOMPARE(window->Dir1->path(), m_pictures->path());
    QCOMPARE(window->File1->path(), m_pictures->path());
    QCOMPARE(window->File1->names(), QStringList{"one.jpg"});
    QCOMPARE(window->Drive1->drive(), window->Drive1->driveOf(m_pictures->path()));
    // The file list and ImageDir agree from the start.
    QCOMPARE(Module1::ImageDir, m_pictures->path() + QLatin1Char('/'));
    QCOMPARE(window->focusWidget(), window->Command12);
}

void TestRegistration::folderChangeSetsImageDir()
{
    const QString sub = m_pictures->filePath(QStringLiteral("sub"));
    QVERIFY(QDir().mkpath(sub));
    Write(sub + QStringLiteral("/two.GIF"), "x");
    const QString dataDir = Module1::DataDir;
    frmList *window = open();
    QVERIFY(window->Dir1->setPath(sub));
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    QCOMPARE(window->File1->path(), sub);
    QCOMPARE(window->File1->names(), QStringList{"two.GIF"});
    QCOMPARE(Module1::DataDir, dataDir);
    // The root gets no second "/".
    QVERIFY(window->Dir1->setPath(QStringLiteral("/")));
    QCOMPARE(Module1::ImageDir, QStringLiteral("/"));
    QCOMPARE(Module1::DataDir, dataDir);
    // The gallery is only rebuilt at confirmation.
    QCOMPARE(Module1::ImageFiles[0], QString());
}

void TestRegistration::doubleClickEntersAndLeavesFolders()
{
    const QString sub = m_pictures->filePath(QStringLiteral("なつ やすみ"));
    QVERIFY(QDir().mkpath(sub));
    frmList *window = open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    platform::FolderList *list = window->Dir1;

    auto doubleClick = [list](const QString &path) {
        for (int i = 0; i < list->count(); ++i) {
            if (platform::FolderList::itemPath(list->item(i)) == path) {
                list->scrollToItem(list->item(i));
                const QPoint centre = list->visualItemRect(list->item(i)).center();
                // A double-click as the desktop delivers it: a press, then the second press.
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
                return true;
            }
        }
        return false;
    };
    QVERIFY(doubleClick(sub));
    QCOMPARE(list->path(), sub);
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    const QString parent = QFileInfo(m_pictures->path()).path();
    QVERIFY(doubleClick(parent));
    QCOMPARE(list->path(), parent);
    QCOMPARE(Module1::ImageDir, parent + QLatin1Char('/'));
    QCOMPARE(window->File1->path(), parent);
}

void TestRegistration::driveThatCannotBeReadGivesTheDriveError()
{
    auto stick = std::make_unique<QTemporaryDir>();
    const QString gone = stick->path();
    frmList *window = open();
    window->Drive1->setDrives({QStringLiteral("/"), gone});
    const QString folder = window->Dir1->path();
    stick.reset(); // the medium is taken out

    Boxes boxes;
    window->Drive1->setCurrentIndex(window->Drive1->findData(gone)); // the user picks it
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("ディスクをセットしてください"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ドライブエラー"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // Nothing moved: the folder, the file list and ImageDir stay, and the drive list shows the
    // drive of the folder shown.
    QCOMPARE(window->Dir1->path(), folder);
    QCOMPARE(window->File1->path(), folder);
    QCOMPARE(Module1::ImageDir, folder + QLatin1Char('/'));
    QCOMPARE(window->Drive1->drive(), window->Drive1->driveOf(folder));
}

void TestRegistration::emptyDriveAndPathKeepTheLists()
{
    frmList *window = open();
    const QString drive = window->Drive1->drive();
    const QString folder = window->Dir1->path();
    QSignalSpy driveChanges(window->Drive1, &platform::DriveList::change);
    QSignalSpy folderChanges(window->Dir1, &platform::FolderList::change);
    Boxes boxes;
    // What the menu passes before the first confirmation.
    window->setDrive(Module1::ChosenDrive);
    window->setPath(Module1::ChosenDir);
    QCOMPARE(window->Drive1->drive(), drive);
    QCOMPARE(window->Dir1->path(), folder);
    QCOMPARE(driveChanges.count(), 0);
    QCOMPARE(folderChanges.count(), 0);
    QVERIFY(boxes.seen.isEmpty());
}

void TestRegistration::setPathFromOutside()
{
    const QString sub = m_pictures->filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(sub));
    Write(sub + QStringLiteral("/a.bmp"), "x");
    frmList *window = open();
    Boxes boxes;
    window->setDrive(sub);
    window->setPath(sub);
    QCOMPARE(window->Dir1->path(), sub);
    QCOMPARE(window->File1->names(), QStringList{"a.bmp"});
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
    QVERIFY(boxes.seen.isEmpty());

    // The folder confirmed last is gone (with its medium): the drive error, and nothing moves.
    window->setPath(m_pictures->filePath(QStringLiteral("gone")));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ドライブエラー"));
    QCOMPARE(window->Dir1->path(), sub);
    QCOMPARE(Module1::ImageDir, sub + QLatin1Char('/'));
}

void TestRegistration::confirmFillsTheSlotsStoresScansAndCloses()
{
    const QString sub = m_pictures->filePath(QStringLiteral("え"));
    QVERIFY(QDir().mkpath(sub));
    for (const char *name : {"b.jpg", "A.BMP", "c d.gif", "notes.txt"})
        Write(sub + QLatin1Char('/') + QString::fromUtf8(name), "x");
    MakeStore(store(), Numbered(QStringLiteral("もと")));

    frmList *window = open();
    QCOMPARE(window->PhraseBox[0]->text(), QStringLiteral("もと1"));
    QVERIFY(window->Dir1->setPath(sub));
    window->PhraseBox[0]->setText(QStringLiteral("おはよう"));
    window->PhraseBox[1]->clear();
    QTest::keyClicks(window->PhraseBox[9], QStringLiteral(" ok"));

    QStringList scanned;
    QString imageDirAtScan;
    bool windowAliveAtScan = false;
    QPointer<frmList> watched(window);
    connect(window, &frmList::scanImageFolder, this, [&](const QStringList &names) {
        scanned = names;
        imageDirAtScan = Module1::ImageDir;
        windowAliveAtScan = watched && watched->isVisible() && watched->File1->count() == names.size();
    });
    const QString drive = window->Drive1->drive();
    Boxes boxes;
    QTest::mouseClick(window->Command12, Qt::LeftButton);
    QVERIFY(boxes.seen.isEmpty());

    Phrases expected = Numbered(QStringLiteral("もと"));
    expected[0] = QStringLiteral("おはよう");
    expected[1].clear();
    expected[9] += QStringLiteral(" ok");
    for (int k = 0; k < PhraseCount; ++k)
        QCOMPARE(m_form->Text1[k]->text(), expected[k]);
    QCOMPARE(StoredRows(store()), QList<QStringList>{ListOf(expected)});
    QCOMPARE(scanned, (QStringList{"A.BMP", "b.jpg", "c d.gif"}));
    QCOMPARE(imageDirAtScan, sub + QLatin1Char('/'));
    QVERIFY(windowAliveAtScan);
    QCOMPARE(Module1::ChosenDrive, drive);
    QCOMPARE(Module1::ChosenDir, sub);
    QTRY_VERIFY(watched.isNull());
    QVERIFY(m_form->isVisible());
    QTRY_VERIFY(m_form->isActiveWindow());
}

void TestRegistration::confirmWithoutPicturesWarnsAndGoesOn()
{
    Write(m_pictures->filePath(QStringLiteral("readme.txt")), "x");
    frmList *window = open();
    QPointer<frmList> watched(window);
    QSignalSpy scans(window, &frmList::scanImageFolder);
    window->PhraseBox[2]->setText(QStringLiteral("さくら"));
    Boxes boxes;
    window->Command12->click();

    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("がぞうがありません、がぞうをいれるには\u3000[ディレクトリの指定]からおこなってください。"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("確認"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // The confirmation went on.
    QCOMPARE(m_form->Text1[2]->text(), QStringLiteral("さくら"));
    QCOMPARE(StoredRows(store()).value(0).value(2), QStringLiteral("さくら"));
    QCOMPARE(scans.count(), 1);
    QCOMPARE(scans[0][0].toStringList(), QStringList());
    QCOMPARE(Module1::ChosenDir, m_pictures->path());
    QTRY_VERIFY(watched.isNull());
}

void TestRegistration::confirmWithAllBoxesEmptyClearsTheSlots()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    MakeStore(store(), Numbered(QStringLiteral("ことば")));
    m_form = std::make_unique<Form1>();
    for (int k = 0; k < PhraseCount; ++k)
        m_form->Text1[k]->setText(QStringLiteral("ポスター%1").arg(k));
    frmList *window = open();
    for (platform::PlainTextBox *box : window->PhraseBox)
        box->clear();
    Boxes boxes;
    window->Command12->click();
    QVERIFY(boxes.seen.isEmpty());
    for (int k = 0; k < PhraseCount; ++k)
        QCOMPARE(m_form->Text1[k]->text(), QString());
    QCOMPARE(StoredRows(store()), QList<QStringList>{QStringList(PhraseCount, QString())});
}

void TestRegistration::reopeningOffersThePostersTexts()
{
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    MakeStore(store(), Numbered(QStringLiteral("ことば")));
    frmList *first = open();
    QPointer<frmList> watched(first);
    first->Command12->click();
    QTRY_VERIFY(watched.isNull());
    QCOMPARE(m_form->Text1[2]->text(), QStringLiteral("ことば3"));

    // The poster's text slot 3 is edited, and the window is opened again.
    m_form->Text1[2]->setText(QStringLiteral("あたらしい"));
    m_form->Text1[5]->clear();
    frmList *second = open();
    QCOMPARE(second->PhraseBox[2]->text(), QStringLiteral("あたらしい"));
    QCOMPARE(second->PhraseBox[5]->text(), QStringLiteral("ことば6")); // an empty slot offers the stored phrase
    QCOMPARE(second->PhraseBox[0]->text(), QStringLiteral("ことば1"));
    second->Command12->click();
    Phrases expected = Numbered(QStringLiteral("ことば"));
    expected[2] = QStringLiteral("あたらしい");
    QCOMPARE(StoredRows(store()), QList<QStringList>{ListOf(expected)});
}

void TestRegistration::unreadableStoreInTheWindow_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<QString>("backup");
    QTest::newRow("garbage") << false << QByteArray("these are not the phrases\n") << QStringLiteral(".broken");
    QTest::newRow("a folder named tovi.mdb") << true << QByteArray("these are not the phrases\n") << QString();
    // A damaged Jet file on which libmdb dies of a segmentation fault.
    QTest::newRow("a Jet file that crashes its reader")
        << false << Bytes(QStringLiteral(TOVIMARU_REGRESSIONS "/jet/tovi-jet4-mutant-1213.mdb")) << QStringLiteral(".jet");
}

void TestRegistration::unreadableStoreInTheWindow()
{
    QFETCH(bool, folder);
    QFETCH(QByteArray, garbage);
    QFETCH(QString, backup);
    QVERIFY(!garbage.isEmpty());
    if (folder) {
        QVERIFY(QDir().mkpath(store()));
        Write(store() + QStringLiteral("/inside"), garbage);
    } else {
        Write(store(), garbage);
    }
    Write(m_pictures->filePath(QStringLiteral("one.jpg")), "x");
    m_form = std::make_unique<Form1>();
    m_form->Text1[1]->setText(QStringLiteral("ポスター"));

    Boxes boxes;
    frmList *window = open();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("ことばを よみこめませんでした"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("ことば"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes.seen[0].family, platform::FamilyOf(platform::FontFace::RoundedGothic));
    QCOMPARE(window->PhraseBox[0]->text(), QString());
    QCOMPARE(window->PhraseBox[1]->text(), QStringLiteral("ポスター"));

    window->PhraseBox[0]->setText(QStringLiteral("うみ"));
    QPointer<frmList> watched(window);
    QSignalSpy scans(window, &frmList::scanImageFolder);
    window->Command12->click();
    QCOMPARE(m_form->Text1[0]->text(), QStringLiteral("うみ"));
    QCOMPARE(scans.count(), 1);
    QTRY_VERIFY(watched.isNull());
    if (folder) {
        // Nothing can be written, and the user is told; the folder is left as it was.
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("ことばを ほぞんできませんでした"));
        QCOMPARE(boxes.seen[1].title, QStringLiteral("ことば"));
        QCOMPARE(Bytes(store() + QStringLiteral("/inside")), garbage);
        QCOMPARE(Entries(dataDir()), QStringList{StoreName});
    } else {
        // The unreadable file is kept aside and a new store holds the phrases.
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(Bytes(store() + backup), garbage);
        QCOMPARE(StoredRows(store()).value(0).mid(0, 2), (QStringList{"うみ", "ポスター"}));
    }
}

// ---------------------------------------------------------------------------------------------
// The phrase store.

void TestRegistration::firstStartWithoutStore()
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

void TestRegistration::emptyFileAndEmptyTable_data()
{
    QTest::addColumn<bool>("withTable");
    QTest::newRow("zero-byte file") << false;
    QTest::newRow("table without records") << true;
}

void TestRegistration::emptyFileAndEmptyTable()
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

void TestRegistration::onlyTheFirstRecordIsUsed()
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

void TestRegistration::roundTrip_data()
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

void TestRegistration::roundTrip()
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

void TestRegistration::savingTwiceKeepsOneRecord()
{
    PhraseStore store(dataDir());
    QCOMPARE(store.save(Numbered(QStringLiteral("a"))), PhraseStore::Saved::Stored);
    QCOMPARE(store.save(Numbered(QStringLiteral("b"))), PhraseStore::Saved::Stored);
    QCOMPARE(PhraseStore(dataDir()).save(Numbered(QStringLiteral("c"))), PhraseStore::Saved::Stored);
    QCOMPARE(StoredRows(this->store()), QList<QStringList>{ListOf(Numbered(QStringLiteral("c")))});
}

void TestRegistration::jetStoreIsReadAndConverted()
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

void TestRegistration::jetRowsOfAnAccessFile()
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

void TestRegistration::jetFileWithoutThePhraseTable()
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
void TestRegistration::jetRegressionFilesAreReadSafely()
{
    const QDir folder(QStringLiteral(TOVIMARU_REGRESSIONS "/jet"));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        const JetRow row = ReadFirstJetRow(folder.filePath(name), PhraseTable, {"moji1", "moji2"});
        QVERIFY2(row.status == JetRow::Failed || row.values.size() == 2, qPrintable(name));
    }
}

void TestRegistration::jetReaderThatFailsIsAnUnreadableFile_data()
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

void TestRegistration::jetReaderThatFailsIsAnUnreadableFile()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, script);
    QTemporaryDir scripts;
    if (!script.isEmpty()) {
        reader = scripts.filePath(reader);
        Write(reader, script);
        QVERIFY(QFile::setPermissions(reader, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray original = Bytes(QStringLiteral(TOVIMARU_REGRESSIONS "/jet/tovi-jet4-mutant-1213.mdb"));
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

void TestRegistration::earlierBackupsAreNeverOverwritten()
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

void TestRegistration::unreadableFilesAreKeptAside_data()
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

void TestRegistration::unreadableFilesAreKeptAside()
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

void TestRegistration::folderNamedLikeTheStore()
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

void TestRegistration::leftoversOfACutOffSave()
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

void TestRegistration::lockedStore()
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

void TestRegistration::writerKilledMidWrite()
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

void TestRegistration::writerKilledAtAnyMoment()
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

void TestRegistration::readOnlyLocations_data()
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

void TestRegistration::readOnlyLocations()
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

void TestRegistration::twoProgramsConfirmingAtOnce_data()
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

void TestRegistration::twoProgramsConfirmingAtOnce()
{
    QFETCH(QString, start);
    QFETCH(int, starts);
    QFETCH(int, rounds);
    const QString jet = Testdata + QStringLiteral("/mdb/tovi-jet4.mdb");
    if (start == QLatin1String("jet"))
        SKIP_WITHOUT_TESTDATA();
    const QString go = m_pictures->filePath(QStringLiteral("go"));
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
            WriteFile(store(), QByteArray("not a store at all ").repeated(200));
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
        WriteFile(go, QByteArray());
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

    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QTEST_SET_MAIN_SOURCE_PATH
    TestRegistration test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registration.moc"
