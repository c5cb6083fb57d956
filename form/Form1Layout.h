// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ControlLayout.h"

#include <vector>

// The static layout of the main window: every control, in stacking order within its layer.
const std::vector<platform::ControlSpec> &Form1Layout();

// Designed client area of the main window, twips.
inline constexpr double Form1ClientWidth = 15120;
inline constexpr double Form1ClientHeight = 10650;
// The outer height start-up forces on the main window, frame and menu bar included: 768 pixels.
inline constexpr double Form1OuterHeight = 11520;
