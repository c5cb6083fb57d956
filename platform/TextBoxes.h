// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text boxes: the rich text box of the poster's text slots, which sizes itself to its text,
// and the plain single-line typing line.

#include "platform/Control.h"

#include "base/Fonts.h"

#include <QLineEdit>
#include <QTextEdit>

namespace platform {

// A rich text box: its own font size, colours and border; the text slots of the poster.
//
// It sizes itself to its text: whenever the text changes (typed, or set by code) it takes the
// width and height that text needs at its font, and only then reports the change, so that a
// change handler may still give it another size. A change of font size alone keeps its size.
// Its colours are real colours from the start: the desktop's window and window-text colours.
//
// Pointer events report positions in twips relative to the box itself. A press with any button
// and a move with or without buttons are reported; the box places its caret on a left press
// but neither selects text by dragging nor pastes on a middle click nor opens a context menu,
// since a held button drags the box. Keys and the desktop's input method type into it as
// into any text field. A double click selects a word; the selection goes when the box loses
// the focus, as a line edit's does, so that no box without the focus shows one.
class RichTextBox final : public Control<QTextEdit>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(double fontSize READ fontSize WRITE setFontSize)
public:
    explicit RichTextBox(QWidget *parent = nullptr);
    QString text() const { return toPlainText(); }
    void setText(const QString &text);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double points);

signals:
    void change(int index);
    void mouseDown(int index, const platform::PointerEvent &event);
    void mouseMove(int index, const platform::PointerEvent &event);
    // A button let go over the box, or anywhere after a press on it.
    void mouseUp(int index, const platform::PointerEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The width and height in twips that its text needs at its font, with room for the border
    // whether it is drawn or not, so that selecting the box never clips its text.
    QSizeF textSizeTwips() const;
    void fitToText();
    // The pointer event of a mouse event on the viewport, relative to the box itself.
    PointerEvent boxPointer(const QMouseEvent *event) const;

    QColor m_back, m_fore;
    int m_borderStyle = 0;
    float m_fontSize = 9;
};

// A plain single-line text box: the typing line of the text-editing mode.
class PlainTextBox final : public Control<QLineEdit>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(double fontSize READ fontSize)
public:
    explicit PlainTextBox(QWidget *parent = nullptr);
    double fontSize() const { return PointsOf(font()); }
};

} // namespace platform
