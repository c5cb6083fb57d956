// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Wizard.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "output/PosterCapture.h"
#include "pictures/PictureFormats.h"
#include "platform/EventLoop.h"
#include "settings/Settings.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

using platform::Yield;
using platform::YieldingHandler;

const QString WizardController::StepCaption1 = QStringLiteral("１．かみのいろを きめます");
const QString WizardController::StepCaption2 = QStringLiteral("２．がぞうを　はります");
const QString WizardController::StepCaption3 = QStringLiteral("３．もじを　はります");
const QString WizardController::StepCaption4 = QStringLiteral("４．しあげ／ほぞんします");

WizardController::WizardController(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(form.Command11, &QPushButton::clicked, this, &WizardController::ForwardFromStep1);
    connect(form.Command6, &QPushButton::clicked, this, &WizardController::ForwardFromStep2);
    connect(form.Command4, &QPushButton::clicked, this, &WizardController::ForwardFromStep3);
    connect(form.Command5, &QPushButton::clicked, this, &WizardController::BackFromStep2);
    connect(form.Command15, &QPushButton::clicked, this, &WizardController::BackFromStep3);
    connect(form.Command16, &QPushButton::clicked, this, &WizardController::BackFromStep4);
    // A child's double click on "つぎへ" would skip a step, on "もどる" in step 3 land in step 1
    // and withdraw every picture and text: with the guard on, the second click does nothing.
    if (settings::Current().wizardGuard) {
        for (QWidget *button : {form.Command11, form.Command6, form.Command4, form.Command5, form.Command15, form.Command16})
            button->installEventFilter(this);
    }
}

bool WizardController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    // The press's own time: a move's handler yields and holds input, and the second click of
    // a double click reaches the buttons only after the first move has ended.
    const qint64 time = static_cast<qint64>(static_cast<QMouseEvent *>(event)->timestamp());
    if (m_lastStepPress >= 0 && time >= m_lastStepPress
        && time - m_lastStepPress < QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        return true;
    }
    m_lastStepPress = time;
    return QObject::eventFilter(watched, event);
}

void WizardController::ShowGalleryCells()
{
    // A file that cannot be shown leaves its cell empty and uncounted, so that the first
    // ThumbCount cells are not always the filled ones. With today's formats such a file shows a
    // card of its own; there every cell that holds a picture or a card is shown.
    if (platform::formats::MoreFormats()) {
        for (platform::ImageControl *cell : m_form.Image1)
            if (!cell->picture().isEmpty())
                cell->show();
        return;
    }
    for (int i = 0; i < Module1::ThumbCount && i < 10; ++i)
        m_form.Image1[i]->show();
}

void WizardController::ForwardFromStep1()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    f.Label5->setCaption(StepCaption2);
    f.Label2->show();
    f.Command1->show();
    f.Command2->show();
    f.Command5->setEnabled(true);
    f.Command6->show();
    f.Command10->show();
    f.Command11->hide();
    f.Command12->hide();
    f.Command13->hide();
    f.Command19->hide();
    f.HScroll1->hide();
    f.VScroll1->show();
    // Both captures are taken while the paper is still shown: the still picture under the
    // pictures of step 2, and the paper's own picture for the way back to step 1.
    if (m_capturing) {
        f.Image2->setPicture(output::CapturePoster(f.client()));
        f.Picture1->setPicture(output::CapturePoster(f.client()));
    }
    f.Picture1->hide();
    Yield();
    ShowGalleryCells();
}

void WizardController::ForwardFromStep2()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    f.Label5->setCaption(StepCaption3);
    f.Label2->hide();
    for (int i = 0; i < 10; ++i) {
        f.Image1[i]->hide();
        if (!Poster::IsPlaced(*f.Image3[i])) {
            f.Image3[i]->hide();
            f.Image3[i]->setTwipsWidth(Poster::PictureSlotWidth);
            f.Image3[i]->setTwipsHeight(Poster::PictureSlotHeight);
        }
    }
    f.Image3[10]->hide();
    for (int i = 0; i < 10; ++i) {
        f.Text1[i]->show();
        f.Text1[i]->setBorderStyle(0);
        f.Image3[i]->setBorderStyle(0);
    }
    for (auto *button : {f.Command1, f.Command2, f.Command4, f.Command9, f.Command15, f.Command17, f.Command18, f.Command21})
        button->show();
    f.Command5->hide();
    f.Command6->hide();
    f.Command10->hide();
    f.VScroll1->hide();
    Yield();
    f.Text1[0]->setFocus();
}

