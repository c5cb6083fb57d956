// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests that use the program under a real X server share: finding and running the
// desktop's tools, a private Xvfb on a display nobody uses, and the environment the program then
// runs in, with a home, configuration, cache and data folders of its own.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QtTest/QTest>

namespace testing {

inline QString Tool(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

// Runs a tool to its end and gives its standard output, trimmed.
inline QString Output(const QString &program, const QStringList &arguments, const QProcessEnvironment &env = {})
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// Starts Xvfb (1280 x 1024) on the first free display from first on, and waits for its socket.
// The display number, or -1 when it did not come up.
inline int StartXvfb(QProcess &xvfb, int first)
{
    // A display in use has its socket, or at least its lock file (a server that died leaves it,
    // and a new one there gives up).
    int display = first;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))
           || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
        ++display;
    // Its messages (the keymap compiler's warnings, at every client) go nowhere: a pipe nobody
    // reads while a test waits would fill and stop the server.
    xvfb.setStandardOutputFile(QProcess::nullDevice());
    xvfb.setStandardErrorFile(QProcess::nullDevice());
    xvfb.start(Tool(QStringLiteral("Xvfb")), {QStringLiteral(":%1").arg(display), "-screen", "0", "1280x1024x24",
                                              "-nolisten", "tcp"});
    if (!xvfb.waitForStarted())
        return -1;
    for (int wait = 0; wait < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)); ++wait)
        QTest::qWait(100);
    // A socket with no server of ours behind it is another's, which took the display meanwhile.
    return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)) && xvfb.state() == QProcess::Running
            ? display
            : -1;
}

// The environment of a program on that display, with its folders under home.
inline QProcessEnvironment DisplayEnvironment(int display, const QString &home)
{
    QDir().mkpath(home + QStringLiteral("/config"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.remove(QStringLiteral("SESSION_MANAGER"));
    return env;
}

// Ends the processes a test started, the last started first.
inline void EndProcesses(std::initializer_list<QProcess *> processes)
{
    for (QProcess *process : processes) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(2000);
        }
    }
}

} // namespace testing
