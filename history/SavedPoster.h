// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The poster of the main window as its file keeps it between runs (posterfile/PosterFile.h):
// taken from the controls as a snapshot is, and put back through the same setters.

#include "pictures/Picture.h"
#include "posterfile/PosterFile.h"

#include <functional>

class Form1;

namespace history {

// The step of the wizard the main window shows, 1 to 4 (the editing mode counts as step 3).
int StepOf(const Form1 &form);

// The poster as the file keeps it. The pixels are shared with the controls, not copied: taking
// it costs the GUI thread a few microseconds.
posterfile::Poster TakeSavedPoster(const Form1 &form);

// Reads a slot's picture from its file again; the empty picture when the file is gone.
using PictureLoader = std::function<platform::Picture(const QString &path)>;

// Puts a poster read from its file back into the main window, which already shows the poster's
// step. A picture slot whose file has gone, or is another file now, shows the picture from the
// bytes the poster's file kept of it, which the program holds for it (HoldFileContents): at once
// from the poster's own small picture where the slot keeps its picture sharp, then decoded sharp
// off the GUI thread as any preview on the poster is (a capture waits for it); a slot with no
// bytes kept either is left as it stands (at start: empty and hidden), and so is the pen when the
// file kept none.
void ApplySavedPoster(Form1 &form, const posterfile::Poster &poster, const PictureLoader &load);

} // namespace history
