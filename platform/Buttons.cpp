// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Buttons.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <utility>

namespace platform {

namespace {

void SetAccessibleCaption(QWidget *widget, const QString &caption)
{
    widget->setAccessibleName(caption.isEmpty() ? widget->objectName() : caption);
}

// Black on light colours, white on dark ones.
QColor ReadableOn(const QColor &back)
{
    return qGray(back.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

// ---------------------------------------------------------------------------------------------

CommandButton::CommandButton(QWidget *parent) : Control(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void CommandButton::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

QColor CommandButton::backColor() const
{
    return m_back.isValid() ? m_back : palette().color(QPalette::Button);
}

void CommandButton::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, m_fore);
}

QColor CommandButton::foreColor() const
{
    return m_fore.isValid() ? m_fore : palette().color(QPalette::ButtonText);
}

void CommandButton::setForeColor(const QColor &color)
{
    m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

void CommandButton::paintEvent(QPaintEvent *event)
{
    if (m_back.isValid())
        paintGraphical();
    else
        QPushButton::paintEvent(event);
}

// The desktop styles shade a button's face (Fusion runs it from near white into the colour),
// which hides a pale colour: the graphical button paints itself, the same in every style.
void CommandButton::paintGraphical()
{
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    // A frame two pixels wide: white and light grey above and left, grey and dark grey below and
    // right, the other way round while pressed.
    QPalette frame;
    frame.setColor(QPalette::Light, Qt::white);
    frame.setColor(QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    frame.setColor(QPalette::Dark, QColor(0xA0, 0xA0, 0xA0));
    frame.setColor(QPalette::Shadow, QColor(0x69, 0x69, 0x69));
    const QBrush face(m_back);
    qDrawWinButton(&painter, rect(), frame, sunken, &face);

    // The caption centred on the face, one pixel down and right while pressed; etched in grey
    // while disabled.
    const QRect area = rect().translated(sunken ? QPoint(1, 1) : QPoint(0, 0));
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!isEnabled()) {
        painter.setPen(Qt::white);
        painter.drawText(area.translated(1, 1), flags, text());
        painter.setPen(QColor(0x80, 0x80, 0x80));
    } else {
        painter.setPen(m_fore.isValid() ? m_fore : ReadableOn(m_back));
    }
    QRect bounds;
    painter.drawText(area, flags, text(), &bounds);
    if (hasFocus()) { // a dotted line round the caption, clear of the face's edges
        painter.setPen(QPen(painter.pen().color(), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bounds.adjusted(-3, -1, 2, 0));
    }
}

// ---------------------------------------------------------------------------------------------

Label::Label(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

void Label::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, m_fore);
}

void Label::setForeColor(const QColor &color)
{
    m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

void Label::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    setFrameStyle(m_borderStyle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void Label::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (std::exchange(m_pressed, false) && inside)
        emit click(index());
    event->accept();
}

// ---------------------------------------------------------------------------------------------

KeyLabel::KeyLabel(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    // Captions too wide for a key ("ひらがな", "こ　もじ") break into lines, between characters.
    setWordWrap(true);
    setLineWidth(2);
    setAppearance(Raised);
}

void KeyLabel::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

void KeyLabel::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, QColor(Qt::black));
}

void KeyLabel::setAppearance(int look)
{
    m_look = look == Etched ? Etched : Raised;
    setFrameStyle(m_look == Etched ? (QFrame::Box | QFrame::Sunken) : (QFrame::Panel | QFrame::Raised));
}

void KeyLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    emit mouseDown(index());
    event->accept();
}

void KeyLabel::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(index());
    const bool inside = rect().contains(event->position().toPoint());
    if (std::exchange(m_pressed, false) && inside)
        emit click(index());
    event->accept();
}

// ---------------------------------------------------------------------------------------------

CheckBox::CheckBox(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
}

void CheckBox::setCaption(const QString &caption)
{
    // The box is too small to show its caption; the label beside it says what it does.
    m_caption = caption;
    SetAccessibleCaption(this, caption);
}

void CheckBox::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, QColor());
}

} // namespace platform
