// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: help and version, a start folder, the user's own folders (what the
// desktop's menu starts), and the folders that cannot be used. The program itself runs as
// another process for what it prints and its exit status; the start folders are also followed
// in-process into the running program.

#include "TestPaths.h"
#include "TestSupport.h"
#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "registration/BuiltinPictures.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using testing::TopLevel;

namespace {

const QString ProgramPath = testing::ProgramPath();

struct Run
{
    int status = -1; // the exit status; -1 when it crashed or did not end
    QString out;
    QString err;
};

// The program run to its end. display: whether it may reach one (offscreen); without it, a
// program that made its QApplication would abort, so an answer proves none was made.
Run RunProgram(const QStringList &arguments, bool display, const QProcessEnvironment &extra = {}, int ms = 20000)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString &key : extra.keys())
        environment.insert(key, extra.value(key));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(ProgramPath, arguments);
    Run run;
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

frmList *Registration()
{
    return qobject_cast<frmList *>(TopLevel(QStringLiteral("frmList")));
}

QString WithSlash(const QString &folder)
{
    return QDir(folder).absolutePath() + QLatin1Char('/');
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void helpAndVersionNeedNoDisplay();
    void foldersThatCannotBeUsed_data();
    void foldersThatCannotBeUsed();
    void unreadableFolder();
    void withoutArgumentsNothingChanges();
    void startFolder();
    void userFolders_data();
    void userFolders();
    void startedFromTheMenu();
    void builtinPictures_data();
    void builtinPictures();

private:
    // A folder holding one of the sample pictures.
    QString pictureFolder(const QString &name);
    // Types a phrase into the registration window and confirms it.
    void confirmPhrase(const QString &phrase);

    QString m_startFolder;
    QProcessEnvironment m_environment;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

void TestCommandLine::initTestCase()
{
    // The name the program gives itself, which names its data folder.
    QCoreApplication::setApplicationName(QStringLiteral("tovimaru"));
    m_startFolder = QDir::currentPath();
    m_environment = QProcessEnvironment::systemEnvironment();
}

void TestCommandLine::init()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
}

void TestCommandLine::cleanup()
{
    QDir::setCurrent(m_startFolder);
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        const QString value = m_environment.value(QString::fromLatin1(name));
        if (m_environment.contains(QString::fromLatin1(name)))
            qputenv(name, value.toLocal8Bit());
        else
            qunsetenv(name);
    }
    if (CurrentProgram() && Registration())
        Registration()->close();
    settings::SetCurrent(settings::Settings{});
    m_scratch.reset();
}

QString TestCommandLine::pictureFolder(const QString &name)
{
    const QString folder = m_scratch->filePath(name);
    if (!QDir().mkpath(folder) || !QFile::copy(testing::SourcePath(QStringLiteral("samples/SUN.BMP")), folder + QStringLiteral("/SUN.BMP")))
        return QString();
    return folder;
}

void TestCommandLine::confirmPhrase(const QString &phrase)
{
    frmList *registration = Registration();
    QVERIFY(registration && registration->isVisible());
    registration->PhraseBox[0]->setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(phrase);
    QApplication::sendEvent(registration->PhraseBox[0], &typed);
    QTest::mouseClick(registration->Command12, Qt::LeftButton);
    QTRY_VERIFY(!Registration());
}

void TestCommandLine::helpAndVersionNeedNoDisplay()
{
    for (const QString &option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const Run help = RunProgram({option}, false);
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.startsWith(QStringLiteral("Usage: tovimaru [options] [FOLDER]\n")), qPrintable(help.out));
        QVERIFY(help.out.contains(QStringLiteral("--user-folders")));
        QVERIFY(help.out.contains(QStringLiteral("--version")));
        QCOMPARE(help.err, QString());
    }
    const Run version = RunProgram({QStringLiteral("--version")}, false);
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("tovimaru " TOVIMARU_VERSION "\n"));
    QCOMPARE(version.err, QString());
}

