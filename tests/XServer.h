// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests that use the program under a real X server share: finding and running the
// desktop's tools, a private Xvfb on a display nobody uses, and the environment the program then
// runs in, with a home, configuration, cache and data folders of its own.

#include <QCoreApplication>
#include <QDir>
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

// Starts Xvfb (1280 x 1024) on a display it finds free itself, and waits until it listens there.
// The display number, or -1 when it did not come up.
inline int StartXvfb(QProcess &xvfb)
{
    // The server picks its display and writes the number once every socket of it listens: a
    // display picked here could be taken meanwhile by another server, or be busy where this
    // process cannot look (the abstract socket of a server whose files another /tmp holds), and a
    // server started there gives up, or leaves its clients talking to the other.
    // It does not reset when its last client leaves: the tests' tools come and go a call at a
    // time, and a reset that falls while the program is still connecting drops the program
    // ("could not connect to display").
    // Its other messages (the keymap compiler's warnings, at every client) go nowhere: a pipe
    // nobody reads while a test waits would fill and stop the server.
    xvfb.setStandardErrorFile(QProcess::nullDevice());
    xvfb.start(Tool(QStringLiteral("Xvfb")),
               {"-displayfd", "1", "-noreset", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!xvfb.waitForStarted())
        return -1;
    QByteArray number;
    for (int wait = 0; wait < 100 && !number.contains('\n') && xvfb.state() == QProcess::Running; ++wait) {
        xvfb.waitForReadyRead(100);
        number += xvfb.readAllStandardOutput();
    }
    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    return ok && xvfb.state() == QProcess::Running ? display : -1;
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
