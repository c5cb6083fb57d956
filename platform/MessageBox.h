// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Fonts.h"

#include <QString>

class QWidget;

namespace platform {

// A modal message box with the error icon, the text, the title and one OK button, exactly as
// given; returns when the user has pressed OK. The program's own short hiragana messages use the
// rounded gothic of its buttons.
void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title,
                      FontFace face = FontFace::UIGothic);

} // namespace platform