void TestCommandLine::foldersThatCannotBeUsed_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the scratch folder
    QTest::addColumn<bool>("display");         // Qt's own options are read by its application
    QTest::addColumn<QString>("message");

    QTest::newRow("missing folder") << QStringList{QStringLiteral("@/missing")} << false
                                    << QStringLiteral("tovimaru: the folder \"@/missing\" does not exist\n");
    QTest::newRow("a file") << QStringList{QStringLiteral("@/file")} << false
                            << QStringLiteral("tovimaru: \"@/file\" is not a folder\n");
    QTest::newRow("missing folder, user folders")
        << QStringList{QStringLiteral("--user-folders"), QStringLiteral("@/missing")} << false
        << QStringLiteral("tovimaru: the folder \"@/missing\" does not exist\n");
    QTest::newRow("two folders") << QStringList{QStringLiteral("@"), QStringLiteral("@")} << false
                                 << QStringLiteral("tovimaru: one FOLDER at most, not 2\n");
    QTest::newRow("after Qt's options") << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("@/missing")}
                                        << true << QStringLiteral("tovimaru: the folder \"@/missing\" does not exist\n");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << true
                                    << QStringLiteral("tovimaru: Unknown option 'colour'.\n");
}

void TestCommandLine::foldersThatCannotBeUsed()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(QString, message);
    QFile file(m_scratch->filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (QString &argument : arguments)
        argument.replace(QLatin1Char('@'), m_scratch->path());
    message.replace(QLatin1Char('@'), m_scratch->path());

    const Run run = RunProgram(arguments, display);
    QCOMPARE(run.status, CommandLineErrorStatus);
    QCOMPARE(run.out, QString());
    // Qt may have a word of its own before (where the application was made).
    QVERIFY2(run.err.endsWith(message + QStringLiteral("Try 'tovimaru --help' for more information.\n")), qPrintable(run.err));
    if (!display)
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
}

