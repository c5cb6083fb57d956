// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace platform {

// A modal message box with the error icon, the text, the title and one OK button, exactly as
// given; returns when the user has pressed OK. Every message of the program reads alike: the
// rounded gothic of its buttons, bold, at one large size, and a big OK button.
void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title);

} // namespace platform
