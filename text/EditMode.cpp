// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/EditMode.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/History.h"
#include "platform/EventLoop.h"
#include "input/KeyInjection.h"
#include "text/Keyboard.h"
#include "text/TextSlots.h"

namespace text {

const QString EditModeController::OpenCaption = QStringLiteral("もじ の へんしゅう");
const QString EditModeController::CloseCaption = QStringLiteral("はりつけ に もどる");

EditModeController::EditModeController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(form.Command21, &QPushButton::clicked, this, &EditModeController::SwitchEditing);
}

void EditModeController::SwitchEditing()
{
    platform::YieldingHandler handler;
    Module1::WaitForNext = 0;
    switch (Module1::EditMode.toInt()) {
    case 3:
        Open(true);
        break;
    case 0:
        Open(false);
        break;
    case 1:
        Close();
        break;
    default:
        break;
    }
}

void EditModeController::Open(bool firstTime)
{
    Form1 &f = m_form;
    ShowPlaced(false);
    if (firstTime) {
        // "つぎ" (key 70) is shown by its check box, not here.
        for (int k = 0; k < 70; ++k)
            f.Label1[k]->show();
    } else {
        // Back to their places, each with the visibility it had when editing was switched off.
        for (std::size_t k = 0; k < f.Label1.size(); ++k) {
            platform::KeyLabel &key = *f.Label1[k];
            key.setTwipsTop(key.twipsTop() - KeyShift);
            key.setVisible(m_shownWhenPutAway[k]);
        }
    }
    f.Label4->show();
    f.Check1->show();
    f.Text2->show();
    if (!platform::KanaLockOn())
        ToggleKanaLock();
    // No text slot bears the number of the overflow picture slot: the typing line starts empty.
    SlotToTypingLine(f, SelectedTextSlot(f));
    EnableButtons(false);
    f.Command21->setCaption(CloseCaption);
    Module1::EditMode = QStringLiteral("1");
}

void EditModeController::Close()
{
    Form1 &f = m_form;
    ShowPlaced(true);
    // The shift alone leaves the keys of the top rows inside a client area taller than designed
    // (a window system without a title bar gives the window's whole outer height to it): the
    // ＯＫ key would peek out at the bottom of the window and take clicks. Put away, the keys are
    // hidden too, and each gets back the visibility it had.
    for (std::size_t k = 0; k < f.Label1.size(); ++k) {
        platform::KeyLabel &key = *f.Label1[k];
        key.setTwipsTop(key.twipsTop() + KeyShift);
        m_shownWhenPutAway[k] = !key.isHidden();
        key.hide();
    }
    f.Label4->hide();
    f.Check1->hide();
    f.Text2->hide();
    ToggleKanaLock();
    EnableButtons(true);
    f.Command21->setCaption(OpenCaption);
    if (platform::RichTextBox *slot = SelectedTextSlot(f))
        TypingLineToSlot(f, *slot);
    Module1::EditMode = QStringLiteral("0");
    // What editing changed is one step.
    history::GestureEnded(f);
}

// The pictures and texts on the poster; the overflow picture slot is left alone.
void EditModeController::ShowPlaced(bool shown)
{
    Form1 &f = m_form;
    for (int k = 0; k < 10; ++k) {
        if (Poster::IsPlaced(*f.Image3[k]))
            f.Image3[k]->setVisible(shown);
        if (Poster::IsPlaced(*f.Text1[k]))
            f.Text1[k]->setVisible(shown);
    }
}

// "ちいさく", "おおきく", "おわり", "つぎへ", "クリア" and "もどる".
void EditModeController::EnableButtons(bool enabled)
{
    Form1 &f = m_form;
    for (auto *button : {f.Command1, f.Command2, f.Command3, f.Command4, f.Command9, f.Command15})
        button->setEnabled(enabled);
}

} // namespace text