void TestCommandLine::unreadableFolder()
{
    const QString folder = m_scratch->filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::WriteOwner));
    QStringList arguments{folder};
    QString program = ProgramPath;
    if (::geteuid() == 0) {
        // Root reads every folder: the program runs as nobody, where nobody may run it.
        if (QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty()
            || QProcess::execute(QStringLiteral("runuser"), {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                                                             QStringLiteral("test"), QStringLiteral("-x"), ProgramPath})
                   != 0)
            QSKIP("as root, and nobody may not run the program here");
        QVERIFY(QFile::setPermissions(m_scratch->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                             | QFile::ReadOther | QFile::ExeOther));
        arguments = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), ProgramPath, folder};
        program = QStringLiteral("runuser");
    }
    QProcess process;
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), CommandLineErrorStatus);
    QVERIFY2(QString::fromLocal8Bit(process.readAllStandardError())
                 .startsWith(QStringLiteral("tovimaru: the folder \"%1\" cannot be read\n").arg(folder)),
             qPrintable(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestCommandLine::withoutArgumentsNothingChanges()
{
    const CommandLine line = ParseCommandLine({QStringLiteral("tovimaru")});
    QCOMPARE(line.outcome, CommandLine::Outcome::Start);
    QCOMPARE(line.folders.pictures, QString());
    QCOMPARE(line.folders.data, QString());
    QVERIFY(QDir::setCurrent(m_scratch->path()));
    StartTovimaru(line.folders);
    QCOMPARE(Module1::ImageDir, WithSlash(m_scratch->path()));
    QCOMPARE(Module1::DataDir, Module1::ImageDir);
}

void TestCommandLine::startFolder()
{
    const QString folder = pictureFolder(QStringLiteral("pictures"));
    QVERIFY(!folder.isEmpty());
    // Given as a relative path, from somewhere else.
    QVERIFY(QDir::setCurrent(m_scratch->path()));
    const CommandLine line = ParseCommandLine({QStringLiteral("tovimaru"), QStringLiteral("pictures/")});
    QCOMPARE(line.outcome, CommandLine::Outcome::Start);
    QCOMPARE(line.folders.pictures, QDir(folder).absolutePath());
    QCOMPARE(line.folders.data, QString());
    QVERIFY(QDir::setCurrent(m_startFolder));

    StartTovimaru(line.folders);
    QCOMPARE(QDir::currentPath(), QDir(folder).absolutePath());
    QCOMPARE(Module1::ImageDir, WithSlash(folder));
    QCOMPARE(Module1::DataDir, WithSlash(folder));
    QCOMPARE(Registration()->Dir1->path(), QDir(folder).absolutePath());
    QCOMPARE(Registration()->File1->names(), QStringList{QStringLiteral("SUN.BMP")});
    confirmPhrase(QStringLiteral("はな"));
    QVERIFY(QFile::exists(folder + QStringLiteral("/tovi.mdb")));
}

void TestCommandLine::userFolders_data()
{
    QTest::addColumn<bool>("picturesFolder"); // the user has a picture folder
    QTest::addColumn<bool>("folderGiven");    // a FOLDER besides
    QTest::newRow("picture folder") << true << false;
    QTest::newRow("no picture folder: home") << false << false;
    QTest::newRow("FOLDER for the pictures") << true << true;
}

void TestCommandLine::userFolders()
{
    QFETCH(bool, picturesFolder);
    QFETCH(bool, folderGiven);
    const QString home = picturesFolder ? pictureFolder(QStringLiteral("home/Pictures")).chopped(9)
                                        : pictureFolder(QStringLiteral("home"));
    QVERIFY(!home.isEmpty());
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_scratch->filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_scratch->filePath(QStringLiteral("data"))));
    const QString data = m_scratch->filePath(QStringLiteral("data/tovimaru"));
    const QString given = folderGiven ? pictureFolder(QStringLiteral("given")) : QString();

    QStringList arguments{QStringLiteral("tovimaru"), QStringLiteral("--user-folders")};
    if (folderGiven)
        arguments.append(given);
    const CommandLine line = ParseCommandLine(arguments);
    QCOMPARE(line.outcome, CommandLine::Outcome::Start);
    const QString pictures = folderGiven ? given : picturesFolder ? home + QStringLiteral("/Pictures") : home;
    QCOMPARE(line.folders.pictures, QDir(pictures).absolutePath());
    QCOMPARE(line.folders.data, data);
    QVERIFY(QFileInfo(data).isDir()); // made when missing

    StartTovimaru(line.folders);
    QCOMPARE(Module1::ImageDir, WithSlash(pictures));
    QCOMPARE(Module1::DataDir, WithSlash(data));
    QCOMPARE(Registration()->File1->names(), QStringList{QStringLiteral("SUN.BMP")});
    confirmPhrase(QStringLiteral("そら"));
    QVERIFY(QFile::exists(data + QStringLiteral("/tovi.mdb")));
    QVERIFY(!QFile::exists(pictures + QStringLiteral("/tovi.mdb")));

    // The next start from the menu offers the phrase again, wherever it was started.
    QVERIFY(QDir::setCurrent(m_scratch->path()));
    StartTovimaru(ParseCommandLine(arguments).folders);
    QCOMPARE(Registration()->PhraseBox[0]->text(), QStringLiteral("そら"));
}

void TestCommandLine::startedFromTheMenu()
{
    // As the desktop entry starts it: from the home folder, with the user's folders.
    const QString home = pictureFolder(QStringLiteral("home"));
    QVERIFY(!home.isEmpty());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_scratch->filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_scratch->filePath(QStringLiteral("data")));
    const Run run = RunProgram({QStringLiteral("--user-folders")}, true, environment, 1500);
    QCOMPARE(run.status, -1); // still running: it started and waits for the user
    QVERIFY(QFileInfo(m_scratch->filePath(QStringLiteral("data/tovimaru"))).isDir());
    QVERIFY(!QFile::exists(home + QStringLiteral("/tovi.mdb")));
}

