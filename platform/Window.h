// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A top-level window of the program: caption, outer position and size in twips (frame, title
// bar and menu bar included, as the original desktop measures windows), a client area of a
// fixed designed size, and the screen size in twips.

#include <QMainWindow>

namespace platform {

class Window : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(double twipsLeft READ twipsLeft WRITE setTwipsLeft)
    Q_PROPERTY(double twipsTop READ twipsTop WRITE setTwipsTop)
    Q_PROPERTY(double twipsWidth READ twipsWidth)
    Q_PROPERTY(double twipsHeight READ twipsHeight WRITE setTwipsHeight)
    Q_PROPERTY(QColor backColor READ backColor)
public:
    // clientWidth x clientHeight twips of client area below the menu bar, in backColor. A window
    // with a parent window (the registration window, the colour picker) is a modeless window of
    // that window's: the window manager keeps it above its owner while it is shown, whatever is
    // clicked in the owner.
    Window(const QString &name, double clientWidth, double clientHeight, const QColor &backColor,
           QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // The client area: every control of the window is its child.
    QWidget *client() const { return m_client; }
    QColor backColor() const { return m_back; }

    // Outer geometry in twips. Until the window system has framed the window the frame counts
    // as nothing; the held values are applied again once it has.
    double twipsLeft() const { return m_left; }
    double twipsTop() const { return m_top; }
    double twipsWidth() const;
    double twipsHeight() const;
    void setTwipsLeft(double left);
    void setTwipsTop(double top);
    void setTwipsHeight(double height);

    // The size of the screen the window is on, in twips.
    double screenWidthTwips() const;
    double screenHeightTwips() const;

    // Brings the window to the front and gives it the focus.
    void bringToFront();

    // Full screen: the window fills the screen and its client area, at its designed size, stands
    // centred on a plain surround below the menu bar. Held geometry is kept but not applied.
    void fillScreen();
    bool fillsScreen() const { return m_surround != nullptr; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Places and sizes the window from the held values; call again after adding a menu bar.
    void applyGeometry();

private:
    QMargins frame() const;

    QWidget *m_client;
    QWidget *m_surround = nullptr; // full screen only
    QString m_caption;
    QColor m_back;
    float m_clientWidth, m_clientHeight;
    float m_left = 0, m_top = 0;
    float m_outerHeight = -1; // -1: the designed height (client area + menu bar + frame)
    QMargins m_appliedFrame;
};

} // namespace platform
