// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/ScreenReader.h"

#include "base/Twips.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "platform/Accessible.h"
#include "platform/Controls.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

#include <array>

namespace accessibility {

namespace {

constexpr int GridSize = 3;

// A mouse event to receiver at a point of its own, the left button held or let go.
void Send(QWidget *receiver, QEvent::Type type, QPoint local, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(receiver->mapTo(receiver->window(), local)),
                      QPointF(receiver->mapToGlobal(local)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &event);
}

// The point of the element that the drag's steps are counted from (where it was picked up, as the
// handlers keep it), as a point of receiver, the control its mouse events go to.
QPoint GrabPoint(const Form1 &form, const QWidget *element, const QWidget *receiver)
{
    const QPoint grab(platform::TwipsToPixels(form.GrabX), platform::TwipsToPixels(form.GrabY));
    return receiver == element ? grab : receiver->mapFrom(element, grab);
}

// One step of a drag that moves element by delta: the handlers move it by the pointer's distance
// from the pick-up point.
void DragBy(const Form1 &form, QWidget *element, QWidget *receiver, QPoint delta)
{
    Send(receiver, QEvent::MouseMove, GrabPoint(form, element, receiver) + delta, Qt::LeftButton);
}

void Release(const Form1 &form, QWidget *element, QWidget *receiver)
{
    Send(receiver, QEvent::MouseButtonRelease, GrabPoint(form, element, receiver), Qt::NoButton);
}

template<class Slot>
bool Counts(const Slot *slot)
{
    return !slot->isHidden() && Poster::IsPlaced(*slot);
}

void Place(Form1 &form, int i)
{
    platform::ImageControl *cell = form.Image1[i];
    QWidget *area = cell->parentWidget();
    const QPoint centre = cell->rect().center();
    // The pass over the cell lays a free slot there, and the press goes to that slot.
    Send(cell, QEvent::MouseMove, centre, Qt::NoButton);
    QPointer<QWidget> slot = area->childAt(cell->mapTo(area, centre));
    const auto isSlot = [&] {
        return slot && std::find(form.Image3.begin(), form.Image3.end() - 1, slot) != form.Image3.end() - 1;
    };
    if (slot && slot == form.Image3.back()) {
        // The eleventh picture: the press says there is no room, as it says to a mouse.
        Send(slot, QEvent::MouseButtonPress, slot->mapFrom(area, cell->mapTo(area, centre)), Qt::LeftButton);
        return;
    }
    if (!isSlot())
        return;
    const QPoint target = PlacingPoint(form);
    Send(slot, QEvent::MouseButtonPress, slot->mapFrom(area, cell->mapTo(area, centre)), Qt::LeftButton);
    if (!isSlot())
        return;
    // Onto the poster, where it grows; then centred again at its new size, within the paper.
    DragBy(form, slot, slot, target - slot->geometry().center());
    if (!isSlot())
        return;
    QRect placed = slot->geometry();
    placed.moveCenter(target);
    const QRect paper = form.Picture1->geometry();
    placed.moveLeft(std::max(paper.left(), std::min(placed.left(), paper.right() + 1 - placed.width())));
    placed.moveTop(std::max(paper.top(), std::min(placed.top(), paper.bottom() + 1 - placed.height())));
    DragBy(form, slot, slot, placed.topLeft() - slot->geometry().topLeft());
    if (isSlot())
        Release(form, slot, slot);
}

// A placed element dragged into the side panel, its top-left to home, and let go there.
void TakeOff(Form1 &form, QWidget *element, QWidget *receiver, QPoint home)
{
    QPointer<QWidget> alive = receiver;
    Send(receiver, QEvent::MouseButtonPress, receiver->rect().center(), Qt::LeftButton);
    if (alive)
        DragBy(form, element, receiver, home - element->geometry().topLeft());
    if (alive)
        Release(form, element, receiver);
}

QPoint Pixels(double left, double top)
{
    return {platform::TwipsToPixels(left), platform::TwipsToPixels(top)};
}

} // namespace

QPoint PlacingPoint(const Form1 &form)
{
    const QRect paper = form.Picture1->geometry();
    const auto place = [&](int k) {
        const int column = k % GridSize;
        const int row = k / GridSize;
        return QRect(paper.left() + paper.width() * column / GridSize, paper.top() + paper.height() * row / GridSize,
                     paper.width() / GridSize, paper.height() / GridSize);
    };
    std::array<int, GridSize * GridSize> held{};
    const auto count = [&](const QWidget *element) {
        for (int k = 0; k < GridSize * GridSize; ++k) {
            if (place(k).contains(element->geometry().center()))
                ++held[k];
        }
    };
    for (const platform::ImageControl *slot : form.Image3) {
        if (Counts(slot))
            count(slot);
    }
    for (const platform::RichTextBox *slot : form.Text1) {
        if (Counts(slot))
            count(slot);
    }
    const auto fewest = std::min_element(held.begin(), held.end());
    return place(int(fewest - held.begin())).center();
}

void AddPlacingActions(Form1 &form)
{
    for (int i = 0; i < int(form.Image1.size()); ++i) {
        platform::ImageControl *cell = form.Image1[i];
        platform::AddAccessibleAction(
            cell, PlaceAction,
            [cell] { return cell->isVisible() && cell->isEnabled() && !cell->picture().isEmpty(); },
            [&form, i] { Place(form, i); });
    }
    // The overflow slot is never placed.
    for (int s = 0; s + 1 < int(form.Image3.size()); ++s) {
        platform::ImageControl *slot = form.Image3[s];
        platform::AddAccessibleAction(
            slot, TakeOffAction, [slot] { return slot->isVisible() && Poster::IsPlaced(*slot); },
            [&form, slot] {
                if (slot->isVisible() && Poster::IsPlaced(*slot))
                    TakeOff(form, slot, slot, {Pixels(Poster::TextHomeLeft, 0).x(), slot->y()});
            });
    }
    for (int s = 0; s < int(form.Text1.size()); ++s) {
        platform::RichTextBox *slot = form.Text1[s];
        // While editing, a press places the caret and moves no text.
        const auto available = [slot] {
            return slot->isVisible() && Poster::IsPlaced(*slot) && Module1::EditMode.toInt() != 1;
        };
        platform::AddAccessibleAction(slot, TakeOffAction, available, [&form, slot, s, available] {
            if (available())
                TakeOff(form, slot, slot->viewport(), Pixels(Poster::TextHomeLeft, Poster::TextHomeTop(s)));
        });
    }
}

} // namespace accessibility
