// SPDX-License-Identifier: GPL-3.0-or-later
// The program installed: `cmake --install` into a scratch prefix, the files in their places,
// the icons drawn by the program's own icon code, the desktop entry and the AppStream metainfo
// as their validators see them, the installed program answering, the licence, changelog and
// manual page every Debian package carries, and the Debian package's files, computed
// dependencies and lintian's verdict.

#include "TestPaths.h"
#include "app/AppIcon.h"
#include "pictures/Picture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString BuildDir = testing::BuildPath();
const QString AppId = QStringLiteral(TOVIMARU_APP_ID);
const QString Homepage = QStringLiteral(TOVIMARU_HOMEPAGE);
const QString Screenshot = QStringLiteral(TOVIMARU_SCREENSHOT);
const QString DocDir = QStringLiteral("share/doc/tovimaru/");
const QList<int> IconSizes{16, 22, 24, 32, 48, 64, 128, 256};
// Where the program looks for its own pictures, relative to its own folder (BuiltinPictures.h).
const QString PicturesDir = QDir::cleanPath(QStringLiteral("bin/" TOVIMARU_PICTURES_FROM_BINDIR));

struct Run
{
    int status = -1;
    QString out; // standard output and error together
};

Run RunTool(const QString &program, const QStringList &arguments, int ms = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = QString::fromLocal8Bit(process.readAll());
    return run;
}

// The files under a folder, as paths relative to it.
QStringList FilesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// Every file the installation holds, relative to the prefix.
QStringList ExpectedFiles()
{
    QStringList files{QStringLiteral("bin/tovimaru"),
                      QDir::cleanPath(QStringLiteral("bin/" TOVIMARU_HELPER_FROM_BINDIR "/tovimaru-jet-reader")),
                      QDir::cleanPath(QStringLiteral("bin/" TOVIMARU_HELPER_FROM_BINDIR "/tovimaru-decoder")),
                      QStringLiteral("share/applications/%1.desktop").arg(AppId),
                      QStringLiteral("share/applications/%1.Settings.desktop").arg(AppId),
                      QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId),
                      QStringLiteral("share/icons/hicolor/scalable/apps/tovimaru.svg"),
                      QStringLiteral("share/man/man1/tovimaru.1.gz"),
                      DocDir + QStringLiteral("copyright"),
                      DocDir + QStringLiteral("changelog.Debian.gz")};
    for (int size : IconSizes)
        files.append(QStringLiteral("share/icons/hicolor/%1x%1/apps/tovimaru.png").arg(size));
    // The program's own pictures, as the build drew them.
    for (const QString &name : QDir(testing::BuildPath(QStringLiteral(TOVIMARU_INSTALL_PICTURESDIR))).entryList(QDir::Files))
        files.append(PicturesDir + QLatin1Char('/') + name);
    // And its own starters beside them.
    for (const QString &name : QDir(testing::BuildPath(QStringLiteral(TOVIMARU_INSTALL_STARTERSDIR))).entryList(QDir::Files))
        files.append(QStringLiteral("share/tovimaru/starters/") + name);
    files.sort();
    return files;
}

QString ReadText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A gzip file's text; empty unless the file is gzip's (its magic bytes, and gzip reads it whole).
QString ReadGzipText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.read(2).startsWith("\x1f\x8b"))
        return QString();
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    if (!gzip.waitForFinished(20000) || gzip.exitStatus() != QProcess::NormalExit || gzip.exitCode() != 0)
        return QString();
    return QString::fromUtf8(gzip.readAllStandardOutput());
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void filesInTheirPlaces();
    void installedProgramAnswers();
    void programsOwnPictures();
    void iconsAreTheProgramsIcon();
    void desktopEntry_data();
    void desktopEntry();
    void metainfo();
    void copyrightIsMachineReadable();
    void changelog();
    void manualPage();
    void debianPackage();
    void lintianAcceptsThePackage();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
    QTemporaryDir m_packageDir;
    QString m_deb; // the package debianPackage() built, empty when it did not
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const Run install = RunTool(QStringLiteral(TOVIMARU_CMAKE), {QStringLiteral("--install"), BuildDir,
                                                                  QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY2(install.status == 0, qPrintable(install.out));
}

void TestInstall::filesInTheirPlaces()
{
    QCOMPARE(FilesUnder(m_prefix.path()), ExpectedFiles());
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/tovimaru"))).isExecutable());
    // Where the installed program looks for its helpers (JetReader.cpp, DecoderPool.cpp).
    for (const char *helper : {"/tovimaru-jet-reader", "/tovimaru-decoder"})
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/" TOVIMARU_HELPER_FROM_BINDIR) + QLatin1String(helper))).isExecutable());
}

void TestInstall::installedProgramAnswers()
{
    const Run version = RunTool(installed(QStringLiteral("bin/tovimaru")), {QStringLiteral("--version")}, 20000);
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("tovimaru " TOVIMARU_VERSION "\n"));
}

