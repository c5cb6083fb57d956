#pragma once

// The controls of the program's windows, as Qt widgets. Each holds its position and size in
// twips exactly as set (single precision, 3998.4 stays 3998.4) and places itself at 15 twips
// per logical pixel; Qt's device pixel ratio takes care of high-density screens.
//
// Every control exposes the Qt properties twipsLeft, twipsTop, twipsWidth, twipsHeight and,
// where it has them, caption, text, backColor, foreColor, borderStyle (0 none, 1 single line),
// fontSize (points) and picture (a QImage, null when empty). Members of a control array carry
// their index, and their events hand it on.

#include "base/Fonts.h"
#include "pictures/Picture.h"
#include "base/Twips.h"

#include <QCheckBox>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <memory>

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

// A command button. With a back colour it paints in it (the "graphical" style); otherwise it
// keeps the style's button face.
class CommandButton final : public Control<QPushButton>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    explicit CommandButton(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const;
    void setBackColor(const QColor &color);
    QColor foreColor() const;
    void setForeColor(const QColor &color);
    double fontSize() const { return PointsOf(font()); }

private:
    QColor m_back, m_fore;
};

// A label: caption left-aligned at the top, wrapped within its width, opaque background.
class Label final : public Control<QLabel>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    explicit Label(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    double fontSize() const { return PointsOf(font()); }

signals:
    void click(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_back, m_fore;
    int m_borderStyle = 0;
    bool m_pressed = false;
};

// A key of the on-screen keyboard: a caption centred on a raised face that looks etched while
// a mouse button is held on it.
class KeyLabel final : public Control<QLabel>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int appearance READ appearance WRITE setAppearance)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    enum Look { Raised = 1, Etched = 3 };
    explicit KeyLabel(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    int appearance() const { return m_look; }
    void setAppearance(int look);
    double fontSize() const { return PointsOf(font()); }

signals:
    void mouseDown(int index);
    void mouseUp(int index);
    void click(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_back;
    int m_look = Raised;
    bool m_pressed = false;
};

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

// A picture box: back colour, a picture shown unscaled from its top-left corner, and a drawing
// surface for dots. The surface holds its pixels at the capture density, so that dots are as
// sharp in a capture as the capture itself, and it survives repaints. Setting the back colour or
// the picture clears it, as a repaint would on the original desktop.
class PictureBox final : public Control<QWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QImage picture READ pictureImage)
public:
    explicit PictureBox(QWidget *parent = nullptr);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    QImage pictureImage() const { return m_picture.image(); }

    // A filled circle centred on (x, y) twips with the given radius in twips: filled with
    // fillColor and outlined one logical pixel wide in lineColor.
    void drawCircle(double x, double y, double radius, const QColor &lineColor, const QColor &fillColor);
    // The dots drawn since the last clear (transparent elsewhere), at the capture density.
    const QImage &drawingSurface() const { return m_surface; }

signals:
    void mouseDown(const platform::PointerEvent &event);
    void mouseMove(const platform::PointerEvent &event);
    void mouseUp(const platform::PointerEvent &event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool ensureSurface(); // true when it had to be made anew (and so is clear)
    void clearSurface();

    QColor m_back, m_fore;
    Picture m_picture;
    QImage m_surface;
};

class SharpDecode;

// An image control: shows its picture stretched to its own size, with an optional single-line
// border. What it paints on the screen comes from a copy of the picture scaled once to its size,
// so that moving it, or anything over it, repaints by copying pixels.
//
// A picture decoded smaller than it may come to be shown (a gallery thumbnail) can name the file
// it came from. While the control keeps it sharp, every change of its size that asks for more
// pixels than the picture holds (its shown size times CaptureDensity) has the file decoded again
// at that size off the GUI thread, shown once it is ready; settle() makes the picture as sharp as
// the size asks before it returns, which the poster capture relies on. Only the picture shown is
// decoded again: once the file no longer holds it (written over, replaced, cut or removed), the
// control keeps the picture it has, at the pixels it has.
class ImageControl final : public Control<QWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(QImage picture READ pictureImage)
public:
    explicit ImageControl(QWidget *parent = nullptr);
    ~ImageControl() override;
    const Picture &picture() const { return m_picture; }
    // Shows picture; the control no longer names a file to decode it from.
    void setPicture(const Picture &picture);
    // Shows picture, decoded from the file at path, perhaps at a smaller size; sharpness is not
    // kept until setKeepSharp(true).
    void setPicture(const Picture &picture, const QString &path);
    QImage pictureImage() const { return m_picture.image(); }
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

    void setKeepSharp(bool keep);
    bool keepsSharp() const { return m_keepSharp; }
    // True when no sharper decode is wanted or on its way.
    bool isSettled() const;
    // Makes the picture shown as sharp as the control's size asks: waits for the decode on its way
    // or makes it now. Does nothing for a control that does not keep its picture sharp.
    void settle();

signals:
    void mouseDown(int index, const platform::PointerEvent &event);
    void mouseMove(int index, const platform::PointerEvent &event);
    void mouseUp(int index, const platform::PointerEvent &event);
    // A sharper decode of the picture is now shown.
    void sharpened(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage scaledFor(qreal devicePixelRatio);
    QSize wantedPixels() const;
    void askForSharpness();   // once the handler that changed the size has returned
    void startSharpening();
    void dropSharpening();
    void showSharp(const Picture &picture);

    Picture m_picture;
    int m_borderStyle = 0;
    QString m_source;               // the file the picture came from, if it is to be kept sharp
    bool m_keepSharp = false;
    bool m_sharpFailed = false;     // the file could not be decoded again, or holds another picture
                                    // now: not tried again
    bool m_askQueued = false;
    std::shared_ptr<SharpDecode> m_decode; // the sharper decode on its way
    QImage m_screenCopy;            // the picture scaled to the control on the screen
};

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
// into any text field.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The width and height in twips that its text needs at its font, with room for the border
    // whether it is drawn or not, so that selecting the box never clips its text.
    QSizeF textSizeTwips() const;
    void fitToText();

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

// A horizontal or vertical scroll bar; "change" fires on every change of its value, by the
// user or by code.
class ScrollBar final : public Control<QScrollBar>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
    int smallChange() const { return singleStep(); }
    int largeChange() const { return pageStep(); }

signals:
    void change();
};

// A check box; value 0 or 1.
class CheckBox final : public Control<QCheckBox>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int value READ value WRITE setValue)
public:
    explicit CheckBox(QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }

private:
    QString m_caption;
    QColor m_back;
};

// A timer: interval in milliseconds, enabled or not, and a tick.
class Timer final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
public:
    explicit Timer(QObject *parent = nullptr);
    int interval() const { return m_timer.interval(); }
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }
    bool isEnabled() const { return m_timer.isActive(); }
    void setEnabled(bool enabled);

signals:
    void tick();

private:
    QTimer m_timer;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::PointerEvent)
