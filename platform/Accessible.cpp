// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Accessible.h"

#include "platform/Buttons.h"
#include "platform/ImageControl.h"
#include "platform/Narrator.h"
#include "platform/PictureBox.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

namespace platform {

namespace {

// The interface of one control; its role, name and action follow the control as it stands,
// since the interface is made once, perhaps before the control has its caption.
class ControlInterface final : public QAccessibleWidget
{
public:
    enum class Kind { Key, Label, Image, Paper };

    ControlInterface(QWidget *control, Kind kind) : QAccessibleWidget(control), m_kind(kind) {}

    QAccessible::Role role() const override
    {
        switch (m_kind) {
        case Kind::Key:
            return QAccessible::Button;
        case Kind::Label:
            return IsSwatch() ? QAccessible::Button : QAccessible::StaticText;
        case Kind::Image:
            // The gallery's cells are pressed to take their picture.
            return widget()->objectName().startsWith(QLatin1String("Image1(")) ? QAccessible::Button
                                                                                : QAccessible::Graphic;
        case Kind::Paper:
            return QAccessible::Graphic;
        }
        return QAccessible::NoRole;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return name();
        if (t == QAccessible::Description) {
            // How the caption is said, where a voice would read the caption itself wrongly.
            const QString spoken = Narrator::CaptionOf(widget());
            return spoken != name() ? spoken : QString();
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (pressable())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction() && pressable())
            PressLikeMouse(widget());
        else
            QAccessibleWidget::doAction(action);
    }

private:
    bool IsSwatch() const { return widget()->property(SpokenCaptionProperty).isValid(); }

    QString name() const
    {
        switch (m_kind) {
        case Kind::Key: {
            const QString caption = static_cast<const KeyLabel *>(widget())->caption();
            return caption.isEmpty() ? Narrator::CaptionOf(widget()) : caption;
        }
        case Kind::Label:
            return IsSwatch() ? widget()->property(SpokenCaptionProperty).toString()
                              : static_cast<const Label *>(widget())->caption();
        case Kind::Image:
            // The still picture of the paper lies behind the pictures.
            return widget()->objectName() == QLatin1String("Image2") ? QStringLiteral("かみ") : QStringLiteral("え");
        case Kind::Paper:
            return QStringLiteral("かみ");
        }
        return {};
    }

    // Keys, swatches, gallery cells and picture slots are pressed as the mouse presses them.
    bool pressable() const
    {
        if (!widget()->isEnabled())
            return false;
        switch (m_kind) {
        case Kind::Key:
            return true;
        case Kind::Label:
            return IsSwatch();
        case Kind::Image:
            return widget()->objectName() != QLatin1String("Image2");
        case Kind::Paper:
            return false;
        }
        return false;
    }

    Kind m_kind;
};

QAccessibleInterface *MakeInterface(const QString &, QObject *object)
{
    auto *control = qobject_cast<QWidget *>(object);
    if (qobject_cast<KeyLabel *>(control))
        return new ControlInterface(control, ControlInterface::Kind::Key);
    if (qobject_cast<Label *>(control))
        return new ControlInterface(control, ControlInterface::Kind::Label);
    if (qobject_cast<ImageControl *>(control))
        return new ControlInterface(control, ControlInterface::Kind::Image);
    if (qobject_cast<PictureBox *>(control))
        return new ControlInterface(control, ControlInterface::Kind::Paper);
    return nullptr;
}

} // namespace

void InstallAccessibleControls()
{
    QAccessible::removeFactory(MakeInterface);
    QAccessible::installFactory(MakeInterface);
}

void PressLikeMouse(QWidget *control)
{
    QWidget *window = control->window();
    const QPoint centre = control->rect().center();
    const QPoint inWindow = control->mapTo(window, centre);
    const QPointF global = control->mapToGlobal(QPointF(centre));
    auto send = [&](QWidget *target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(target->mapFrom(window, inWindow)), QPointF(inWindow), global, button,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    QPointer<QWidget> passed = control;
    send(control, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    if (!passed)
        return;
    QPointer<QWidget> target = window->childAt(inWindow);
    if (!target)
        target = control;
    send(target, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    if (target)
        send(target, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
}

} // namespace platform
