// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's command line:
//   tovimaru [--user-folders] [FOLDER]
// FOLDER starts the program as if it had been started there: the first picture folder and the
// phrase store's folder. --user-folders (what the desktop entry passes) takes the pictures from
// the user's picture folder (the home folder when there is none) and keeps the phrase store in
// the user's data folder, which it creates when missing; with FOLDER too, the pictures come from
// FOLDER. Without arguments the program starts in the current folder, as it always has.
//   tovimaru --set KEY=VALUE ...   a setting for this run, over the settings file (repeatable)
//   tovimaru --settings            the settings window for adults instead of the program

#include "app/Startup.h"

#include <QStringList>

struct CommandLine
{
    enum class Outcome {
        Start,   // start the program with folders
        Exit,    // print output and exit with exitCode (help, version, an error)
        Unknown, // options the parser does not know: Qt's own, perhaps (see ParseCommandLine)
    };
    Outcome outcome = Outcome::Start;
    StartFolders folders;
    QStringList settingOverrides; // the values of --set, "KEY=VALUE", in order
    bool settingsWindow = false;  // --settings
    int exitCode = 0;
    QString output; // for standard output
    QString error;  // for standard error, ending in a newline
};

// The exit status of a command line that cannot be followed: an unknown option, a folder that
// does not exist or cannot be read.
inline constexpr int CommandLineErrorStatus = 2;

// Parses the arguments (the program's name first) and checks the folders they name; creates the
// user's data folder for --user-folders. Needs no application object, so that help, version and
// errors never wait on the display. The program first parses its raw arguments; when they hold
// options it does not know (Qt's own, such as -platform), it parses again what the QApplication
// left over, with unknownIsError set.
CommandLine ParseCommandLine(const QStringList &arguments, bool unknownIsError = true);
