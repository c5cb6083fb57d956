// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The print preview a teacher may turn on (printPreview): before printing, Qt's print preview
// shows the page as the printer will receive it, drawn by the very code that prints it, with two
// big buttons, "いんさつ" to go on printing and "もどる" to go back without printing.

#include "pictures/Picture.h"

class QPrinter;
class QWidget;

namespace output {

// Shows the preview of the picture printed on that printer (PrintPictureFitted, which also turns
// the printer's page as printing does). Returns true when "いんさつ" was chosen, false when the
// preview was left by "もどる", Escape or its frame.
bool ShowPrintPreview(QPrinter &printer, const platform::Picture &picture, QWidget *parent);

} // namespace output
