#include "platform/CandidateCards.h"

#include "platform/Fonts.h"

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

    // The old cards may be the ones whose click is being handled.
    for (QLabel *card : std::as_const(m_cards)) {
        card->hide();
        card->deleteLater();
    }
    m_cards.clear();
    x = 0;
    for (int k = first; k < static_cast<int>(candidates.size()); ++k) {
        if (x > 0 && x + widths[k] > rowWidth)
            break;
        auto *card = new QLabel(candidates[k], this);
        card->setObjectName(QStringLiteral("CandidateCard(%1)").arg(k));
        card->setAccessibleName(candidates[k]);
        card->setProperty("caption", candidates[k]);
        card->setProperty("index", k);
        card->setFont(font);
        card->setAlignment(Qt::AlignCenter);
        card->setFocusPolicy(Qt::NoFocus);
        const bool isCurrent = k == current;
        card->setProperty("current", isCurrent);
        card->setStyleSheet(isCurrent
            ? QStringLiteral("QLabel { background: #FFFF80; color: #000000; border: 3px solid #0000C0; border-radius: 8px; }")
            : QStringLiteral("QLabel { background: #FFFFFF; color: #000000; border: 1px solid #808080; border-radius: 8px; }"));
        card->setGeometry(x, 0, widths[k], CardHeight);
        card->installEventFilter(this);
        card->show();
        m_cards.push_back(card);
        x += widths[k] + Gap;
    }
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
