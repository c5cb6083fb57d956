// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every fuzz target needs: a headless application, made once, so that fonts and images
// work as in the program.

#include <QGuiApplication>

#include <cstdlib>

namespace fuzzing {

inline void StartApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.warning=false");
    static QGuiApplication application(argc, argv);
}

} // namespace fuzzing
