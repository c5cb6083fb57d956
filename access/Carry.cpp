// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/Carry.h"
#include "access/Overlay.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "history/PosterState.h"
#include "platform/Controls.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

namespace accessibility {

namespace {

// The thick dashed frame around what is carried, white under black so that it shows on every
// background. It lets every click through to the controls beneath.
class CarryFrame final : public QWidget
{
public:
    static constexpr int Width = 4;

    explicit CarryFrame(QWidget *parent) : QWidget(parent)
    {
        MakeOverlay(this, "qt_carry_frame");
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRectF edge = QRectF(rect()).adjusted(Width / 2.0, Width / 2.0, -Width / 2.0, -Width / 2.0);
        painter.setPen(QPen(Qt::white, Width));
        painter.drawRect(edge);
        painter.setPen(QPen(Qt::black, Width, Qt::DashLine));
        painter.drawRect(edge);
    }
};

// The element a control's mouse events belong to: a text box for its viewport.
QWidget *ElementOf(QWidget *receiver)
{
    auto *area = qobject_cast<QAbstractScrollArea *>(receiver->parentWidget());
    return area && area->viewport() == receiver ? area : receiver;
}

bool Within(QPointF a, QPointF b)
{
    return (a - b).manhattanLength() <= QGuiApplication::styleHints()->startDragDistance();
}

} // namespace

CarryFilter::CarryFilter(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    qApp->installEventFilter(this);
}

CarryFilter::~CarryFilter()
{
    if (m_target && m_kind == Kind::Element)
        QGuiApplication::restoreOverrideCursor();
    delete m_frame;
}

CarryFilter::Kind CarryFilter::kindOf(const QObject *receiver) const
{
    for (const platform::ImageControl *slot : m_form.Image3) {
        if (receiver == slot)
            return Kind::Element;
    }
    // While editing, a press on a text places the typing caret and does not move the text.
    if (Module1::EditMode.toInt() != 1) {
        for (const platform::RichTextBox *slot : m_form.Text1) {
            if (receiver == slot->viewport())
                return Kind::Element;
        }
    }
    if (receiver == m_form.Picture1 || receiver == m_form.Picture2)
        return Kind::Stroke;
    return Kind::None;
}

bool CarryFilter::eventFilter(QObject *watched, QEvent *event)
{
    // The window passes each mouse event on to a control: only the control's is looked at.
    if (m_sending || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_target) {
            // The click that puts down: where it pressed is where the carried thing goes.
            m_putting = true;
            if (mouse->globalPosition() != m_lastAt)
                deliver(QEvent::MouseMove, mouse->globalPosition(), Qt::NoButton, Qt::LeftButton);
            mouse->accept();
            return true;
        }
        // A double click's second press follows the press, which was seen already.
        if (event->type() == QEvent::MouseButtonPress) {
            const Kind kind = mouse->button() == Qt::LeftButton ? kindOf(widget) : Kind::None;
            m_pressed = kind == Kind::None ? nullptr : widget;
            m_pressedKind = kind;
            m_pressedAt = mouse->globalPosition();
            if (kind == Kind::Element)
                m_before = history::TakeSnapshot(m_form);
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_target) {
            deliver(QEvent::MouseMove, mouse->globalPosition(), Qt::NoButton, Qt::LeftButton);
            mouse->accept();
            return true;
        }
        if (widget == m_pressed && !Within(mouse->globalPosition(), m_pressedAt))
            m_pressed = nullptr; // a drag
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_target) {
            // A release whose press was not seen (the one of a message box) puts nothing down.
            if (m_putting && mouse->button() == Qt::LeftButton) {
                deliver(QEvent::MouseButtonRelease, mouse->globalPosition(), Qt::LeftButton, Qt::NoButton);
                finish();
            }
            mouse->accept();
            return true;
        }
        const bool click = widget == m_pressed && mouse->button() == Qt::LeftButton
                           && Within(mouse->globalPosition(), m_pressedAt) && widget->isVisible()
                           && !QApplication::activeModalWidget();
        if (click) {
            m_lastAt = mouse->globalPosition();
            pickUp();
            mouse->accept();
            return true;
        }
        m_pressed = nullptr;
        break;
    }
    case QEvent::KeyPress:
        if (m_target && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            cancel();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CarryFilter::pickUp()
{
    m_target = m_pressed;
    m_pressed = nullptr;
    m_kind = m_pressedKind;
    m_putting = false;
    if (m_kind != Kind::Element)
        return;
    QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
    m_frame = new CarryFrame(ElementOf(m_target)->parentWidget());
    placeFrame();
    m_frame->show();
}

void CarryFilter::cancel()
{
    if (m_target)
        putBack();
}

void CarryFilter::putBack()
{
    if (m_kind == Kind::Stroke)
        deliver(QEvent::MouseButtonRelease, m_lastAt, Qt::LeftButton, Qt::NoButton);
    else
        history::ApplySnapshot(m_form, m_before);
    finish();
}

void CarryFilter::finish()
{
    if (m_kind == Kind::Element)
        QGuiApplication::restoreOverrideCursor();
    delete m_frame;
    m_target = nullptr;
    m_kind = Kind::None;
    m_putting = false;
}

void CarryFilter::deliver(QEvent::Type type, QPointF global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    m_lastAt = global;
    QWidget *target = m_target;
    if (!target) {
        finish();
        return;
    }
    const QPointF local = target->mapFromGlobal(global);
    const QPointF scene = target->window()->mapFromGlobal(global);
    QMouseEvent mouse(type, local, scene, global, button, buttons, QGuiApplication::keyboardModifiers());
    m_sending = true;
    QCoreApplication::sendEvent(target, &mouse);
    m_sending = false;
    placeFrame();
}

void CarryFilter::placeFrame()
{
    if (!m_frame || !m_target)
        return;
    const int margin = CarryFrame::Width;
    m_frame->setGeometry(ElementOf(m_target)->geometry().adjusted(-margin, -margin, margin, margin));
    m_frame->raise();
}

} // namespace accessibility
