// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include "base/Fonts.h"

#include <QMessageBox>

namespace platform {

void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title, FontFace face)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(face == FontFace::RoundedGothic ? MakeFont(face, 20.25, FontStyle::Bold) : MakeFont(face, 12));
    box.exec();
}

} // namespace platform
