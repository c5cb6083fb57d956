#include "platform/Buttons.h"

#include <QMouseEvent>

#include <utility>

namespace platform {

namespace {

void SetAccessibleCaption(QWidget *widget, const QString &caption)
{
    widget->setAccessibleName(caption.isEmpty() ? widget->objectName() : caption);
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
