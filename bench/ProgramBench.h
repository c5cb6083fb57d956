// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Starting the whole program for a benchmark, and a paper with a drawing on it.

#include "form/Form1.h"
#include "app/Startup.h"
#include "bench/BenchSupport.h"

namespace bench {

// Starts the program in-process; the main window, or nullptr if it did not come up.
inline Form1 *StartMainWindow()
{
    StartTovimaru();
    return FindWindow<Form1>();
}

// A pale paper with count blue dots of radius 30 twips, spaced step twips apart.
inline void DrawOnPaper(Form1 &form, int count, int step)
{
    form.Picture1->setBackColor(QColor(0xFF, 0xE0, 0xC0));
    for (int i = 0; i < count; ++i)
        form.Picture1->drawCircle(100 + step * i, 3000 + (i % (3000 / step)) * step, 30, Qt::blue, Qt::blue);
}

} // namespace bench
