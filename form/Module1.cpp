// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/Module1.h"

namespace Module1 {

void Reset()
{
    ImageDir.clear();
    DataDir.clear();
    ChosenDrive.clear();
    ChosenDir.clear();
    ImageFiles.assign(MaxImageFiles, QString());
    ThumbCount = 0;
    SelectedIndex = 0;
    SelectedKind = 0;
    ColorTarget = 0;
    FreeSlot = 0;
    EditMode = QStringLiteral("3");
    WaitForNext = 0;
    LastKana.clear();
}

} // namespace Module1
