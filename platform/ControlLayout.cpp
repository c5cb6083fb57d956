// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ControlLayout.h"

#include "platform/Controls.h"
#include "platform/FileLists.h"

#include <QApplication>
#include <QPalette>

namespace platform {

namespace {
constexpr char LayerProperty[] = "tovimaruLayer";
} // namespace

QColor Resolve(const ColorSpec &entry)
{
    const QPalette palette = QApplication::palette();
    switch (entry.kind) {
    case ColorSpec::Rgb:
        return QColor::fromRgb(entry.rgb);
    case ColorSpec::SystemWindow:
        return palette.color(QPalette::Base);
    case ColorSpec::SystemWindowText:
        return palette.color(QPalette::Text);
    case ColorSpec::SystemButtonFace:
        return palette.color(QPalette::Button);
    case ColorSpec::Default:
        break;
    }
    return QColor();
}

QString ControlName(const ControlSpec &entry)
{
    const QString name = QString::fromUtf8(entry.name);
    return entry.index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(entry.index);
}

namespace {

QWidget *Create(QWidget *parent, const ControlSpec &entry)
{
    const QString caption = entry.caption ? QString::fromUtf8(entry.caption) : QString();
    const QFont font = MakeFont(entry.face, entry.fontSize, entry.fontStyle);
    const QColor back = Resolve(entry.backColor);
    const QColor fore = Resolve(entry.foreColor);

    auto place = [&](auto *control) {
        control->setObjectName(ControlName(entry));
        control->setIndex(entry.index);
        control->setFont(font);
        control->setTwipsGeometry(entry.left, entry.top, entry.width, entry.height);
        control->setAccessibleName(caption.isEmpty() ? control->objectName() : caption);
        return control;
    };

    switch (entry.kind) {
    case ControlKind::Button: {
        auto *button = place(new CommandButton(parent));
        button->setCaption(caption);
        if (back.isValid())
            button->setBackColor(back);
        if (fore.isValid())
            button->setForeColor(fore);
        return button;
    }
    case ControlKind::Label: {
        auto *label = place(new Label(parent));
        label->setCaption(caption);
        label->setBackColor(back);
        label->setForeColor(fore);
        label->setBorderStyle(entry.borderStyle);
        return label;
    }
    case ControlKind::KeyLabel: {
        auto *key = place(new KeyLabel(parent));
        key->setCaption(caption);
        key->setBackColor(back);
        return key;
    }
    case ControlKind::PictureBox: {
        auto *box = place(new PictureBox(parent));
        box->setBackColor(back);
        box->setForeColor(fore);
        return box;
    }
    case ControlKind::Image: {
        auto *image = place(new ImageControl(parent));
        image->setBorderStyle(entry.borderStyle);
        return image;
    }
    case ControlKind::RichTextBox: {
        auto *text = place(new RichTextBox(parent));
        text->setFontSize(entry.fontSize);
        text->setBorderStyle(entry.borderStyle);
        if (back.isValid())
            text->setBackColor(back);
        if (fore.isValid())
            text->setForeColor(fore);
        return text;
    }
    case ControlKind::PlainTextBox: {
        auto *text = place(new PlainTextBox(parent));
        text->setText(caption);
        return text;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
        auto *bar = place(new ScrollBar(entry.kind == ControlKind::HScrollBar ? Qt::Horizontal : Qt::Vertical, parent));
        bar->setRange(entry.range.minimum, entry.range.maximum);
        bar->setSingleStep(entry.range.smallChange);
        bar->setPageStep(entry.range.largeChange);
        bar->setValue(entry.range.value);
        return bar;
    }
    case ControlKind::CheckBox: {
        auto *check = place(new CheckBox(parent));
        check->setCaption(caption);
        if (back.isValid())
            check->setBackColor(back);
        return check;
    }
    case ControlKind::DriveList:
        return place(new DriveList(parent));
    case ControlKind::FolderList:
        return place(new FolderList(parent));
    case ControlKind::FileList:
        return place(new FileList(parent));
    }
    return nullptr;
}

} // namespace

void BuildControls(QWidget *parent, std::span<const ControlSpec> table)
{
    for (const ControlSpec &entry : table) {
        QWidget *control = Create(parent, entry);
        control->setProperty(LayerProperty, static_cast<int>(entry.layer));
        control->setEnabled(entry.enabled);
        if (!entry.visible)
            control->hide();
    }
    // Stack all children by layer, each layer in creation order.
    QList<QWidget *> controls;
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow())
            controls.append(widget);
    }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const QWidget *a, const QWidget *b) { return LayerOf(a) < LayerOf(b); });
    for (QWidget *widget : controls)
        widget->raise();
}

Layer LayerOf(const QWidget *control)
{
    const QVariant layer = control->property(LayerProperty);
    return layer.isValid() ? static_cast<Layer>(layer.toInt()) : Layer::Panel;
}

void BringToFront(QWidget *control)
{
    control->raise();
    QWidget *parent = control->parentWidget();
    if (!parent)
        return;
    // Raising a control put it above every sibling; lift the siblings of higher layers above it
    // again, layer by layer, each keeping the order it had.
    const Layer own = LayerOf(control);
    QList<QWidget *> higher;
    for (QObject *child : parent->children()) { // children() runs from back to front
        auto *sibling = qobject_cast<QWidget *>(child);
        if (sibling && sibling != control && !sibling->isWindow() && LayerOf(sibling) > own)
            higher.append(sibling);
    }
    std::stable_sort(higher.begin(), higher.end(),
                     [](const QWidget *a, const QWidget *b) { return LayerOf(a) < LayerOf(b); });
    for (QWidget *sibling : higher)
        sibling->raise();
}

} // namespace platform
