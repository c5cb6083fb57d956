// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/PosterCapture.h"

#include "platform/Controls.h"
#include "settings/Settings.h"
#include "base/Twips.h"

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QTextEdit>
#include <QWidget>

#include <utility>
#include <vector>

namespace output {

namespace {

// What the screen shows of a text box being typed into, and a poster does not: the caret and
// the block of a selection (a double-clicked word). Both are marks, like the selection border,
// taken off for the time of a capture: the caret by its width, the selection by drawing it in
// the colours of the text around it.
class TypingMarksOff
{
public:
    explicit TypingMarksOff(QWidget *client)
    {
        for (auto *text : client->findChildren<QTextEdit *>()) {
            if (text->cursorWidth() != 0) {
                m_carets.emplace_back(text, text->cursorWidth());
                text->setCursorWidth(0);
            }
            if (text->textCursor().hasSelection())
                hideSelection(text);
        }
        for (auto *line : client->findChildren<QLineEdit *>()) {
            if (line->hasSelectedText())
                hideSelection(line);
        }
    }
    ~TypingMarksOff()
    {
        for (const auto &[text, width] : m_carets)
            text->setCursorWidth(width);
        for (const Kept &kept : m_palettes)
            kept.box->setPalette(kept.own ? kept.palette : QPalette());
    }
    TypingMarksOff(const TypingMarksOff &) = delete;
    TypingMarksOff &operator=(const TypingMarksOff &) = delete;

private:
    void hideSelection(QWidget *box)
    {
        m_palettes.push_back({box, box->palette(), box->testAttribute(Qt::WA_SetPalette)});
        QPalette plain = box->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            plain.setColor(group, QPalette::Highlight, plain.color(group, QPalette::Base));
            plain.setColor(group, QPalette::HighlightedText, plain.color(group, QPalette::Text));
        }
        box->setPalette(plain);
    }

    struct Kept
    {
        QWidget *box;
        QPalette palette;
        bool own; // set on the box itself, not inherited
    };
    std::vector<std::pair<QTextEdit *, int>> m_carets;
    std::vector<Kept> m_palettes;
};

} // namespace

platform::Picture CapturePoster(QWidget *mainClient)
{
    return GrabWindowArea(mainClient, PosterRect.left(), PosterRect.top(), PosterRect.width(), PosterRect.height());
}

platform::Picture GrabWindowArea(QWidget *client, int left, int top, int width, int height)
{
    QImage bitmap(QSize(width, height) * platform::CaptureDensity, QImage::Format_RGB32);
    bitmap.setDevicePixelRatio(platform::CaptureDensity);
    // Parts of the rectangle outside the client area stay black.
    bitmap.fill(Qt::black);
    const QRect inside = QRect(left, top, width, height) & client->rect();
    // A picture still being decoded for the size it is shown at is finished first, so that no
    // blurred stand-in reaches print or a saved file.
    std::vector<platform::ImageControl *> unsettled;
    for (auto *image : client->findChildren<platform::ImageControl *>()) {
        if (image->isVisible() && image->geometry().intersects(inside) && !image->isSettled())
            unsettled.push_back(image);
    }
    // With today's formats a decode may take seconds (a helper decoding a phone's photo, or
    // running to its limit): the pointer says the program is busy meanwhile.
    const bool busy = !unsettled.empty() && settings::Current().moreFormats;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    for (platform::ImageControl *image : unsettled)
        image->settle();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    if (!inside.isEmpty()) {
        const TypingMarksOff off(client);
        client->render(&bitmap, inside.topLeft() - QPoint(left, top), QRegion(inside),
                       QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return BitmapToPicture(bitmap);
}

platform::Picture BitmapToPicture(const QImage &bitmap)
{
    return platform::Picture::fromImage(bitmap);
}

} // namespace output
