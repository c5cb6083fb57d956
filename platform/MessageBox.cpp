// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include "base/Fonts.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace platform {

namespace {
constexpr double MessagePoints = 20.25; // the buttons' size: 27 pixels
constexpr QSize OkSize(160, 56);        // logical pixels, at least
} // namespace

void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(MakeFont(FontFace::RoundedGothic, MessagePoints, FontStyle::Bold));
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setMinimumSize(OkSize);
    box.exec();
}

} // namespace platform