void TestInstall::programsOwnPictures()
{
    const QDir folder(installed(PicturesDir));
    const QStringList names = folder.entryList(QDir::Files);
    QVERIFY2(names.size() >= 40, qPrintable(QString::number(names.size())));
    QSet<QString> formats;
    for (const QString &name : names) {
        const QFileInfo file(folder.filePath(name));
        // Every user may read them, none but their owner (root, for a package) may write them.
        QCOMPARE(file.permissions() & (QFile::WriteGroup | QFile::WriteOther), QFile::Permissions());
        QVERIFY(file.permissions() & QFile::ReadOther);
        formats.insert(file.suffix());
        const platform::Picture picture = platform::LoadPicture(file.filePath());
        QVERIFY2(!picture.isEmpty(), qPrintable(name));
        QVERIFY2(picture.logicalSize().width() >= 100 && picture.logicalSize().height() >= 100, qPrintable(name));
    }
    // Every format of the gallery's list.
    QCOMPARE(formats, (QSet<QString>{QStringLiteral("bmp"), QStringLiteral("dib"), QStringLiteral("rle"), QStringLiteral("jpg"),
                                     QStringLiteral("gif"), QStringLiteral("wmf")}));
}

void TestInstall::iconsAreTheProgramsIcon()
{
    for (int size : IconSizes) {
        const QImage png(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/tovimaru.png").arg(size)));
        QCOMPARE(png.size(), QSize(size, size));
        QVERIFY(png.hasAlphaChannel());
        QCOMPARE(png.convertToFormat(QImage::Format_ARGB32), AppIconImage(size).convertToFormat(QImage::Format_ARGB32));
    }
    // The scalable icon, drawn at 64 pixels, is the same drawing.
    QSvgRenderer svg(installed(QStringLiteral("share/icons/hicolor/scalable/apps/tovimaru.svg")));
    QVERIFY(svg.isValid());
    QImage drawn(64, 64, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        svg.render(&painter);
    }
    const QImage expected = AppIconImage(64);
    qint64 difference = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = drawn.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            difference += qAbs(qAlpha(a) - qAlpha(b)) + qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b))
                          + qAbs(qBlue(a) - qBlue(b));
        }
    }
    const double perChannel = double(difference) / (64 * 64 * 4);
    QVERIFY2(perChannel < 2.0, qPrintable(QString::number(perChannel)));
}

void TestInstall::desktopEntry_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("exec");
    QTest::newRow("the program") << QStringLiteral("%1.desktop").arg(AppId) << QStringLiteral("Exec=tovimaru --user-folders");
    QTest::newRow("its settings") << QStringLiteral("%1.Settings.desktop").arg(AppId) << QStringLiteral("Exec=tovimaru --settings");
}

void TestInstall::desktopEntry()
{
    QFETCH(QString, file);
    QFETCH(QString, exec);
    const QString path = installed(QStringLiteral("share/applications/") + file);
    const QStringList lines = ReadText(path).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(exec));
    QVERIFY(lines.contains(QStringLiteral("Icon=tovimaru")));
    QVERIFY(lines.filter(QRegularExpression(QStringLiteral("^Name\\[ja\\]="))).size() == 1);
    QVERIFY(lines.filter(QRegularExpression(QStringLiteral("^Comment\\[ja\\]="))).size() == 1);
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    const Run run = RunTool(validator, {path});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString()); // not even a hint
}

