// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextBoxes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace platform {

RichTextBox::RichTextBox(QWidget *parent) : Control(parent)
{
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhPreferLowercase | Qt::ImhNoPredictiveText);
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    // One line of 24 points then needs exactly the standard slot height (615 twips, 41 pixels),
    // border included, so the line never scrolls within a slot of the standard size.
    document()->setDocumentMargin(2);
    setBorderStyle(0);
    const QPalette desktop = QApplication::palette();
    m_back = desktop.color(QPalette::Base);
    m_fore = desktop.color(QPalette::Text);
    ApplyColors(this, m_back, m_fore);
    connect(this, &QTextEdit::textChanged, this, [this] {
        fitToText();
        emit change(index());
    });
}

void RichTextBox::setText(const QString &text)
{
    if (text != toPlainText())
        setPlainText(text);
}

void RichTextBox::setBackColor(const QColor &color)
{
    if (color.isValid())
        m_back = color;
    ApplyColors(this, m_back, m_fore);
}

void RichTextBox::setForeColor(const QColor &color)
{
    if (color.isValid())
        m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

void RichTextBox::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    setFrameStyle(m_borderStyle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void RichTextBox::setFontSize(double points)
{
    m_fontSize = static_cast<float>(points);
    QFont f = font();
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(m_fontSize * 96.0 / 72.0))));
    setFont(f);
}

QSizeF RichTextBox::textSizeTwips() const
{
    // The text laid out on one line per paragraph, as the box shows it, margins included.
    QTextDocument layout;
    layout.setDefaultFont(font());
    layout.setDocumentMargin(document()->documentMargin());
    layout.setPlainText(toPlainText());
    const QSizeF needed = layout.size();
    const double border = 2.0; // one pixel each side
    const double height = std::ceil(needed.height()) + border;
    // An empty box stays a square one line high, so that it can still be taken hold of.
    const double width = std::max(std::ceil(needed.width()) + border, height);
    return {PixelsToTwips(width), PixelsToTwips(height)};
}

void RichTextBox::fitToText()
{
    const QSizeF size = textSizeTwips();
    setTwipsGeometry(twipsLeft(), twipsTop(), size.width(), size.height());
}

PointerEvent RichTextBox::boxPointer(const QMouseEvent *event) const
{
    // Positions are reported relative to the text box itself, border included.
    PointerEvent pointer = MakePointerEvent(event);
    const QPointF offset = viewport()->mapTo(this, QPointF(0, 0));
    pointer.x += PixelsToTwips(offset.x());
    pointer.y += PixelsToTwips(offset.y());
    return pointer;
}

bool RichTextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != viewport())
        return Control::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const PointerEvent pointer = boxPointer(mouse);
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool dragging = press ? mouse->button() != Qt::LeftButton : mouse->buttons() != Qt::NoButton;
        if (press)
            emit mouseDown(index(), pointer);
        else
            emit mouseMove(index(), pointer);
        // A left press still places the caret; nothing else of the text box's own mouse
        // handling runs while a button is held, since the box is being dragged.
        return dragging;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const PointerEvent pointer = boxPointer(mouse);
        emit mouseUp(index(), pointer);
        // The middle button would paste the desktop's selection on its release.
        return mouse->button() != Qt::LeftButton;
    }
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton;
    case QEvent::ContextMenu:
        return true;
    default:
        return Control::eventFilter(watched, event);
    }
}

void RichTextBox::focusOutEvent(QFocusEvent *event)
{
    // A popup of its own (none is opened) would leave it the selection.
    if (event->reason() != Qt::PopupFocusReason) {
        QTextCursor cursor = textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            setTextCursor(cursor);
        }
    }
    Control::focusOutEvent(event);
}

// ---------------------------------------------------------------------------------------------

PlainTextBox::PlainTextBox(QWidget *parent) : Control(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

} // namespace platform
