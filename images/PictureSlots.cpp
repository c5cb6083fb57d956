// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/PictureSlots.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/History.h"
#include "images/Gallery.h"
#include "platform/ControlLayout.h"
#include "platform/MessageBox.h"
#include "platform/Touch.h"
#include "settings/Settings.h"
#include "base/Twips.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace images {

namespace {
constexpr int OverflowSlot = 10;
} // namespace

const QString PictureSlotController::TooManyPictures = QStringLiteral("がぞうは１０まいまでにしてください");
const QString PictureSlotController::TooManyPicturesTitle = QStringLiteral("入力エラー");

PictureSlotController::PictureSlotController(Form1 &form, QObject *parent)
    : QObject(parent),
      m_form(form)
{
    using platform::ImageControl;
    using platform::PointerEvent;
    for (ImageControl *cell : form.Image1) {
        connect(cell, &ImageControl::mouseMove, this, &PictureSlotController::PassOverCell);
        cell->installEventFilter(this);
    }
    for (ImageControl *slot : form.Image3) {
        platform::KeepTapsStill(slot);
        connect(slot, &ImageControl::mouseDown, this, [this](int s, const PointerEvent &) { PressSlot(s); });
        connect(slot, &ImageControl::mouseMove, this, &PictureSlotController::MoveSlot);
        connect(slot, &ImageControl::mouseUp, this, [this](int s, const PointerEvent &) { ReleaseSlot(s); });
    }
}

bool PictureSlotController::eventFilter(QObject *watched, QEvent *event)
{
    // A second tap at one place comes as a double click.
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    auto *press = static_cast<QMouseEvent *>(event);
    auto *cell = qobject_cast<platform::ImageControl *>(watched);
    if (!cell || !platform::IsFromTouchOrPen(press))
        return QObject::eventFilter(watched, event);

    // The pass over the cell, as a pointer passing there would make it.
    QMouseEvent pass(QEvent::MouseMove, press->position(), press->scenePosition(), press->globalPosition(),
                     Qt::NoButton, Qt::NoButton, press->modifiers(), press->pointingDevice());
    QCoreApplication::sendEvent(cell, &pass);
    platform::ImageControl *slot = m_form.Image3[Module1::FreeSlot];
    if (!slot->isVisible() || !slot->geometry().contains(cell->geometry().topLeft() + press->position().toPoint()))
        return QObject::eventFilter(watched, event);

    // The press, the drag and the release belong to the slot now lying under the finger. The
    // slot holds the mouse only while the finger is still down once its press is handled (the
    // eleventh picture's message has taken the finger's release).
    const QPointF at = slot->mapFromGlobal(press->globalPosition());
    QMouseEvent onSlot(QEvent::MouseButtonPress, at, press->scenePosition(), press->globalPosition(),
                       press->button(), press->buttons(), press->modifiers(), press->pointingDevice());
    QCoreApplication::sendEvent(slot, &onSlot);
    if (slot->isVisible() && QGuiApplication::mouseButtons() != Qt::NoButton)
        slot->grabMouse();
    return true;
}

void PictureSlotController::PassOverCell(int i, const platform::PointerEvent &event)
{
    Form1 &f = m_form;
    // With today's formats, the card of a file that cannot be read is not picked up.
    const QString path = ImageFileAt(i + f.VScroll1->value());
    const platform::Picture picture = ThumbnailPicture(path, f);
    if (picture.isEmpty() && settings::Current().moreFormats)
        return;
    // 1. The size buttons act on the copy from now on.
    f.HasSelection = 1;

    // 2. The first slot that is not on the poster, hidden; the overflow slot when there is none.
    Module1::FreeSlot = OverflowSlot;
    for (int j = 0; j < OverflowSlot; ++j) {
        if (!Poster::IsPlaced(*f.Image3[j])) {
            Module1::FreeSlot = static_cast<std::int16_t>(j);
            f.Image3[j]->hide();
            break;
        }
    }
    platform::ImageControl &slot = *f.Image3[Module1::FreeSlot];
    const platform::ImageControl &cell = *f.Image1[i];

    // 3. The pick-up point, in whole twips.
    f.GrabX = platform::RoundInt16(event.x);
    f.GrabY = platform::RoundInt16(event.y);

    // 4. Exactly over the cell: top, left, height, width.
    slot.setTwipsTop(cell.twipsTop());
    slot.setTwipsLeft(cell.twipsLeft());
    slot.setTwipsHeight(cell.twipsHeight());
    slot.setTwipsWidth(cell.twipsWidth());

    // 5. The cell's file, as the gallery decoded it: no second decode while hovering.
    slot.setPicture(picture, path);

    // 6.
    slot.show();
}

void PictureSlotController::PressSlot(int s)
{
    Form1 &f = m_form;
    // 1. With slot 0 on the poster, or exactly at the limit, every slot 0..9 is taken.
    if (s == OverflowSlot && f.Image3[0]->twipsLeft() <= Poster::PlacedLimit) {
        platform::ShowErrorMessage(&f, TooManyPictures, TooManyPicturesTitle);
        return;
    }
    // 2.-3.
    Module1::SelectedKind = 1;
    Poster::ClearSelectionBorders(f);
    // 4. Whichever slot was pressed.
    f.Image3[OverflowSlot]->hide();
    // 5.-6.
    platform::ImageControl &slot = *f.Image3[s];
    platform::BringToFront(&slot);
    slot.setBorderStyle(1);
}

void PictureSlotController::MoveSlot(int s, const platform::PointerEvent &event)
{
    if (event.buttons == Qt::NoButton)
        return;
    Form1 &f = m_form;
    platform::ImageControl &slot = *f.Image3[s];

    // 1.-6.
    Poster::DragStep(f, slot, event.x, event.y);

    // 7. The one-time growth on the poster.
    if (!Poster::IsPlaced(slot)) {
        f.OnPoster[s] = 0;
    } else {
        if (f.OnPoster[s] != 1) {
            if (slot.twipsHeight() < GrowsBelowHeight && slot.twipsWidth() < GrowsBelowWidth) {
                slot.setTwipsHeight(static_cast<float>(slot.twipsHeight() * GrowthFactor));
                slot.setTwipsWidth(static_cast<float>(slot.twipsWidth() * GrowthFactor));
            }
            f.OnPoster[s] = 1;
        }
        // On the poster the picture is shown, captured and printed from a decode of its size.
        slot.setKeepSharp(true);
    }

    // 8.
    Module1::SelectedIndex = static_cast<std::int16_t>(s);
}

void PictureSlotController::ReleaseSlot(int s)
{
    Form1 &f = m_form;
    platform::ImageControl &slot = *f.Image3[s];
    // A finger's press handed to the slot held the mouse on it.
    if (QWidget::mouseGrabber() == &slot)
        slot.releaseMouse();
    if (!Poster::IsPlaced(slot)) {
        // Free again where it lies, for the next pass over a cell.
        slot.hide();
        Poster::GiveStandardSize(slot);
    }
    Module1::SelectedIndex = static_cast<std::int16_t>(s);
    history::GestureEnded(f);
}

} // namespace images
