// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What switch scanning shows: the light, a thick frame around the lit choice (black, yellow
// inside, black inside that, so that it shows on every background), or a line across the paper
// during the point scan; and the scan's own choices ("やめる", "もういちど", "おわり"), big
// captions laid over the side panel. All let every click through to the controls beneath.

#include <QLabel>
#include <QWidget>

namespace accessibility {

class ScanLight final : public QWidget
{
public:
    // The width of the frame and of a line, in logical pixels: 3 black, 4 yellow, 2 black.
    static constexpr int Width = 9;
    enum class Shape { Frame, Line };

    // A light in window, not shown yet.
    explicit ScanLight(QWidget *window);

    // Around a rectangle of the screen (a frame), or over it (a line: the rectangle is the
    // line's middle, one pixel thick).
    void lightUp(QRect global, Shape shape);
    Shape shape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Shape m_shape = Shape::Frame;
};

// One of the scan's own choices, over window.
class ScanOwnChoice final : public QLabel
{
public:
    ScanOwnChoice(const QString &caption, QWidget *window);
};

} // namespace accessibility
