// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Scaling.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <vector>

double ChooseScaleFactor(const settings::Settings &settings, QSizeF availableArea, QSizeF wholeScreen)
{
    const auto fitting = [](QSizeF area) {
        if (area.isEmpty())
            return 1.0;
        const double largest = std::min(area.width() / ScaledWindowWidth, area.height() / ScaledWindowHeight);
        return std::max(1.0, std::floor(largest * 100) / 100);
    };
    if (settings.fullscreen)
        return fitting(wholeScreen);
    if (settings.scale == settings::ScaleFit)
        return fitting(availableArea);
    return std::min(settings.scale, fitting(availableArea));
}

void ApplyScaleSetting(const settings::Settings &settings, int argc, char **argv)
{
    if (!settings.fullscreen && settings.scale == 1)
        return;
    QSizeF available, whole;
    {
        // Its own copy of the arguments: an application object takes Qt's options out of them.
        int count = argc;
        std::vector<char *> arguments(argv, argv + argc);
        arguments.push_back(nullptr);
        QGuiApplication probe(count, arguments.data());
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            available = screen->availableGeometry().size();
            whole = screen->geometry().size();
        }
    }
    const double factor = ChooseScaleFactor(settings, available, whole);
    if (factor == 1)
        return;
    bool set = false;
    const double desktops = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&set);
    qputenv("QT_SCALE_FACTOR", QByteArray::number(set && desktops > 0 ? desktops * factor : factor));
}