void WizardController::ForwardFromStep3()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    for (int i = 0; i < 10; ++i) {
        f.Text1[i]->show();
        f.Text1[i]->setBorderStyle(0);
        f.Image3[i]->setBorderStyle(0);
    }
    // The poster is repainted without selection borders before it is captured.
    Yield();
    f.HasSelection = 0;
    if (m_capturing)
        f.Picture2->setPicture(output::CapturePoster(f.client()));
    f.Picture2->show();
    Yield();
    f.Label5->setCaption(StepCaption4);
    for (int i = 0; i < 10; ++i) {
        f.Image1[i]->hide();
        if (!Poster::IsPlaced(*f.Image3[i])) {
            f.Image3[i]->setTwipsWidth(Poster::PictureSlotWidth);
            f.Image3[i]->setTwipsHeight(Poster::PictureSlotHeight);
        }
        f.Image3[i]->hide();
        if (!Poster::IsPlaced(*f.Text1[i]))
            Poster::GiveStandardSize(*f.Text1[i]);
        f.Text1[i]->hide();
    }
    f.Command1->hide();
    f.Command2->hide();
    f.Command4->setEnabled(false);
    f.Command9->hide();
    f.Command14->show();
    f.Command15->hide();
    f.Command16->show();
    f.Command17->hide();
    f.Command18->hide();
    f.Command20->show();
    f.Command21->hide();
    f.Command13->show();
    f.HScroll1->show();
    Yield();
}

void WizardController::ForwardTo(int step)
{
    m_capturing = false;
    if (step >= 2)
        ForwardFromStep1();
    if (step >= 3)
        ForwardFromStep2();
    if (step >= 4)
        ForwardFromStep3();
    m_capturing = true;
}

void WizardController::BackFromStep2()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    f.Label5->setCaption(StepCaption1);
    f.Label2->hide();
    f.Command1->hide();
    f.Command2->hide();
    f.Command5->setEnabled(false);
    f.Command6->hide();
    f.Command10->hide();
    for (auto *button : {f.Command11, f.Command12, f.Command13, f.Command19})
        button->show();
    f.HScroll1->show();
    f.VScroll1->hide();
    for (int i = 0; i < 10; ++i) {
        f.Image1[i]->hide();
        // Every picture slot becomes free again; its top and its picture stay.
        platform::ImageControl &slot = *f.Image3[i];
        slot.hide();
        slot.setTwipsHeight(Poster::PictureSlotHeight);
        slot.setTwipsWidth(Poster::PictureSlotWidth);
        slot.setTwipsLeft(Poster::FreeSlotLeft);
        // Every text goes home; its text stays.
        platform::RichTextBox &text = *f.Text1[i];
        text.hide();
        text.setTwipsHeight(Poster::TextSlotHeight);
        text.setTwipsWidth(Poster::TextSlotWidth);
        text.setTwipsLeft(Poster::TextHomeLeft);
        text.setTwipsTop(Poster::TextHomeTop(i));
        text.setFontSize(Poster::TextSlotFontSize);
    }
    Yield();
    f.HasSelection = 0;
    f.Picture1->show();
    Yield();
}

void WizardController::BackFromStep3()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    f.Label5->setCaption(StepCaption2);
    f.Label2->show();
    for (int i = 0; i < 10; ++i) {
        f.Text1[i]->setBorderStyle(0);
        f.Image3[i]->setBorderStyle(0);
        if (!Poster::IsPlaced(*f.Text1[i])) {
            f.Text1[i]->hide();
            Poster::GiveStandardSize(*f.Text1[i]);
        }
    }
    f.Command1->show();
    f.Command2->show();
    f.Command4->hide();
    f.Command5->show();
    f.Command6->show();
    f.Command9->hide();
    f.Command10->show();
    for (auto *button : {f.Command11, f.Command12, f.Command13, f.Command15, f.Command17, f.Command18, f.Command19, f.Command21})
        button->hide();
    f.VScroll1->show();
    Yield();
    ShowGalleryCells();
}

void WizardController::BackFromStep4()
{
    YieldingHandler handler;
    Form1 &f = m_form;
    f.Label5->setCaption(StepCaption3);
    for (int i = 0; i < 10; ++i) {
        f.Text1[i]->setBorderStyle(0);
        f.Image3[i]->setBorderStyle(0);
        f.Image1[i]->hide();
        if (Poster::IsPlaced(*f.Image3[i]))
            f.Image3[i]->show();
        if (!Poster::IsPlaced(*f.Text1[i]))
            Poster::GiveStandardSize(*f.Text1[i]);
        f.Text1[i]->show();
    }
    f.Command1->show();
    f.Command2->show();
    f.Command4->setEnabled(true);
    f.Command5->hide();
    f.Command6->hide();
    f.Command9->show();
    f.Command10->hide();
    f.Command14->hide();
    f.Command15->show();
    f.Command16->hide();
    f.Command20->hide();
    f.Command13->hide();
    f.Command19->hide();
    f.Command17->show();
    f.Command18->show();
    f.Command21->show();
    f.HScroll1->hide();
    f.Picture2->hide();
    Yield();
    f.Text1[0]->setFocus();
}
