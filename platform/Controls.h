#pragma once

// The controls of the program's windows, as Qt widgets, all at once: what they share is in
// Control.h, and each family has a header of its own.

#include "platform/Control.h"

#include "platform/Buttons.h"
#include "platform/ImageControl.h"
#include "platform/PictureBox.h"
#include "platform/ScrollBar.h"
#include "platform/TextBoxes.h"
#include "platform/Timer.h"
