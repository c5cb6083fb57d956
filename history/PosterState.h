// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A snapshot of the poster's elements as the controls of the main window hold them: every
// picture slot and text slot (shown, place and size in twips exactly as stored, border,
// stacking, picture, text, font size, colours), the paper and the finished poster of step 4
// (colour, picture, shown), and the values that say what is selected. It is taken in a few
// microseconds (pictures are shared values, never copied) and put back through the same setters
// the handlers use, so a slot's sharp decode, the stacking layers and the standard size of a
// text slot in the side panel follow as they do after a handler.
//
// The dots of the drawing surfaces are not part of it: they are far too large to copy at every
// step. Their picture boxes keep a journal of the tiles a stroke or a clear changes instead
// (platform::PictureBox::takeJournal()).

#include "pictures/Picture.h"

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>

class Form1;

namespace history {

struct PictureSlotState
{
    bool shown = false;
    double left = 0, top = 0, width = 0, height = 0; // twips, as the control holds them
    int border = 0;
    int stacking = 0;           // its place among the picture slots, 0 the backmost
    platform::Picture picture;  // as shown, perhaps a sharper decode of the file
    QString source;             // the file it came from, empty for none
    bool keepsSharp = false;

    bool operator==(const PictureSlotState &other) const;
};

struct TextSlotState
{
    bool shown = false;
    double left = 0, top = 0, width = 0, height = 0;
    int border = 0;
    int stacking = 0;
    QString text;
    int caret = 0; // where typing would go on: the glyphs are laid out from it
    double fontSize = 0;
    QColor back, fore;

    bool operator==(const TextSlotState &) const = default;
};

// A picture box of the poster area: the paper of step 1 or the finished poster of step 4.
struct PaperState
{
    bool shown = false;
    QColor back;
    platform::Picture picture;

    bool operator==(const PaperState &other) const;
};

struct PosterState
{
    std::array<PictureSlotState, 11> pictures; // Image3(0..10)
    std::array<TextSlotState, 10> texts;       // Text1(0..9)
    PaperState paper;                          // Picture1
    QColor paperButton;                        // the back colour of "かみのいろ", the paper's colour
    PaperState finished;                       // Picture2
    std::array<std::int16_t, 11> onPoster{};
    std::int16_t selectedKind = 0;
    std::int16_t selectedIndex = 0;
    std::int16_t hasSelection = 0;

    // Exactly the same values (pictures compared as the same picture object, or, for a slot
    // that names its file, the same file: a sharper decode of it is the same picture).
    bool operator==(const PosterState &) const = default;
};

PosterState TakeSnapshot(const Form1 &form);

// Puts the snapshot back into the controls, changing only what differs.
void ApplySnapshot(Form1 &form, const PosterState &state);

// Whether the poster looks the same, what is selected aside: the selection borders, the
// selected element, the stacking (a press raises a picture), and the picture slots off the
// poster (a free slot laid over a gallery cell, ready to be picked up, or taken off again). A
// shown plain paper is the same with or without the still picture a move took of it.
bool SamePoster(const PosterState &a, const PosterState &b);

} // namespace history