void TestInstall::metainfo()
{
    const QString path = installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId));
    const QString xml = ReadText(path);
    QVERIFY(xml.contains(QStringLiteral("<id>%1</id>").arg(AppId)));
    QVERIFY(xml.contains(QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(AppId)));
    QVERIFY(xml.contains(QStringLiteral("<name xml:lang=\"ja\">")));
    QVERIFY(xml.contains(QStringLiteral("<summary xml:lang=\"ja\">")));
    QVERIFY(xml.contains(QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")));
    QVERIFY(xml.contains(QStringLiteral("<metadata_license>CC0-1.0</metadata_license>")));
    QVERIFY(xml.contains(QStringLiteral("<content_rating type=\"oars-1.1\"")));
    QVERIFY(xml.contains(QStringLiteral("<release version=\"" TOVIMARU_VERSION "\"")));
    // A home page and a screenshot only where the project publishes them.
    QCOMPARE(xml.contains(QStringLiteral("<url type=\"homepage\">%1</url>").arg(Homepage)), !Homepage.isEmpty());
    QCOMPARE(xml.contains(QStringLiteral("<url ")), !Homepage.isEmpty());
    QCOMPARE(xml.contains(QStringLiteral("<image>%1</image>").arg(Screenshot)), !Screenshot.isEmpty());
    QCOMPARE(xml.contains(QStringLiteral("<screenshots>")), !Screenshot.isEmpty());
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (validator.isEmpty())
        QSKIP("appstreamcli is not installed (appstream)");
    const Run run = RunTool(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"), path});
    QVERIFY2(run.status == 0, qPrintable(run.out));
    // Neither errors nor warnings nor remarks.
    QVERIFY2(!QRegularExpression(QStringLiteral("^[EWI]: "), QRegularExpression::MultilineOption).match(run.out).hasMatch(),
             qPrintable(run.out));
}

void TestInstall::copyrightIsMachineReadable()
{
    const QStringList lines = ReadText(installed(DocDir + QStringLiteral("copyright"))).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
    QVERIFY(lines.contains(QStringLiteral("Upstream-Name: Tovimaru")));
    // The first files paragraph covers every file, under the program's licence.
    const qsizetype files = lines.indexOf(QStringLiteral("Files: *"));
    QVERIFY(files > 0);
    QCOMPARE(lines.value(files + 1), QStringLiteral("Copyright: 2026 The Tovimaru developers"));
    QCOMPARE(lines.value(files + 2), QStringLiteral("License: GPL-3+"));
    // Each licence named is spelt out in a paragraph of its own, which points at Debian's copy.
    for (const QString &licence : {QStringLiteral("GPL-3+"), QStringLiteral("CC0-1.0")}) {
        bool spelt = false;
        for (qsizetype i = files + 3; i < lines.size(); ++i)
            spelt = spelt || (lines[i] == QStringLiteral("License: ") + licence && lines[i - 1].isEmpty());
        QVERIFY2(spelt, qPrintable(licence));
    }
    const QString text = lines.join(QLatin1Char('\n'));
    QVERIFY(text.contains(QStringLiteral("\"/usr/share/common-licenses/GPL-3\"")));
    QVERIFY(text.contains(QStringLiteral("either version 3 of the License, or\n (at your option) any later version.")));
}

void TestInstall::changelog()
{
    const QString text = ReadGzipText(installed(DocDir + QStringLiteral("changelog.Debian.gz")));
    QVERIFY2(!text.isEmpty(), "not a gzip file");
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The latest entry is this version's.
    QCOMPARE(lines.first(), QStringLiteral("tovimaru (" TOVIMARU_DEB_VERSION ") unstable; urgency=medium"));
    const QRegularExpression trailer(QStringLiteral("^ -- [^<>]+ <[^<>@ ]+@[^<>@ ]+>  \\w{3}, \\d{2} \\w{3} \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"));
    QVERIFY2(!lines.filter(trailer).isEmpty(), qPrintable(text));
}

void TestInstall::manualPage()
{
    const QString page = ReadGzipText(installed(QStringLiteral("share/man/man1/tovimaru.1.gz")));
    QVERIFY2(!page.isEmpty(), "not a gzip file");
    QVERIFY(page.contains(QStringLiteral(".TH TOVIMARU 1 ")));
    for (const char *section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "FILES", "EXIT STATUS"})
        QVERIFY2(page.contains(QStringLiteral(".SH ") + QLatin1String(section)), section);
    // Every option the program's help names is described.
    const Run help = RunTool(installed(QStringLiteral("bin/tovimaru")), {QStringLiteral("--help")}, 20000);
    QCOMPARE(help.status, 0);
    QString plain = page;
    plain.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    QRegularExpressionMatchIterator options = QRegularExpression(QStringLiteral("(?<![\\w-])--?[\\w?][\\w-]*")).globalMatch(help.out);
    int count = 0;
    while (options.hasNext()) {
        const QString option = options.next().captured();
        QVERIFY2(plain.contains(option), qPrintable(option));
        ++count;
    }
    QVERIFY(count >= 5); // -h, --help, -?, -v, --version, --user-folders
    QVERIFY(plain.contains(QStringLiteral("tovi.mdb")));
    QVERIFY(plain.contains(QStringLiteral("~/.local/share/tovimaru/")));

    // man itself reads it without a complaint.
    const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
    if (man.isEmpty())
        QSKIP("man is not installed (man-db)");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(man, {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"), QStringLiteral("-l"),
                        installed(QStringLiteral("share/man/man1/tovimaru.1.gz"))});
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), QString());
    QVERIFY(process.readAllStandardOutput().contains("--user-folders"));
}

