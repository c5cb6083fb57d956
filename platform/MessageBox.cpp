// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include "base/Fonts.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace platform {

namespace {
constexpr double MessagePoints = 20.25; // the buttons' size: 27 pixels
constexpr QSize OkSize(160, 56);        // logical pixels, at least

// The program's look: the buttons' font for the whole box, and big buttons.
void GiveTheProgramsLook(QMessageBox &box)
{
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(MakeFont(FontFace::RoundedGothic, MessagePoints, FontStyle::Bold));
    for (QAbstractButton *button : box.buttons())
        button->setMinimumSize(OkSize);
}

} // namespace

void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    GiveTheProgramsLook(box);
    box.exec();
}

bool AskYesNo(QWidget *parent, const QString &text, const QString &title, const QString &yes, const QString &no)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(yes);
    box.button(QMessageBox::No)->setText(no);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    GiveTheProgramsLook(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace platform
