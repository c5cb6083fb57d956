// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program drawn larger: Qt's own scaling, whose factor must be set before the application
// object exists. The logical layout does not change (every twips figure, every hit test, the
// captured poster); only the pixels on the screen grow.

#include "base/Twips.h"
#include "form/Form1Layout.h"
#include "settings/Settings.h"

#include <QSizeF>

// The main window as the screen must hold it, in logical pixels at the factor 1: its designed
// width with a frame, and the outer height the program forces (768 pixels).
inline constexpr double ScaledWindowWidth = Form1ClientWidth / platform::TwipsPerPixel + 8;
inline constexpr double ScaledWindowHeight = Form1OuterHeight / platform::TwipsPerPixel;

// The factor for the settings: scale as asked, but never more than the largest factor at which
// the main window fits the screen's available area (fit: that largest, and never below 1). In
// full screen the layout takes the largest factor at which it fits the whole screen. 1 when the
// settings ask for nothing. Factors are cut to two decimals.
double ChooseScaleFactor(const settings::Settings &settings, QSizeF availableArea, QSizeF wholeScreen);

// Sets the factor for the application about to be made (QT_SCALE_FACTOR, times any factor the
// desktop already set there). The screen is measured by a short-lived application object that
// opens no window. Does nothing when the settings ask for no scaling.
void ApplyScaleSetting(const settings::Settings &settings, int argc, char **argv);
