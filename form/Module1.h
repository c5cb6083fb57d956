// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program-wide values that tie the main window, the registration window, the gallery and
// the keyboard together. Start-up sets their start values.

#include <QString>

#include <cstdint>
#include <vector>

namespace Module1 {

inline constexpr int MaxImageFiles = 32001; // slots 0..32000

inline QString ImageDir;    // the image folder in use, always ending in "/"
inline QString DataDir;     // the folder of the phrase store: the start-up ImageDir, never changed
inline QString ChosenDrive; // drive and folder last confirmed in the registration window
inline QString ChosenDir;
inline std::vector<QString> ImageFiles(MaxImageFiles); // full paths in list order, "" past the last
inline std::int16_t ThumbCount = 0;    // gallery cells of the current page holding a picture
inline std::int16_t SelectedIndex = 0; // the selected picture or text slot
inline std::int16_t SelectedKind = 0;  // 1 picture slot, 2 text slot, 0 none yet
inline std::int16_t ColorTarget = 0;   // what the colour picker sets: 1 paper, 2 pen, 3 frame, 4 text
inline std::int16_t FreeSlot = 0;      // picture slot chosen by the last pass over a gallery cell
inline QString EditMode = QStringLiteral("3"); // text editing: "3" never opened, "1" on, "0" closed
inline std::int16_t WaitForNext = 0;   // 1 while the keyboard waits for "つぎ"
inline QString LastKana;               // the kana typed last with a character key

// Puts every value back to its start value.
void Reset();

} // namespace Module1
