// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Accessible.h"

#include "platform/Buttons.h"
#include "platform/ImageControl.h"
#include "platform/Narrator.h"
#include "platform/PictureBox.h"
#include "platform/TextBoxes.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace platform {

namespace {

// The actions given to a control by AddAccessibleAction, kept in a child object of the control.
class ExtraActions final : public QObject
{
public:
    struct Action
    {
        QString name;
        std::function<bool()> available;
        std::function<void()> run;
    };

    static constexpr const char *Name = "qt_accessible_actions";

    explicit ExtraActions(QWidget *control) : QObject(control) { setObjectName(QLatin1String(Name)); }

    static ExtraActions *of(const QWidget *control)
    {
        return dynamic_cast<ExtraActions *>(
            control->findChild<QObject *>(QLatin1String(Name), Qt::FindDirectChildrenOnly));
    }

    QList<Action> actions;
};

QStringList ExtraActionNames(const QWidget *control)
{
    QStringList names;
    if (const ExtraActions *extra = ExtraActions::of(control)) {
        for (const ExtraActions::Action &action : extra->actions) {
            if (action.available())
                names.append(action.name);
        }
    }
    return names;
}

bool DoExtraAction(QWidget *control, const QString &name)
{
    if (const ExtraActions *extra = ExtraActions::of(control)) {
        for (const ExtraActions::Action &action : extra->actions) {
            if (action.name == name && action.available()) {
                QTimer::singleShot(0, control, action.run);
                return true;
            }
        }
    }
    return false;
}

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
        return names + ExtraActionNames(widget());
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction() && pressable()) {
            PressLikeMouse(widget());
            return;
        }
        if (!DoExtraAction(widget(), action))
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

// A rich text box as Qt's own text edits are seen (its text read and edited through the text
// interfaces), with the actions given to it.
class TextBoxInterface final : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxInterface(QTextEdit *box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.editable = !box()->isReadOnly();
        st.readOnly = box()->isReadOnly();
        st.multiLine = true;
        st.selectableText = true;
        return st;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? box()->toPlainText() : QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return QAccessibleWidget::actionNames() + ExtraActionNames(widget()); }

    void doAction(const QString &action) override
    {
        if (!DoExtraAction(widget(), action))
            QAccessibleWidget::doAction(action);
    }

    // The text.
    QString text(int start, int end) const override { return box()->toPlainText().mid(start, end - start); }
    int characterCount() const override { return int(box()->toPlainText().size()); }
    int cursorPosition() const override { return box()->textCursor().position(); }
    void setCursorPosition(int position) override { setSelection(0, position, position); }
    int selectionCount() const override { return box()->textCursor().hasSelection() ? 1 : 0; }
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        const QTextCursor cursor = box()->textCursor();
        const bool any = selectionIndex == 0 && cursor.hasSelection();
        *startOffset = any ? cursor.selectionStart() : 0;
        *endOffset = any ? cursor.selectionEnd() : 0;
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override
    {
        QTextCursor cursor = box()->textCursor();
        cursor.clearSelection();
        box()->setTextCursor(cursor);
    }
    void setSelection(int, int startOffset, int endOffset) override
    {
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(startOffset);
        cursor.setPosition(endOffset, QTextCursor::KeepAnchor);
        box()->setTextCursor(cursor);
    }
    QRect characterRect(int offset) const override
    {
        QTextCursor cursor(box()->document());
        cursor.setPosition(offset);
        const QRect at = box()->cursorRect(cursor);
        const QFontMetrics metrics(cursor.charFormat().font());
        const QChar c = offset < characterCount() ? box()->toPlainText().at(offset) : QChar(u' ');
        return QRect(box()->viewport()->mapToGlobal(at.topLeft()), QSize(metrics.horizontalAdvance(c), at.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = box()->viewport()->mapFromGlobal(point);
        return box()->viewport()->rect().contains(local) ? box()->cursorForPosition(local).position() : -1;
    }
    void scrollToSubstring(int startIndex, int) override
    {
        setCursorPosition(startIndex);
        box()->ensureCursorVisible();
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = offset;
        *endOffset = offset;
        return {};
    }

    // Editing.
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        QTextCursor cursor(box()->document());
        cursor.setPosition(startOffset);
        cursor.setPosition(endOffset, QTextCursor::KeepAnchor);
        cursor.insertText(text);
    }

private:
    QTextEdit *box() const { return static_cast<QTextEdit *>(widget()); }
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
    if (auto *box = qobject_cast<RichTextBox *>(control))
        return new TextBoxInterface(box);
    return nullptr;
}

} // namespace

void InstallAccessibleControls()
{
    QAccessible::removeFactory(MakeInterface);
    QAccessible::installFactory(MakeInterface);
}

void AddAccessibleAction(QWidget *control, const QString &name, std::function<bool()> available,
                         std::function<void()> run)
{
    ExtraActions *extra = ExtraActions::of(control);
    if (!extra)
        extra = new ExtraActions(control);
    extra->actions.append({name, std::move(available), std::move(run)});
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
