// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString ProgramName = QStringLiteral("tovimaru");

CommandLine Finish(int exitCode, const QString &output, const QString &error = {})
{
    CommandLine line;
    line.outcome = CommandLine::Outcome::Exit;
    line.exitCode = exitCode;
    line.output = output;
    line.error = error;
    return line;
}

CommandLine Refuse(const QString &message)
{
    return Finish(CommandLineErrorStatus, {},
                  QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(ProgramName, message));
}

// The folder as an absolute, clean path; empty with why set when it cannot be a picture folder.
QString ReadableFolder(const QString &folder, QString &why)
{
    const QFileInfo info(folder);
    if (!info.exists())
        why = QStringLiteral("the folder \"%1\" does not exist").arg(folder);
    else if (!info.isDir())
        why = QStringLiteral("\"%1\" is not a folder").arg(folder);
    else if (!info.isReadable() || !info.isExecutable())
        why = QStringLiteral("the folder \"%1\" cannot be read").arg(folder);
    else
        return QDir::cleanPath(info.absoluteFilePath());
    return QString();
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments, bool unknownIsError)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tovimaru makes a simple poster from pictures and hiragana texts, to print or to save."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which only an application
    // object knows.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption userFolders(
        QStringLiteral("user-folders"),
        QStringLiteral("Take the pictures from your picture folder (or FOLDER) and keep the phrases in your "
                       "data folder, as the desktop's menu starts the program."));
    parser.addOption(userFolders);
    const QCommandLineOption set(
        QStringLiteral("set"),
        QStringLiteral("Use VALUE for the setting KEY in this run, over the settings file "
                       "(~/.config/tovimaru/tovimaru.conf or /etc/xdg/tovimaru/tovimaru.conf). Repeatable."),
        QStringLiteral("KEY=VALUE"));
    parser.addOption(set);
    const QCommandLineOption settingsWindow(
        QStringLiteral("settings"),
        QStringLiteral("Open the settings window for teachers and parents instead of the program."));
    parser.addOption(settingsWindow);
    parser.addPositionalArgument(
        QStringLiteral("folder"),
        QStringLiteral("Start as if started in FOLDER: its pictures, and the phrases in its tovi.mdb. "
                       "Default: the current folder."),
        QStringLiteral("[FOLDER]"));

    if (!parser.parse(arguments)) {
        if (!unknownIsError && !parser.unknownOptionNames().isEmpty()) {
            // The settings are wanted before the application object exists (the scale factor):
            // the options the parser knows are read all the same.
            CommandLine line;
            line.outcome = CommandLine::Outcome::Unknown;
            line.settingOverrides = parser.values(set);
            line.settingsWindow = parser.isSet(settingsWindow);
            return line;
        }
        return Refuse(parser.errorText());
    }
    if (parser.isSet(help)) {
        // Without an application object the parser does not know the program's name.
        return Finish(0, parser.helpText().replace(QStringLiteral("<executable_name>"), ProgramName));
    }
    if (parser.isSet(version))
        return Finish(0, QStringLiteral("%1 %2\n").arg(ProgramName, QStringLiteral(TOVIMARU_VERSION)));

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return Refuse(QStringLiteral("one FOLDER at most, not %1").arg(positional.size()));

    CommandLine line;
    line.settingOverrides = parser.values(set);
    line.settingsWindow = parser.isSet(settingsWindow);
    QString why;
    if (!positional.isEmpty()) {
        line.folders.pictures = ReadableFolder(positional.first(), why);
        if (line.folders.pictures.isEmpty())
            return Refuse(why);
    }
    if (parser.isSet(userFolders)) {
        if (line.folders.pictures.isEmpty()) {
            const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
            line.folders.pictures = pictures.isEmpty() ? QString() : ReadableFolder(pictures, why);
            if (line.folders.pictures.isEmpty())
                line.folders.pictures = ReadableFolder(QDir::homePath(), why);
            if (line.folders.pictures.isEmpty())
                return Refuse(why);
            line.folders.userPictures = true;
        }
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (data.isEmpty() || !QDir().mkpath(data))
            return Refuse(QStringLiteral("cannot make the data folder \"%1\"").arg(data));
        line.folders.data = QDir::cleanPath(data);
    }
    return line;
}
