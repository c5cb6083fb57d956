// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/Scaling.h"
#include "app/SettingsWindow.h"
#include "app/Startup.h"
#include "settings/Settings.h"

#include <QApplication>

#include <cstdio>

namespace {

int Finish(const CommandLine &line)
{
    std::fputs(line.output.toLocal8Bit().constData(), stdout);
    std::fputs(line.error.toLocal8Bit().constData(), stderr);
    return line.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("tovimaru"));
    QApplication::setApplicationVersion(QStringLiteral(TOVIMARU_VERSION));
    // Desktops that match windows to their menu entries by this name (Wayland's app id).
    QApplication::setDesktopFileName(QStringLiteral(TOVIMARU_APP_ID));

    // Help, version and a folder that cannot be used are answered before the application
    // connects to the display. Qt's own options (-platform ...) are left to the application,
    // and what it leaves over is parsed again.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    CommandLine line = ParseCommandLine(arguments, false);
    if (line.outcome == CommandLine::Outcome::Exit)
        return Finish(line);

    // The teacher's settings, before the application object: the scale factor is Qt's to set
    // only then. A key or file that cannot be taken is one line here; the program always starts.
    QStringList warnings;
    const settings::Settings chosen = settings::LoadSettings(line.settingOverrides, &warnings);
    for (const QString &warning : warnings)
        std::fprintf(stderr, "tovimaru: %s\n", warning.toLocal8Bit().constData());
    settings::SetCurrent(chosen);
    if (!line.settingsWindow)
        ApplyScaleSetting(chosen, argc, argv);

    QApplication application(argc, argv);
    if (line.outcome == CommandLine::Outcome::Unknown) {
        line = ParseCommandLine(QApplication::arguments());
        if (line.outcome == CommandLine::Outcome::Exit)
            return Finish(line);
    }
    if (line.settingsWindow) {
        SettingsWindow window;
        window.show();
        return application.exec();
    }
    StartTovimaru(line.folders);
    return application.exec();
}
