// SPDX-License-Identifier: GPL-3.0-or-later
// The registration window's three lists on real folders: the file list and its pattern, the
// folder list with the path and its folders, the drives a user may choose and the drive holding a
// path.

#include "TestSupport.h"
#include "platform/FileLists.h"
#include "tests/support/Registration.h"

#include <QDir>
#include <QSet>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace testing;

class TestFileLists : public QObject
{
    Q_OBJECT

private slots:
    void fileListPattern();
    void fileListOfTestPictures_data();
    void fileListOfTestPictures();
    void folderListShowsThePathAndItsFolders();
    void folderListRefusesWhatItCannotList();
    void userDrives();
    void driveListChoosesTheDriveHoldingAPath();
};

void TestFileLists::fileListPattern()
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

void TestFileLists::fileListOfTestPictures_data()
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

void TestFileLists::fileListOfTestPictures()
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

void TestFileLists::folderListShowsThePathAndItsFolders()
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

void TestFileLists::folderListRefusesWhatItCannotList()
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

void TestFileLists::userDrives()
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

void TestFileLists::driveListChoosesTheDriveHoldingAPath()
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

    // A folder listed as a drive of its own, under its caption, stays listed after the mounted
    // drives however often they are read again.
    QTemporaryDir pictures;
    list.addFolderDrive(pictures.path(), QStringLiteral("とびまる の え"));
    QCOMPARE(changes.count(), 2);
    list.setDrives({QStringLiteral("/")});
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.itemText(1), QStringLiteral("とびまる の え"));
    QCOMPARE(list.driveOf(pictures.path() + QStringLiteral("/a")), pictures.path());
    list.setCurrentIndex(1);
    QCOMPARE(list.drive(), pictures.path());
    QCOMPARE(list.currentFolderOn(pictures.path()), pictures.path());
}

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
