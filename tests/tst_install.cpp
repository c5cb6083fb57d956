// The program installed: `cmake --install` into a scratch prefix, the files in their places,
// the icons drawn by the program's own icon code, the desktop entry and the AppStream metainfo
// as their validators see them, the installed program answering, and the Debian package's
// files and computed dependencies.

#include "app/AppIcon.h"

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

const QString BuildDir = QStringLiteral(TOVIMARU_BUILD_DIR);
const QString AppId = QStringLiteral(TOVIMARU_APP_ID);
const QList<int> IconSizes{16, 22, 24, 32, 48, 64, 128, 256};

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
                      QStringLiteral("share/applications/%1.desktop").arg(AppId),
                      QStringLiteral("share/applications/%1.Settings.desktop").arg(AppId),
                      QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId),
                      QStringLiteral("share/icons/hicolor/scalable/apps/tovimaru.svg")};
    for (int size : IconSizes)
        files.append(QStringLiteral("share/icons/hicolor/%1x%1/apps/tovimaru.png").arg(size));
    files.sort();
    return files;
}

QString ReadText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void filesInTheirPlaces();
    void installedProgramAnswers();
    void iconsAreTheProgramsIcon();
    void desktopEntry_data();
    void desktopEntry();
    void metainfo();
    void debianPackage();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
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
    // Where the installed program looks for its helper (JetReader.cpp).
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/" TOVIMARU_HELPER_FROM_BINDIR "/tovimaru-jet-reader"))).isExecutable());
}

void TestInstall::installedProgramAnswers()
{
    const Run version = RunTool(installed(QStringLiteral("bin/tovimaru")), {QStringLiteral("--version")}, 20000);
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("tovimaru " TOVIMARU_VERSION "\n"));
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
    QVERIFY(xml.contains(QStringLiteral("<summary xml:lang=\"ja\">")));
    QVERIFY(xml.contains(QStringLiteral("docs/screenshot.png</image>")));
    QVERIFY(xml.contains(QStringLiteral("<release version=\"" TOVIMARU_VERSION "\"")));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (validator.isEmpty())
        QSKIP("appstreamcli is not installed (appstream)");
    const Run run = RunTool(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"), path});
    QVERIFY2(run.status == 0, qPrintable(run.out));
    // Neither errors nor warnings nor remarks.
    QVERIFY2(!QRegularExpression(QStringLiteral("^[EWI]: "), QRegularExpression::MultilineOption).match(run.out).hasMatch(),
             qPrintable(run.out));
}

void TestInstall::debianPackage()
{
    for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (dpkg-dev)").arg(QString::fromLatin1(tool))));
    }
    QTemporaryDir output;
    const Run cpack = RunTool(QStringLiteral(TOVIMARU_CPACK), {QStringLiteral("--config"), BuildDir + QStringLiteral("/CPackConfig.cmake"),
                                                                QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), output.path()});
    QVERIFY2(cpack.status == 0, qPrintable(cpack.out));
    const QStringList debs = QDir(output.path()).entryList({QStringLiteral("tovimaru_*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = output.filePath(debs.first());

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
    const Run depends = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.status, 0);
    // The libraries, and what no link shows: a window at all, Japanese dialogs and captions.
    for (const char *package : {"libqt6widgets6", "libqt6printsupport6", "libsqlite3-0", "libmdb3", "libanthy1",
                                "libexif12", "qt6-qpa-plugins", "qt6-translations-l10n", "fonts-ipafont-gothic"})
        QVERIFY2(depends.out.contains(QString::fromLatin1(package)), qPrintable(depends.out));
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