void TestInstall::debianPackage()
{
    for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (dpkg-dev)").arg(QString::fromLatin1(tool))));
    }
    const QTemporaryDir &output = m_packageDir;
    QVERIFY(output.isValid());
    const Run cpack = RunTool(QStringLiteral(TOVIMARU_CPACK), {QStringLiteral("--config"), BuildDir + QStringLiteral("/CPackConfig.cmake"),
                                                                QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), output.path()});
    QVERIFY2(cpack.status == 0, qPrintable(cpack.out));
    const QStringList debs = QDir(output.path()).entryList({QStringLiteral("tovimaru_*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = output.filePath(debs.first());
    m_deb = deb;

    const Run contents = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    QCOMPARE(contents.status, 0);
    QStringList files;
    for (const QString &line : contents.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('-'))) // regular files: "-rwxr-xr-x root/root 684576 date time ./usr/bin/tovimaru"
            files.append(line.section(QLatin1Char(' '), -1).mid(qsizetype(qstrlen("./usr/"))));
    }
    files.sort();
    QCOMPARE(files, ExpectedFiles());

    // The dependencies were computed from the libraries the program and its helper link.
    const Run version = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Version")});
    QCOMPARE(version.out.trimmed(), QStringLiteral(TOVIMARU_DEB_VERSION));

    const Run depends = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.status, 0);
    // The libraries, and what no link shows: a window at all, Japanese dialogs and captions.
    for (const char *package : {"libqt6widgets6", "libqt6printsupport6", "libsqlite3-0", "libmdb3", "libanthy1",
                                "libexif12", "qt6-qpa-plugins", "qt6-translations-l10n", "fonts-ipafont-gothic"})
        QVERIFY2(depends.out.contains(QString::fromLatin1(package)), qPrintable(depends.out));
}

void TestInstall::lintianAcceptsThePackage()
{
    const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
    if (lintian.isEmpty())
        QSKIP("lintian is not installed (lintian)");
    if (m_deb.isEmpty())
        QSKIP("no package was built (see debianPackage)");
    const Run run = RunTool(lintian, {QStringLiteral("--no-cfg"), QStringLiteral("--allow-root"), m_deb}, 600000);
    // Errors and warnings (lintian's default); the warnings that remain are explained in the README.
    qInfo().noquote() << "lintian:" << run.out.trimmed();
    QVERIFY2(!QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption).match(run.out).hasMatch(),
             qPrintable(run.out));
    QVERIFY2(run.status == 0, qPrintable(run.out));
}

int main(int argc, char *argv[])
{
    // The icons are drawn without an application, as at build time; QSvgRenderer wants one.
    QGuiApplication application(argc, argv);
    TestInstall test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
