#pragma once

// What every control of the program's windows shares, over the Qt widget it is made of. Each
// holds its position and size in twips exactly as set (single precision, 3998.4 stays 3998.4)
// and places itself at 15 twips per logical pixel; Qt's device pixel ratio takes care of
// high-density screens.
//
// Every control exposes the Qt properties twipsLeft, twipsTop, twipsWidth, twipsHeight and,
// where it has them, caption, text, backColor, foreColor, borderStyle (0 none, 1 single line),
// fontSize (points) and picture (a QImage, null when empty). Members of a control array carry
// their index, and their events hand it on.

#include "base/Twips.h"

#include <QColor>
#include <QWidget>

class QMouseEvent;

#define TOVIMARU_TWIPS_PROPERTIES                                                                  \
    Q_PROPERTY(double twipsLeft READ twipsLeft WRITE setTwipsLeft)                                 \
    Q_PROPERTY(double twipsTop READ twipsTop WRITE setTwipsTop)                                    \
    Q_PROPERTY(double twipsWidth READ twipsWidth WRITE setTwipsWidth)                              \
    Q_PROPERTY(double twipsHeight READ twipsHeight WRITE setTwipsHeight)                           \
    Q_PROPERTY(int index READ index)

namespace platform {

// Position, size and array index of a control, with the widget's geometry following them.
// Base is the Qt widget the control is made of.
template<class Base>
class Control : public Base
{
public:
    explicit Control(QWidget *parent = nullptr) : Base(parent) {}

    double twipsLeft() const { return m_left; }
    double twipsTop() const { return m_top; }
    double twipsWidth() const { return m_width; }
    double twipsHeight() const { return m_height; }
    void setTwipsLeft(double value) { setTwipsGeometry(value, m_top, m_width, m_height); }
    void setTwipsTop(double value) { setTwipsGeometry(m_left, value, m_width, m_height); }
    void setTwipsWidth(double value) { setTwipsGeometry(m_left, m_top, value, m_height); }
    void setTwipsHeight(double value) { setTwipsGeometry(m_left, m_top, m_width, value); }
    void setTwipsGeometry(double left, double top, double width, double height);

    // Index within its control array; -1 for a control that is no array member.
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

private:
    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    int m_index = -1;
};

template<class Base>
void Control<Base>::setTwipsGeometry(double left, double top, double width, double height)
{
    m_left = static_cast<float>(left);
    m_top = static_cast<float>(top);
    m_width = static_cast<float>(width);
    m_height = static_cast<float>(height);
    this->setGeometry(TwipsToPixelRect(m_left, m_top, m_width, m_height));
}

// Colours the owning control fills and writes with; invalid colours leave the style's own.
void ApplyColors(QWidget *widget, const QColor &back, const QColor &fore);

// Pointer events of the poster's controls: the button (or the buttons held, for a move), the
// shift state, and the position in twips relative to the control's top-left corner.
struct PointerEvent
{
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers shift;
    double x = 0;
    double y = 0;
};

// The pointer event of a mouse event, its position in twips from the top-left corner of the
// widget it was sent to.
PointerEvent MakePointerEvent(const QMouseEvent *event);

} // namespace platform

Q_DECLARE_METATYPE(platform::PointerEvent)
