// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace platform {

// A modal message box with the error icon, the text, the title and one OK button, exactly as
// given; returns when the user has pressed OK. Every message of the program reads alike: the
// rounded gothic of its buttons, bold, at one large size, and a big OK button. Its lines end only
// after a space, "、" or "。", never inside a phrase; the box is as wide as they ask, within the
// screen.
void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title);

// A modal question in the same look, with two big buttons, yes and no, captioned as given; "no"
// is the default and the answer of Escape. Returns true for yes.
bool AskYesNo(QWidget *parent, const QString &text, const QString &title, const QString &yes, const QString &no);

} // namespace platform
