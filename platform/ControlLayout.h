// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The static layout of a window as data: one table per window, the single place where a
// control's name, kind, place in twips, caption, font, colours and start state meet. The
// window's builder creates the controls from its table, in table order.

#include "base/Fonts.h"

#include <QColor>
#include <QWidget>

#include <span>

namespace platform {

enum class ControlKind {
    Button,
    Label,
    KeyLabel,
    PictureBox,
    Image,
    RichTextBox,
    PlainTextBox,
    HScrollBar,
    VScrollBar,
    CheckBox,
    DriveList,
    FolderList,
    FileList,
};

// A colour in a layout table: #RRGGBB, or one of the desktop's colours, or the style's own.
struct ColorSpec
{
    enum Kind { Default, Rgb, SystemWindow, SystemWindowText, SystemButtonFace };
    Kind kind = Default;
    QRgb rgb = 0;
};
constexpr ColorSpec Rgb(QRgb rgb) { return {ColorSpec::Rgb, rgb}; }
inline constexpr ColorSpec DefaultColor{};
inline constexpr ColorSpec WindowColor{ColorSpec::SystemWindow};
inline constexpr ColorSpec WindowTextColor{ColorSpec::SystemWindowText};
inline constexpr ColorSpec ButtonFaceColor{ColorSpec::SystemButtonFace};
QColor Resolve(const ColorSpec &entry);

// Stacking layers from back to front. A control brought to the front stays within its layer,
// so that, say, a picture slot never rises above the picture boxes that cover the poster.
enum class Layer {
    Background = 0, // Image2: the still picture of the paper
    Gallery,        // the gallery cells
    PictureSlots,   // the picture slots
    TextSlots,      // the text slots
    Keys,           // the keys of the on-screen keyboard
    PictureBoxes,   // the paper and the finished poster
    Panel,          // buttons, labels and bars, which overlap none of the above when shown
};

struct ScrollRange
{
    int minimum = 0, maximum = 0, smallChange = 1, largeChange = 1, value = 0;
};

struct ControlSpec
{
    const char *name;            // the name; array members add their index: "Image3(10)"
    ControlKind kind;
    double left, top, width, height; // twips
    const char *caption = nullptr;   // UTF-8, exactly as shown
    FontFace face = FontFace::Window;
    double fontSize = 0;             // points; 0 for the window font
    FontStyle fontStyle = FontStyle::Regular;
    ColorSpec backColor = DefaultColor;
    ColorSpec foreColor = DefaultColor;
    bool visible = true;
    bool enabled = true;
    Layer layer = Layer::Panel;
    ScrollRange range = {};
    int index = -1;                  // index within its control array, -1 for none
    int borderStyle = 0;
};

// The object name of a control: its name, with the index in parentheses for array members.
QString ControlName(const ControlSpec &entry);

// Creates the controls of the table as children of parent, in table order (later ones lie in
// front of earlier ones within a layer), and gives each its name, place, caption, font,
// colours, visibility, enabled state and accessible name.
void BuildControls(QWidget *parent, std::span<const ControlSpec> table);

// The control of that name among parent's children; nullptr when there is none.
template<class T>
T *FindControl(QWidget *parent, const QString &name)
{
    return parent->findChild<T *>(name, Qt::FindDirectChildrenOnly);
}

// The control of that name built from a window's table, which must be there.
template<class T>
T *BuiltControl(QWidget *parent, const char *name)
{
    T *control = FindControl<T>(parent, QString::fromUtf8(name));
    Q_ASSERT_X(control, "BuiltControl", name);
    return control;
}

// Raises the control to the front of its stacking layer.
void BringToFront(QWidget *control);

// The layer a control was built in.
Layer LayerOf(const QWidget *control);

} // namespace platform
