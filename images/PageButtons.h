// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Two big page buttons beside the gallery (the setting galleryButtons), for hands that cannot
// hit the thin scroll bar: CommandPageUp "▲" and CommandPageDown "▼" under the cells. They are
// shown exactly while VScroll1 is, and page exactly as a click on its track does.

#include <QObject>
#include <QPointer>

class Form1;

namespace platform {
class CommandButton;
class ScrollBar;
}

namespace images {

class PageButtons final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageButtons)
public:
    // Builds the two buttons on the main window.
    explicit PageButtons(Form1 &form, QObject *parent = nullptr);

    void PageUp();   // CommandPageUp
    void PageDown(); // CommandPageDown

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The main window's own controls: the filter never reaches the window through them, since
    // the bar's last events come while the window is being destroyed.
    platform::ScrollBar *m_bar;
    QPointer<platform::CommandButton> m_up;
    QPointer<platform::CommandButton> m_down;
};

} // namespace images
