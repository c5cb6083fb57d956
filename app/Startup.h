// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program starts: the first picture folder and the folder of the phrase store.
struct StartFolders
{
    // The first picture folder; empty: the current folder. Any other folder becomes the current
    // folder, so the program starts as if it had been started there.
    QString pictures;
    // The folder of the phrase store "tovi.mdb"; empty: the first picture folder.
    QString data;
    // True when pictures is the user's picture folder (or home) that --user-folders chose, not a
    // folder asked for: with the setting builtinPictures, the gallery then opens on the
    // program's own pictures when it holds no picture (the current folder stays the user's).
    bool userPictures = false;
};

// Starts the whole program on the running QApplication: the main window in step 1, centred,
// with the registration window open above it. Returns when start-up has finished and both
// windows are shown. Calling it again ends the running program's windows and starts anew.
// Without folders it starts in the current folder, which also keeps the phrase store.
void StartTovimaru();
void StartTovimaru(const StartFolders &folders);

class Program;

// The program StartTovimaru() started, for tests and tools; nullptr before the first start.
Program *CurrentProgram();
