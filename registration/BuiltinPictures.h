// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own pictures: drawings made by the project's drawing tool (tools/), installed
// with the program under share/tovimaru/pictures. With the teacher's setting builtinPictures the
// registration window's drive list offers their folder as a drive of its own, and a start with
// --user-folders opens the gallery on it when the user's picture folder holds no picture. The
// program only reads them.

#include <QString>

// The folder of the program's own pictures: share/tovimaru/pictures of the prefix the program is
// installed in, found relative to the program's own folder (bin/../share/tovimaru/pictures); a
// program run from the build folder finds the same place under it (build/app/../share/...),
// where the build draws them, or else the build folder's, named when it was built. Empty when no
// such folder exists.
QString BuiltinPicturesFolder();

// What the drive list shows for that folder.
QString BuiltinPicturesCaption();
