// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Window.h"

#include "base/Twips.h"

#include <QEvent>
#include <QMenuBar>
#include <QScreen>
#include <QGuiApplication>

namespace platform {

Window::Window(const QString &name, double clientWidth, double clientHeight, const QColor &backColor,
               QWidget *parent)
    // A dialog-type window: only these does the window system mark as transient for their
    // owner, which window managers keep above it. Its modality stays Qt::NonModal.
    : QMainWindow(parent, parent ? Qt::Dialog : Qt::Window),
      m_client(new QWidget(this)),
      m_back(backColor),
      m_clientWidth(static_cast<float>(clientWidth)),
      m_clientHeight(static_cast<float>(clientHeight))
{
    setObjectName(name);
    m_client->setObjectName(name + QStringLiteral(".client"));
    m_client->setAutoFillBackground(true);
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, backColor);
    m_client->setPalette(palette);
    setCentralWidget(m_client);
    applyGeometry();
}

void Window::setCaption(const QString &caption)
{
    m_caption = caption;
    // An empty title would make the window system show the program's name instead.
    setWindowTitle(caption.isEmpty() ? QStringLiteral(" ") : caption);
    setAccessibleName(caption.isEmpty() ? objectName() : caption);
}

QMargins Window::frame() const
{
    // Only meaningful once the window system has put a frame round the window.
    if (!testAttribute(Qt::WA_WState_Created) || !isVisible())
        return m_appliedFrame;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

double Window::twipsWidth() const
{
    const QMargins f = frame();
    return PixelsToTwips(TwipsToPixels(m_clientWidth) + f.left() + f.right());
}

double Window::twipsHeight() const
{
    if (m_outerHeight >= 0)
        return m_outerHeight;
    const QMargins f = frame();
    const int menu = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    return PixelsToTwips(TwipsToPixels(m_clientHeight) + menu + f.top() + f.bottom());
}

void Window::setTwipsLeft(double left)
{
    m_left = static_cast<float>(left);
    applyGeometry();
}

void Window::setTwipsTop(double top)
{
    m_top = static_cast<float>(top);
    applyGeometry();
}

void Window::setTwipsHeight(double height)
{
    m_outerHeight = static_cast<float>(height);
    applyGeometry();
}

void Window::applyGeometry()
{
    if (m_surround)
        return;
    m_appliedFrame = frame();
    const QMargins f = m_appliedFrame;
    const int menu = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    const int width = TwipsToPixels(m_clientWidth);
    int height = TwipsToPixels(m_clientHeight) + menu;
    if (m_outerHeight >= 0)
        height = std::max(menu + 1, TwipsToPixels(m_outerHeight) - f.top() - f.bottom());
    if (minimumSize() != QSize(width, height) || maximumSize() != QSize(width, height))
        setFixedSize(width, height);
    // move() places the frame's top-left corner, as the original desktop does.
    move(TwipsToPixels(m_left), TwipsToPixels(m_top));
}

double Window::screenWidthTwips() const
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return PixelsToTwips(s->geometry().width());
}

double Window::screenHeightTwips() const
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return PixelsToTwips(s->geometry().height());
}

void Window::bringToFront()
{
    show();
    raise();
    activateWindow();
}

void Window::fillScreen()
{
    if (m_surround)
        return;
    m_surround = new QWidget;
    m_surround->setObjectName(objectName() + QStringLiteral(".surround"));
    m_surround->setAutoFillBackground(true);
    QPalette palette = m_surround->palette();
    palette.setColor(QPalette::Window, m_back.darker(125));
    m_surround->setPalette(palette);
    takeCentralWidget();
    m_client->setParent(m_surround);
    m_client->setFixedSize(TwipsToPixels(m_clientWidth), TwipsToPixels(m_clientHeight));
    m_surround->installEventFilter(this);
    setCentralWidget(m_surround);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showFullScreen();
}

bool Window::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_surround && event->type() == QEvent::Resize) {
        const QSize room = m_surround->size();
        m_client->move((room.width() - m_client->width()) / 2, (room.height() - m_client->height()) / 2);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Window::event(QEvent *event)
{
    const bool result = QMainWindow::event(event);
    // The window system frames the window after it is shown: place and size it again, so the
    // held outer geometry holds with the real frame.
    // (The event's type first: after a deferred delete this window is gone.)
    if ((event->type() == QEvent::Show || event->type() == QEvent::Move || event->type() == QEvent::Resize)
        && !m_surround && frame() != m_appliedFrame)
        applyGeometry();
    return result;
}

} // namespace platform
