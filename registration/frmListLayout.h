// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ControlLayout.h"
#include "registration/Phrases.h"

#include <span>

// The static layout of the registration window: every control with its place in twips, its
// caption and font. The phrase boxes Text11..Text20 hold phrases 1..10.
std::span<const platform::ControlSpec> frmListLayout();

// Designed client area of the registration window and its outer height, twips.
inline constexpr double frmListClientWidth = 8415;
inline constexpr double frmListClientHeight = 5295;
inline constexpr double frmListOuterHeight = 5775;
