// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers shared by the benchmark programs.

#include <QApplication>
#include <QFile>
#include <QWidget>

namespace bench {

// A field of /proc/self/status in MiB (VmHWM: peak resident set, VmRSS: current).
inline double StatusMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// Writing 5 to clear_refs starts a new peak (Linux 4.0 and later).
inline void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The first top-level window of that class, once the program has started.
template<class Window>
Window *FindWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget))
            return window;
    }
    return nullptr;
}

} // namespace bench
