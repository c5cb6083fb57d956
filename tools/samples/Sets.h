// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The two sets of pictures the drawing tool writes: the samples of samples/, which exercise every
// format and awkward names, and the program's own pictures, installed under
// share/tovimaru/pictures for the gallery of a user whose picture folder is empty. Each entry is
// a file name, a format and a drawing.

#include "tools/samples/Output.h"

#include <QSize>
#include <QString>

#include <vector>

namespace samples {

struct Sample
{
    QString fileName;
    Format format;
    Drawing (*draw)();
    QSize pixels; // raster pictures
};

// The samples of samples/.
const std::vector<Sample> &SampleSet();

// The program's own pictures: cheerful drawings for children, named in hiragana so that the
// registration window's file list reads to them, in the formats of the gallery's list.
const std::vector<Sample> &BuiltinSet();

// The fewest pictures of the program's own set.
inline constexpr int BuiltinMinimum = 40;

} // namespace samples
