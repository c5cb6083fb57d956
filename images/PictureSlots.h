// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Placing and moving pictures in step 2. Eleven picture slots Image3(0..10) lie above the gallery
// cells: passing the pointer over a cell lays the first free slot over it with the cell's picture,
// so that a press lands on the slot; dragging carries it across the window, and a slot that
// reaches the poster (left edge below 9300 twips) grows once by 2.24. A slot released in the side
// panel is taken off again. Slot 10 is the overflow slot that refuses an eleventh picture.
//
// A slot over a cell shows the gallery's own thumbnail, which is decoded already. Once on the
// poster it keeps its picture sharp: the file is decoded again, off the GUI thread, for the size
// the slot is shown at times the capture density, and again whenever that size changes.

#include "platform/Controls.h"

#include <QObject>

class Form1;

namespace images {

class PictureSlotController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureSlotController)
public:
    explicit PictureSlotController(Form1 &form, QObject *parent = nullptr);

    // The growth of a fresh copy on its first move onto the poster, and the sizes below which
    // a slot still grows.
    static constexpr double GrowthFactor = 2.24;
    static constexpr double GrowsBelowHeight = 1345;
    static constexpr double GrowsBelowWidth = 1790;

    static const QString TooManyPictures;      // "がぞうは１０まいまでにしてください"
    static const QString TooManyPicturesTitle; // "入力エラー"

    // Pointer over gallery cell i, with or without a button held.
    void PassOverCell(int i, const platform::PointerEvent &event);
    // Press on picture slot s: selects it, or refuses the eleventh picture.
    void PressSlot(int s);
    // Pointer move on picture slot s: a drag step while a button is held.
    void MoveSlot(int s, const platform::PointerEvent &event);
    // Release on picture slot s: a slot left in the side panel is taken off.
    void ReleaseSlot(int s);

protected:
    // A finger or pen pressed on a cell where nothing was laid (a finger makes no pass over the
    // cell when it lands where the last one left): the pass first, then the press on the slot.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Form1 &m_form;
};

} // namespace images
