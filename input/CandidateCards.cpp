// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/CandidateCards.h"

#include "base/Fonts.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>

namespace platform {

namespace {

constexpr int Gap = 6;     // between cards
constexpr int Padding = 14; // either side of a card's text
constexpr int MinimumRowWidth = 420;

} // namespace

CandidateCards::CandidateCards(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CandidateCards"));
    setAccessibleName(QStringLiteral("CandidateCards"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void CandidateCards::showFor(QWidget *box, const QStringList &candidates, int current)
{
    QWidget *window = parentWidget();
    if (!box || !window || candidates.isEmpty()) {
        hide();
        return;
    }
    const QFont font = MakeFont(FontFace::RoundedGothic, CardPoints, FontStyle::Bold);
    const QFontMetrics metrics(font);
    const QRect boxRect(box->mapTo(window, QPoint(0, 0)), box->size());
    const int left = std::max(0, boxRect.left());
    const int rowWidth = std::min(std::max(boxRect.width(), MinimumRowWidth), window->width() - left);

    // Pages of cards that fit the row; the one holding the current candidate is shown.
    std::vector<int> widths;
    for (const QString &text : candidates)
        widths.push_back(std::max(CardHeight, metrics.horizontalAdvance(text) + 2 * Padding));
    int first = 0;
    int x = 0;
    for (int k = 0; k < static_cast<int>(candidates.size()); ++k) {
        if (x > 0 && x + widths[k] > rowWidth) {
            if (k > current)
                break;
            first = k;
            x = 0;
        }
        x += widths[k] + Gap;
    }

    // Cards are made once and kept for the next conversions; those not needed are hidden.
    x = 0;
    int shown = 0;
    for (int k = first; k < static_cast<int>(candidates.size()); ++k, ++shown) {
        if (x > 0 && x + widths[k] > rowWidth)
            break;
        if (shown == m_pool.size())
            m_pool.push_back(makeCard(font));
        QLabel *card = m_pool[shown];
        card->setText(candidates[k]);
        card->setObjectName(QStringLiteral("CandidateCard(%1)").arg(k));
        card->setAccessibleName(candidates[k]);
        card->setProperty("caption", candidates[k]);
        card->setProperty("index", k);
        const bool isCurrent = k == current;
        card->setProperty("current", isCurrent);
        QPalette palette = card->palette();
        palette.setColor(QPalette::Window, isCurrent ? QColor(0xFF, 0xFF, 0x80) : QColor(Qt::white));
        palette.setColor(QPalette::WindowText, isCurrent ? QColor(0x00, 0x00, 0xC0) : QColor(Qt::black));
        card->setPalette(palette);
        card->setLineWidth(isCurrent ? 3 : 1);
        card->setGeometry(x, 0, widths[k], CardHeight);
        card->show();
        x += widths[k] + Gap;
    }
    for (int k = shown; k < m_pool.size(); ++k)
        m_pool[k]->hide();
    m_cards = m_pool.mid(0, shown);
    const int width = std::max(0, x - Gap);

    // Inside the lower part of a box tall enough to leave room under its text, otherwise just
    // below it, or above it at the bottom of the window.
    int top;
    if (boxRect.height() >= 2 * CardHeight)
        top = boxRect.bottom() + 1 - CardHeight - 3;
    else if (boxRect.bottom() + 1 + CardHeight + 2 <= window->height())
        top = boxRect.bottom() + 1 + 2;
    else
        top = std::max(0, boxRect.top() - CardHeight - 2);
    setGeometry(left, top, width, CardHeight);
    show();
    raise();
}

QLabel *CandidateCards::makeCard(const QFont &font)
{
    auto *card = new QLabel(this);
    card->setFont(font);
    card->setAlignment(Qt::AlignCenter);
    card->setFocusPolicy(Qt::NoFocus);
    card->setAutoFillBackground(true);
    card->setFrameStyle(QFrame::Box | QFrame::Plain);
    card->installEventFilter(this);
    return card;
}

bool CandidateCards::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *card = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && card->rect().contains(mouse->position().toPoint()))
            emit picked(card->property("index").toInt());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