void TestCommandLine::builtinPictures_data()
{
    QTest::addColumn<bool>("option");          // builtinPictures
    QTest::addColumn<bool>("userHasPictures"); // ~/Pictures holds a picture
    QTest::addColumn<bool>("folderGiven");     // an empty FOLDER besides --user-folders
    QTest::addColumn<bool>("builtinFirst");    // the gallery opens on the program's own pictures
    QTest::newRow("on, empty picture folder") << true << false << false << true;
    QTest::newRow("on, a picture of the user's") << true << true << false << false;
    QTest::newRow("on, an empty FOLDER asked for") << true << false << true << false;
    QTest::newRow("off, empty picture folder") << false << false << false << false;
}

void TestCommandLine::builtinPictures()
{
    QFETCH(bool, option);
    QFETCH(bool, userHasPictures);
    QFETCH(bool, folderGiven);
    QFETCH(bool, builtinFirst);
    const QString builtin = BuiltinPicturesFolder();
    QVERIFY2(!builtin.isEmpty(), "the build draws the program's own pictures");
    QVERIFY(frmList::PictureFiles(builtin).size() >= 40);
    settings::Settings chosen;
    chosen.builtinPictures = option;
    settings::SetCurrent(chosen);
    const QString home = m_scratch->filePath(QStringLiteral("home"));
    const QString userPictures = userHasPictures ? pictureFolder(QStringLiteral("home/Pictures")) : home + QStringLiteral("/Pictures");
    QVERIFY(QDir().mkpath(userPictures));
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_scratch->filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_scratch->filePath(QStringLiteral("data"))));
    const QString given = m_scratch->filePath(QStringLiteral("given"));
    QVERIFY(QDir().mkpath(given));
    QStringList arguments{QStringLiteral("tovimaru"), QStringLiteral("--user-folders")};
    if (folderGiven)
        arguments.append(given);
    const QString asked = folderGiven ? given : userPictures;

    StartTovimaru(ParseCommandLine(arguments).folders);
    frmList *registration = Registration();
    QVERIFY(registration);
    // The current folder, where a poster is saved, is the folder asked for whatever the gallery shows.
    QCOMPARE(QDir::currentPath(), QDir(asked).absolutePath());
    const QString first = builtinFirst ? builtin : QDir(asked).absolutePath();
    QCOMPARE(Module1::ImageDir, WithSlash(first));
    QCOMPARE(registration->Dir1->path(), first);
    // The drive list offers the program's own pictures, under their caption, only with the option.
    const int entry = registration->Drive1->findData(builtin);
    QCOMPARE(entry >= 0, option);
    if (!option)
        return;
    QCOMPARE(registration->Drive1->itemText(entry), QStringLiteral("とびまる の え"));
    QCOMPARE(registration->Drive1->currentIndex() == entry, builtinFirst);
    if (!builtinFirst) {
        registration->Drive1->setCurrentIndex(entry); // the user picks it
        QCOMPARE(registration->Dir1->path(), builtin);
        QCOMPARE(Module1::ImageDir, WithSlash(builtin));
    }
    QCOMPARE(registration->File1->names(), frmList::PictureFiles(builtin));

    confirmPhrase(QStringLiteral("いぬ"));
    QCOMPARE(Module1::ImageFiles[0], builtin + QLatin1Char('/') + frmList::PictureFiles(builtin).first());
    QCOMPARE(Module1::ThumbCount, 10);
    QTRY_VERIFY(!CurrentProgram()->form().Image1[9]->picture().isEmpty());
    // The phrases went to the user's data folder; nothing was written among the pictures.
    QVERIFY(QFile::exists(m_scratch->filePath(QStringLiteral("data/tovimaru/tovi.mdb"))));
    QCOMPARE(QDir(builtin).entryList(QDir::Files).size(), frmList::PictureFiles(builtin).size());
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
