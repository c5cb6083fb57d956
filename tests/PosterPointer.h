// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pointer over the main window as a user moves it, for the tests that carry pictures from the
// gallery onto the poster.

#include "form/Form1.h"
#include "images/Gallery.h"

#include <QPointF>
#include <QWindow>
#include <QtTest>

namespace testing {

// A point inside gallery cell i: 900 twips from its left edge, 600 from its top.
inline QPointF InCell(int i)
{
    return {images::CellLeft(i) + 900, images::CellTop(i) + 600};
}

// The pointer over the main window, at points in twips of its client area (whole pixels).
class Pointer
{
public:
    explicit Pointer(Form1 &form) : m_form(form) {}

    void hover(QPointF twips) { event(Move, twips); }
    void press(QPointF twips) { event(Press, twips); }
    void release() { event(Release, m_at); }
    // Moves with the button held, in steps equal steps.
    void dragTo(QPointF twips, int steps = 4)
    {
        const QPointF from = m_at;
        for (int k = 1; k <= steps; ++k)
            event(Move, from + (twips - from) * k / steps);
    }
    QPointF at() const { return m_at; }
    // Carries the picture of gallery cell i as a user drags it, over the cell, pressed and
    // dragged, until its slot's top-left corner is at corner; released there.
    void carryCell(int i, QPointF corner)
    {
        hover(InCell(i));
        press(InCell(i));
        dragTo(corner + QPointF(m_form.GrabX, m_form.GrabY));
        release();
    }

private:
    enum Action { Move, Press, Release };
    void event(Action action, QPointF twips)
    {
        m_at = twips;
        const QPoint pixel(qRound(twips.x() / 15), qRound(twips.y() / 15));
        const QPoint inWindow = m_form.client()->mapTo(&m_form, pixel);
        QWindow *window = m_form.windowHandle();
        switch (action) {
        case Move: QTest::mouseMove(window, inWindow); break;
        case Press: QTest::mousePress(window, Qt::LeftButton, {}, inWindow); break;
        case Release: QTest::mouseRelease(window, Qt::LeftButton, {}, inWindow); break;
        }
    }
    Form1 &m_form;
    QPointF m_at;
};

} // namespace testing
